"""A machine with the card installed, as Wine sees it, and what must be left
of it after the uninstall. The same state feeds the hosted build through a
machine folder, so both builds can be compared."""

from pathlib import Path

# What Wine's GetWindowsDirectoryA and GetSystemDirectoryA return.
WINDIR = "C:\\windows"
SYSDIR = "C:\\windows\\system32"

REGEDIT_FILE = "\r\n".join([
    "REGEDIT4",
    "",
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\installCP]",
    r'"DisplayName"="Velmora Orvanel (TM)"',
    r'"UninstallString"="C:\\windows\\cpuninst.exe"',
    "",
    r"[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\OtherApp]",
    r'"DisplayName"="Other application"',
    "",
    r"[HKEY_LOCAL_MACHINE\Enum\PCMCIA\VELMORA-ORVANEL-4E7A]",
    "",
    r"[HKEY_LOCAL_MACHINE\Enum\PCMCIA\VELMORA-ORVANEL-4E7A\0]",
    r'"Driver"="MEDIA\\0001"',
    r'"DeviceDesc"="Velmora Orvanel PC Card audio"',
    "",
    r"[HKEY_LOCAL_MACHINE\Enum\PCMCIA\VELMORA-ORVANEL-4E7A\0\LogConfig]",
    r'"0000"=hex:01,02,03,04',
    "",
    r"[HKEY_LOCAL_MACHINE\Enum\PCMCIA\OTHER-CARD-1234\0]",
    r'"Driver"="MEDIA\\0000"',
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0000]",
    r'"DriverDesc"="Other card"',
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001]",
    r'"DriverDesc"="Velmora Orvanel PC Card audio"',
    "",
    # Siblings at each level: every child must go, not only the first.
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001\Drivers\wave\kt617.drv]",
    r'"Driver"="kt617.drv"',
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001\Drivers\midi\kt617mp.drv]",
    r'"Driver"="kt617mp.drv"',
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001\Drivers\mixer]",
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001\Config]",
    r'"Port"=dword:00000240',
    "",
    r"[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0002]",
    r'"DriverDesc"="Third card"',
    "",
    "",
]).encode("ascii")

# The roots that `reg query /s` lists; every key of the file lies below one.
KEY_ROOTS = [
    r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall",
    r"HKEY_LOCAL_MACHINE\Enum",
    r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA",
]

