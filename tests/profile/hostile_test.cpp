// Hostile disks under the library: whatever stands at the scratch name, a
// folder, FIFO or device where the file should be, twin names on a machine's
// drive, a full disk, permissions to keep, and walk positions at the edge of
// 32 bits. Each case has a clear outcome, blocks nothing (a watchdog ends a
// test that would), and changes nothing but the edited file and its scratch
// file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <tuple>

#include "edit_operations.h"
#include "hostile.h"
#include "hostile_disk.h"
#include "machine_in_use.h"
#include "profile/profile.h"
#include "profile_fixture.h"
#include "param_name.h"
#include "tally.h"

namespace {

using profile_test::EditOperation;
using profile_test::ProfileTest;
using test_support::Watchdog;
namespace fs = std::filesystem;

constexpr unsigned kNoHangSeconds = 20;
const std::string kProfile =
    "; top\r\nwave=0\r\n[drivers]\r\nwave=a.drv\r\nmidi=m\r\n" + std::string(300, 'L') + "\r\n[other]\r\nk=1\r\n";
constexpr const char* kVictim = "out/victim.ini";
constexpr const char* kVictimBytes = "[drivers]\r\nwave=victim\r\n";

void CountCase() { test_support::Tally("hostile cases (library)", 1); }

class Hostile : public ProfileTest {
 protected:
  void SetUp() override {
    ProfileTest::SetUp();
    fs::create_directories(Root() / "out");
    Put(kVictim, kVictimBytes);
  }

  std::string File() const { return Path("s.ini"); }

  // The operation's result and bytes on an untroubled copy.
  std::pair<int, std::string> CleanRun(const EditOperation& operation) {
    Put("clean.ini", kProfile);
    int result = operation.run(Path("clean.ini").c_str());
    std::string bytes = Get("clean.ini");
    fs::remove(Root() / "clean.ini");
    return {result, bytes};
  }

  void ExpectVictimUntouched() const {
    EXPECT_EQ(Get(kVictim), kVictimBytes);
    EXPECT_EQ(fs::directory_entry(Root() / "out").exists() ? std::distance(fs::directory_iterator(Root() / "out"), {}) : 0, 1);
  }

  void Clear(const std::string& name) {
    fs::path at = Root() / name;
    std::error_code ignored;
    fs::permissions(at, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow, ignored);
    fs::remove_all(at, ignored);
  }
};

// ---- What stands at the scratch name ----

class AtTheScratchName
    : public Hostile,
      public ::testing::WithParamInterface<std::tuple<EditOperation, test_support::AtANewName>> {};

TEST_P(AtTheScratchName, IsRemovedAsANameOrRefusesTheEdit) {
  const auto& [operation, thing] = GetParam();
  auto [cleanResult, cleanBytes] = CleanRun(operation);
  // Links to a file outside, and to the edited file itself.
  for (const std::string& target : {Path(kVictim), File()}) {
    SCOPED_TRACE(target);
    Put("s.ini", kProfile);
    if (!thing.make(Root() / "s.$$$", target)) GTEST_SKIP() << "cannot make " << thing.name << " here (not root)";
    fs::file_type before = fs::symlink_status(Root() / "s.$$$").type();
    Watchdog watchdog(kNoHangSeconds);

    int result = operation.run(File().c_str());

    if (thing.takesTheName) {
      EXPECT_EQ(result, cleanResult);
      EXPECT_EQ(Get("s.ini"), cleanBytes);
      EXPECT_FALSE(fs::exists(fs::symlink_status(Root() / "s.$$$")));
    } else {
      EXPECT_EQ(result, operation.failed);
      EXPECT_EQ(Get("s.ini"), kProfile);
      EXPECT_EQ(fs::symlink_status(Root() / "s.$$$").type(), before);
    }
    ExpectVictimUntouched();
    Clear("s.$$$");
    CountCase();
  }
}

INSTANTIATE_TEST_SUITE_P(Things, AtTheScratchName,
                         ::testing::Combine(::testing::ValuesIn(profile_test::EditOperations()),
                                            ::testing::ValuesIn(test_support::ThingsAtANewName())),
                         test_support::NameOfParam());

// ---- What stands where the file should be ----

using test_support::NotAFile;

class WhereTheFileShouldBe : public Hostile,
                             public ::testing::WithParamInterface<std::tuple<EditOperation, NotAFile>> {};

TEST_P(WhereTheFileShouldBe, EditsFailAtOnceBeforeAnyScratchFile) {
  const auto& [operation, thing] = GetParam();
  if (!thing.make(Root() / "s.ini")) GTEST_SKIP() << "cannot make " << thing.name << " here (not root)";
  Watchdog watchdog(kNoHangSeconds);
  EXPECT_EQ(operation.run(File().c_str()), operation.failed);
  EXPECT_EQ(Files(), (std::set<std::string>{"out", "s.ini"}));
  ExpectVictimUntouched();
  CountCase();
}

INSTANTIATE_TEST_SUITE_P(Things, WhereTheFileShouldBe,
                         ::testing::Combine(::testing::ValuesIn(profile_test::EditOperations()),
                                            ::testing::ValuesIn(test_support::ThingsWhereAFileShouldBe())),
                         test_support::NameOfParam());

class ReadersOfNotAFile : public Hostile, public ::testing::WithParamInterface<NotAFile> {};

TEST_P(ReadersOfNotAFile, AnswerTheirDefault) {
  const NotAFile& thing = GetParam();
  if (!thing.make(Root() / "s.ini")) GTEST_SKIP() << "cannot make " << thing.name << " here (not root)";
  Watchdog watchdog(kNoHangSeconds);
  std::string file = File();
  EXPECT_STREQ(IniGetString(file.c_str(), "drivers", "wave", "dflt"), "dflt");
  EXPECT_EQ(IniGetString(file.c_str(), nullptr, "wave", nullptr), nullptr);
  EXPECT_EQ(IniGetHex(file.c_str(), "drivers", "port", 0x220), 0x220);
  EXPECT_EQ(IniGetUnsigned(file.c_str(), "drivers", "irq", 7u), 7u);
  EXPECT_STREQ(IniGetLastSection(file.c_str(), "none"), "none");
  std::int32_t position = 5;
  EXPECT_EQ(IniFirstSectionLine(file.c_str(), "drivers", &position, 0), nullptr);
  EXPECT_EQ(IniNextSectionLine(file.c_str(), &position, 0), nullptr);
  EXPECT_EQ(position, 5);
  EXPECT_EQ(Files(), (std::set<std::string>{"out", "s.ini"}));
  CountCase();
}

INSTANTIATE_TEST_SUITE_P(Things, ReadersOfNotAFile, ::testing::ValuesIn(test_support::ThingsWhereAFileShouldBe()),
                         test_support::NameOfParam());

// ---- Twins on a machine's drive ----

class TwinNames : public Hostile, public ::testing::WithParamInterface<EditOperation> {
 protected:
  TwinNames() { fs::create_directories(Root() / "c"); }

