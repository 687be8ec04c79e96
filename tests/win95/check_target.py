#!/usr/bin/env python3
"""Checks that the Windows programs run on every Windows 95 machine, from the
.exe files alone (objdump, no Wine):

- no instruction a 486 lacks (cmov, fcmov, fcomi, fucomi, cmpxchg8b, cpuid,
  rdtsc, multi-byte nops, MMX, SSE, ...), in our code or any runtime linked;
- imports only from KERNEL32, USER32 and ADVAPI32, each a name retail Windows
  95 exports (win95_exports.txt, with its sources) and implements;
- PE headers that ask for Windows 4.0.

    check_target.py [--objdump PROGRAM] BUILD [MORE_BUILDS]

BUILD is the win32 preset's build folder (its uninstall/cpuninst.exe and
tools/profctl/profctl.exe are checked in full). A further build of the x86_64
programs is checked for its DLLs only: it must use the same runtime, so no C
runtime DLL either. Exit status 0 passed, 1 failed, 77 skipped (no build; a
failure instead when CPUNINST_REQUIRE_WINE is set, as scripts/test does).
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

PROGRAMS = ("uninstall/cpuninst.exe", "tools/profctl/profctl.exe")
EXPORTS = Path(__file__).resolve().parent / "win95_exports.txt"
SKIP = 77

# Instructions a 486 lacks, by mnemonic prefix (the P6 conditional moves and
# compares) and by whole mnemonic (Pentium and later).
LACKING_PREFIXES = ("cmov", "fcmov", "fcomi", "fucomi", "prefetch", "xsave", "xrstor")
LACKING = {
    "cmpxchg8b", "cmpxchg16b", "cpuid", "rdtsc", "rdtscp", "rdpmc", "rdmsr", "wrmsr", "rsm",
    "sysenter", "sysexit", "syscall", "sysret", "ud2", "emms", "femms", "fisttp", "fisttpl",
    "fisttpll", "fisttps", "lfence", "mfence", "sfence", "clflush", "movnti", "popcnt", "lzcnt",
    "tzcnt", "movbe", "crc32", "xgetbv", "rdrand", "rdseed", "endbr32", "endbr64", "nopl", "nopw",
}
# Registers a 486 does not have: MMX, SSE and later.
LACKING_REGISTERS = re.compile(r"%(mm\d|[xyz]mm\d+|k\d)\b")
# Data the linker puts in .text: the constructor and destructor lists.
DATA_IN_TEXT = re.compile(r"^_*[CD]TOR_LIST__$")

INSTRUCTION = re.compile(r"^\s*([0-9a-f]+):\t(.*)$")
SYMBOL = re.compile(r"^[0-9a-f]+ <(.+)>:$")
IMPORT = re.compile(r"^\t[0-9a-f]+\t\s*\d+\s+(\S+)$")

ALLOWED_DLLS = ("kernel32.dll", "user32.dll", "advapi32.dll")
# Unicode calls Windows 95 implements ("Windows 95 General Limitations").
UNICODE_IMPLEMENTED = {"MessageBoxW", "MessageBoxExW"}
PE_VERSIONS = ("MajorOSystemVersion\t4", "MinorOSystemVersion\t0",
               "MajorSubsystemVersion\t4", "MinorSubsystemVersion\t0")


def ReadExports(path):
    """{dll: set of names} from the list, DLL names in lower case."""
    exports = {}
    names = None
    for line in path.read_text(encoding="ascii").splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        if line.startswith("[") and line.endswith("]"):
            names = exports.setdefault(line[1:-1].lower() + ".dll", set())
        elif names is not None:
            names.add(line)
    return exports


def LacksOn486(instruction):
    """Whether one disassembled instruction (mnemonic and operands) needs a
    CPU after the 486."""
    parts = instruction.split(None, 1)
    if not parts:
        return False
    mnemonic = parts[0]
    operands = parts[1] if len(parts) > 1 else ""
    if mnemonic in ("rep", "repz", "repnz", "lock", "data16", "addr32") and operands:
        return LacksOn486(operands)
    if mnemonic == "nop" and operands:  # the multi-byte nop, 0F 1F
        return True
    return (mnemonic in LACKING or mnemonic.startswith(LACKING_PREFIXES)
            or LACKING_REGISTERS.search(operands) is not None)


def LackingInstructions(disassembly):
    """[(address, symbol, instruction)] for every instruction a 486 lacks;
    bytes objdump cannot decode count as well, outside the linker's lists."""
    found = []
    symbol = ""
    for line in disassembly.splitlines():
        match = SYMBOL.match(line)
        if match:
            symbol = match.group(1)
            continue
        match = INSTRUCTION.match(line)
        if not match or DATA_IN_TEXT.match(symbol):
            continue
        instruction = match.group(2).split("#", 1)[0].strip()
        if LacksOn486(instruction) or instruction.startswith("(bad)"):
            found.append((match.group(1), symbol, instruction))
    return found


