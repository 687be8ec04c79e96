"""The library's operations through profctl: profctl.exe under Wine must give
the same bytes as the hosted profctl (standard output and error, exit status,
and every file left in the folder), and what the case files of tests/cases
say."""

import shutil
import subprocess
import sys
from pathlib import Path

from winebox import Check, Failure

CASES_FOLDER = Path(__file__).resolve().parent.parent / "cases"
sys.path.insert(0, str(CASES_FOLDER))
import cases as case_files  # noqa: E402

SYSTEM_INI = (
    b"[boot]\r\n"
    b"shell=Explorer.exe\r\n"
    b"[drivers]\r\n"
    b"wave=kt617.drv\r\n"
    b"Midi = kt617mp.drv ; old\r\n"
    b"timer=timer.drv\r\n"
    b"[386Enh]\r\n"
    b"device = VKT617.386\r\n"
    b"wave=not.this.one\r\n"
)
# Line feeds alone, a lone CR, a Ctrl-Z and bytes behind it.
LOOSE_INI = b"[drivers]\nwave=a.drv\rkept\nmidi=b.drv\n\x1a[tail]\nwave=x\n"
SB_INI = b"[sb]\r\nport=0x220\r\nirq=5\r\nname=  blaster  \t\r\n[last one ]\r\nx=1"
CONFIG_SYS = (
    b"DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"
    b"DEVICEHIGH = C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS\r\n"
    b"DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS /X\r\n"
)
LONG_INI = b"[drivers]\r\n" + b"wave=" + b"x" * 295 + b"\r\nmidi=m.drv\r\nwave=w.drv\r\n"

# Several times the streams' 64 KiB buffer, the key to remove in the middle.
BIG_INI = b"".join(b"[s%d]\r\nwave=%d.drv\r\nmidi=m%d.drv\r\n" % (i, i, i) for i in range(12000))

FILES = {"system.ini": SYSTEM_INI, "loose.ini": LOOSE_INI, "sb.ini": SB_INI,
         "config.sys": CONFIG_SYS, "long.ini": LONG_INI, "profile": SYSTEM_INI,
         "big.ini": BIG_INI}

# (name, arguments); every case starts from FILES.
CASES = [
    ("delete-line, normalised", ["delete-line", "config.sys", "devicehigh=c:\\windows\\system\\kt617map.sys", "3"]),
    ("delete-line, no match", ["delete-line", "config.sys", "DEVICE=C:\\NOTHING.SYS", "3"]),
    ("delete-line, exact", ["delete-line", "config.sys", "DEVICE=C:\\WINDOWS\\HIMEM.SYS\n"]),
    ("delete-key", ["delete-key", "-s", "drivers", "system.ini", "wave"]),
    ("delete-key, other case", ["delete-key", "-s", "DRIVERS", "system.ini", "midi"]),
    ("delete-key, absent key", ["delete-key", "-s", "drivers", "system.ini", "mixer"]),
    ("delete-key, missing file", ["delete-key", "-s", "drivers", "nofile.ini", "wave"]),
    ("delete-key, path without a dot", ["delete-key", "-s", "drivers", "profile", "wave"]),
    ("delete-key, loose line ends", ["delete-key", "-s", "drivers", "loose.ini", "midi"]),
    ("delete-key, long line", ["delete-key", "-s", "drivers", "long.ini", "wave"]),
    ("replace-key", ["replace-key", "-s", "drivers", "system.ini", "timer", "timer=new timer.drv"]),
    ("replace-key, remove", ["replace-key", "-s", "drivers", "system.ini", "timer"]),
    ("add-line", ["add-line", "-s", "drivers", "system.ini", "mixer=kt617.drv"]),
    ("add-line, new section after an open last line", ["add-line", "-s", "new", "sb.ini", "a=b"]),
    ("add-hex", ["add-hex", "-s", "sb", "sb.ini", "dma", "0x1f"]),
    ("add-int", ["add-int", "-s", "sb", "sb.ini", "bias", "-5"]),
    ("set, replace", ["set", "-s", "drivers", "system.ini", "wave", "kt618.drv"]),
    ("set, new section", ["set", "-s", "mci", "system.ini", "cdaudio", "mcicda.drv"]),
    ("set, remove", ["set", "-s", "drivers", "system.ini", "wave"]),
    ("set-unsigned", ["set-unsigned", "-s", "sb", "sb.ini", "irq", "4294967295"]),
    ("set-hex", ["set-hex", "-s", "sb", "sb.ini", "port", "0x330"]),
    ("get", ["get", "-s", "drivers", "system.ini", "wave"]),
    ("get, blanks trimmed", ["get", "-s", "sb", "sb.ini", "name"]),
    ("get, default", ["get", "-s", "drivers", "system.ini", "mixer", "none"]),
    ("get, null", ["get", "-s", "drivers", "system.ini", "mixer"]),
    ("get, after a Ctrl-Z", ["get", "-s", "tail", "loose.ini", "wave", "unread"]),
    ("get-hex", ["get-hex", "-s", "sb", "sb.ini", "port", "0"]),
    ("get-unsigned", ["get-unsigned", "-s", "sb", "sb.ini", "irq", "7"]),
    ("last-section", ["last-section", "sb.ini", "none"]),
    ("walk", ["walk", "-s", "drivers", "system.ini"]),
    ("walk, traced", ["walk", "-s", "drivers", "--trace", "loose.ini"]),
    ("walk, missing file", ["walk", "-s", "drivers", "--trace", "nofile.ini"]),
    ("walk, from a position", ["walk", "-s", "drivers", "-o", "3", "-p", "28", "--trace", "system.ini"]),
    ("delete-key, big file", ["delete-key", "-s", "s6000", "big.ini", "wave"]),
    ("get, big file", ["get", "-s", "s11999", "big.ini", "midi"]),
    ("walk, big file", ["walk", "-s", "s9000", "--trace", "big.ini"]),
    ("usage: bad number", ["add-int", "-s", "sb", "sb.ini", "irq", "12abc"]),
    ("usage: unknown subcommand", ["frobnicate", "sb.ini"]),
    # Options as getopt_long reads them, in both C libraries.
    ("section glued", ["get", "-ssb", "sb.ini", "irq"]),
    ("section with =", ["get", "--section=sb", "sb.ini", "irq"]),
    ("section abbreviated", ["get", "--sec", "sb", "sb.ini", "irq"]),
    ("quiet in a cluster", ["get", "-qssb", "sb.ini", "dma"]),
    ("a lone dash is a file", ["get", "-", "k", "d"]),
    ("options end at the first operand", ["get", "sb.ini", "missing", "-s"]),
    ("help", ["help"]),
    ("help after the subcommand", ["walk", "-h"]),
    ("version", ["--version"]),
    ("usage: unknown letter", ["get", "-qx", "sb.ini", "irq"]),
    ("usage: unknown long option", ["get", "--colour=never", "sb.ini", "irq"]),
    ("usage: flag given a value", ["walk", "-s", "sb", "--trace=1", "sb.ini"]),
    ("usage: missing value", ["get", "--section"]),
    ("usage: section twice", ["get", "-s", "a", "--section=b", "sb.ini", "k"]),
    ("usage: option before the subcommand", ["-q", "get", "sb.ini", "irq"]),
    # The diagnostic line of exit status 1.
    ("why: section not found", ["delete-key", "-s", "nosuch", "system.ini", "wave"]),
    ("why: key not found", ["get", "-s", "sb", "sb.ini", "nokey"]),
    ("why: no line matches", ["delete-line", "config.sys", "nothing", "0"]),
    ("why: scratch name", ["delete-key", "system.$$$", "wave"]),
    ("why: line too long", ["set", "sb.ini", "k" * 100, "v" * 27]),
    ("why: quiet", ["delete-key", "-q", "-s", "nosuch", "system.ini", "wave"]),
    ("why: folder as file", ["get", "sub.ini", "k"]),
]

