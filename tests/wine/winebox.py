"""Running the Windows build under Wine: prefixes, sessions, real message boxes.

Every wait is bounded, so a box that never comes (or never goes) fails the
test instead of hanging it.
"""

import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

import wine_mode

BOX_TITLE = "VLMR Calliphon Un-Install"
# No window manager runs under Xvfb; without one Wine leaves the title bar
# off, so it is asked to draw the frame itself (the pictures show the title).
DECORATION_KEY = r"HKCU\Software\Wine\X11 Driver"

SKIP = 77  # CTest's skip code for a machine without Wine

# Which Wine runs the programs: 32-bit where this machine can, else wine64.
MODE = wine_mode.Choose()


class Failure(Exception):
    pass


def Check(condition, message):
    if not condition:
        raise Failure(message)


def MissingTools():
    """What keeps the Wine tests from running here, each with its reason."""
    tools = ["wineserver", "Xvfb", "xdotool", "import"]
    missing = [tool for tool in tools if shutil.which(tool) is None]
    if not MODE.usable:
        missing.append(MODE.missing)
    return missing


def WineEnvironment(prefix, display=None):
    env = dict(os.environ)
    env.update(
        WINEPREFIX=str(prefix),
        WINEARCH=MODE.arch,
        WINELOADER=MODE.loader,
        WINEDEBUG="-all",
        WINEDLLOVERRIDES="mscoree,mshtml=",
        LC_ALL="C",
    )
    # Wine wants a home; CI may give none.
    env.setdefault("HOME", str(Path(prefix).parent))
    env.pop("DISPLAY", None)
    if display:
        env["DISPLAY"] = display
    return env


def Run(command, env, timeout, stdin=None, cwd=None, quiet=False):
    """Runs a command to its end; a hung one is killed and fails the test.
    quiet: for a command that leaves processes behind, which would hold the
    output pipes open."""
    output = subprocess.DEVNULL if quiet else subprocess.PIPE
    try:
        return subprocess.run(command, env=env, cwd=cwd, input=stdin, stdout=output,
                              stderr=output, timeout=timeout,
                              stdin=subprocess.DEVNULL if stdin is None else None)
    except subprocess.TimeoutExpired:
        raise Failure(f"timed out after {timeout} s: {' '.join(map(str, command))}")


def StopServer(env):
    subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=30)


def MakePrefix(prefix):
    """One fresh prefix per test run; the cases work on copies."""
    if prefix.exists():
        shutil.rmtree(prefix)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    env = WineEnvironment(prefix)
    try:
        result = Run([MODE.loader, "wineboot", "-i"], env, timeout=180, quiet=True)
        Check(result.returncode == 0, "wineboot -i failed")
        result = Run([MODE.loader, "reg", "add", DECORATION_KEY, "/v", "Decorated", "/d", "N", "/f"],
                     env, timeout=60)
        Check(result.returncode == 0, "could not set the X11 decoration value")
        # The registry reaches the disk only when the server ends.
        Run(["wineserver", "-w"], env, timeout=60)
    finally:
        StopServer(env)
    Check((prefix / "system.reg").exists(), "the new prefix has no system.reg")


class Display:
    """A virtual X display of our own, on a free number chosen by Xvfb."""

    def __init__(self):
        read, write = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read, "rb") as pipe:
            os.set_blocking(pipe.fileno(), False)
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                try:
                    number += pipe.read() or b""
                except BlockingIOError:
                    pass
                if self.process.poll() is not None:
                    break
                time.sleep(0.05)
        if not number.strip().isdigit():
            self.Close()
            raise Failure("Xvfb did not start")
        self.name = ":" + number.strip().decode()

    def Close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()


