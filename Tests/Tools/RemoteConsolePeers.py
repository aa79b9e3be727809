#!/usr/bin/env python3
"""The RemoteConsole program against hostile, slow and careless clients.

Usage: RemoteConsolePeers.py [EMULATOR...] PROGRAM

Each test runs the real program on a free loopback port, with --once and an
"anchor" client that keeps it running until the test is done, then checks what
it wrote to standard output, standard error and its log, and how it ended.
"""
import os
import random
import re
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest

COMMAND = []      # the program, after its emulator if any
ANY, SILENT = object(), object()  # a drop for any reason; no drop
NATIVE = True     # False when an emulator runs it: no /proc, no descriptor limits


def frame(payload):
    return struct.pack(">I", len(payload) + 4) + payload


def message(text, kind=0, level=3):
    """The records of one message, as the library sends them."""
    count = 1 if len(text) <= 224 else len(text) // 224 + 1
    records = frame(b"2 %d %d %d \r\n" % (kind, level, count))
    terminated = text + b"\0"
    for i in range(count):
        size = min(224, len(text) - 224 * i) + 1
        records += frame(b"3 %d " % size + terminated[224 * i:224 * i + size] + b" \r\n")
    return records


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_until(condition, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def tagged(text, number=1):
    """Lines as the program shows them for client `number` (the anchor is 1)."""
    tag = b"[%d 127.0.0.1] " % number
    return b"".join(tag + line for line in text.splitlines(keepends=True))


def normalized(data):
    # A Windows program's standard streams are in text mode.
    return data if NATIVE else data.replace(b"\r\n", b"\n")


class Program:
    """One run of the program, kept up by an anchor client until finish()."""

    def __init__(self, *options, file_limit=None, unread_output=False):
        self.folder = tempfile.TemporaryDirectory()
        self.port = free_port()
        self.log_path = os.path.join(self.folder.name, "remote.log")
        self.out = open(os.path.join(self.folder.name, "out"), "w+b")
        self.err = open(os.path.join(self.folder.name, "err"), "w+b")
        limit = None
        if file_limit:
            import resource
            limit = lambda: resource.setrlimit(resource.RLIMIT_NOFILE, (file_limit, file_limit))
        # An unread output is a pipe that nobody empties.
        self.process = subprocess.Popen(
            COMMAND + ["--listen", "127.0.0.1:%d" % self.port, "--log", self.log_path, "--once", "--wait", "120"]
            + list(options), stdin=subprocess.PIPE, stdout=subprocess.PIPE if unread_output else self.out,
            stderr=self.err, preexec_fn=limit)
        self.anchor = self.connect(wait=True)

    def connect(self, wait=False):
        deadline = time.monotonic() + (60 if wait else 10)
        while True:
            try:
                return socket.create_connection(("127.0.0.1", self.port), timeout=10)
            except OSError:
                if time.monotonic() > deadline or self.process.poll() is not None:
                    raise AssertionError("the program did not take a connection: " + self.stderr())
                time.sleep(0.1)

    def log(self):
        try:
            with open(self.log_path, "rb") as file:
                return file.read()
        except FileNotFoundError:
            return b""

    def stderr(self):
        self.err.flush()
        with open(self.err.name, "rb") as file:
            return normalized(file.read()).decode("utf-8", "replace")

    def notices(self):
        return [line for line in self.stderr().splitlines() if line.startswith("RemoteConsole: dropped ")]

    def show(self, records, expected, client=None, number=1):
        """Sends records and waits until the log ends with the expected text,
        as shown for client `number` (None: whichever client sent it)."""
        (client or self.anchor).sendall(records)
        if number is not None:
            expected = tagged(expected, number)
        if not wait_until(lambda: self.log().endswith(expected)):
            raise AssertionError("the log does not end with %r but with %r" % (expected, self.log()[-300:]))

    def finish(self):
        self.anchor.close()
        try:
            code = self.process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise AssertionError("the program did not end when its last client left")
        self.out.seek(0)
        return code, normalized(self.out.read())

    def cpu_seconds(self):
        with open("/proc/%d/stat" % self.process.pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")

    def peak_memory_mib(self):
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) / 1024

    def close(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        self.process.stdin.close()
        if self.process.stdout:
            self.process.stdout.close()
        self.out.close()
        self.err.close()
        self.folder.cleanup()


def closed_by_peer(client, seconds=10):
    """True when the other end has closed the connection."""
    client.settimeout(seconds)
    try:
        while True:
            if not client.recv(4096):
                return True
    except (ConnectionResetError, BrokenPipeError):
        return True
    except socket.timeout:
        return False


class CommandLine(unittest.TestCase):
    def run_program(self, *arguments):
        return subprocess.run(COMMAND + list(arguments), stdin=subprocess.DEVNULL, capture_output=True, timeout=60)

    def test_help_and_refused_arguments(self):
        shown = self.run_program("--help")
        self.assertEqual(shown.returncode, 0)
        text = normalized(shown.stdout).decode()
        for promise in ("at most 32 levels", "\\x1B", "256 clients", "1 MiB", "--stall SECONDS",
                        "Exit codes: 0 success, 1 the program failed"):
            self.assertIn(promise, text)
        for arguments in (["--bogus"], ["--listen", "127.1:7500"], ["--listen", "0x7f.0.0.1:7500"],
                          ["--listen", "127.0.0.1:0"], ["--listen", "127.0.0.1:70000"], ["--stall", "0"],
                          ["--listen", "127.0.0.1:+7500"], ["--wait", "5"], ["--log"], ["--log", ""],
                          ["--stall", "0x10"], ["--stall", "1e3"], ["--once", "--wait", " 5"]):
            refused = self.run_program(*arguments)
            self.assertEqual(refused.returncode, 2, arguments)
            self.assertTrue(normalized(refused.stderr).startswith(b"RemoteConsole: "), arguments)
            self.assertIn(b"Run `RemoteConsole --help` for the usage.", refused.stderr, arguments)

    def test_a_port_in_use_is_said_in_one_line_without_a_prompt(self):
        with socket.socket() as holder:
            holder.bind(("127.0.0.1", 0))
            holder.listen()
            port = holder.getsockname()[1]
            # Standard input stays open: a program that asks there would wait.
            process = subprocess.Popen(COMMAND + ["--listen", "127.0.0.1:%d" % port], stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            try:
                output, errors = process.communicate(timeout=60)
            except subprocess.TimeoutExpired:
                process.kill()
                self.fail("the program waited for an answer on standard input")
        self.assertEqual(process.returncode, 1)
        self.assertEqual(normalized(errors).decode(), "RemoteConsole: port %d is in use\n" % port)
        self.assertEqual(output, b"")


class HostilePeers(unittest.TestCase):
    def setUp(self):
        self.program = None

    def start(self, *options, **settings):
        self.program = Program(*options, **settings)
        return self.program

    def tearDown(self):
        if self.program:
            self.program.close()

    def test_control_bytes_are_shown_escaped_and_line_ends_take_one_line(self):
        program = self.start()
        sent = [
            (b"clear\x1b[2Jscreen", b"[I] clear\\x1B[2Jscreen\n"),
            (b"\x1b]0;title\x07", b"[I] \\x1B]0;title\\x07\n"),
            (b"del\x7f cr\rback nul\0byte", b"[I] del\\x7F cr\\x0Dback nul\\x00byte\n"),
            (b"c1 \xc2\x9b and \x9b", b"[I] c1 \\u009B and \\x9B\n"),
            (b"bad \xff \xc3 \xed\xa0\x80", b"[I] bad \\xFF \\xC3 \\xED\\xA0\\x80\n"),
            (b"tab\tkept \xc3\xa9 \xe4\xb8\x96 \xf0\x9f\x8c\x8d", b"[I] tab\tkept \xc3\xa9 \xe4\xb8\x96 \xf0\x9f\x8c\x8d\n"),
            (b"one line\n", b"[I] one line\n"),
            (b"crlf line\r\n", b"[I] crlf line\n"),
            (b"first\nsecond\r\nthird\n", b"[I] first\n    second\n    third\n"),
            (b"\n", b"[I] \n"),
            (b"a" * 222 + b"\x1b[2J\xc3\xa9", b"[I] " + b"a" * 222 + b"\\x1B[2J\xc3\xa9\n"),
            # What would reorder the text or hide part of it.
            (b"user=\xe2\x80\xae nimda", b"[I] user=\\u202E nimda\n"),
            (b"\xe2\x80\xaa\xe2\x80\xab\xe2\x80\xac\xe2\x80\xad\xe2\x81\xa6\xe2\x81\xa7\xe2\x81\xa8\xe2\x81\xa9\xe2\x80\x8e\xe2\x80\x8f\xd8\x9c",
             b"[I] \\u202A\\u202B\\u202C\\u202D\\u2066\\u2067\\u2068\\u2069\\u200E\\u200F\\u061C\n"),
            (b"zero\xe2\x80\x8bwidth\xe2\x80\x8c\xe2\x80\x8d\xe2\x81\xa0\xef\xbb\xbf\xc2\xad",
             b"[I] zero\\u200Bwidth\\u200C\\u200D\\u2060\\uFEFF\\u00AD\n"),
            (b"line\xe2\x80\xa8para\xe2\x80\xa9end", b"[I] line\\u2028para\\u2029end\n"),
            (b"kept: \xe2\x80\x94 \xe2\x82\xac \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d", b"[I] kept: \xe2\x80\x94 \xe2\x82\xac \xd7\xa9\xd7\x9c\xd7\x95\xd7\x9d\n"),
        ]
        for text, shown in sent:
            program.show(message(text), shown)
        program.show(message(b"warned", level=2), b"[W] warned\n")
        expected = tagged(b"connected\n" + b"".join(shown for _, shown in sent) + b"[W] warned\n" + b"left\n")
        code, output = program.finish()
        self.assertEqual(code, 0)
        self.assertEqual(program.log(), expected)
        self.assertEqual(output, expected)

    def test_deep_blocks_are_counted_but_indented_at_most_32_levels(self):
        program = self.start()
        records = message(b"b", kind=1) * 4000 + message(b"deep") + message(b"e", kind=2) * 4000
        program.show(records + message(b"top"), b"[I] top\n")
        log = program.log()
        self.assertIn(b"\n[1 127.0.0.1] " + b" " * 128 + b"[I] deep\n", log)
        self.assertLess(len(log), 8002 * (128 + 7 + 14))
        # Counted, not capped: 40 levels in and 5 out is still past 32.
        program.show(message(b"b", kind=1) * 40 + message(b"e", kind=2) * 5 + message(b"still deep"),
                     b" " * 128 + b"[I] still deep\n")
        # Line ends do not repeat the indentation: what a client sends bounds what is written.
        before = len(program.log())
        program.show(message(b"\n" * 100000 + b"end"), b"    end\n")
        self.assertLess(len(program.log()) - before, 100000 * (5 + 14) + 200)
        self.assertEqual(program.finish()[0], 0)

    def test_messages_are_held_to_one_mebibyte(self):
        program = self.start()
        boaster = program.connect()
        boaster.sendall(frame(b"2 0 3 999999999 \r\n"))
        self.assertTrue(closed_by_peer(boaster), "a client announcing a huge message was kept")
        one_too_many = program.connect()
        one_too_many.sendall(frame(b"2 0 3 4683 \r\n"))
        self.assertTrue(closed_by_peer(one_too_many), "a client announcing 4683 chunks was kept")
        one_too_many.close()
        flooder = program.connect()
        try:
            flooder.sendall(frame(b"2 0 3 4682 \r\n") + frame(b"3 225 " + b"x" * 225 + b" \r\n") * 4682)
        except (ConnectionResetError, BrokenPipeError):
            pass
        self.assertTrue(closed_by_peer(flooder), "a client sending more than 1 MiB was kept")
        boaster.close()
        flooder.close()
        largest = b"y" * (1 << 20)
        program.show(message(largest), b"[I] " + largest + b"\n")
        if NATIVE:
            self.assertLess(program.peak_memory_mib(), 200)
        self.assertEqual(program.finish()[0], 0)
        self.assertEqual(program.notices(), [
            "RemoteConsole: dropped client 2 from 127.0.0.1: a header announcing 999999999 chunks, "
            "more than a message of 1 MiB takes",
            "RemoteConsole: dropped client 3 from 127.0.0.1: a header announcing 4683 chunks, "
            "more than a message of 1 MiB takes",
            "RemoteConsole: dropped client 4 from 127.0.0.1: a message longer than 1 MiB"])

    def test_every_dropped_client_gets_one_line_saying_why(self):
        program = self.start()
        header = frame(b"2 0 3 1 \r\n")
        garbage = random.Random(2026)
        kinds = [
            (frame(b"x" * 296), "a frame of 300 bytes (frames are 4 to 256 bytes long)"),
            (b"\x10\0\0\0", "a frame of 268435456 bytes (frames are 4 to 256 bytes long)"),
            (b"\0\0\0\2", "a frame of 2 bytes (frames are 4 to 256 bytes long)"),
            (frame(b"hello"), "a malformed header record"),
            (header + frame(b"4 1 \0 \r\n"), "a malformed chunk record"),
            (header + frame(b"3 0  \r\n"), "a malformed chunk record"),
            (frame(b"2 7 3 1 \r\n"), "a header with kind 7 and 1 chunks"),
            (frame(b"2 0 3 0 \r\n"), "a header with kind 0 and 0 chunks"),
            (header + frame(b"3 2 ab \r\n"), "a last chunk without its terminating zero"),
            (frame(b"2 0 3 2 \r\n") + frame(b"3 2 a\0 \r\n"), "a short chunk before the last"),
            (header, "the connection ended in the middle of a message"),
            (b"\0\0", "the connection ended in the middle of a message"),
            # Wine reports a reset between messages as an orderly close: no drop.
            (b"reset", "its connection was reset" if NATIVE else SILENT),
            (None, ANY),
        ]
        expected = []
        for number in range(200):
            data, reason = kinds[number % len(kinds)]
            if data is None:
                data = bytes([0x80 + garbage.randrange(0x80)]) + bytes(garbage.randrange(256) for _ in range(63))
            with program.connect() as client:
                if data == b"reset":
                    # Taken, and seen to be taken, before the reset.
                    said = b"client %d, then a reset" % (number + 2)
                    client.sendall(message(said))
                    self.assertTrue(wait_until(lambda: said + b"\n" in program.log()))
                    client.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                else:
                    client.sendall(data)
            expected.append(reason)
        dropped = [number + 2 for number, reason in enumerate(expected) if reason is not SILENT]
        wait_until(lambda: len(program.notices()) >= len(dropped))
        program.show(message(b"still here"), b"[I] still here\n")
        code, output = program.finish()
        self.assertEqual(code, 0)
        notices = program.notices()
        self.assertEqual(len(notices), len(dropped))
        prefix = "RemoteConsole: dropped client "
        by_client = {int(line[len(prefix):].split()[0]): line.split(": ", 2)[2] for line in notices}
        self.assertEqual(sorted(by_client), dropped, "one line per dropped client")
        for number, reason in enumerate(expected):
            if isinstance(reason, str):
                self.assertEqual(by_client[number + 2], reason, "client %d" % (number + 2))
                self.assertIn(tagged(b"dropped: " + reason.encode() + b"\n", number + 2), program.log())
        # The library's own line about a reset goes with the diagnostics, never
        # among the messages.
        resets = sum(1 for reason in expected if reason == "its connection was reset")
        self.assertEqual(program.stderr().count("SOCKET error: The connection was reset by the other end.\n"), resets)
        self.assertNotIn(b"SOCKET error", output)

    def test_with_every_slot_taken_newcomers_are_refused_and_told_once_a_second(self):
        program = self.start("--idle", "60")
        clients = [program.connect() for _ in range(255)]
        program.show(message(b"from the last one"), b"[I] from the last one\n", client=clients[-1], number=256)
        for _ in range(5):
            extra = program.connect()
            self.assertTrue(closed_by_peer(extra), "a client past the limit was kept")
            extra.close()
        self.assertTrue(wait_until(lambda: "256 clients are connected already" in program.stderr()))
        time.sleep(1.2)
        extra = program.connect()
        self.assertTrue(closed_by_peer(extra))
        extra.close()
        refusal = "RemoteConsole: refused a client from 127.0.0.1: 256 clients are connected already, none idle for 60 s"
        self.assertTrue(wait_until(lambda: program.stderr().count(refusal) == 2))
        lines = [line for line in program.stderr().splitlines() if line.startswith(refusal)]
        self.assertEqual(lines, [refusal, refusal + " (and 4 more since the last such line)"])
        clients.pop().close()
        # The program may take the newcomer before it has seen the other leave.
        for attempt in range(1, 21):
            with program.connect() as late:
                late.sendall(message(b"late"))
                if wait_until(lambda: program.log().endswith(b"] [I] late\n"), 10):
                    break
        for client in clients:
            client.close()
        self.assertEqual(program.finish()[0], 0)

    def test_with_every_slot_taken_the_client_idle_longest_makes_room(self):
        program = self.start("--idle", "1")
        clients = [program.connect() for _ in range(255)]
        program.show(message(b"256 connected"), b"[I] 256 connected\n", client=clients[-1], number=256)
        time.sleep(1.5)
        program.show(message(b"the anchor is not idle"), b"[I] the anchor is not idle\n")
        newcomer = program.connect()
        program.show(message(b"a host gets in"), b"[I] a host gets in\n", client=newcomer, number=257)
        # Idle since it connected, the longest of all (the anchor spoke last).
        idle = re.search(r"^RemoteConsole: dropped client 2 from 127\.0\.0\.1: (idle for \d+ s when every slot "
                         r"was taken: its slot went to a new client)$", program.stderr(), re.MULTILINE)
        self.assertIsNotNone(idle, program.stderr())
        self.assertIn(tagged(b"dropped: " + idle.group(1).encode() + b"\n", 2), program.log())
        self.assertTrue(closed_by_peer(clients[0]), "the idle client was kept")
        self.assertNotIn("refused", program.stderr())
        for client in clients + [newcomer]:
            client.close()
        self.assertEqual(program.finish()[0], 0)

    def test_every_line_names_its_client_and_clients_come_and_go_in_a_line(self):
        program = self.start()
        second = program.connect()
        program.show(message(b"from the anchor\nand on"), b"[I] from the anchor\n    and on\n")
        program.show(message(b"from the second"), b"[I] from the second\n", client=second, number=2)
        second.close()
        self.assertTrue(wait_until(lambda: program.log().endswith(tagged(b"left\n", 2))))
        code, output = program.finish()
        self.assertEqual(code, 0)
        expected = (tagged(b"connected\n") + tagged(b"connected\n", 2) + tagged(b"[I] from the anchor\n    and on\n")
                    + tagged(b"[I] from the second\n", 2) + tagged(b"left\n", 2) + tagged(b"left\n"))
        self.assertEqual(program.log(), expected)
        self.assertEqual(output, expected)

    def test_an_output_nobody_reads_holds_up_neither_clients_nor_the_log(self):
        program = self.start(unread_output=True)
        other = program.connect()
        line = b"x" * 1000
        # More than the pipe and the program's own queue for it hold.
        for number in range(6000):
            program.anchor.sendall(message(b"%04d " % number + line))
        self.assertTrue(wait_until(lambda: b"[I] 5999 " in program.log()), "the program stopped at its output")
        program.show(message(b"the other is served"), b"[I] the other is served\n", client=other, number=2)
        self.assertEqual(program.log().count(b"[I] "), 6001, "the log has every line")
        # Read at last: the lines the output could not take are counted there.
        # The next line is sent once the program's own queue has drained (the
        # reader has had nothing for a while), or the program rightly drops it.
        chunks = []
        last_read = [time.monotonic()]

        def read_all():
            while True:
                chunk = os.read(program.process.stdout.fileno(), 65536)
                if not chunk:
                    return
                chunks.append(chunk)
                last_read[0] = time.monotonic()

        reader = threading.Thread(target=read_all)
        reader.start()
        self.assertTrue(wait_until(lambda: chunks and time.monotonic() - last_read[0] > 0.5), "the output never drained")
        program.show(message(b"read again"), b"[I] read again\n")
        other.close()
        self.assertTrue(wait_until(lambda: program.log().endswith(tagged(b"left\n", 2))))
        code = program.finish()[0]
        reader.join(60)
        self.assertEqual(code, 0)
        output = normalized(b"".join(chunks))
        notice = re.search(rb"RemoteConsole: (\d+) lines were not shown: the output was not taking them "
                           rb"\(the log has every line\)\n", output)
        self.assertIsNotNone(notice, output[-500:])
        lines = output.count(b"\n") - 1
        self.assertEqual(lines + int(notice.group(1)), program.log().count(b"\n"), "lines lost uncounted")
        self.assertTrue(output.endswith(tagged(b"[I] read again\n") + tagged(b"left\n", 2) + tagged(b"left\n")))

    def test_a_signal_ends_the_program_within_a_second_while_its_output_is_stuck(self):
        if not NATIVE:
            self.skipTest("signals are the Linux program's")
        program = self.start(unread_output=True)
        for number in range(2000):
            program.anchor.sendall(message(b"%04d " % number + b"y" * 1000))
        self.assertTrue(wait_until(lambda: b"1999 " in program.log()))
        started = time.monotonic()
        program.process.send_signal(signal.SIGTERM)
        try:
            program.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.fail("SIGTERM did not end the program")
        self.assertLess(time.monotonic() - started, 1.5)
        self.assertEqual(program.process.returncode, 0)

    def test_a_client_stuck_in_a_message_is_dropped_but_a_quiet_one_is_kept(self):
        program = self.start("--stall", "1")
        half_frame, half_message, quiet = program.connect(), program.connect(), program.connect()
        half_frame.sendall(frame(b"2 0 3 1 \r\n")[:7])
        half_message.sendall(frame(b"2 0 3 1 \r\n"))
        self.assertTrue(closed_by_peer(half_frame))
        self.assertTrue(closed_by_peer(half_message))
        half_frame.close()
        half_message.close()
        time.sleep(1.5)
        program.show(message(b"quiet, not stuck"), b"[I] quiet, not stuck\n", client=quiet, number=4)
        quiet.close()
        self.assertEqual(program.finish()[0], 0)
        self.assertEqual(program.notices(), [
            "RemoteConsole: dropped client 2 from 127.0.0.1: its unfinished message made no progress for 1 s",
            "RemoteConsole: dropped client 3 from 127.0.0.1: its unfinished message made no progress for 1 s"])

    def test_running_out_of_descriptors_does_not_spin(self):
        if not NATIVE:
            self.skipTest("a Windows program has no descriptor limit to run into")
        program = self.start(file_limit=32)
        waiting = [program.connect() for _ in range(60)]
        self.assertTrue(wait_until(lambda: "cannot accept clients now" in program.stderr()))
        time.sleep(0.5)
        before = program.cpu_seconds()
        time.sleep(2)
        self.assertLess(program.cpu_seconds() - before, 0.5, "the program spins while it cannot accept")
        for client in waiting:
            client.close()
        late = program.connect()
        program.show(message(b"served again"), b"[I] served again\n", client=late, number=None)
        late.close()
        self.assertEqual(program.finish()[0], 0)
        self.assertEqual(program.stderr().count("cannot accept clients now"), 1)


if __name__ == "__main__":
    arguments = sys.argv[1:]
    COMMAND[:] = arguments
    NATIVE = len(arguments) == 1
    unittest.main(argv=sys.argv[:1], verbosity=2)
