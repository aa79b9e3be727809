#!/usr/bin/env python3
"""The vexir tool as a user runs it: exit codes, messages, and files it must
never damage, with names outside ASCII.

Usage: VexirCommandLine.py POEM [EMULATOR...] PROGRAM
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

COMMAND = []
POEM = ""


class Tool(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.cwd = self.folder.name
        shutil.copy(POEM, os.path.join(self.cwd, "grüße.txt"))
        os.mkdir(os.path.join(self.cwd, "a folder"))

    def tearDown(self):
        self.folder.cleanup()

    def vexir(self, *arguments, code=0, message=None):
        # The names reach a Windows program through the locale's character set.
        environment = dict(os.environ, LC_ALL="C.UTF-8")
        run = subprocess.run(COMMAND + list(arguments), cwd=self.cwd, env=environment, capture_output=True,
                             timeout=120)
        errors = run.stderr.decode("utf-8", "replace").replace("\r\n", "\n")
        self.assertEqual(run.returncode, code, "vexir %s\n%s" % (" ".join(arguments), errors))
        if message:
            self.assertRegex(errors, message, "vexir %s" % " ".join(arguments))
        self.errors = errors
        return run.stdout.decode("utf-8", "replace").replace("\r\n", "\n")

    def path(self, name):
        return os.path.join(self.cwd, name)

    def read(self, name):
        with open(self.path(name), "rb") as file:
            return file.read()

    def leftovers(self):
        return [name for name in os.listdir(self.cwd) if name.endswith(".tmp")]

    def test_every_asset_command_takes_names_outside_ascii(self):
        self.assertIn("packed grüße.txt (49 bytes) into 世界.vxa", self.vexir("asset", "pack", "grüße.txt", "世界.vxa"))
        self.assertIn("世界.vxa: Loaded", self.vexir("asset", "verify", "世界.vxa"))
        self.assertIn("世界.vxa: header, scheme 0", self.vexir("asset", "info", "世界.vxa"))
        self.vexir("asset", "unpack", "世界.vxa", "wieder grüße.txt")
        self.assertEqual(self.read("wieder grüße.txt"), self.read("grüße.txt"))
        # The same file through a name that climbs out and back in.
        here = os.path.basename(self.cwd)
        self.assertIn("Loaded", self.vexir("asset", "verify", os.path.join("..", here, "世界.vxa")))

    def test_what_is_not_a_file_is_refused(self):
        self.vexir("asset", "pack", "grüße.txt", "out.vxa")
        before = self.read("out.vxa")
        self.vexir("asset", "pack", "a folder", "out.vxa", code=1,
                   message=r"vexir asset pack: cannot read a folder: it is a directory, not a file")
        self.assertEqual(self.read("out.vxa"), before, "a refused input overwrote the output")
        self.vexir("asset", "info", "a folder", code=1, message=r"cannot read a folder: it is a directory")
        self.vexir("asset", "pack", "missing.txt", "x.vxa", code=1, message=r"cannot read missing.txt: ")
        self.assertFalse(os.path.exists(self.path("x.vxa")))

    def test_a_failed_write_leaves_the_old_output_and_no_temporary_file(self):
        self.vexir("asset", "pack", "grüße.txt", "a folder", code=1, message=r"cannot write a folder: ")
        self.assertTrue(os.path.isdir(self.path("a folder")))
        self.vexir("asset", "pack", "grüße.txt", os.path.join("no such folder", "x.vxa"), code=1,
                   message=r"cannot write ")
        self.assertEqual(self.leftovers(), [])
        self.assertEqual(glob.glob(os.path.join(self.cwd, "a folder", "*")), [])

    def test_what_is_not_a_regular_file_or_is_read_only_is_not_replaced(self):
        self.vexir("asset", "pack", "grüße.txt", "kept.vxa")
        os.chmod(self.path("kept.vxa"), 0o444)
        self.vexir("asset", "pack", "grüße.txt", "kept.vxa", code=1, message=r"cannot write kept.vxa: it is read-only")
        if os.name != "posix" or len(COMMAND) > 1:
            return  # what follows is the Linux file system's
        os.chmod(self.path("kept.vxa"), 0o600)
        self.vexir("asset", "pack", "grüße.txt", "kept.vxa")
        self.assertEqual(os.stat(self.path("kept.vxa")).st_mode & 0o777, 0o600, "the file's permissions changed")
        os.mkfifo(self.path("pipe"))
        self.vexir("asset", "pack", "grüße.txt", "pipe", code=1, message=r"cannot write pipe: it is not a regular file")
        os.symlink("kept.vxa", self.path("link.vxa"))
        self.vexir("asset", "pack", "grüße.txt", "link.vxa")
        self.assertTrue(os.path.islink(self.path("link.vxa")), "the link was replaced instead of its file")
        self.vexir("asset", "info", "/dev/full", code=1, message=r"it is not a regular file")
        self.vexir("asset", "pack", "grüße.txt", "/dev/full", code=1, message=r"it is not a regular file")
        # Output that cannot be written is a failure, not a success.
        for arguments in (["asset", "info", "kept.vxa"], ["--help"]):
            with open("/dev/full", "wb") as full:
                run = subprocess.run(COMMAND + arguments, cwd=self.cwd, stdout=full, stderr=subprocess.PIPE)
            self.assertEqual(run.returncode, 1, arguments)
            self.assertIn(b"vexir: the output could not be written", run.stderr)

    def test_names_mean_one_file_in_every_subcommand(self):
        if os.name != "posix" or len(COMMAND) > 1:
            return  # on Windows "\\" is a separator and a final dot is dropped by the system itself
        self.vexir("asset", "pack", "grüße.txt", "report.")
        self.assertTrue(os.path.exists(self.path("report.")))
        self.assertFalse(os.path.exists(self.path("report")))
        self.vexir("asset", "verify", "report.", code=1, message=r"the library cannot open \"report.\" by that name")
        self.vexir("asset", "pack", "grüße.txt", "a\\b")
        self.assertTrue(os.path.exists(self.path("a\\b")))
        self.vexir("asset", "unpack", "a\\b", "out.txt", code=1, message=r"the library cannot open")

    def test_the_input_is_never_the_output(self):
        self.vexir("asset", "pack", "grüße.txt", "./grüße.txt", code=2, message=r"IN and OUT are the same file")
        self.vexir("asset", "pack", "grüße.txt", "grüße.vxa")
        self.vexir("asset", "unpack", "grüße.vxa", "grüße.vxa", code=2, message=r"IN and OUT are the same file")
        self.assertIn("Loaded", self.vexir("asset", "verify", "grüße.vxa"))

    def test_a_file_without_a_header_is_never_called_verified(self):
        output = self.vexir("asset", "verify", "grüße.txt", code=1, message=r"grüße.txt: no header, so no digest")
        self.assertNotIn("Loaded", output + self.errors)
        self.vexir("asset", "unpack", "grüße.txt", "copy.txt", code=1, message=r"has no header.*--plain")
        self.assertFalse(os.path.exists(self.path("copy.txt")))
        self.assertIn("copied (no header)", self.vexir("asset", "unpack", "--plain", "grüße.txt", "copy.txt"))
        self.assertEqual(self.read("copy.txt"), self.read("grüße.txt"))

    def test_command_lines_that_are_wrong_exit_2(self):
        for arguments, message in [
                (["bogus"], r"bogus"),
                (["asset"], r"vexir asset: "),
                (["asset", "pack", "grüße.txt"], r"OUT is required"),
                (["asset", "info", "a", "b"], r"not expected"),
                (["asset", "verify", "--quick", "x"], r"--quick"),
                (["color", "convert", "--from", "hsv", "180", "1", "1", "--to", "srgb"],
                 r"hue 180 is out of range \(0 to 1, not included\)"),
                (["color", "convert", "--from", "hsv", "1.5", "1", "1", "--to", "srgb"], r"hue 1.5 is out of range"),
                (["color", "convert", "--from", "hsv", "1", "1", "1", "--to", "srgb"], r"hue 1 is out of range"),
                (["color", "convert", "--from", "hsv", "0", "1.01", "1", "--to", "srgb"],
                 r"saturation 1.01 is out of range"),
                (["color", "convert", "--from", "bogus", "5", "0", "0", "--to", "srgb"], r"srgb, linear, hsv or xyz"),
                (["--version", "extra"], r"extra"),
                (["--version", "asset", "pack", "grüße.txt", "never.vxa"], r"--version: it takes no command"),
                (["sun", "--date", "1700-02-29", "--lat", "0", "--lon", "0"], r"not a calendar date"),
                (["sun", "--date", "+2024-2-3", "--lat", "0", "--lon", "0"], r"not a calendar date"),
                (["color", "convert", "--from", "srgb", "0x1p-1", "0", "0", "--to", "hsv"],
                 r'red "0x1p-1" is not a number'),
                (["color", "convert", "--from", "cmyk", "0", "0", "0", "--to", "hsv"], r"srgb, linear, hsv or xyz"),
                (["color", "daylight", "3000"], r"the temperature 3000 is out of range \(4000 to 25000\)"),
                (["color", "blackbody", "warm"], r'the temperature "warm" is not a number'),
                (["sun", "--date", "1582-10-10", "--lat", "0", "--lon", "0"], r"not a calendar date"),
                (["sun", "--date", "2026-02-29", "--lat", "0", "--lon", "0"], r"not a calendar date"),
                (["sun", "--date", "2000-01-01", "--lat", "91", "--lon", "0"], r"--lat 91 is out of range"),
                (["sun", "--date", "2000-01-01", "--lat", "0", "--lon", "0", "--from", "08:00", "--to", "07:00"],
                 r"after --to"),
                (["help", "nothing"], r'there is no command "nothing"')]:
            self.vexir(*arguments, code=2, message=message)
        self.assertFalse(os.path.exists(self.path("never.vxa")), "a command ran beside --version")

    def test_help_everywhere(self):
        for arguments in (["--help"], ["help"], ["help", "asset"], ["asset", "pack", "--help"], ["sun", "--help"],
                          ["color", "convert", "--help"], ["sysinfo", "--help"], ["tour", "--help"]):
            self.assertIn("Exit codes: 0 success, 1 the operation failed, 2 a wrong command line.",
                          self.vexir(*arguments), arguments)

    def test_values_the_calendar_and_zero(self):
        self.assertIn("Julian date  2268992.000000", self.vexir("sun", "--date", "1500-02-29", "--lat", "0",
                                                               "--lon", "0"))
        self.assertIn("Julian date  2299161.000000", self.vexir("sun", "--date", "1582-10-15", "--lat", "0",
                                                               "--lon", "0"))
        self.assertIn("Julian date  2299160.000000", self.vexir("sun", "--date", "1582-10-04", "--lat", "0",
                                                               "--lon", "0"))
        self.assertIn("Julian date  2305507.000000", self.vexir("sun", "--date", "1600-02-29", "--lat", "0",
                                                               "--lon", "0"))
        self.assertEqual(self.vexir("color", "convert", "--from", "hsv", "0.5", "1", "1", "--to", "srgb"),
                         "srgb 0 1 1\n")
        self.assertIn("linear sRGB        1.0000 0.1497 0.0000 ", self.vexir("color", "blackbody", "1500"))


if __name__ == "__main__":
    POEM = sys.argv[1]
    COMMAND[:] = sys.argv[2:]
    unittest.main(argv=sys.argv[:1], verbosity=2)