class Session:
    """One case: a copy of the run's prefix, a display, and a Wine server kept
    alive for the whole case. A fresh server would boot the prefix, and Wine's
    boot processes wininit.ini, so keeping one server means nothing but the
    restart under test ever does that."""

    def __init__(self, base, prefix):
        if prefix.exists():
            shutil.rmtree(prefix)
        shutil.copytree(base, prefix, symlinks=True)
        self.prefix = prefix
        self.drive = prefix / "drive_c"
        self.display = Display()
        self.env = WineEnvironment(prefix, self.display.name)
        self.xenv = dict(self.env)
        try:
            Run(["wineserver", "-p"], self.env, timeout=30, quiet=True)
            # The boot, whose services stay for the whole case.
            Run([MODE.loader, "wineboot"], self.env, timeout=60, quiet=True)
        except BaseException:
            self.__exit__(Failure, None, None)
            raise

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        StopServer(self.env)
        self.display.Close()
        if exc[0] is None and not os.environ.get("CPUNINST_KEEP_PREFIX"):
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    def Wine(self, *args, timeout=60, stdin=None, cwd=None):
        return Run([MODE.loader, *map(str, args)], self.env, timeout, stdin=stdin, cwd=cwd)

    def Start(self, *args):
        return subprocess.Popen([MODE.loader, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def ImportRegistry(self, regFile):
        # regedit does not report a bad file in its exit status; the cases
        # check the keys they rely on.
        result = self.Wine("regedit", "/S", regFile)
        Check(result.returncode == 0, f"regedit failed on {regFile}")

    def KeysBelow(self, root):
        """Every key at or below root (lower case), from `reg query /s`."""
        result = self.Wine("reg", "query", root, "/s")
        if result.returncode != 0:
            return set()
        keys = {root.lower()}  # listed only when it holds values
        for line in result.stdout.decode("ascii", errors="replace").splitlines():
            line = line.strip()
            if line.upper().startswith("HKEY_"):
                keys.add(line.lower())
        return keys

    def FindBox(self, timeout=30, program=None):
        """The window id of the visible box with the program's title."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = subprocess.run(
                ["xdotool", "search", "--onlyvisible", "--name", f"^{BOX_TITLE}$"],
                env=self.xenv, capture_output=True, timeout=10)
            ids = found.stdout.split()
            if ids:
                return ids[0].decode()
            if program is not None and program.poll() is not None:
                raise Failure(f"the program ended (status {program.returncode}) without a box")
            time.sleep(0.1)
        raise Failure(f"no box titled {BOX_TITLE!r} within {timeout} s")

    def Photograph(self, window, picture):
        picture.parent.mkdir(parents=True, exist_ok=True)
        time.sleep(0.5)  # let Wine paint the box
        taken = picture.with_name(f".{os.getpid()}.{picture.name}")
        Run(["import", "-window", window, str(taken)], self.xenv, timeout=30)
        Check(taken.exists() and taken.stat().st_size > 0, f"no picture {picture}")
        colours = Run(["identify", "-format", "%k", str(taken)], self.xenv, timeout=30)
        Check(int(colours.stdout or b"0") > 2, f"{picture} is blank")
        os.replace(taken, picture)

    def Answer(self, window, key, timeout=20):
        """Presses a key in the box and waits until that box has gone."""
        Run(["xdotool", "key", "--window", window, key], self.xenv, timeout=10)
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{BOX_TITLE}$"],
                                   env=self.xenv, capture_output=True, timeout=10)
            if window.encode() not in found.stdout.split():
                return
            time.sleep(0.1)
        raise Failure(f"the box did not close on {key}")

    def NoBoxFor(self, seconds, program):
        """True when no box appears while the program ends (or for `seconds`)."""
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{BOX_TITLE}$"],
                                   env=self.xenv, capture_output=True, timeout=10)
            if found.stdout.split():
                return False
            if program.poll() is not None:
                return True
            time.sleep(0.1)
        return True


def Finish(program, timeout=30):
    """The program's exit status; a program that does not end fails the test."""
    try:
        program.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        program.send_signal(signal.SIGKILL)
        program.wait()
        raise Failure("the program did not end")
    return program.returncode
