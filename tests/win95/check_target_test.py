"""The Windows 95 check itself: it must see every instruction a 486 lacks
and every import Windows 95 cannot give, in objdump's own words, and pass
what a 486 and Windows 95 do have."""

import sys
import unittest
from pathlib import Path

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, str(Path(__file__).resolve().parent))

import check_target  # noqa: E402

DISASSEMBLY = """
Disassembly of section .text:

00401000 <_main>:
  401000:\tpush   %ebp
  401001:\tcmovne %edx,%eax
  401004:\tfucomip %st(1),%st
  401006:\tnopl   0x0(%eax)
  40100a:\tnop
  40100b:\txchg   %ax,%ax
  40100d:\tlea    0x0(%esi,%eiz,1),%esi
  401011:\tbswap  %eax
  401013:\tcmpxchg %ecx,(%edx)
  401016:\tcmpxchg8b (%esi)
  401019:\trep stos %eax,%es:(%edi)
  40101b:\trep bsf %eax,%eax
  40101e:\ttzcnt  %eax,%eax
  401022:\tmovq   %mm0,%mm1
  401025:\tpxor   %xmm0,%xmm0
  401029:\trdtsc
  40102b:\tcpuid
  40102d:\tfcmovb %st(1),%st
  40102f:\tcall   *0x4040a0 # 4040a0 <__imp__cmovExit@4>
  401035:\t(bad)

00401040 <___CTOR_LIST__>:
  401040:\t(bad)
  401041:\tcmovne (%eax),%eax
"""

HEADERS = """
MajorOSystemVersion\t4
MinorOSystemVersion\t0
MajorSubsystemVersion\t4
MinorSubsystemVersion\t0

The Import Tables (interpreted .idata section contents)
\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t161be\t  136  CloseHandle
\t162ec\t 1015  GetDiskFreeSpaceExA
\t16306\t 1157  GetModuleHandleW
\t16307\t 1158  MultiByteToWideChar

\tDLL Name: USER32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t16330\t  277  MessageBoxW
\t16340\t  650  MessageBoxA

\tDLL Name: msvcrt.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t16350\t   58  __getmainargs

"""


class Instructions(unittest.TestCase):
    def test_finds_what_a_486_lacks_and_nothing_else(self):
        found = [instruction.split()[0] for _, _, instruction in
                 check_target.LackingInstructions(DISASSEMBLY)]
        self.assertEqual(found, ["cmovne", "fucomip", "nopl", "cmpxchg8b", "tzcnt", "movq", "pxor",
                                 "rdtsc", "cpuid", "fcmovb", "(bad)"])

    def test_names_the_place(self):
        address, symbol, instruction = check_target.LackingInstructions(DISASSEMBLY)[0]
        self.assertEqual((address, symbol, instruction), ("401001", "_main", "cmovne %edx,%eax"))


class Imports(unittest.TestCase):
    def setUp(self):
        self.exports = check_target.ReadExports(check_target.EXPORTS)

    def test_reads_each_dll_and_name(self):
        imports = check_target.Imports(HEADERS)
        self.assertEqual(imports["user32.dll"], ["MessageBoxW", "MessageBoxA"])
        self.assertEqual(len(imports["kernel32.dll"]), 4)

    def test_refuses_what_windows_95_lacks_or_stubs(self):
        problems = check_target.ImportProblems(check_target.Imports(HEADERS), self.exports)
        self.assertEqual(problems, [
            "imports kernel32.dll!GetDiskFreeSpaceExA, which retail Windows 95 does not export",
            "imports kernel32.dll!GetModuleHandleW, a Unicode call Windows 95 only stubs",
            "imports from msvcrt.dll, which retail Windows 95 may not have",
            "imports user32.dll!MessageBoxW, which retail Windows 95 does not export",
        ])

    def test_the_list_holds_the_calls_of_the_programs(self):
        for dll, name in [("kernel32.dll", "CreateFileA"), ("kernel32.dll", "MoveFileExA"),
                          ("kernel32.dll", "GetVersion"), ("user32.dll", "ExitWindowsEx"),
                          ("advapi32.dll", "RegEnumKeyA")]:
            self.assertIn(name, self.exports[dll])
        self.assertNotIn("GetDiskFreeSpaceExA", self.exports["kernel32.dll"])  # OSR2 and NT 4.0

    def test_a_dll_list_only_check_ignores_names(self):
        imports = {"kernel32.dll": ["AnyName"], "crtdll.dll": ["printf"]}
        self.assertEqual(check_target.ImportProblems(imports, {}, namesToo=False),
                         ["imports from crtdll.dll, which retail Windows 95 may not have"])


class Headers(unittest.TestCase):
    def test_windows_4_0(self):
        self.assertEqual(check_target.HeaderProblems(HEADERS), [])
        later = HEADERS.replace("MajorSubsystemVersion\t4", "MajorSubsystemVersion\t5")
        self.assertEqual(check_target.HeaderProblems(later),
                         ["its PE header lacks MajorSubsystemVersion 4"])


if __name__ == "__main__":
    unittest.main()
