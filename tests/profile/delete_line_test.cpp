// Line removal: which lines go under each option, what the rewritten file
// holds byte for byte, long lines kept or removed whole, and every result
// code with what it leaves on disk.
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using platform::FileOp;
using profile_test::FaultRow;
using profile_test::ProfileTest;
namespace fs = std::filesystem;

class DeleteLine : public ProfileTest {
 protected:
  int Delete(const std::string& name, std::string pattern, int options) {
    lastPattern_ = pattern;
    int result = FileDeleteLine(Path(name).c_str(), lastPattern_.data(), options);
    lastPattern_.resize(std::char_traits<char>::length(lastPattern_.c_str()));
    return result;
  }
  std::string lastPattern_;
};

struct OptionCase {
  const char* name;
  const char* pattern;
  int options;
  const char* before;
  const char* after;  // nullptr: no line matches, the file stays as it was
};

const OptionCase kOptionCases[] = {
    {"ExactNeedsTheLineFeed", "files=30\n", 0, "files=30\nFILES=30\nfiles=30 \n",
     "FILES=30\r\nfiles=30 \r\n"},
    {"ExactWithoutLineFeedOnlyTheUnterminatedLast", "files=30", 0, "files=30\nx\nfiles=30",
     "files=30\r\nx\r\n"},
    {"SpacesRemovedCaseKept", "a = b", 1, "a=b\n a  =  b \nA=b\n", "A=b\r\n"},
    {"LowerCaseOnly", "A=B\n", 2, "a=b\nA=B\na = b\n", "a = b\r\n"},
    {"DeviceLineAnyCaseAnySpacing", "device=vkt617.386\n", 3,
     "[386Enh]\ndevice = VKT617.386\nDEVICE=vkt617.386\ndevice=vkt617.386 ;old\n",
     "[386Enh]\r\ndevice=vkt617.386 ;old\r\n"},
    {"BlankPatternRemovesBlankLines", " \t ", 3, "a\n\n   \nb\n\t\n", "a\r\nb\r\n"},
    {"ContainsCaseSensitive", "mscdex", 4, "c:\\dos\\mscdex /d:x\nMSCDEX\nrem mscdex.exe\nx\n",
     "MSCDEX\r\nx\r\n"},
    {"ContainsEmptyPatternRemovesAll", "  ", 5, "a\nb\n", ""},
    {"ContainsLowered", "MSCDEX", 6, "MSCDEX /x\nMscDex\nms cdex\n", "ms cdex\r\n"},
    {"ContainsLoweredNoSpaces", "MS CDEX", 7, "ms cdex\nM S C D E X\nmsc-dex\n", "msc-dex\r\n"},
    // Without white space the search looks for the pattern's dot alone.
    {"ContainsNoSpacesFindsTheDotAmongSpaces", "vkt617.386", 5,
     "x=VKT617.386\nd = vkt617 . 386\nvkt617386\n.\n", "x=VKT617.386\r\nvkt617386\r\n.\r\n"},
    {"NoSpacesPatternLeadingWithItsDot", ".386", 7, "A .386\nb.3 8 6\n386\n", "386\r\n"},
    {"OtherBitsHaveNoEffect", "A=B\n", 2 | 8 | 16 | 64, "a=b\nc\n", "c\r\n"},
    {"NoMatch", "zzz\n", 0, "a\nb\n", nullptr},
    {"TwoEqualLinesBothGo", "x=1\n", 0, "x=1\ny\nx=1\n", "y\r\n"},
};

class DeleteLineOptions : public DeleteLine, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(DeleteLineOptions, RewritesExactly) {
  const OptionCase& c = GetParam();
  Put("f.ini", c.before);
  int result = Delete("f.ini", c.pattern, c.options);
  if (c.after == nullptr) {
    EXPECT_EQ(result, 1);
    EXPECT_EQ(Get("f.ini"), c.before);
  } else {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Get("f.ini"), c.after);
  }
  EXPECT_EQ(Files(), std::set<std::string>{"f.ini"});
}

INSTANTIATE_TEST_SUITE_P(Options, DeleteLineOptions, ::testing::ValuesIn(kOptionCases),
                         test_support::NameOfParam());

TEST_F(DeleteLine, PatternIsLeftNormalised) {
  Put("f.ini", "a\n");
  Delete("f.ini", "Device = X.386\n", 3);
  EXPECT_EQ(lastPattern_, "device=x.386");
  Delete("missing.ini", "A B", 2);
  EXPECT_EQ(lastPattern_, "a b");
  Delete("nodot", " A ", 1);
  EXPECT_EQ(lastPattern_, "A");
}

TEST_F(DeleteLine, TextModeOfTheRewrite) {
  // LF-only and CR LF lines come back CR LF; a lone CR stays inside its
  // line; nothing from the Ctrl-Z on is carried over.
  Put("f.ini", "a\nkill\r\nb\rc\r\nd\x1A" "e\nkill\n");
  EXPECT_EQ(Delete("f.ini", "kill\n", 0), 0);
  EXPECT_EQ(Get("f.ini"), "a\r\nb\rc\r\nd");
}