# Cases that need more than FILES: (name, arguments, extra files, read-only files).
# A file without write permission is read-only on both builds.
SPECIAL_CASES = [
    ("delete-key, read-only file", ["delete-key", "-s", "drivers", "system.ini", "wave"],
     {}, ["system.ini"]),
    ("delete-line, read-only file", ["delete-line", "config.sys", "FILES=40", "3"],
     {"config.sys": CONFIG_SYS + b"FILES=40\r\n"}, ["config.sys"]),
    ("set, read-only scratch file", ["set", "-s", "drivers", "system.ini", "wave", "x.drv"],
     {"system.$$$": b"old scratch\r\n"}, ["system.$$$"]),
    ("delete-key, stale scratch file emptied", ["delete-key", "-s", "drivers", "system.ini", "wave"],
     {"system.$$$": b"old scratch\r\n"}, []),
]


def Fill(folder, extra, readOnly):
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name, data in {**FILES, **extra}.items():
        (folder / name).write_bytes(data)
    (folder / "sub.ini").mkdir()
    for name in readOnly:
        (folder / name).chmod(0o444)


def Contents(folder):
    return {path.name: path.read_bytes() for path in sorted(folder.iterdir()) if path.is_file()}


def Outcome(result, folder):
    return {"status": result.returncode, "stdout": result.stdout, "stderr": result.stderr,
            "files": Contents(folder)}


def RunAll(session, windowsProgram, hostedProgram, work):
    failures = []
    hostedFolder = work / "profctl-hosted"
    wineFolder = work / "profctl-wine"
    cases = [(name, args, {}, []) for name, args in CASES] + SPECIAL_CASES
    for name, args, extra, readOnly in cases:
        Fill(hostedFolder, extra, readOnly)
        hosted = subprocess.run([hostedProgram, *args], cwd=hostedFolder, capture_output=True,
                                stdin=subprocess.DEVNULL, timeout=30)
        expected = Outcome(hosted, hostedFolder)
        Fill(wineFolder, extra, readOnly)
        # Wine maps the working folder to Z:, so relative names match.
        actual = Outcome(session.Wine(windowsProgram, *args, cwd=wineFolder), wineFolder)
        for part in expected:
            if actual[part] != expected[part]:
                failures.append(f"  {name}: {part} differs: Wine {Short(actual[part])}, hosted {Short(expected[part])}")
    shutil.rmtree(hostedFolder, ignore_errors=True)
    shutil.rmtree(wineFolder, ignore_errors=True)
    rows, differences = RunCaseFiles(session, windowsProgram, work)
    Check(not failures and not differences, "profctl.exe differs from the hosted profctl or the case files:\n" +
          "\n".join(failures + differences))
    print(f"{len(cases)} profctl cases gave the same bytes; {rows} cases of the case files held")


def RunCaseFiles(session, windowsProgram, work):
    """Every case of the case files, under profctl.exe."""
    folder = work / "profctl-case-files"
    differences = []
    ran = 0
    for path in sorted(CASES_FOLDER.glob("*.cases")):
        for case in case_files.Parse(path):
            case_files.Prepare(case, folder)
            result = session.Wine(windowsProgram, *case_files.Arguments(case), cwd=folder)
            differences += case_files.Differences(case, result.returncode, result.stdout, result.stderr, folder)
            ran += 1
    shutil.rmtree(folder, ignore_errors=True)
    return ran, differences


def Short(value):
    text = repr(value)
    return text if len(text) <= 400 else text[:400] + "..."
