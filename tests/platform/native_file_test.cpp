// Files as the platform hands them out, on host paths and drive paths alike:
// a new file never writes through what stood at its name, only regular files
// are read or deleted, a new copy keeps the model's permissions, and a file
// is replaced in one step (or, without one, by delete and rename).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fault_plan.h"
#include "hostile.h"
#include "hostile_disk.h"
#include "param_name.h"
#include "machine_fixture.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;
using platform::FileOp;
using platform::ReplaceResult;
using test_support::Watchdog;

constexpr unsigned kNoHangSeconds = 10;

// The same file named two ways: as a host path and as a drive path.
struct Naming {
  const char* name;
  bool drive;
};
const Naming kNamings[] = {{"HostPath", false}, {"DrivePath", true}};

class NativeFileTest : public MachineTest, public ::testing::WithParamInterface<Naming> {
 protected:
  fs::path Host(const std::string& name) const { return Root() / "c" / name; }
  std::string Name(const std::string& name) const {
    return GetParam().drive ? "C:\\" + name : Host(name).string();
  }
  fs::path Outside() const { return Base() / "outside.txt"; }
  void PutOutside() const { Put(Outside(), "outside"); }
};

TEST_P(NativeFileTest, ANewFileNeverWritesThroughWhatStoodAtItsName) {
  for (const test_support::AtANewName& standing : test_support::ThingsAtANewName()) {
    SCOPED_TRACE(standing.name);
    PutOutside();
    fs::path at = Host("new.$$$");
    if (!standing.make(at, Outside())) continue;
    fs::file_status before = fs::symlink_status(at);
    Watchdog watchdog(kNoHangSeconds);

    platform::TextWriter writer;
    bool created = writer.Create(Name("new.$$$").c_str());
    EXPECT_EQ(created, standing.takesTheName);
    if (created) {
      EXPECT_TRUE(writer.Write("new\n"));
      EXPECT_TRUE(writer.Close());
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(at)));
      EXPECT_EQ(Get(at), "new\r\n");
    } else {
      EXPECT_EQ(fs::symlink_status(at).type(), before.type());
    }
    EXPECT_EQ(Get(Outside()), "outside");
    EXPECT_FALSE(fs::exists(Outside().string() + ".new"));
    fs::permissions(at, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow);
    fs::remove_all(at);
    fs::remove(Outside());
  }
}

TEST_P(NativeFileTest, OnlyRegularFilesAreReadAndNothingBlocks) {
  Put("c/folder/inner.txt", "x");
  ASSERT_TRUE(test_support::PlaceHostile(Host("fifo.ini"), test_support::Hostile::kFifo, {}));
  bool device = test_support::PlaceHostile(Host("zero.ini"), test_support::Hostile::kDevice, {});
  Watchdog watchdog(kNoHangSeconds);
  std::vector<std::string> names = {"folder", "fifo.ini"};
  if (device) names.push_back("zero.ini");
  for (const std::string& name : names) {
    platform::TextReader reader;
    EXPECT_FALSE(reader.Open(Name(name).c_str())) << name;
    // Not deleted either: only files are.
    EXPECT_FALSE(platform::RemoveFile(Name(name).c_str())) << name;
    EXPECT_TRUE(fs::exists(fs::symlink_status(Host(name)))) << name;
  }
  if (!device) std::printf("note: not root, no device node made; /dev/zero stands in below\n");
}

