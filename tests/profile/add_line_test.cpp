// Line addition and the composing writers: where an added line goes, new
// sections, line ends before an added line, the composed formats, the
// set-or-add rule, and every result code with what it leaves on disk.
#include <string>

#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using platform::FileOp;
using profile_test::FaultRow;
using profile_test::ProfileTest;

class Writers : public ProfileTest {
 protected:
  std::string File() const { return Path("s.ini"); }
};

struct AddCase {
  const char* name;
  const char* section;
  const char* before;
  const char* after;
};

const AddCase kAdds[] = {
    {"BeforeTheNextBracketLine", "A", "[A]\nk=1\n\n;c\n[B]\ny=1\n",
     "[A]\r\nk=1\r\n\r\n;c\r\nNEW\r\n[B]\r\ny=1\r\n"},
    {"BeforeAnUnterminatedHeader", "A", "[A]\nk=1\n[B]", "[A]\r\nk=1\r\nNEW\r\n[B]"},
    {"AnyBracketEndsTheSection", "A", "[A]\nk=1\npath=[x]\n", "[A]\r\nk=1\r\nNEW\r\npath=[x]\r\n"},
    {"RepeatedSections", "A", "[A]\nx=1\n[B]\ny=1\n[A]\nz=1\n",
     "[A]\r\nx=1\r\nNEW\r\n[B]\r\ny=1\r\n[A]\r\nz=1\r\nNEW\r\n"},
    {"AdjacentSectionOnlyTheFirst", "A", "[A]\nx=1\n[A]\nz=1\n", "[A]\r\nx=1\r\nNEW\r\n[A]\r\nz=1\r\n"},
    {"NoSectionAppends", nullptr, "[A]\nk=1\n", "[A]\r\nk=1\r\nNEW\r\n"},
    {"NoSectionAfterUnterminatedLastLine", nullptr, "[A]\nk=1", "[A]\r\nk=1\r\nNEW\r\n"},
    {"SectionClosingTheFileUnterminated", "A", "x\n[A]\nk=1", "x\r\n[A]\r\nk=1\r\nNEW\r\n"},
    {"UnterminatedHeaderClosingTheFile", "A", "[A]", "[A]\r\nNEW\r\n"},
    {"NewSectionAppended", "drivers", "[other]\nk=1\n", "[other]\r\nk=1\r\n[drivers]\r\nNEW\r\n"},
    {"NewSectionAfterUnterminatedLastLine", "drivers", "[other]\nk=1",
     "[other]\r\nk=1\r\n[drivers]\r\nNEW\r\n"},
    {"NewSectionAfterLoneCr", "d", "k=1\r", "k=1\r\r\n[d]\r\nNEW\r\n"},
    {"EmptyFileGetsTheNewSection", "A", "", "[A]\r\nNEW\r\n"},
    {"EmptyFileWithoutSection", nullptr, "", "NEW\r\n"},
    {"CtrlZEndsTheFile", nullptr, "k=1\n\x1Agarbage", "k=1\r\nNEW\r\n"},
};

class AddLine : public Writers, public ::testing::WithParamInterface<AddCase> {};

TEST_P(AddLine, RewritesExactly) {
  const AddCase& c = GetParam();
  Put("s.ini", c.before);
  EXPECT_EQ(IniAddLine(File().c_str(), c.section, "NEW"), 0);
  EXPECT_EQ(Get("s.ini"), c.after);
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, AddLine, ::testing::ValuesIn(kAdds),
                         test_support::NameOfParam());

TEST_F(Writers, AddLineTreatsALongLineAsOne) {
  // The bracket in a long line's later piece does not end the section, and
  // a long bracket line is kept whole after the added line.
  std::string tail = std::string(127, 'x') + "[B]\n";
  std::string bracket = "[B]" + std::string(200, 'b') + "[A]\n";
  Put("s.ini", "[A]\n" + tail + bracket + "k=1\n");
  EXPECT_EQ(IniAddLine(File().c_str(), "A", "NEW"), 0);
  EXPECT_EQ(Get("s.ini"), "[A]\r\n" + std::string(127, 'x') + "[B]\r\nNEW\r\n[B]" +
                              std::string(200, 'b') + "[A]\r\nk=1\r\n");
}