 private:
  test_support::MachineInUse machine_{Root()};
};

TEST_P(TwinNames, NeitherTwinIsReached) {
  const EditOperation& operation = GetParam();
  // Twins of the file, then twins of its scratch name.
  const std::vector<std::vector<std::pair<std::string, std::string>>> layouts = {
      {{"c/system.ini", kProfile}, {"c/SYSTEM.INI", kProfile + "; the other twin\r\n"}},
      {{"c/system.ini", kProfile}, {"c/system.$$$", "one"}, {"c/SYSTEM.$$$", "two"}},
  };
  for (const auto& layout : layouts) {
    for (const auto& [name, bytes] : layout) Put(name, bytes);
    EXPECT_EQ(operation.run("C:\\system.ini"), operation.failed);
    for (const auto& [name, bytes] : layout) EXPECT_EQ(Get(name), bytes) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(Root() / "c"), {}), static_cast<long>(layout.size()));
    fs::remove_all(Root() / "c");
    fs::create_directories(Root() / "c");
    CountCase();
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, TwinNames, ::testing::ValuesIn(profile_test::EditOperations()),
                         test_support::NameOfParam());

// ---- Permissions and a full disk, for each operation ----

class EachOperation : public Hostile, public ::testing::WithParamInterface<EditOperation> {};

