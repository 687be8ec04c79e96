// Key removal and key replacement: which lines of a section are the key's,
// where a section starts and ends, long lines handled whole, and every result
// code with what it leaves on disk.
#include <string>

#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using platform::FileOp;
using profile_test::FaultRow;
using profile_test::ProfileTest;
namespace fs = std::filesystem;

class KeyEdit : public ProfileTest {
 protected:
  int DeleteKey(const char* section, const char* key) {
    return IniDeleteKey(Path("s.ini").c_str(), section, key);
  }
  int Replace(const char* section, const char* key, const char* line) {
    return IniReplaceKey(Path("s.ini").c_str(), section, key, line);
  }
};

struct RemovalCase {
  const char* name;
  const char* section;
  const char* key;
  const char* before;
  const char* after;  // nullptr: nothing removed, file untouched
};

const RemovalCase kRemovals[] = {
    {"KeyFormsThatMatch", "drivers", "wave",
     "[drivers]\nwave=a.drv\nWAVE = a.drv\n  wave=a.drv\nwave\ta.drv\n=wave=x\nmidi=m\n",
     "[drivers]\r\nmidi=m\r\n"},
    {"KeyFormsThatDoNot", "drivers", "wave",
     "[drivers]\nwaveout=b.drv\n;wave=a.drv\nwave\n \t\n", nullptr},
    {"UnterminatedLastLineOfTheKey", "drivers", "wave", "[drivers]\nx=1\nwave=y", "[drivers]\r\nx=1\r\n"},
    {"UnterminatedBareKeyMatches", "drivers", "wave", "[drivers]\nwave", "[drivers]\r\n"},
    {"BlankUnterminatedLastLineHasNoKey", "drivers", "", "[drivers]\n  ", nullptr},
    {"NoSuchSection", "drivers", "wave", "[boot]\nwave=a\n", nullptr},
    {"SectionWithoutTheKey", "drivers", "wave", "[drivers]\nmidi=a\n[x]\nwave=1\n", nullptr},
    {"WholeFileWithoutSection", nullptr, "wave",
     "wave=0\n[a]\nwave=1\nx=2\n[wave]\n[b]\nWave=3\n", "[a]\r\nx=2\r\n[wave]\r\n[b]\r\n"},
    {"HeaderForms", "drivers", "k",
     "[Drivers]\nk=1\n[x]\n[ drivers ]\nk=2\n[y]\n[drivers] ; audio\nk=3\n",
     "[Drivers]\r\n[x]\r\n[ drivers ]\r\n[y]\r\n[drivers] ; audio\r\n"},
    {"BracketKeyEndsTheSectionAndStays", "drivers", "k",
     "[drivers]\nk=1\n  [other]\nk=2\n", "[drivers]\r\n  [other]\r\nk=2\r\n"},
    {"CommentWithBracketDoesNotEnd", "drivers", "k",
     "[drivers]\n; [other] follows\nk=1\n", "[drivers]\r\n; [other] follows\r\n"},
    {"RepeatedSectionsBothLose", "drivers", "k",
     "[drivers]\nk=1\n[x]\nk=2\n[drivers]\nk=3\n", "[drivers]\r\n[x]\r\nk=2\r\n[drivers]\r\n"},
    {"AdjacentSectionKeepsItsKeys", "drivers", "k",
     "[drivers]\nk=1\n[drivers]\nk=2\n", "[drivers]\r\n[drivers]\r\nk=2\r\n"},
    {"EmptySectionName", "", "k", "[a]\nk=1\n[]\nk=2\n", "[a]\r\nk=1\r\n[]\r\n"},
    {"CommentHeaderAboveTheRealOne", "drivers", "k",
     "; [drivers]\nk=0\n[drivers]\nk=1\n", "; [drivers]\r\n[drivers]\r\nk=1\r\n"},
    {"KeyRuleSeesOnlyTheFirstToken", "d", "a", "[d]\na b=c\nb a\n", "[d]\r\nb a\r\n"},
    {"HeaderAsKeyLineOfSameName", "d", "x", "x=[d]\nx=1\n", "x=[d]\r\n"},
    {"LoneCrIsPartOfTheKey", "d", "k", "[d]\nk\r\nk\rv\n", nullptr},
    {"TextModeAndCtrlZ", "d", "k", "a\n[d]\r\nk=1\nb\r\n\x1A[d]\nk=2\n", "a\r\n[d]\r\nb\r\n"},
};