TEST_F(Writers, AddLineFailuresOpenNothing) {
  EXPECT_EQ(IniAddLine(Path("missing.ini").c_str(), "A", "x"), 1);
  EXPECT_EQ(IniAddLine(Path("nodot").c_str(), "A", "x"), 1);
  EXPECT_TRUE(Files().empty());
  Put("s.$$$", "[A]\n");
  EXPECT_EQ(IniAddLine(Path("s.$$$").c_str(), "A", "x"), 1);
  EXPECT_EQ(Get("s.$$$"), "[A]\n");
}

TEST_F(Writers, ComposedFormats) {
  Put("s.ini", "[d]\n");
  EXPECT_EQ(IniAddHex(File().c_str(), "d", "Port", 0x220), 0);
  EXPECT_EQ(IniAddHex(File().c_str(), "d", "Big", 0x12345), 0);
  EXPECT_EQ(IniAddHex(File().c_str(), "d", "Neg", -1), 0);
  EXPECT_EQ(IniAddInt(File().c_str(), "d", "Vol", -5), 0);
  EXPECT_EQ(IniAddInt(File().c_str(), "d", "Vol", 7), 0);
  EXPECT_EQ(Get("s.ini"),
            "[d]\r\nPort=0x0220\r\nBig=0x12345\r\nNeg=0xFFFFFFFF\r\nVol=-5\r\nVol=7\r\n");
  Put("s.ini", "[d]\nk=1\nu=1\n");
  EXPECT_EQ(IniSetHex(File().c_str(), "d", "k", 0x1F), 0);
  EXPECT_EQ(IniSetUnsigned(File().c_str(), "d", "u", 4294967295u), 0);
  EXPECT_EQ(Get("s.ini"), "[d]\r\nk=0x001F\r\nu=4294967295\r\n");
}

TEST_F(Writers, ComposedLineMustFit128Bytes) {
  Put("s.ini", "[d]\n");
  std::string key100(100, 'K');
  EXPECT_EQ(IniAddInt(File().c_str(), "d", key100.c_str(), INT32_MIN), 0);
  EXPECT_EQ(Get("s.ini"), "[d]\r\n" + key100 + "=-2147483648\r\n");
  Put("s.ini", "[d]\n");
  std::string key120(120, 'K');
  EXPECT_EQ(IniAddInt(File().c_str(), "d", key120.c_str(), INT32_MIN), 1);
  EXPECT_EQ(IniAddHex(File().c_str(), "d", key120.c_str(), -1), 1);
  std::string value(126, 'v');  // k=, then 126 bytes: 128 with the NUL
  EXPECT_EQ(IniSetString(File().c_str(), "d", "k", value.c_str()), 1);
  EXPECT_EQ(Get("s.ini"), "[d]\n");
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});
  EXPECT_EQ(IniSetString(File().c_str(), "d", "k", value.substr(1).c_str()), 0);
  EXPECT_EQ(Get("s.ini"), "[d]\r\nk=" + value.substr(1) + "\r\n");
}

struct SetCase {
  const char* name;
  const char* value;
  const char* before;
  int result;
  const char* after;
};

const SetCase kSets[] = {
    {"ReplacesTheKey", "a.drv", "[drivers]\nwave=x.drv\nmidi=y.drv\n", 0,
     "[drivers]\r\nwave=a.drv\r\nmidi=y.drv\r\n"},
    {"ReplacesEveryLine", "a.drv", "[drivers]\nWAVE = x.drv\nwave=z.drv\n[other]\nwave=o\n", 0,
     "[drivers]\r\nwave=a.drv\r\nwave=a.drv\r\n[other]\r\nwave=o\r\n"},
    {"AddsAtTheSectionEnd", "a.drv", "[drivers]\nmidi=y.drv\n\n[other]\n", 0,
     "[drivers]\r\nmidi=y.drv\r\n\r\nwave=a.drv\r\n[other]\r\n"},
    {"AddsTheSection", "a.drv", "[other]\nk=1\n", 0, "[other]\r\nk=1\r\n[drivers]\r\nwave=a.drv\r\n"},
    {"NullValueRemoves", nullptr, "[drivers]\nwave=1\nmidi=m\nwave=2\n", 0, "[drivers]\r\nmidi=m\r\n"},
    {"NullValueOverMissingKey", nullptr, "[drivers]\nmidi=m\n", 1, "[drivers]\nmidi=m\n"},
};

