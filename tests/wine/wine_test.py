#!/usr/bin/env python3
"""End-to-end tests of the Windows build under Wine.

    wine_test.py [paths] prefix          make the run's prefix (the CTest fixture)
    wine_test.py [paths] CASE            run one case on a copy of it
    wine_test.py [paths] cleanup         remove the run's prefixes
    wine_test.py [paths] binaries        check how the two programs are linked

The programs under test are the i686 build (--win32) under 32-bit Wine where
this machine runs 32-bit programs, else the x86_64 build of the same sources
(--win64) under wine64 (wine_mode.py). `binaries` always checks the i686 build.

Exit status 0 passed, 1 failed, 77 skipped (no Wine on this machine, unless
CPUNINST_REQUIRE_WINE is set, which makes a missing tool a failure).
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

import machine  # noqa: E402
import profctl_cases  # noqa: E402
import reliability_cases  # noqa: E402
from winebox import MODE, SKIP, Check, Failure, Finish, MakePrefix, MissingTools, Session  # noqa: E402


def WinePath(path):
    """A host path as Wine's drive Z: names it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def Describe(data):
    return "missing" if data is None else repr(data[:200])


def CompareFiles(actual, expected, what):
    wrong = [f"  {path}: {Describe(actual.get(path))}, expected {Describe(expected.get(path))}"
             for path in sorted(expected) if actual.get(path) != expected.get(path)]
    Check(not wrong, f"{what}:\n" + "\n".join(wrong))


def CompareKeys(actual, expected, what):
    missing = sorted(expected - actual)
    extra = sorted(actual - expected)
    Check(not missing and not extra,
          f"{what}: keys missing {missing}, keys that should be gone {extra}")