TEST_P(EachOperation, TheNewFileKeepsTheOldOnesModeAndOwner) {
  const EditOperation& operation = GetParam();
  bool root = ::geteuid() == 0;
  ::umask(022);
  for (mode_t mode : {0600, 0640, 0604, 0660, 02640}) {
    SCOPED_TRACE(mode);
    Put("s.ini", kProfile);
    ASSERT_EQ(::chmod(File().c_str(), mode), 0);
    if (root) {
      ASSERT_EQ(::chown(File().c_str(), 4321, 8765), 0);
      ASSERT_EQ(::chmod(File().c_str(), mode), 0);  // chown may clear set-group-ID
    }
    int result = operation.run(File().c_str());
    ASSERT_TRUE(result == 0 || result == 1) << result;
    struct stat info {};
    ASSERT_EQ(::stat(File().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << (info.st_mode & 07777);
    if (root) {
      EXPECT_EQ(info.st_uid, 4321u);
      EXPECT_EQ(info.st_gid, 8765u);
    }
    CountCase();
  }
}

TEST_P(EachOperation, AFullDiskLeavesTheFileAndALaterRunCanRepair) {
  const EditOperation& operation = GetParam();
  auto [cleanResult, cleanBytes] = CleanRun(operation);
  test_support::SmallDisk disk(Root() / "small", 64 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Note();
  std::string file = Put("small/s.ini", kProfile);
  disk.Fill(Root() / "small" / "filler");

  int result = operation.run(file.c_str());
  EXPECT_NE(std::find(operation.codes.begin(), operation.codes.end(), result), operation.codes.end());
  EXPECT_NE(result, 0);
  EXPECT_EQ(Get("small/s.ini"), kProfile);

  fs::remove(Root() / "small" / "filler");
  EXPECT_EQ(operation.run(file.c_str()), cleanResult);
  EXPECT_EQ(Get("small/s.ini"), cleanBytes);
  EXPECT_FALSE(Exists("small/s.$$$"));
  ExpectVictimUntouched();
  CountCase();
}

INSTANTIATE_TEST_SUITE_P(Operations, EachOperation, ::testing::ValuesIn(profile_test::EditOperations()),
                         test_support::NameOfParam());

// ---- Walk positions at the edge of 32 bits ----

constexpr std::int64_t kTwoGiB = std::int64_t{1} << 31;

struct EdgeCase {
  const char* name;
  std::int64_t lineEnd;  // where "k=1" and its CR LF end, the header just before
  const char* line;      // what the walk returns; nullptr: the walk ends
};

void PrintTo(const EdgeCase& edge, std::ostream* out) { *out << edge.name; }

const EdgeCase kEdges[] = {
    {"LastPositionThatFits", kTwoGiB - 1, "k=1"},
    {"FirstPositionThatDoesNot", kTwoGiB, nullptr},
    {"WellPast", kTwoGiB + 7, nullptr},
};

class WalkEdge : public Hostile, public ::testing::WithParamInterface<EdgeCase> {};

TEST_P(WalkEdge, APositionThatDoesNotFitEndsTheWalk) {
  const EdgeCase& edge = GetParam();
  const std::string lines = "[A]\r\nk=1\r\n";
  std::int64_t start = edge.lineEnd - static_cast<std::int64_t>(lines.size());
  {
    std::ofstream out(File(), std::ios::binary);
    out.seekp(start);
    out << lines;
  }
  std::string file = File();
  std::int32_t position = static_cast<std::int32_t>(start);
  const char* line = IniFirstSectionLine(file.c_str(), "A", &position, INI_WALK_FROM_POSITION);
  if (edge.line == nullptr) {
    EXPECT_EQ(line, nullptr);
    EXPECT_EQ(position, static_cast<std::int32_t>(start));
  } else {
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, edge.line);
    EXPECT_EQ(position, edge.lineEnd);
  }
  // The next line of a walk that stands just after the header.
  std::int64_t afterHeader = start + 5;
  if (afterHeader <= INT32_MAX) {
    std::int32_t walked = static_cast<std::int32_t>(afterHeader);
    line = IniNextSectionLine(file.c_str(), &walked, 0);
    EXPECT_EQ(line == nullptr, edge.line == nullptr);
    EXPECT_EQ(walked, edge.line == nullptr ? afterHeader : edge.lineEnd);
  }
  CountCase();
}

INSTANTIATE_TEST_SUITE_P(Edges, WalkEdge, ::testing::ValuesIn(kEdges),
                         test_support::NameOfParam());

// A walk that skips 2 GiB of blank pieces in one call, from just below 2^31
// to past 2^32, where a wrapped position would point back near the start.
// It writes 2 GiB, so it runs only when CPUNINST_LARGE_TESTS is set.
TEST_F(Hostile, AWalkThatReadsPastFourGigabytesEnds) {
  if (std::getenv("CPUNINST_LARGE_TESTS") == nullptr) GTEST_SKIP() << "set CPUNINST_LARGE_TESTS to run it";
  constexpr std::int64_t kFourGiB = std::int64_t{1} << 32;
  const std::int64_t start = kTwoGiB - 100;
  {
    std::ofstream out(File(), std::ios::binary);
    out.seekp(start);
    out << "[A]\r\n";
    const std::string blanks(1 << 20, ' ');
    for (std::int64_t at = start + 5; at < kFourGiB + 50; at += static_cast<std::int64_t>(blanks.size())) {
      out.write(blanks.data(), static_cast<std::streamsize>(blanks.size()));
    }
    out << "\r\nk=1\r\n";
  }
  std::string file = File();
  std::int32_t position = static_cast<std::int32_t>(start);
  EXPECT_EQ(IniFirstSectionLine(file.c_str(), "A", &position, INI_WALK_FROM_POSITION), nullptr);
  EXPECT_EQ(position, static_cast<std::int32_t>(start));
  std::int32_t walked = static_cast<std::int32_t>(start + 5);
  EXPECT_EQ(IniNextSectionLine(file.c_str(), &walked, 0), nullptr);
  EXPECT_EQ(walked, static_cast<std::int32_t>(start + 5));
  CountCase();
}

}  // namespace
