"""The machine with the card installed as Wine sees it, and what must be left
of it after the uninstall: the files of tests/data/card/wine, which the
hosted C++ tests read too. Wine's directories are C:\\windows and
C:\\windows\\system32, so its card is a tree of its own beside
examples/machine (whose system directory is C:\\WINDOWS\\SYSTEM): the lines
the uninstall removes name the system directory."""

from pathlib import Path

CARD = Path(__file__).resolve().parents[1] / "data" / "card" / "wine"
INSTALLED = CARD / "installed"
UNINSTALLED = CARD / "uninstalled"

# What Wine's GetWindowsDirectoryA and GetSystemDirectoryA return.
WINDIR = "C:\\windows"
SYSDIR = "C:\\windows\\system32"

REGEDIT_FILE = (INSTALLED / "registry.reg").read_bytes()

# The roots that `reg query /s` lists; every key of the file lies below one.
KEY_ROOTS = [
    r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall",
    r"HKEY_LOCAL_MACHINE\Enum",
    r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA",
]


def KeysOf(regText):
    """Every key a REGEDIT4 text holds, with the keys between it and its root
    (lower case): a key exists when a key below it does."""
    keys = set()
    for line in regText.decode("ascii").splitlines():
        line = line.strip()
        if not (line.startswith("[") and line.endswith("]")):
            continue
        key = line[1:-1].lower()
        for root in KEY_ROOTS:
            if key == root.lower() or key.startswith(root.lower() + "\\"):
                while len(key) >= len(root):
                    keys.add(key)
                    key = key.rsplit("\\", 1)[0]
    return keys


ALL_KEYS = KeysOf(REGEDIT_FILE)


def KeysLeft():
    return KeysOf((UNINSTALLED / "registry.reg").read_bytes())


def DriveFiles(root):
    """The files below root/c, by path below drive C:."""
    drive = root / "c"
    return {path.relative_to(drive).as_posix(): path.read_bytes()
            for path in sorted(drive.rglob("*")) if path.is_file()}


def DrivePaths(listFile):
    """The paths a list file names (one a line, below the machine folder),
    by path below drive C:."""
    return [line[len("c/"):] for line in (CARD / listFile).read_text().splitlines() if line]


PROGRAM = "windows/cpuninst.exe"
# Deleted at once, but for the program itself while it runs (Windows keeps
# a running program's file).
DELETED_AT_ONCE = [path for path in DrivePaths("uninstalled.deleted") if path != PROGRAM]
DELETED_AT_RESTART = DrivePaths("restarted.deleted")
SCRATCH = ["windows/system.$$$", "config.$$$", "autoexec.$$$"]
WININIT_PATH = "windows/wininit.ini"
WININIT_BAK_PATH = "windows/wininit.bak"


def Files(program):
    """The machine's files before the uninstall, by path below drive C:."""
    files = DriveFiles(INSTALLED)
    files[PROGRAM] = program
    return files


def WatchedPaths():
    return sorted(set(Files(b"")) | set(SCRATCH) | {WININIT_PATH, WININIT_BAK_PATH})


def WriteFiles(drive, files):
    for path, data in files.items():
        target = Path(drive) / path
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)


def ReadFiles(drive):
    """Each watched path and its bytes (None when it does not exist)."""
    result = {}
    for path in WatchedPaths():
        target = Path(drive) / path
        result[path] = target.read_bytes() if target.is_file() else None
    return result


def Expected(before, restarted, programRunning):
    """What the watched files must hold after OK, then No (restarted False)
    or Yes (restarted True)."""
    after = {path: before.get(path) for path in WatchedPaths()}
    after.update(DriveFiles(UNINSTALLED))
    wininit = after.pop(WININIT_PATH)
    for path in DELETED_AT_ONCE:
        after[path] = None
    if not programRunning:
        after[PROGRAM] = None
    if restarted:
        for path in DELETED_AT_RESTART + [PROGRAM]:
            after[path] = None
        after[WININIT_PATH] = None
        after[WININIT_BAK_PATH] = wininit
    else:
        after[WININIT_PATH] = wininit
    return after


def MachineIni():
    return (INSTALLED / "machine.ini").read_bytes()
