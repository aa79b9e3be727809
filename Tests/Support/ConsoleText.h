// For the helper program: logs text outside ASCII through the standard-output
// console while standard output is a console window (Windows), and writes
// the text the console then shows, as UTF-8, into a file. Exit code 0 when the
// console could be read, 3 when there is no console to read. Elsewhere there is
// no such console: exit code 2.
#pragma once

int ShowOnConsole(const char* resultPath);