class SetString : public Writers, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetString, RewritesExactly) {
  const SetCase& c = GetParam();
  Put("s.ini", c.before);
  EXPECT_EQ(IniSetString(File().c_str(), "drivers", "wave", c.value), c.result);
  EXPECT_EQ(Get("s.ini"), c.after);
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, SetString, ::testing::ValuesIn(kSets),
                         test_support::NameOfParam());

TEST_F(Writers, FailedReplacementAddsNothing) {
  // The write of the new line fails: the old line must not be joined by a
  // second one at the section's end.
  Put("s.ini", "[drivers]\nwave=x\nmidi=m\n");
  FailNth(FileOp::kWrite, 2);
  EXPECT_EQ(IniSetString(File().c_str(), "drivers", "wave", "a"), 1);
  NoFaults();
  EXPECT_EQ(Get("s.ini"), "[drivers]\nwave=x\nmidi=m\n");
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});

  FailNth(FileOp::kDelete, 1);
  EXPECT_EQ(IniSetString(File().c_str(), "drivers", "wave", "a"), -1);
  NoFaults();
  EXPECT_EQ(Get("s.ini"), "[drivers]\nwave=x\nmidi=m\n");
  EXPECT_EQ(Get("s.$$$"), "[drivers]\r\nwave=a\r\nmidi=m\r\n");
}

TEST_F(Writers, SetOnMissingFileCreatesNothing) {
  EXPECT_EQ(IniSetString(Path("missing.ini").c_str(), "d", "k", "v"), 1);
  EXPECT_EQ(IniSetUnsigned(Path("missing.ini").c_str(), "d", "k", 1), 1);
  EXPECT_EQ(IniSetHex(Path("nodot").c_str(), "d", "k", 1), 1);
  EXPECT_EQ(IniAddHex(Path("missing.ini").c_str(), "d", "k", 1), 1);
  EXPECT_EQ(IniAddInt(Path("missing.ini").c_str(), nullptr, "k", 1), 1);
  EXPECT_TRUE(Files().empty());
}

// Adding "NEW" to section A of "[A]", "k=1", "[B]".
constexpr const char* kAddBefore = "[A]\nk=1\n[B]\n";
const FaultRow kAddFaults[] = {
    {"OpenFails", FileOp::kOpen, 1, kAddBefore, 1, "[A]\nk=1\n[B]\n", nullptr},
    {"CreateFails", FileOp::kOpen, 2, kAddBefore, 1, "[A]\nk=1\n[B]\n", nullptr},
    {"FirstWriteFailsScratchStays", FileOp::kWrite, 1, kAddBefore, 1, "[A]\nk=1\n[B]\n", ""},
    {"WriteOfTheLineFails", FileOp::kWrite, 3, kAddBefore, 1, "[A]\nk=1\n[B]\n", "[A]\r\nk=1\r\n"},
    {"WriteOfTheHeldPieceFails", FileOp::kWrite, 5, kAddBefore, 1, "[A]\nk=1\n[B]\n", "[A]\r\nk=1\r\nNEW\r\n"},
    {"FlushFails", FileOp::kFlush, 1, kAddBefore, 1, "[A]\nk=1\n[B]\n", "[A]\r\nk=1\r\nNEW\r\n[B]\r\n"},
    {"ReadErrorScratchGoes", FileOp::kRead, 2, kAddBefore, 1, "[A]\nk=1\n[B]\n", nullptr},
    {"DeleteFails", FileOp::kDelete, 1, kAddBefore, -1, "[A]\nk=1\n[B]\n", "[A]\r\nk=1\r\nNEW\r\n[B]\r\n"},
    {"MoveFailsOldFileStays", FileOp::kRename, 1, kAddBefore, -1, "[A]\nk=1\n[B]\n", "[A]\r\nk=1\r\nNEW\r\n[B]\r\n"},
    {"NoOneStepMoveDeletesThenRenames", FileOp::kReplace, 1, kAddBefore, 0, "[A]\r\nk=1\r\nNEW\r\n[B]\r\n", nullptr},
};

class AddLineFaults : public Writers, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(AddLineFaults, LeavesOnDisk) {
  RunFaultRow(GetParam(), "s.ini", "s.$$$",
              [&] { return IniAddLine(File().c_str(), "A", "NEW"); });
}

INSTANTIATE_TEST_SUITE_P(Faults, AddLineFaults, ::testing::ValuesIn(kAddFaults), test_support::NameOfParam());

}  // namespace