class Cases:
    def __init__(self, options):
        self.options = options
        # One folder per test run (the CTest process), so that two runs in
        # the same build tree never share a prefix.
        self.runs = Path(options.work)
        self.work = self.runs / f"run-{os.getppid()}"
        self.base = self.work / "prefix"
        build = Path(options.win64 if MODE.build == "win64" else options.win32)
        self.cpuninstExe = build / "uninstall" / "cpuninst.exe"
        self.profctlExe = build / "tools" / "profctl" / "profctl.exe"
        self.probeExe = build / "tests" / "wine" / "probe" / "commit_probe.exe"
        self.shipped = [Path(options.win32) / "uninstall" / "cpuninst.exe",
                        Path(options.win32) / "tools" / "profctl" / "profctl.exe"]
        self.boxes = Path(options.boxes)

    # The machine state, set up with Wine's own tools.
    def Prepare(self, session):
        regFile = session.prefix / "card.reg"
        regFile.write_bytes(machine.REGEDIT_FILE)
        session.ImportRegistry(WinePath(regFile))
        files = machine.Files(self.cpuninstExe.read_bytes())
        machine.WriteFiles(session.drive, files)
        before = machine.ReadFiles(session.drive)
        keys = self.Keys(session)
        Check(keys == machine.ALL_KEYS,
              f"regedit did not import the card's keys: missing {sorted(machine.ALL_KEYS - keys)}")
        return before

    def Keys(self, session):
        keys = set()
        for root in machine.KEY_ROOTS:
            keys |= session.KeysBelow(root)
        # Wine keeps keys of its own below these roots; only ours count.
        return keys & machine.ALL_KEYS

    def Session(self, name):
        Check(self.base.joinpath("system.reg").exists(), "the run's prefix is missing")
        return Session(self.base, self.work / name)

    def Confirm(self, session, program, key, picture=None):
        box = session.FindBox(program=program)
        if picture:
            session.Photograph(box, self.boxes / picture)
        session.Answer(box, key)

    def RunInWindows(self, session):
        # Run as a user would: from the copy in the Windows directory.
        return session.Start(machine.WINDIR + "\\cpuninst.exe")

    def cancel(self):
        with self.Session("cancel") as session:
            before = self.Prepare(session)
            program = self.RunInWindows(session)
            self.Confirm(session, program, "Escape")
            Check(session.NoBoxFor(30, program), "a second box came after Cancel")
            Check(Finish(program) == 0, "exit status after Cancel is not 0")
            CompareFiles(machine.ReadFiles(session.drive), before, "files after Cancel")
            CompareKeys(self.Keys(session), machine.ALL_KEYS, "registry after Cancel")

    def ok_no(self):
        with self.Session("ok-no") as session:
            self.UninstallWithoutRestart(session, photos=("confirm.png", "restart.png"))

    def win95(self):
        # Wine playing Windows 95: there its own RegDeleteKeyA takes the
        # subtree too, and the program must come to the same end.
        with self.Session("win95") as session:
            result = session.Wine("reg", "add", r"HKCU\Software\Wine", "/v", "Version", "/d", "win95", "/f")
            Check(result.returncode == 0, "could not make Wine play Windows 95")
            self.UninstallWithoutRestart(session)

    def UninstallWithoutRestart(self, session, photos=(None, None)):
        """OK, then No: every phase has run and nothing waits for a restart."""
        before = self.Prepare(session)
        program = self.RunInWindows(session)
        self.Confirm(session, program, "Return", photos[0])
        self.Confirm(session, program, "n", photos[1])
        Check(Finish(program) == 0, "exit status after No is not 0")
        # The files first: no later Wine call can have touched them.
        expected = machine.Expected(before, restarted=False, programRunning=True)
        CompareFiles(machine.ReadFiles(session.drive), expected, "files after OK, No")
        CompareKeys(self.Keys(session), machine.KeysLeft(), "registry after OK, No")

    def ok_yes(self):
        with self.Session("ok-yes") as session:
            before = self.Prepare(session)
            program = self.RunInWindows(session)
            self.Confirm(session, program, "Return")
            self.Confirm(session, program, "y")
            Check(Finish(program) == 0, "exit status after Yes is not 0")
            # ExitWindowsEx with EWX_REBOOT starts `wineboot --end-session`:
            # Wine's restart, which processes wininit.ini as a boot does.
            bak = session.drive / machine.WININIT_BAK_PATH
            ini = session.drive / machine.WININIT_PATH
            WaitFor(lambda: bak.exists() and not ini.exists(), 60, "the restart's wininit.ini processing")
            expected = machine.Expected(before, restarted=True, programRunning=True)
            CompareFiles(machine.ReadFiles(session.drive), expected, "files after OK, Yes and the restart")
            CompareKeys(self.Keys(session), machine.KeysLeft(), "registry after OK, Yes")

    def same_as_hosted(self):
        hosted = Path(self.options.hosted_cpuninst)
        Check(hosted.is_file(), f"no hosted cpuninst at {hosted}")
        # A read-only file is not deleted, on either build.
        readOnly = "windows/system32/hmx220xa.sys"
        with self.Session("same-as-hosted") as session:
            before = self.Prepare(session)
            (session.drive / readOnly).chmod(0o444)
            # From outside the Windows directory, so that its copy there is
            # not a running program and goes at once, as on the hosted build.
            program = session.Start(self.cpuninstExe.resolve())
            self.Confirm(session, program, "Return")
            self.Confirm(session, program, "n")
            Check(Finish(program) == 0, "exit status under Wine is not 0")
            wineFiles = machine.ReadFiles(session.drive)
            wineKeys = self.Keys(session)
        with tempfile.TemporaryDirectory(dir=self.work) as folder:
            drive = Path(folder) / "c"
            machine.WriteFiles(drive, machine.Files(self.cpuninstExe.read_bytes()))
            (drive / readOnly).chmod(0o444)
            Path(folder, "registry.reg").write_bytes(machine.REGEDIT_FILE)
            Path(folder, "machine.ini").write_bytes(machine.MachineIni())
            env = dict(os.environ, WIN95_MACHINE=folder)
            result = subprocess.run([hosted], env=env, input=b"ok\nno\n", capture_output=True, timeout=60)
            Check(result.returncode == 0, f"hosted cpuninst ended with {result.returncode}: {result.stderr!r}")
            hostedFiles = machine.ReadFiles(drive)
            hostedKeys = machine.KeysOf(Path(folder, "registry.reg").read_bytes())
        CompareFiles(wineFiles, hostedFiles, "Wine's files against the hosted build's")
        CompareKeys(wineKeys, hostedKeys, "Wine's registry against the hosted build's")
        # Both equal, and both right.
        expected = machine.Expected(before, restarted=False, programRunning=False)
        expected[readOnly] = before[readOnly]
        CompareFiles(wineFiles, expected, "files after OK, No")
        CompareKeys(wineKeys, machine.KeysLeft(), "registry after OK, No")

    def profctl(self):
        hosted = Path(self.options.hosted_profctl)
        Check(hosted.is_file(), f"no hosted profctl at {hosted}")
        with self.Session("profctl") as session:
            profctl_cases.RunAll(session, self.profctlExe.resolve(), hosted.resolve(), self.work)


    def reliability(self):
        hosted = Path(self.options.hosted_profctl)
        Check(hosted.is_file(), f"no hosted profctl at {hosted}")
        Check(self.probeExe.is_file(), f"no {self.probeExe}")
        with self.Session("reliability") as session:
            reliability_cases.RunAll(session, self.probeExe.resolve(), self.profctlExe.resolve(),
                                     hosted.resolve(), self.work)


