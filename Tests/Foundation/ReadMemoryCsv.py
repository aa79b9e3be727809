#!/usr/bin/env python3
"""Reads the memory-usage CSV back with Python's csv module: every field whole."""
import csv
import re
import sys

# Numbers as the "C" locale writes them, whatever the writer's locale: no digit
# grouping, a point before any fraction. (int() and float() alone would let
# "1_024" or " 12" through.)
COUNT = re.compile(r"[0-9]+")
TIMESTAMP = re.compile(r"[0-9]+(\.[0-9]+)?(e[+-][0-9]+)?")

EXPECTED_TASKS = ["plain", 'with "quotes"', "comma, inside", "gr\u00fc\u00dfe"]

with open(sys.argv[1], newline="", encoding="utf-8") as handle:
    rows = list(csv.reader(handle))
header, records = rows[0], rows[1:]
assert header == ["timestamp", "task", "index", "workingSetSizeKB", "peakWorkingSetSizeKB", "pagefileUsageKB",
                  "peakPagefileUsageKB", "pageFaultCount"], header
assert [row[1] for row in records] == EXPECTED_TASKS, [row[1] for row in records]
for row in records:
    assert len(row) == 8, row
    assert TIMESTAMP.fullmatch(row[0]), row
    assert row[2] == "7"
    assert all(COUNT.fullmatch(value) for value in row[3:]), row
    assert int(row[4]) >= int(row[3]) and int(row[6]) >= int(row[5]), row
print(f"{len(records)} records read back whole")
