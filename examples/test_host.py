#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Tests of the example host: the scene through the real procbox, and the
reports on a procbox that exits, stalls or breaks the protocol, played by
small shell scripts. PROCBOX names the procbox binary."""

import os
import pathlib
import stat
import subprocess
import sys
import tempfile
import unittest

HERE = pathlib.Path(__file__).resolve().parent
HOST = HERE / "host.py"
# The keywords of the README's example run.
WORDS = "replace 0 surface constant linewidth 0.02 linecolor 1 0 0 cornerwidth 0.1 cornercolor 1 1 0 " \
        "boxalpha 0.25 boxcolor 0 0 1".split()


def runhost(procbox, *args, rib=None, timeout=60):
    """Runs the host; a RIB text given as rib is its standard input."""
    command = [sys.executable, str(HOST), "--procbox", str(procbox), *args]
    return subprocess.run(command, input=rib, capture_output=True, timeout=timeout)


class Scene(unittest.TestCase):
    def test_scene_gives_the_expected_file(self):
        result = runhost(os.environ["PROCBOX"], str(HERE / "scene.rib"), *WORDS)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, b"")
        # Compared whole: the file is a few kilobytes.
        self.assertEqual(result.stdout, (HERE / "scene-boxes.rib").read_bytes())

    def test_lines_that_are_not_whole_requests_are_not_sent(self):
        # Every line here would get a box or vanish if it reached procbox.
        rib = (
            b'Procedural "DelayedReadArchive" ["a.rib"] [0 1 0 1 0 1] AttributeEnd\n'
            b'Procedural "DelayedReadArchive" ["a.rib"]\n'
            b"  [0 1 0 1 0 1]\n"
            b'Procedural "DelayedReadArchive" ["\xff.rib"] [0 1 0 1 0 1]\n'
            b'Procedural "DelayedReadArchive" ["a\0.rib"] [0 1 0 1 0 1]\n'
            b'Procedural "a" [] [0 1 0 1 0 1' + b" " * 1000000 + b"]\n"
        )
        result = runhost(os.environ["PROCBOX"], "-", rib=rib)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, rib)

    def test_last_line_without_a_line_feed_is_answered(self):
        result = runhost(os.environ["PROCBOX"], "-", "boxalpha", "0", rib=b'Procedural "a" [] [0 1 0 1 0 1]')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, b'AttributeBegin\nSurface "defaultsurface"\nAttributeEnd\n')


# A procbox stand-in for each way of failing, and the report it must draw.
# Line 2 of the input is the first request.
FAILURES = [
    ("missing", None, "cannot start"),
    ("exits at once", "exit 3", "procbox exited with status 3 before it finished its greeting"),
    ("wrong greeting", "echo Hello", "procbox greeted with b'Hello\\n', not b'Procedural\\n'"),
    ("no greeting", "exec sleep 60", "procbox sent no greeting within 0.5 seconds"),
    ("exits mid-reply", "echo Procedural; read line; printf Attr; exit 0",
     "procbox exited with status 0 before it finished its reply to line 2"),
    ("killed", "echo Procedural; read line; kill -9 $$", "procbox was killed by signal 9 before it finished its reply to line 2"),
    ("stalls", "echo Procedural; read line; exec sleep 60", "procbox sent no reply to line 2 within 0.5 seconds"),
    ("talks past its end byte", "echo Procedural; read line; printf '\\377more'; exec sleep 60",
     "procbox wrote past the end of its reply to line 2"),
    ("fails at the end", "echo Procedural; while read line; do printf '\\377'; done; exit 4",
     "procbox exited with status 4 at the end of its input"),
    ("does not stop", "echo Procedural; while read line; do printf '\\377'; done; exec sleep 60",
     "procbox did not exit within 0.5 seconds after its input ended"),
]


class Failures(unittest.TestCase):
    def test_each_failure_is_reported(self):
        rib = b'# first line\nProcedural "a" [] [0 1 0 1 0 1]\nWorldEnd\n'
        with tempfile.TemporaryDirectory() as folder:
            for name, script, message in FAILURES:
                with self.subTest(name):
                    program = pathlib.Path(folder, name.replace(" ", "-"))
                    if script is not None:
                        program.write_text(f"#!/bin/sh\n{script}\n")
                        program.chmod(stat.S_IRWXU)
                    result = runhost(program, "--timeout", "0.5", "-", rib=rib)
                    self.assertEqual(result.returncode, 1, result.stderr)
                    self.assertIn(message, result.stderr.decode())
                    self.assertTrue(result.stderr.decode().startswith("host.py: "))


if __name__ == "__main__":
    unittest.main()
