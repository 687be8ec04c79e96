#!/usr/bin/env python3
"""Which Windows build the Wine tests run, and under which Wine.

    wine_mode.py kernel   exit 0 when this kernel runs 32-bit x86 programs,
                          else 1 with the reason on standard output
    wine_mode.py line     the one line that says which way the Wine tests go
    wine_mode.py preset   the preset whose programs they run: win32 or win64

Where the kernel runs 32-bit programs and 32-bit Wine starts, the i686 build
(the shipped programs) runs under it. Elsewhere the same sources, built for
x86_64, run under wine64: every end-to-end check still meets the real Win32
API, Wine's registry and Wine's restart.
"""

import os
import subprocess
import sys
import tempfile
from dataclasses import dataclass

# Debian's loaders; /usr/bin/wine is a script that picks one of them.
WINE32_LOADER = "/usr/lib/wine/wine"
WINE64_LOADER = "/usr/lib/wine/wine64"


def _TinyI386Program():
    """A static 32-bit ELF program that only calls exit(0): 93 bytes, so the
    probe needs no 32-bit library installed."""
    code = bytes([0xB8, 1, 0, 0, 0,   # mov eax, 1 (exit)
                  0x31, 0xDB,         # xor ebx, ebx
                  0xCD, 0x80])        # int 0x80
    base, headers = 0x08048000, 52 + 32
    size = headers + len(code)
    elf = (b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
           + (2).to_bytes(2, "little") + (3).to_bytes(2, "little")       # executable, i386
           + (1).to_bytes(4, "little") + (base + headers).to_bytes(4, "little")
           + (52).to_bytes(4, "little") + bytes(4) + bytes(4)              # phoff, shoff, flags
           + (52).to_bytes(2, "little") + (32).to_bytes(2, "little")      # ehsize, phentsize
           + (1).to_bytes(2, "little") + bytes(6))                         # phnum, no sections
    segment = ((1).to_bytes(4, "little") + bytes(4) + base.to_bytes(4, "little")
               + base.to_bytes(4, "little") + size.to_bytes(4, "little")
               + size.to_bytes(4, "little") + (5).to_bytes(4, "little")   # read, execute
               + (0x1000).to_bytes(4, "little"))
    return elf + segment + code


def KernelRuns32Bit():
    """(True, "") or (False, why): starts the tiny program and sees."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, "probe32")
        with open(path, "wb") as probe:
            probe.write(_TinyI386Program())
        os.chmod(path, 0o755)
        try:
            result = subprocess.run([path], capture_output=True, timeout=10)
        except OSError as error:
            return False, f"a 32-bit program fails to start: {error.strerror}"
        except subprocess.TimeoutExpired:
            return False, "a 32-bit program did not end"
        if result.returncode != 0:
            return False, f"a 32-bit program ends with status {result.returncode}"
    return True, ""


def _Starts(loader):
    """(True, "") when `loader --version` runs, else (False, why)."""
    if not os.access(loader, os.X_OK):
        return False, f"{loader} is not installed"
    try:
        result = subprocess.run([loader, "--version"], capture_output=True, timeout=60)
    except OSError as error:
        return False, f"{loader}: {error.strerror}"
    except subprocess.TimeoutExpired:
        return False, f"{loader} --version did not end"
    if result.returncode != 0:
        return False, f"{loader} --version ends with status {result.returncode}"
    return True, ""


@dataclass
class Mode:
    arch: str        # WINEARCH: win32 or win64
    build: str       # the preset whose programs run: win32 or win64
    loader: str      # the Wine loader to start programs with
    line: str        # what the test command says about it
    usable: bool     # False: neither way can run the Wine tests
    missing: str = ""


def Choose():
    kernelOk, kernelWhy = KernelRuns32Bit()
    if kernelOk:
        wine32Ok, wine32Why = _Starts(WINE32_LOADER)
        if wine32Ok:
            return Mode("win32", "win32", WINE32_LOADER, "Wine: 32-bit (i686 build)", True)
        why = f"32-bit Wine does not start: {wine32Why}"
    else:
        why = f"this kernel cannot run 32-bit programs ({kernelWhy})"
    wine64Ok, wine64Why = _Starts(WINE64_LOADER)
    if wine64Ok:
        return Mode("win64", "win64", WINE64_LOADER,
                    f"Wine: {why}; running the Wine tests on the x86_64 build under wine64", True)
    return Mode("win64", "win64", WINE64_LOADER, f"Wine: none can run ({why}; {wine64Why})",
                False, f"{why}, and {wine64Why} (apt-get install wine64)")


def main(argv):
    if argv[1:] == ["kernel"]:
        ok, why = KernelRuns32Bit()
        if not ok:
            print(why)
        return 0 if ok else 1
    if argv[1:] == ["line"]:
        print(Choose().line)
        return 0
    if argv[1:] == ["preset"]:
        print(Choose().build)
        return 0
    print(__doc__.strip(), file=sys.stderr)
    return 64


if __name__ == "__main__":
    sys.exit(main(sys.argv))