TEST_P(NativeFileTest, ANewCopyKeepsTheModelsPermissions) {
  struct Row {
    fs::perms model;
    fs::perms copy;
  };
  const Row rows[] = {
      {fs::perms(0600), fs::perms(0600)},
      {fs::perms(0640), fs::perms(0640)},
      {fs::perms(0751), fs::perms(0751)},
      {fs::perms(0604), fs::perms(0604)},
      // A read-only file is never replaced; its copy stays writable.
      {fs::perms(0444), fs::perms(0644)},
  };
  ::umask(022);
  for (const Row& row : rows) {
    std::string model = Put("c/model.ini", "x");
    fs::permissions(model, row.model);
    bool root = ::geteuid() == 0;
    if (root) {
      ASSERT_EQ(::chown(model.c_str(), 1234, 5678), 0);
    }
    platform::TextReader reader;
    ASSERT_TRUE(reader.Open(Name("model.ini").c_str()));
    platform::TextWriter writer;
    ASSERT_TRUE(writer.Create(Name("model.$$$").c_str(), &reader));
    EXPECT_TRUE(writer.Close());
    struct stat info {};
    ASSERT_EQ(::stat(Host("model.$$$").c_str(), &info), 0);
    EXPECT_EQ(fs::perms(info.st_mode & 07777), row.copy) << std::oct << info.st_mode;
    if (root) {
      EXPECT_EQ(info.st_uid, 1234u);
      EXPECT_EQ(info.st_gid, 5678u);
    }
    fs::permissions(model, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(model);
    fs::remove(Host("model.$$$"));
  }
}

struct ReplaceRow {
  const char* name;
  std::vector<std::pair<FileOp, int>> fail;
  std::function<void(const fs::path& target)> prepare;
  ReplaceResult result;
  const char* target;  // afterwards; nullptr: gone
  bool sourceStays;
};

const std::vector<ReplaceRow>& ReplaceRows() {
  static const std::vector<ReplaceRow> rows = {
      {"OneStep", {}, nullptr, ReplaceResult::kReplaced, "new", false},
      {"NoOneStepDeletesThenRenames", {{FileOp::kReplace, 1}}, nullptr, ReplaceResult::kReplaced, "new", false},
      {"OneStepMoveFailsOldStays", {{FileOp::kRename, 1}}, nullptr, ReplaceResult::kMoveFailed, "old", true},
      {"NoOneStepRenameFailsOldGone", {{FileOp::kReplace, 1}, {FileOp::kRename, 1}}, nullptr,
       ReplaceResult::kMoveFailed, nullptr, true},
      {"NoOneStepDeleteFails", {{FileOp::kReplace, 1}, {FileOp::kDelete, 2}}, nullptr,
       ReplaceResult::kNotDeletable, "old", true},
      {"NotDeletable", {{FileOp::kDelete, 1}}, nullptr, ReplaceResult::kNotDeletable, "old", true},
      {"ReadOnlyTarget", {}, [](const fs::path& t) { fs::permissions(t, fs::perms::owner_read); },
       ReplaceResult::kNotDeletable, "old", true},
      {"MissingTarget", {}, [](const fs::path& t) { fs::remove(t); }, ReplaceResult::kNotDeletable, nullptr, true},
      {"FolderAtTarget", {}, [](const fs::path& t) { fs::remove(t); fs::create_directory(t); },
       ReplaceResult::kNotDeletable, nullptr, true},
      {"FifoAtTarget", {}, [](const fs::path& t) { fs::remove(t); ASSERT_TRUE(test_support::PlaceHostile(t, test_support::Hostile::kFifo, {})); },
       ReplaceResult::kNotDeletable, nullptr, true},
  };
  return rows;
}

TEST_P(NativeFileTest, ReplaceLeavesOneOfTheTwoFilesAtTheName) {
  for (const ReplaceRow& row : ReplaceRows()) {
    SCOPED_TRACE(row.name);
    fs::path target = Put("c/edit.ini", "old");
    fs::path source = Put("c/edit.$$$", "new");
    if (row.prepare) row.prepare(target);
    test_support::FaultPlans faults;
    for (const auto& [op, nth] : row.fail) faults.plans.push_back(test_support::FaultPlan::Once(op, nth));
    {
      test_support::ScopedFaultHook hook(faults);
      EXPECT_EQ(platform::ReplaceFile(Name("edit.$$$").c_str(), Name("edit.ini").c_str()), row.result);
    }
    if (row.target != nullptr) {
      EXPECT_EQ(Get(target), row.target);
    } else if (fs::is_regular_file(fs::symlink_status(target))) {
      ADD_FAILURE() << "the target should not be a file";
    }
    EXPECT_EQ(fs::exists(source), row.sourceStays);
    if (row.sourceStays) {
      EXPECT_EQ(Get(source), "new");
    }
    std::error_code ignored;
    fs::permissions(target, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(target);
    fs::remove(source);
  }
}

INSTANTIATE_TEST_SUITE_P(Namings, NativeFileTest, ::testing::ValuesIn(kNamings),
                         test_support::NameOfParam());

// Host paths follow links, but a link to a device is no file either: reading
// it never fills anything with zeros.
TEST_F(MachineTest, ALinkToADeviceOnAHostPathIsNotRead) {
  fs::path link = Base() / "zero.ini";
  fs::create_symlink("/dev/zero", link);
  Watchdog watchdog(kNoHangSeconds);
  platform::TextReader reader;
  EXPECT_FALSE(reader.Open(link.c_str()));
  EXPECT_FALSE(reader.Open("/dev/null"));
}

// Positions are 64-bit offsets on disk: a sparse file read near 2^31 and
// 2^32 reports them without wrapping.
TEST_F(MachineTest, PositionsPastTwoAndFourGigabytesAreExact) {
  fs::path path = Base() / "sparse.ini";
  for (std::int64_t at : {std::int64_t{1} << 31, std::int64_t{1} << 32}) {
    SCOPED_TRACE(at);
    std::int64_t start = at - 3;
    {
      std::ofstream out(path, std::ios::binary | std::ios::trunc);
      out.seekp(start);
      out << "k=1\r\nnext\r\n";
    }
    platform::TextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    ASSERT_TRUE(reader.Seek(start));
    char piece[128];
    EXPECT_EQ(reader.ReadPiece(piece, 127), 4u);
    EXPECT_STREQ(piece, "k=1\n");
    EXPECT_EQ(reader.Tell(), at + 2);
    EXPECT_EQ(reader.ReadPiece(piece, 127), 5u);
    EXPECT_EQ(reader.Tell(), at + 8);
  }
}

}  // namespace
