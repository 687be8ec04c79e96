// Hostile files under the real profctl: FIFOs, devices and folders where the
// file should be, links and hard links at the scratch name, twin names on a
// machine's drive, a private file, a full disk, walk positions at 2^31. Each
// run ends within its deadline with the expected output and status, and the
// folder (and what lies outside it) holds exactly what it should.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "child.h"
#include "folder_fixture.h"
#include "hostile.h"
#include "hostile_disk.h"
#include "param_name.h"
#include "tally.h"
#include "tree.h"

namespace {

namespace fs = std::filesystem;
using test_support::Tree;

constexpr std::chrono::milliseconds kDeadline{10000};
constexpr const char* kMachineVariable = "WIN95_MACHINE";
const std::string kIni = "[drivers]\r\nwave=a.drv\r\nmidi=m\r\n";
const std::string kEdited = "[drivers]\r\nwave=b\r\nmidi=m\r\n";  // after: set -s drivers s.ini wave b
constexpr const char* kOutsideBytes = "[drivers]\r\nwave=outside\r\n";

class ProfctlHostile : public test_support::FolderTest {
 protected:
  ProfctlHostile() : FolderTest("work") { Put(Outside(), kOutsideBytes); }

  fs::path Outside() const { return Base() / "outside" / "victim.ini"; }

  test_support::ChildResult Run(const std::vector<std::string>& args, const std::string& machine = {}) const {
    test_support::ChildLaunch launch;
    launch.program = PROFCTL_PATH;
    launch.arguments = args;
    launch.environment[kMachineVariable] = machine.empty() ? std::nullopt : std::optional<std::string>(machine);
    launch.workingDirectory = Root();
    launch.timeLimit = kDeadline;
    test_support::ChildResult result = test_support::RunChild(launch, Base() / "io");
    EXPECT_FALSE(result.timedOut) << "profctl hung";
    return result;
  }