# The DLLs every Windows 95 has; anything else would have to travel beside
# the program (msvcrt.dll came only with OSR2). tests/win95 checks each name.
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll"}
SUBSYSTEMS = {"cpuninst.exe": "Windows GUI", "profctl.exe": "Windows CUI"}


def CheckBinaries(programs):
    """Both programs link statically and are the right kind of program."""
    for program in programs:
        result = subprocess.run(["i686-w64-mingw32-objdump", "-p", program], capture_output=True,
                                timeout=60)
        Check(result.returncode == 0, f"objdump cannot read {program}")
        text = result.stdout.decode("ascii", errors="replace")
        dlls = {line.split(":", 1)[1].strip().lower() for line in text.splitlines()
                if line.strip().startswith("DLL Name:")}
        Check(dlls and dlls <= SYSTEM_DLLS, f"{program.name} needs DLLs beside it: {sorted(dlls - SYSTEM_DLLS)}")
        Check(f"({SUBSYSTEMS[program.name]})" in text, f"{program.name} is not a {SUBSYSTEMS[program.name]} program")
        Check("MajorSubsystemVersion\t4" in text, f"{program.name} does not start on Windows 4.0")


def WaitFor(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.1)
    raise Failure(f"timed out waiting for {what}")


CASES = {"cancel": "cancel", "ok-no": "ok_no", "win95": "win95", "ok-yes": "ok_yes",
         "same-as-hosted": "same_as_hosted", "profctl": "profctl", "reliability": "reliability"}


def RemoveRuns(runs, own):
    """Removes this run's folder, and those of runs that no longer live."""
    shutil.rmtree(own, ignore_errors=True)
    for folder in runs.glob("run-*"):
        try:
            os.kill(int(folder.name[4:]), 0)
        except ProcessLookupError:
            shutil.rmtree(folder, ignore_errors=True)
        except (ValueError, PermissionError):
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True, help="folder for the prefixes")
    parser.add_argument("--win32", required=True, help="the win32 build folder")
    parser.add_argument("--win64", required=True, help="the win64 build folder")
    parser.add_argument("--boxes", required=True, help="folder for the box pictures")
    parser.add_argument("--hosted-cpuninst", default="")
    parser.add_argument("--hosted-profctl", default="")
    parser.add_argument("what", choices=["prefix", "cleanup", "binaries", *CASES])
    options = parser.parse_args()
    cases = Cases(options)

    if options.what == "cleanup":
        RemoveRuns(cases.runs, cases.work)
        return 0
    required = bool(os.environ.get("CPUNINST_REQUIRE_WINE"))
    missing = [] if options.what == "binaries" else MissingTools()
    if options.what == "binaries" and shutil.which("i686-w64-mingw32-objdump") is None:
        missing.append("i686-w64-mingw32-objdump")
    programs = cases.shipped if options.what == "binaries" else (cases.cpuninstExe, cases.profctlExe)
    for exe in programs:
        if not exe.is_file():
            missing.append(str(exe))
    if missing:
        print(f"not available: {', '.join(missing)}", file=sys.stderr)
        return 1 if required else SKIP
    try:
        if options.what == "prefix":
            MakePrefix(cases.base)
        elif options.what == "binaries":
            CheckBinaries(cases.shipped)
        else:
            getattr(cases, CASES[options.what])()
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print(f"{options.what}: passed" + ("" if options.what == "binaries" else f" ({MODE.line})"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