class KeyRemoval : public KeyEdit, public ::testing::WithParamInterface<RemovalCase> {};

TEST_P(KeyRemoval, DeleteKeyRewritesExactly) {
  const RemovalCase& c = GetParam();
  Put("s.ini", c.before);
  EXPECT_EQ(DeleteKey(c.section, c.key), c.after ? 0 : 1);
  EXPECT_EQ(Get("s.ini"), c.after ? c.after : c.before);
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});
}

TEST_P(KeyRemoval, ReplaceWithoutLineIsTheSameRemoval) {
  const RemovalCase& c = GetParam();
  Put("s.ini", c.before);
  EXPECT_EQ(Replace(c.section, c.key, nullptr), c.after ? 0 : 1);
  EXPECT_EQ(Get("s.ini"), c.after ? c.after : c.before);
  EXPECT_EQ(Files(), std::set<std::string>{"s.ini"});
}

INSTANTIATE_TEST_SUITE_P(Cases, KeyRemoval, ::testing::ValuesIn(kRemovals),
                         test_support::NameOfParam());

TEST_F(KeyEdit, NamesAreNotChanged) {
  Put("s.ini", "[d]\nk=1\n");
  const char section[] = "d";
  const char key[] = "k";
  EXPECT_EQ(DeleteKey(section, key), 0);
  EXPECT_STREQ(section, "d");
  EXPECT_STREQ(key, "k");
}

TEST_F(KeyEdit, ReplacesEveryLineOfTheKeyInPlace) {
  Put("s.ini", "[drivers]\nWAVE = x.drv\nmidi=m\nwave=z.drv\n[other]\nwave=o\n");
  EXPECT_EQ(Replace("drivers", "wave", "wave=a.drv"), 0);
  EXPECT_EQ(Get("s.ini"), "[drivers]\r\nwave=a.drv\r\nmidi=m\r\nwave=a.drv\r\n[other]\r\nwave=o\r\n");
}

TEST_F(KeyEdit, ReplacementOfAnUnterminatedLastLineGetsALineEnd) {
  Put("s.ini", "[d]\nk=1");
  EXPECT_EQ(Replace("d", "k", "k=2"), 0);
  EXPECT_EQ(Get("s.ini"), "[d]\r\nk=2\r\n");
}

TEST_F(KeyEdit, LongKeyLineIsRemovedWhole) {
  std::string longLine = "wave=" + std::string(300, 'v') + "\n";
  Put("s.ini", "[drivers]\n" + longLine + "midi=m\n");
  EXPECT_EQ(DeleteKey("drivers", "wave"), 0);
  EXPECT_EQ(Get("s.ini"), "[drivers]\r\nmidi=m\r\n");
}

TEST_F(KeyEdit, LongKeyLineBecomesOneCopyOfTheNewLine) {
  std::string longLine = "wave=" + std::string(300, 'v') + "\n";
  Put("s.ini", "[drivers]\n" + longLine + longLine + "midi=m\n");
  EXPECT_EQ(Replace("drivers", "wave", "wave=a"), 0);
  EXPECT_EQ(Get("s.ini"), "[drivers]\r\nwave=a\r\nwave=a\r\nmidi=m\r\n");
}