TEST_F(DeleteLine, LoneCrIsNotALineEnd) {
  Put("f.ini", "x\ry\n");
  EXPECT_EQ(Delete("f.ini", "x", 0), 1);
  EXPECT_EQ(Delete("f.ini", "x\ry\n", 0), 0);
  EXPECT_EQ(Get("f.ini"), "");
}

TEST_F(DeleteLine, NothingAfterCtrlZIsSeen) {
  Put("f.ini", "a\n\x1A" "kill\n");
  EXPECT_EQ(Delete("f.ini", "kill\n", 0), 1);
  EXPECT_EQ(Get("f.ini"), "a\n\x1A" "kill\n");
}

TEST_F(DeleteLine, EmptyFileIsNothingToDo) {
  Put("f.ini", "");
  EXPECT_EQ(Delete("f.ini", "", 5), 1);
  EXPECT_EQ(Files(), std::set<std::string>{"f.ini"});
}

TEST_F(DeleteLine, LongLineIsRemovedWhole) {
  std::string longLine(300, 'a');
  Put("f.ini", "x\n" + longLine + "\ny\n");
  EXPECT_EQ(Delete("f.ini", longLine + "\n", 0), 0);
  EXPECT_EQ(Get("f.ini"), "x\r\ny\r\n");
}

TEST_F(DeleteLine, LongLineWhosePieceMatchesIsKeptWhole) {
  // Its first 199 bytes, or its tail, equal the pattern: the line does not.
  std::string head(199, 'a');
  std::string tail = "bbb\n";
  Put("f.ini", head + tail + "bbb\n");
  EXPECT_EQ(Delete("f.ini", head, 0), 1);
  EXPECT_EQ(Delete("f.ini", tail, 0), 0);
  EXPECT_EQ(Get("f.ini"), head + "bbb\r\n");
}

TEST_F(DeleteLine, ContainmentAcrossPieceBoundaries) {
  std::string line = std::string(190, '.') + "mscdex" + std::string(200, '.') + "\n";
  Put("f.ini", "keep\n" + line + "keep too\n");
  EXPECT_EQ(Delete("f.ini", std::string(5, '.') + "mscdex" + std::string(10, '.'), 4), 0);
  EXPECT_EQ(Get("f.ini"), "keep\r\nkeep too\r\n");
}

TEST_F(DeleteLine, NormalisationSpansPieces) {
  // Blanks fall across the piece boundary; the line compares as one text.
  std::string line = "dev" + std::string(300, ' ') + "ICE=X\n";
  Put("f.ini", line + "other\n");
  EXPECT_EQ(Delete("f.ini", "device=x", 3), 0);
  EXPECT_EQ(Get("f.ini"), "other\r\n");
}

TEST_F(DeleteLine, LongPatternsMatchLongLines) {
  std::string line(1000, 'q');
  line[500] = 'Z';
  Put("f.ini", line + "\n" + std::string(1000, 'q') + "\n");
  // A pattern longer than any fixed table, by containment and by equality.
  EXPECT_EQ(Delete("f.ini", line.substr(100, 700), 4), 0);
  EXPECT_EQ(Get("f.ini"), std::string(1000, 'q') + "\r\n");
  EXPECT_EQ(Delete("f.ini", std::string(1000, 'q') + "\n", 0), 0);
  EXPECT_EQ(Get("f.ini"), "");
}

TEST_F(DeleteLine, KeptLongLinesComeOutWhole) {
  // Lines of every length around the piece size, and one far beyond the
  // stream's buffer, kept while undecided to their end.
  std::string before;
  std::string after;
  for (std::size_t length : {198u, 199u, 200u, 398u, 399u, 400u, 70000u}) {
    std::string line(length, 'k');
    line[length / 2] = 'm';
    before += line + "\n";
    after += line + "\r\n";
  }
  before += "drop\n";
  std::string unterminated(450, 'u');
  Put("f.ini", before + unterminated);
  EXPECT_EQ(Delete("f.ini", "drop", 4), 0);
  EXPECT_EQ(Get("f.ini"), after + unterminated);
}

TEST_F(DeleteLine, FailuresThatOpenNothing) {
  EXPECT_EQ(Delete("missing.ini", "x", 0), 2);
  EXPECT_EQ(Delete("nodot", "x", 0), 2);
  EXPECT_TRUE(Files().empty());
}

TEST_F(DeleteLine, OwnScratchNameIsRefused) {
  Put("f.$$$", "x\n");
  EXPECT_EQ(Delete("f.$$$", "x\n", 0), 2);
  EXPECT_EQ(Get("f.$$$"), "x\n");
}

