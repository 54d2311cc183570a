#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs a RIB file through procbox, as a renderer would.

usage: host.py [--procbox PATH] [--timeout SECONDS] FILE [keyword value ...]

Starts procbox with the keywords, reads its greeting, then copies FILE (or
standard input for -) to standard output. Each line that holds one whole
Procedural request is sent to procbox and its reply takes the line's place;
every other line is copied unchanged. A procbox that exits early, stalls or
breaks the protocol stops the run with a message and exit status 1.
"""

import argparse
import os
import select
import subprocess
import sys
import time

GREETING = b"Procedural\n"
END = b"\xff"
# procbox reads a line in pieces of at most this many bytes, line feed
# included, and answers each piece: a longer line would get several replies.
LONGEST = 999999


class Trouble(Exception):
    """A procbox that did not keep to the protocol; the text says how."""


def skipstring(line, i):
    """Index just past the string that opens at line[i], or -1 if it is not
    closed on this line. RIB strings take backslash escapes."""
    i += 1
    while i < len(line):
        if line[i : i + 1] == b"\\":
            i += 2
        elif line[i : i + 1] == b'"':
            return i + 1
        else:
            i += 1
    return -1


def ribtokens(line):
    """The tokens of a RIB line, a word as its bytes and a string or an
    array as "string" or "array"; None when a string or an array goes on
    past the end of the line."""
    tokens = []
    i = 0
    while True:
        while i < len(line) and line[i : i + 1].isspace():
            i += 1
        if i == len(line) or line[i : i + 1] == b"#":
            return tokens
        if line[i : i + 1] == b'"':
            i = skipstring(line, i)
            if i < 0:
                return None
            tokens.append("string")
        elif line[i : i + 1] == b"[":
            i += 1
            while i < len(line) and line[i : i + 1] != b"]":
                i = skipstring(line, i) if line[i : i + 1] == b'"' else i + 1
                if i < 0:
                    return None
            if i == len(line):
                return None
            i += 1
            tokens.append("array")
        else:
            start = i
            while i < len(line) and not line[i : i + 1].isspace() and line[i : i + 1] not in b'"[]#':
                i += 1
            tokens.append(line[start:i])


def iswholerequest(line):
    """True for a line that holds one Procedural request and nothing else:
    its name, a quoted procedural name, the argument array and the bound."""
    # A zero byte would hide the rest of the line from procbox, a 0xFF byte
    # would come back in an echo and end the reply too early, and a line
    # longer than a piece would be answered more than once.
    if b"\0" in line or END in line or len(line.rstrip(b"\n")) + 1 > LONGEST:
        return False
    return ribtokens(line) == [b"Procedural", "string", "array", "array"]


def send(proc, data, timeout, what):
    """Writes all of data to procbox's input, waiting at most timeout."""
    fd = proc.stdin.fileno()
    deadline = time.monotonic() + timeout
    while data:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([], [fd], [], remaining)[1]:
            raise Trouble(f"procbox did not read {what} within {timeout:g} seconds")
        try:
            data = data[os.write(fd, data) :]
        except BlockingIOError:
            continue
        except BrokenPipeError:
            raise Trouble(f"procbox {exitstatus(proc, timeout)} before it read {what}") from None


def receive(proc, end, timeout, what):
    """Reads procbox's output up to and including the byte end, waiting at
    most timeout. In strict turn-taking nothing may follow that byte."""
    fd = proc.stdout.fileno()
    data = b""
    deadline = time.monotonic() + timeout
    while end not in data:
        remaining = deadline - time.monotonic()
        if remaining <= 0 or not select.select([fd], [], [], remaining)[0]:
            raise Trouble(f"procbox sent no {what} within {timeout:g} seconds")
        chunk = os.read(fd, 65536)
        if not chunk:
            raise Trouble(f"procbox {exitstatus(proc, timeout)} before it finished its {what}")
        data += chunk
    if not data.endswith(end):
        raise Trouble(f"procbox wrote past the end of its {what}")
    return data


def exitstatus(proc, timeout):
    """How procbox ended, once its output has closed."""
    try:
        status = proc.wait(timeout)
    except subprocess.TimeoutExpired:
        return "closed its output"
    if status < 0:
        return f"was killed by signal {-status}"
    return f"exited with status {status}"


def run(proc, rib, out, timeout):
    greeting = receive(proc, b"\n", timeout, "greeting")
    if greeting != GREETING:
        raise Trouble(f"procbox greeted with {greeting!r}, not {GREETING!r}")
    for number, line in enumerate(rib, start=1):
        if not iswholerequest(line):
            out.write(line)
            continue
        what = f"reply to line {number}"
        # procbox answers only whole lines: the last one gets its line feed.
        send(proc, line if line.endswith(b"\n") else line + b"\n", timeout, f"line {number}")
        out.write(receive(proc, END, timeout, what)[:-1])
    proc.stdin.close()
    try:
        status = proc.wait(timeout)
    except subprocess.TimeoutExpired:
        raise Trouble(f"procbox did not exit within {timeout:g} seconds after its input ended") from None
    if status != 0:
        raise Trouble(f"procbox {exitstatus(proc, timeout)} at the end of its input")


def main():
    parser = argparse.ArgumentParser(description="Runs a RIB file through procbox, as a renderer would.")
    parser.add_argument("--procbox", default="procbox", help="the procbox program (default: procbox on PATH)")
    parser.add_argument("--timeout", type=float, default=30, help="seconds to wait for each reply (default: 30)")
    parser.add_argument("file", help="the RIB file, or - for standard input")
    parser.add_argument("words", nargs=argparse.REMAINDER, help="keywords and values for procbox")
    args = parser.parse_args()

    try:
        rib = sys.stdin.buffer if args.file == "-" else open(args.file, "rb")
    except OSError as error:
        sys.exit(f"host.py: cannot read {args.file}: {error.strerror}")
    try:
        proc = subprocess.Popen([args.procbox, *args.words], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    except OSError as error:
        sys.exit(f"host.py: cannot start {args.procbox}: {error.strerror}")
    os.set_blocking(proc.stdin.fileno(), False)

    with rib:
        try:
            run(proc, rib, sys.stdout.buffer, args.timeout)
        except Trouble as trouble:
            sys.stdout.flush()
            proc.kill()
            proc.wait()
            sys.exit(f"host.py: {trouble}")
        except BrokenPipeError:
            # The reader of our output has gone, as when it is piped into
            # head: stop quietly, like any filter.
            proc.kill()
            proc.wait()
            os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
            sys.exit(1)


if __name__ == "__main__":
    main()