GONE_KEYS = [
    r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\installCP",
    r"HKEY_LOCAL_MACHINE\Enum\PCMCIA\VELMORA-ORVANEL-4E7A",
    r"HKEY_LOCAL_MACHINE\System\CurrentControlSet\Services\Class\MEDIA\0001",
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
    gone = [key.lower() for key in GONE_KEYS]
    return {key for key in ALL_KEYS if not any(key == g or key.startswith(g + "\\") for g in gone)}


SYSTEM_INI = (
    b"[boot]\r\n"
    b"shell=Explorer.exe\r\n"
    b"\r\n"
    b"[386Enh]\r\n"
    b"device=*vpicd\r\n"
    b"device = VKT617.386\r\n"
    b"\r\n"
    b"[drivers]\r\n"
    b"wave=kt617.drv\r\n"
    b"midi=kt617mp.drv\r\n"
    b"timer=timer.drv\r\n"
    b"midi2=kt617mp.drv\r\n"
    b"mixer=kt617.drv\r\n"
    b"\r\n"
    b"[mci]\r\n"
    b"wave=mciwave.dll\r\n"
)
SYSTEM_INI_AFTER = (
    b"[boot]\r\n"
    b"shell=Explorer.exe\r\n"
    b"\r\n"
    b"[386Enh]\r\n"
    b"device=*vpicd\r\n"
    b"\r\n"
    b"[drivers]\r\n"
    b"timer=timer.drv\r\n"
    b"\r\n"
    b"[mci]\r\n"
    b"wave=mciwave.dll\r\n"
)

CONFIG_SYS = (
    b"DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"
    b"DEVICEHIGH = C:\\WINDOWS\\SYSTEM32\\KT617MAP.SYS\r\n"
    b"DEVICEHIGH=C:\\WINDOWS\\SYSTEM32\\KT617MAP.SYS /X\r\n"
    b"devicehigh=c:\\windows\\system32\\hmx220.sys  /d:mscd001 /p:__KTXMGR /Q:10 /B:0x240\r\n"
    b"FILES=40\r\n"
)
CONFIG_SYS_AFTER = (
    b"DEVICE=C:\\WINDOWS\\HIMEM.SYS\r\n"
    b"DEVICEHIGH=C:\\WINDOWS\\SYSTEM32\\KT617MAP.SYS /X\r\n"
    b"FILES=40\r\n"
)

# Line feeds alone: the rewrite writes the DOS line ends.
AUTOEXEC_BAT = (
    b"@ECHO OFF\n"
    b"MSCDEX.EXE /D:MSCD001 /M:6 /V\n"
    b"C:\\WINDOWS\\COMMAND\\MSCDEX.EXE /D:MSCD001 /M:6 /V\n"
)
AUTOEXEC_BAT_AFTER = (
    b"@ECHO OFF\r\n"
    b"C:\\WINDOWS\\COMMAND\\MSCDEX.EXE /D:MSCD001 /M:6 /V\r\n"
)

WININIT = (
    b"[rename]\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\kt617.drv\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\kt617mp.drv\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\kt617ui.dll\r\n"
    b"NUL=C:\\windows\\kt617win.ini\r\n"
    b"NUL=C:\\windows\\cpuninst.exe\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\kt617pnp.vxd\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\vkt617.386\r\n"
    b"NUL=C:\\WINDOWS\\SYSTEM32\\kt617mgr.386\r\n"
)

# Paths below drive C:, as on Wine's disk.
DELETED_AT_ONCE = [
    "windows/kt617win.ini", "windows/readmecp.txt", "windows/system32/vkt617.386",
    "windows/system32/vkt617pnp.vxd", "windows/system32/kt617map.sys",
    "windows/system32/hmx220.sys", "windows/system32/hmx220xa.sys",
]
PROGRAM = "windows/cpuninst.exe"
DELETED_AT_RESTART = [
    "windows/system32/kt617.drv", "windows/system32/kt617mp.drv", "windows/system32/kt617ui.dll",
    "windows/system32/kt617pnp.vxd", "windows/system32/kt617mgr.386",
]
BYSTANDER = "windows/system32/hmx220.ini"
SCRATCH = ["windows/system.$$$", "config.$$$", "autoexec.$$$"]
WININIT_PATH = "windows/wininit.ini"
WININIT_BAK_PATH = "windows/wininit.bak"


def Files(program):
    """The machine's files before the uninstall, by path below drive C:."""
    files = {
        "windows/system.ini": SYSTEM_INI,
        "config.sys": CONFIG_SYS,
        "autoexec.bat": AUTOEXEC_BAT,
        PROGRAM: program,
        BYSTANDER: b"[hmx220]\r\nport=0x240\r\n",
    }
    for path in DELETED_AT_ONCE + DELETED_AT_RESTART:
        files[path] = ("card file " + path + "\r\n").encode()
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
    after["windows/system.ini"] = SYSTEM_INI_AFTER
    after["config.sys"] = CONFIG_SYS_AFTER
    after["autoexec.bat"] = AUTOEXEC_BAT_AFTER
    for path in DELETED_AT_ONCE:
        after[path] = None
    if not programRunning:
        after[PROGRAM] = None
    if restarted:
        for path in DELETED_AT_RESTART + [PROGRAM]:
            after[path] = None
        after[WININIT_BAK_PATH] = WININIT
    else:
        after[WININIT_PATH] = WININIT
    return after


def MachineIni():
    return (f"[directories]\r\nwindows={WINDIR}\r\nsystem={SYSDIR}\r\n").encode("ascii")