TEST_F(DeleteLine, ScratchNameMustFitTheLineBuffer) {
  // The scratch name of stem + ".ini" is stem + ".$$$": 199 bytes plus NUL fit.
  std::string base = Path("");
  if (base.size() + 8 > 199) GTEST_SKIP() << "temporary folder path too long";
  std::string fits(199 - base.size() - 4, 'f');
  std::string tooLong = fits + "g";
  Put(fits + ".ini", "x\n");
  Put(tooLong + ".ini", "x\n");
  EXPECT_EQ(Delete(tooLong + ".ini", "x\n", 0), 2);
  EXPECT_EQ(Get(tooLong + ".ini"), "x\n");
  EXPECT_EQ(Delete(fits + ".ini", "x\n", 0), 0);
  EXPECT_EQ(Files(), (std::set<std::string>{fits + ".ini", tooLong + ".ini"}));
}

TEST_F(DeleteLine, ExistingScratchFileIsEmptiedAndReplaced) {
  Put("f.ini", "a\nb\n");
  Put("f.$$$", "stale stale stale\n");
  EXPECT_EQ(Delete("f.ini", "a\n", 0), 0);
  EXPECT_EQ(Get("f.ini"), "b\r\n");
  EXPECT_EQ(Files(), std::set<std::string>{"f.ini"});
}

TEST_F(DeleteLine, ReadOnlyScratchFileMeansNoCopy) {
  Put("f.ini", "a\n");
  Put("f.$$$", "old");
  fs::permissions(Path("f.$$$"), fs::perms::owner_read);
  EXPECT_EQ(Delete("f.ini", "a\n", 0), 2);
  EXPECT_EQ(Get("f.ini"), "a\n");
}

TEST_F(DeleteLine, ReadOnlyFileCannotBeReplaced) {
  Put("f.ini", "a\nb\n");
  fs::permissions(Path("f.ini"), fs::perms::owner_read);
  EXPECT_EQ(Delete("f.ini", "a\n", 0), 2);
  EXPECT_EQ(Get("f.ini"), "a\nb\n");
  EXPECT_EQ(Get("f.$$$"), "b\r\n");
}

// Each failure through the fault seam, and what it leaves behind.
const FaultRow kFaultRows[] = {
    {"OpenFileFails", FileOp::kOpen, 1, "a\nb\n", 2, "a\nb\n", nullptr},
    {"CreateScratchFails", FileOp::kOpen, 2, "a\nb\n", 2, "a\nb\n", nullptr},
    {"WriteBeforeMatchGivesNothingToDo", FileOp::kWrite, 1, "b\na\n", 1, "b\na\n", nullptr},
    {"WriteAfterMatchLeavesScratch", FileOp::kWrite, 1, "a\nb\n", 2, "a\nb\n", ""},
    {"FlushFailsIsAWriteFailure", FileOp::kFlush, 1, "a\nb\n", 2, "a\nb\n", "b\r\n"},
    {"ReadErrorNeverCommits", FileOp::kRead, 2, "a\nb\nc\n", 2, "a\nb\nc\n", nullptr},
    {"ReadErrorOnFirstPiece", FileOp::kRead, 1, "a\nb\n", 2, "a\nb\n", nullptr},
    {"DeleteFails", FileOp::kDelete, 1, "a\nb\n", 2, "a\nb\n", "b\r\n"},
    {"MoveFailsOldFileStays", FileOp::kRename, 1, "a\nb\n", 2, "a\nb\n", "b\r\n"},
    {"NoOneStepMoveDeletesThenRenames", FileOp::kReplace, 1, "a\nb\n", 0, "b\r\n", nullptr},
};

class DeleteLineFaults : public DeleteLine, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(DeleteLineFaults, LeavesOnDisk) {
  RunFaultRow(GetParam(), "f.ini", "f.$$$", [&] { return Delete("f.ini", "a\n", 0); });
}

INSTANTIATE_TEST_SUITE_P(Faults, DeleteLineFaults, ::testing::ValuesIn(kFaultRows), test_support::NameOfParam());

// A kept line of several pieces goes on from the stream buffer while its
// start is still there, and is read again from its start only when it is not
// (a buffer smaller than the line). The fifth read is the first piece read
// again: a failure there is a read error like any other.
TEST_F(DeleteLine, LongKeptLineIsReadAgainOnlyWhenItsStartLeftTheBuffer) {
  struct Case {
    const char* name;
    std::size_t bufferLimit;  // 0: the whole stream buffer
    bool readAgain;
  };
  const Case cases[] = {{"WholeBuffer", 0, false}, {"SmallBuffer", 64, true}};
  const std::string line(300, 'l');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Put("f.ini", "a\n" + line + "\n");
    platform::SetStreamBufferLimit(c.bufferLimit);
    FailNth(FileOp::kRead, 5);  // a, the line's two pieces, then the end or the re-read
    int result = Delete("f.ini", "zz", 4);
    bool fired = plan_.Fired();
    NoFaults();
    platform::SetStreamBufferLimit(0);
    EXPECT_EQ(fired, c.readAgain);
    EXPECT_EQ(result, c.readAgain ? 2 : 1);
    EXPECT_EQ(Get("f.ini"), "a\n" + line + "\n");
    EXPECT_FALSE(Exists("f.$$$"));
  }
}

}  // namespace