def Imports(headers):
    """{dll (lower case): [names]} from objdump -p; a name objdump shows as
    an ordinal is kept as it is shown, so it matches no list."""
    imports = {}
    names = None
    for line in headers.splitlines():
        if line.strip().startswith("DLL Name:"):
            names = imports.setdefault(line.split(":", 1)[1].strip().lower(), [])
        elif names is not None and line.strip().startswith("vma:"):
            continue
        elif names is not None and line.strip():
            match = IMPORT.match(line)
            names.append(match.group(1) if match else line.strip())
        elif names is not None:
            names = None
    return imports


def ImportProblems(imports, exports, namesToo=True):
    problems = []
    for dll, names in sorted(imports.items()):
        if dll not in ALLOWED_DLLS:
            problems.append(f"imports from {dll}, which retail Windows 95 may not have")
            continue
        if not namesToo:
            continue
        listed = exports.get(dll, set())
        for name in names:
            if name not in listed:
                problems.append(f"imports {dll}!{name}, which retail Windows 95 does not export")
            elif (name.endswith("W") and name[:-1] + "A" in listed
                  and name not in UNICODE_IMPLEMENTED):
                problems.append(f"imports {dll}!{name}, a Unicode call Windows 95 only stubs")
    return problems


def HeaderProblems(headers):
    return [f"its PE header lacks {field.replace(chr(9), ' ')}" for field in PE_VERSIONS
            if not re.search("^" + re.escape(field) + "$", headers, re.MULTILINE)]


def Objdump(objdumps, *args):
    """The output of the first objdump that reads the file."""
    errors = []
    for objdump in objdumps:
        result = subprocess.run([objdump, *args], capture_output=True, text=True, timeout=300)
        if result.returncode == 0:
            return result.stdout
        errors.append(result.stderr.strip())
    raise RuntimeError(f"no objdump reads {args[-1]}: {'; '.join(errors)}")


def CheckProgram(objdump, program, exports):
    headers = Objdump(objdump, "-p", str(program))
    imports = Imports(headers)
    lacking = LackingInstructions(Objdump(objdump, "-d", "--no-show-raw-insn", str(program)))
    problems = HeaderProblems(headers) + ImportProblems(imports, exports)
    problems += [f"{address} <{symbol}>: {instruction}: a 486 lacks this"
                 for address, symbol, instruction in lacking]
    count = sum(len(names) for names in imports.values())
    print(f"{program}: {program.stat().st_size} bytes, {len(lacking)} instructions a 486 lacks, "
          f"{count} imports from {', '.join(sorted(imports))}")
    return problems


def CheckSameRuntime(objdump, program):
    imports = Imports(Objdump(objdump, "-p", str(program)))
    print(f"{program}: {program.stat().st_size} bytes, imports from {', '.join(sorted(imports))}")
    return ImportProblems(imports, {}, namesToo=False)


def FindObjdumps(chosen):
    """The objdumps at hand: binutils' own reads both PE formats on Debian;
    MinGW-w64's each read their own."""
    candidates = [chosen] if chosen else ["objdump", "i686-w64-mingw32-objdump",
                                          "x86_64-w64-mingw32-objdump"]
    return [candidate for candidate in candidates if shutil.which(candidate)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--objdump")
    parser.add_argument("build")
    parser.add_argument("more", nargs="*", help="x86_64 builds: their DLLs only")
    options = parser.parse_args()

    objdump = FindObjdumps(options.objdump)
    programs = [Path(options.build) / program for program in PROGRAMS]
    missing = [str(program) for program in programs if not program.is_file()]
    if not objdump:
        missing.append(options.objdump or "objdump")
    if missing:
        print(f"not available: {', '.join(missing)}", file=sys.stderr)
        return 1 if os.environ.get("CPUNINST_REQUIRE_WINE") else SKIP

    exports = ReadExports(EXPORTS)
    problems = []
    for program in programs:
        problems += [f"{program.name}: {problem}" for problem in CheckProgram(objdump, program, exports)]
    for build in options.more:
        for program in (Path(build) / program for program in PROGRAMS):
            if program.is_file():
                problems += [f"{program}: {problem}" for problem in CheckSameRuntime(objdump, program)]
    for problem in problems:
        print(f"FAILED: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