TEST_F(KeyEdit, LaterPiecesOfALineAreNeverTested) {
  // The second piece of each long line would be a key line, a section end
  // or a header on its own; as part of its line it is none of them.
  std::string pad(127, ' ');
  std::string keyInTail = pad + "wave=1\n";
  std::string endInTail = std::string(127, 'x') + "[other]\n";
  std::string headerInTail = "[other]" + std::string(120, 'y') + "[drivers]\n";
  std::string before = "[drivers]\n" + keyInTail + endInTail + "wave=2\n" + headerInTail + "wave=3\n";
  Put("s.ini", before);
  EXPECT_EQ(DeleteKey("drivers", "wave"), 0);
  EXPECT_EQ(Get("s.ini"), "[drivers]\r\n" + pad + "wave=1\r\n" + std::string(127, 'x') +
                              "[other]\r\n" + "[other]" + std::string(120, 'y') +
                              "[drivers]\r\nwave=3\r\n");
}

TEST_F(KeyEdit, LongLinesAroundThePieceSizeAreCopiedWhole) {
  std::string before = "[d]\n";
  std::string after = "[d]\r\n";
  for (std::size_t length : {126u, 127u, 128u, 254u, 255u, 256u, 5000u}) {
    std::string line = "x" + std::string(length - 1, '=');
    before += line + "\n";
    after += line + "\r\n";
  }
  Put("s.ini", before + "k=1\n" + std::string(300, 'u'));
  EXPECT_EQ(DeleteKey("d", "k"), 0);
  EXPECT_EQ(Get("s.ini"), after + std::string(300, 'u'));
}

TEST_F(KeyEdit, RefusedPathsOpenNothing) {
  for (const char* name : {"missing.ini", "nodot"}) {
    EXPECT_EQ(IniDeleteKey(Path(name).c_str(), "d", "k"), 1) << name;
    EXPECT_EQ(IniReplaceKey(Path(name).c_str(), "d", "k", "k=1"), 1) << name;
  }
  EXPECT_TRUE(Files().empty());
  Put("s.$$$", "[d]\nk=1\n");
  EXPECT_EQ(IniDeleteKey(Path("s.$$$").c_str(), "d", "k"), 1);
  EXPECT_EQ(IniReplaceKey(Path("s.$$$").c_str(), "d", "k", "k=2"), 1);
  EXPECT_EQ(Get("s.$$$"), "[d]\nk=1\n");
}

TEST_F(KeyEdit, ScratchNameMustFit128Bytes) {
  std::string base = Path("");
  if (base.size() + 8 > 127) GTEST_SKIP() << "temporary folder path too long";
  std::string fits(127 - base.size() - 4, 'f');
  Put(fits + ".ini", "k=1\n");
  Put(fits + "g.ini", "k=1\n");
  EXPECT_EQ(IniDeleteKey(Path(fits + "g.ini").c_str(), nullptr, "k"), 1);
  EXPECT_EQ(IniReplaceKey(Path(fits + "g.ini").c_str(), nullptr, "k", "k=2"), 1);
  EXPECT_EQ(Get(fits + "g.ini"), "k=1\n");
  EXPECT_EQ(IniReplaceKey(Path(fits + ".ini").c_str(), nullptr, "k", "k=2"), 0);
  EXPECT_EQ(Get(fits + ".ini"), "k=2\r\n");
  EXPECT_EQ(Files(), (std::set<std::string>{fits + ".ini", fits + "g.ini"}));
}

TEST_F(KeyEdit, ReadOnlyFileGivesMinusOne) {
  Put("s.ini", "k=1\nx\n");
  fs::permissions(Path("s.ini"), fs::perms::owner_read);
  EXPECT_EQ(DeleteKey(nullptr, "k"), -1);
  EXPECT_EQ(Get("s.ini"), "k=1\nx\n");
  EXPECT_EQ(Get("s.$$$"), "x\r\n");
}