  void ExpectOutsideUntouched() const {
    Tree outside = test_support::SnapshotTree(Base() / "outside");
    EXPECT_EQ(outside, (Tree{{"victim.ini", kOutsideBytes}}));
  }
};

void Count() { test_support::Tally("hostile cases (profctl)", 1); }

// ---- Not a file where the file should be ----

using test_support::NotAFile;

// Every subcommand that names the file: what it prints and its status.
struct Answer {
  std::vector<std::string> args;
  std::string out;
  int status;
};

const std::vector<Answer> kAnswersForNotAFile = {
    {{"get", "-s", "drivers", "s.ini", "wave", "none"}, "none\n", 0},
    {{"get", "-s", "drivers", "s.ini", "wave"}, "", 1},
    {{"get-hex", "-s", "drivers", "s.ini", "port", "0x220"}, "0x0220\n", 0},
    {{"last-section", "s.ini", "none"}, "none\n", 0},
    {{"walk", "-s", "drivers", "--trace", "s.ini"}, "end\t0\t0\n", 0},
    {{"delete-line", "s.ini", "midi=m", "3"}, "2\n", 1},
    {{"delete-key", "-s", "drivers", "s.ini", "wave"}, "1\n", 1},
    {{"replace-key", "-s", "drivers", "s.ini", "wave", "wave=x"}, "1\n", 1},
    {{"add-line", "-s", "drivers", "s.ini", "x=1"}, "1\n", 1},
    {{"set", "-s", "drivers", "s.ini", "wave", "b"}, "1\n", 1},
};

class WhereTheFileShouldBe : public ProfctlHostile, public ::testing::WithParamInterface<NotAFile> {};

TEST_P(WhereTheFileShouldBe, EveryCommandAnswersAtOnceAndWritesNothing) {
  const NotAFile& thing = GetParam();
  if (!thing.make(Root() / "s.ini")) GTEST_SKIP() << "cannot make " << thing.name << " here (not root)";
  Tree before = test_support::SnapshotTree(Root());
  for (const Answer& answer : kAnswersForNotAFile) {
    SCOPED_TRACE(answer.args[0]);
    test_support::ChildResult result = Run(answer.args);
    EXPECT_EQ(result.out, answer.out);
    EXPECT_EQ(result.exitStatus, answer.status) << result.err;
    EXPECT_EQ(test_support::SnapshotTree(Root()), before);
    Count();
  }
  ExpectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(Things, WhereTheFileShouldBe, ::testing::ValuesIn(test_support::ThingsWhereAFileShouldBe()),
                         test_support::NameOfParam());

// ---- What stands at the scratch name ----

class AtTheScratchName : public ProfctlHostile,
                         public ::testing::WithParamInterface<test_support::AtANewName> {};

TEST_P(AtTheScratchName, IsRemovedAsANameOrRefusesTheEdit) {
  const test_support::AtANewName& thing = GetParam();
  Put("s.ini", kIni);
  if (!thing.make(Root() / "s.$$$", Outside())) GTEST_SKIP() << "cannot make " << thing.name << " here (not root)";
  Tree before = test_support::SnapshotTree(Root());

  test_support::ChildResult result = Run({"set", "-s", "drivers", "s.ini", "wave", "b"});

  Tree after = test_support::SnapshotTree(Root());
  if (thing.takesTheName) {
    EXPECT_EQ(result.out, "0\n");
    EXPECT_EQ(after, (Tree{{"s.ini", kEdited}}));
  } else {
    EXPECT_EQ(result.out, "1\n");
    EXPECT_EQ(after, before);
  }
  ExpectOutsideUntouched();
  Count();
}

INSTANTIATE_TEST_SUITE_P(Things, AtTheScratchName, ::testing::ValuesIn(test_support::ThingsAtANewName()),
                         test_support::NameOfParam());

// ---- Twins on a machine's drive ----

TEST_F(ProfctlHostile, TwinNamesOnADriveAreNeitherReadNorEdited) {
  const std::vector<std::vector<std::string>> layouts = {
      {"c/system.ini", "c/SYSTEM.INI"},
      {"c/system.ini", "c/system.$$$", "c/SYSTEM.$$$"},
  };
  for (const auto& layout : layouts) {
    for (const std::string& name : layout) Put(name, kIni + "; " + name + "\r\n");
    Tree before = test_support::SnapshotTree(Root());
    std::string machine = Root().string();
    test_support::ChildResult set = Run({"set", "-s", "drivers", "C:\\system.ini", "wave", "b"}, machine);
    EXPECT_EQ(set.out, "1\n");
    test_support::ChildResult get = Run({"get", "-s", "drivers", "C:\\SYSTEM.INI", "midi", "none"}, machine);
    EXPECT_EQ(get.out, layout.size() == 2 ? "none\n" : "m\n");
    EXPECT_EQ(test_support::SnapshotTree(Root()), before);
    fs::remove_all(Root() / "c");
    Count();
  }
}

// ---- Permissions ----

TEST_F(ProfctlHostile, APrivateFileStaysPrivate) {
  ::umask(022);
  for (fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0400)}) {
    Put("s.ini", kIni);
    fs::permissions(Root() / "s.ini", mode);
    bool readOnly = (mode & fs::perms::owner_write) == fs::perms::none;
    test_support::ChildResult result = Run({"set", "-s", "drivers", "s.ini", "wave", "b"});
    // A read-only file is never replaced; the new text waits in the scratch file.
    EXPECT_EQ(result.out, readOnly ? "-1\n" : "0\n");
    EXPECT_EQ(fs::status(Root() / "s.ini").permissions(), mode);
    fs::remove(Root() / "s.$$$");
    Count();
  }
}

// ---- A full disk ----

TEST_F(ProfctlHostile, AFullDiskLeavesTheFileAndALaterRunSucceeds) {
  test_support::SmallDisk disk(Root() / "small", 64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Note();
  Put("small/s.ini", kIni);
  disk.Fill(Root() / "small" / "filler");
  test_support::ChildResult full = Run({"set", "-s", "drivers", "small/s.ini", "wave", "b"});
  EXPECT_EQ(full.out, "1\n");
  EXPECT_EQ(test_support::SnapshotTree(Root() / "small")["s.ini"], kIni);
  fs::remove(Root() / "small" / "filler");
  test_support::ChildResult later = Run({"set", "-s", "drivers", "small/s.ini", "wave", "b"});
  EXPECT_EQ(later.out, "0\n");
  EXPECT_EQ(test_support::SnapshotTree(Root() / "small"), (Tree{{"s.ini", kEdited}}));
  Count();
}

// ---- Walk positions at the edge of 32 bits ----

TEST_F(ProfctlHostile, AWalkPastTwoGigabytesEndsWithoutAWrongPosition) {
  constexpr std::int64_t kEdge = std::int64_t{1} << 31;
  const std::string lines = "[A]\r\nk=1\r\nk=2\r\n";
  // The header at start; k=1 ends at the last position that fits, k=2 past it.
  std::int64_t start = kEdge - 1 - 10;
  {
    std::ofstream out(Root() / "big.ini", std::ios::binary);
    out.seekp(start);
    out << lines;
  }
  test_support::ChildResult result =
      Run({"walk", "-s", "A", "-o", "2", "-p", std::to_string(start), "--trace", "big.ini"});
  EXPECT_EQ(result.out, "2\t2147483647\tk=1\nend\t3\t2147483647\n");
  EXPECT_EQ(result.exitStatus, 0);
  Count();
}

}  // namespace
