#!/usr/bin/env python3
"""Cases of the library and profctl written as rows of a case file, with what
each must give, byte for byte, run against a profctl program.

    cases.py PROFCTL FILE.cases...

A case is a block of rows, one field each; every case starts from an empty
folder and runs once there:

    case NAME               starts the case
    file NAME BYTES         a file in the folder before the run
    folder NAME             an empty folder
    read-only NAME          the file loses its write permission bits
    run ARGUMENTS           profctl's arguments
    out BYTES               standard output        (default: nothing)
    err BYTES               standard error         (default: nothing)
    exit STATUS             the exit status        (default: 0)
    after NAME BYTES        a file after the run; with any, the folder holds
                            exactly these files, else exactly those before

BYTES is the rest of the row, with \\r \\n \\t \\\\ and \\xNN escapes.
ARGUMENTS are separated by spaces, with the same escapes (\\x20 for a space)
and "" for an empty one. Rows starting with '#' and empty rows are skipped.
The Wine tests run the same cases under profctl.exe (tests/wine/profctl_cases.py).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ESCAPE = re.compile(rb"\\(x[0-9A-Fa-f]{2}|[rnt\\])")
SIMPLE = {b"r": b"\r", b"n": b"\n", b"t": b"\t", b"\\": b"\\"}


def Unescape(text):
    return ESCAPE.sub(lambda m: bytes([int(m.group(1)[1:], 16)]) if m.group(1)[:1] == b"x"
                      else SIMPLE[m.group(1)], text)


class Case:
    def __init__(self, name, where):
        self.name = name
        self.where = where
        self.files = {}
        self.folders = []
        self.readOnly = []
        self.args = []
        self.out = b""
        self.err = b""
        self.status = 0
        self.after = None


def Parse(path):
    cases = []
    for number, row in enumerate(Path(path).read_bytes().split(b"\n"), 1):
        if not row.strip() or row.startswith(b"#"):
            continue
        field, _, rest = row.partition(b" ")
        where = f"{path}:{number}"
        if field == b"case":
            cases.append(Case(rest.decode(), where))
            continue
        if not cases:
            raise ValueError(f"{where}: a row before the first case")
        case = cases[-1]
        name, _, data = rest.partition(b" ")
        if field == b"file":
            case.files[name.decode()] = Unescape(data)
        elif field == b"folder":
            case.folders.append(rest.decode())
        elif field == b"read-only":
            case.readOnly.append(rest.decode())
        elif field == b"run":
            case.args = [b"" if a == b'""' else Unescape(a) for a in rest.split(b" ")]
        elif field in (b"out", b"err"):
            setattr(case, field.decode(), Unescape(rest))
        elif field == b"exit":
            case.status = int(rest)
        elif field == b"after":
            case.after = case.after or {}
            case.after[name.decode()] = Unescape(data)
        else:
            raise ValueError(f"{where}: unknown row {field!r}")
    for case in cases:
        if not case.args:
            raise ValueError(f"{case.where}: {case.name}: no run row")
    return cases


def Prepare(case, folder):
    """An empty folder holding what the case starts from."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for name, data in case.files.items():
        (folder / name).write_bytes(data)
    for name in case.folders:
        (folder / name).mkdir()
    for name in case.readOnly:
        (folder / name).chmod(0o444)


def Arguments(case):
    """The arguments as text that stands for their bytes."""
    return [os.fsdecode(a) for a in case.args]


def Differences(case, status, out, err, folder):
    """What the run gave that the case does not say, one line each."""
    files = {p.name: p.read_bytes() for p in sorted(folder.iterdir()) if p.is_file()}
    wanted = case.after if case.after is not None else case.files
    found = []
    for what, got, expected in (("exit", status, case.status), ("out", out, case.out), ("err", err, case.err),
                                ("files", files, wanted)):
        if got != expected:
            found.append(f"{case.where}: {case.name}: {what}: {got!r}, expected {expected!r}")
    return found


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__.split("\n\n")[1])
    program = str(Path(sys.argv[1]).resolve())
    cases = [case for path in sys.argv[2:] for case in Parse(path)]
    work = Path(tempfile.mkdtemp(prefix="profctl-cases-"))
    failures = []
    try:
        for case in cases:
            folder = work / "folder"
            Prepare(case, folder)
            done = subprocess.run([program, *Arguments(case)], cwd=folder, capture_output=True,
                                  stdin=subprocess.DEVNULL, timeout=30)
            failures += Differences(case, done.returncode, done.stdout, done.stderr, folder)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print(failure)
    print(f"{len(cases)} cases, {len(failures)} differences")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