// Over "[d]", "k=1", "x": the removal's rows; the replacement (new line
// "k=2") writes one more line.
const FaultRow kDeleteRows[] = {
    {"OpenFails", FileOp::kOpen, 1, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"CreateFails", FileOp::kOpen, 2, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"WriteBeforeRemoval", FileOp::kWrite, 1, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"WriteAfterRemoval", FileOp::kWrite, 2, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", "[d]\r\n"},
    {"FlushFails", FileOp::kFlush, 1, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", "[d]\r\nx\r\n"},
    {"ReadErrorAfterRemoval", FileOp::kRead, 3, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"DeleteFails", FileOp::kDelete, 1, "[d]\nk=1\nx\n", -1, "[d]\nk=1\nx\n", "[d]\r\nx\r\n"},
    {"MoveFailsOldFileStays", FileOp::kRename, 1, "[d]\nk=1\nx\n", -1, "[d]\nk=1\nx\n", "[d]\r\nx\r\n"},
    {"NoOneStepMoveDeletesThenRenames", FileOp::kReplace, 1, "[d]\nk=1\nx\n", 0, "[d]\r\nx\r\n", nullptr},
};

class DeleteKeyFaults : public KeyEdit, public ::testing::WithParamInterface<FaultRow> {};

TEST_P(DeleteKeyFaults, LeavesOnDisk) {
  RunFaultRow(GetParam(), "s.ini", "s.$$$", [&] { return DeleteKey("d", "k"); });
}

INSTANTIATE_TEST_SUITE_P(Faults, DeleteKeyFaults, ::testing::ValuesIn(kDeleteRows), test_support::NameOfParam());

const FaultRow kReplaceRows[] = {
    {"OpenFails", FileOp::kOpen, 1, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"CreateFails", FileOp::kOpen, 2, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"WriteOfTheNewLineFails", FileOp::kWrite, 2, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"WriteOfItsLineEndFails", FileOp::kWrite, 3, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"WriteAfterReplacement", FileOp::kWrite, 4, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", "[d]\r\nk=2\r\n"},
    {"FlushFails", FileOp::kFlush, 1, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", "[d]\r\nk=2\r\nx\r\n"},
    {"ReadError", FileOp::kRead, 3, "[d]\nk=1\nx\n", 1, "[d]\nk=1\nx\n", nullptr},
    {"DeleteFails", FileOp::kDelete, 1, "[d]\nk=1\nx\n", -1, "[d]\nk=1\nx\n", "[d]\r\nk=2\r\nx\r\n"},
    {"MoveFailsOldFileStays", FileOp::kRename, 1, "[d]\nk=1\nx\n", -1, "[d]\nk=1\nx\n", "[d]\r\nk=2\r\nx\r\n"},
    {"NoOneStepMoveDeletesThenRenames", FileOp::kReplace, 1, "[d]\nk=1\nx\n", 0, "[d]\r\nk=2\r\nx\r\n", nullptr},
};

class ReplaceKeyFaults : public DeleteKeyFaults {};

TEST_P(ReplaceKeyFaults, LeavesOnDisk) {
  RunFaultRow(GetParam(), "s.ini", "s.$$$", [&] { return Replace("d", "k", "k=2"); });
}

INSTANTIATE_TEST_SUITE_P(Faults, ReplaceKeyFaults, ::testing::ValuesIn(kReplaceRows), test_support::NameOfParam());

}  // namespace

namespace {

TEST_F(KeyEdit, DotInADirectoryNameStillCommits) {
  // The scratch file lands in the parent directory and is renamed back.
  fs::create_directories(Root() / "my.dir");
  Put("my.dir/profile", "[d]\nk=1\nx=2\n");
  EXPECT_EQ(IniDeleteKey(Path("my.dir/profile").c_str(), "d", "k"), 0);
  EXPECT_EQ(Get("my.dir/profile"), "[d]\r\nx=2\r\n");
  EXPECT_EQ(Files(), std::set<std::string>{"my.dir"});
}

}  // namespace
