// The machine's records on the host: only regular files are read (nothing
// blocks, nothing is followed), and the registry's rewrite never writes
// through whatever stands at its scratch name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "hostile.h"
#include "machine_fixture.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/whole_file.h"

namespace {

namespace fs = std::filesystem;
using platform::hosted::ReadHostFile;
using platform::hosted::ReadResult;
using Rewrite = platform::hosted::Machine::Rewrite;
using test_support::Hostile;

constexpr std::size_t kLimit = 1 << 20;
constexpr const char* kOldText = "REGEDIT4\r\n";
constexpr const char* kNewText = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\New]\r\n";

class HostFileTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    outside_ = Base() / "outside.txt";
    Put(outside_, "outside");
  }
  std::string Path(const char* name) const { return (Root() / name).string(); }
  fs::path outside_;
};

TEST_F(HostFileTest, OnlyARegularFileIsRead) {
  std::string bytes = "old";
  EXPECT_EQ(ReadHostFile(Path("missing.reg"), bytes, kLimit), ReadResult::kMissing);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(ReadHostFile(Path("nofolder/x.reg"), bytes, kLimit), ReadResult::kMissing);
  Put("plain.reg", std::string("a\0b\r\n", 5));
  EXPECT_EQ(ReadHostFile(Path("plain.reg"), bytes, kLimit), ReadResult::kRead);
  EXPECT_EQ(bytes, std::string("a\0b\r\n", 5));

  for (Hostile kind : test_support::kEveryHostile) {
    std::string name = "hostile-" + std::to_string(static_cast<int>(kind));
    if (!test_support::PlaceHostile(Root() / name, kind, outside_)) {
      std::cout << "[ skipped  ] " << test_support::HostileName(kind) << ": cannot be made here\n";
      continue;
    }
    bytes = "old";
    EXPECT_EQ(ReadHostFile(Path(name.c_str()), bytes, kLimit), ReadResult::kNotRegular)
        << test_support::HostileName(kind);
    EXPECT_EQ(bytes, "");
  }
}

TEST_F(HostFileTest, ARecordOverItsLimitIsNotRead) {
  Put("ten.reg", "0123456789");
  std::string bytes;
  EXPECT_EQ(ReadHostFile(Path("ten.reg"), bytes, 10), ReadResult::kRead);
  EXPECT_EQ(ReadHostFile(Path("ten.reg"), bytes, 9), ReadResult::kTooLarge);
  EXPECT_EQ(bytes, "");
  // Sparse: a size the disk does not hold is refused before any byte is read.
  int fd = ::open(Path("huge.reg").c_str(), O_WRONLY | O_CREAT, 0644);
  ASSERT_EQ(::ftruncate(fd, off_t{1} << 40), 0);
  ::close(fd);
  EXPECT_EQ(ReadHostFile(Path("huge.reg"), bytes, kLimit), ReadResult::kTooLarge);
}

TEST_F(HostFileTest, WhateverStandsAtTheScratchNameIsNeverWrittenThrough) {
  struct Case {
    const char* name;
    std::function<bool(const fs::path& scratch, const fs::path& file)> place;
  };
  const std::vector<Case> cases = {
      {"stale file", [](const fs::path& s, const fs::path&) { return !!(std::ofstream(s) << "stale"); }},
      {"hard link outside",
       [this](const fs::path& s, const fs::path&) { return ::link(outside_.c_str(), s.c_str()) == 0; }},
      {"hard link to the file", [](const fs::path& s, const fs::path& f) { return ::link(f.c_str(), s.c_str()) == 0; }},
      {"link to the file", [](const fs::path& s, const fs::path& f) { return ::symlink(f.c_str(), s.c_str()) == 0; }},
      {"link outside", [this](const fs::path& s, const fs::path&) {
         return test_support::PlaceHostile(s, Hostile::kLinkOutside, outside_);
       }},
      {"FIFO", [this](const fs::path& s, const fs::path&) { return test_support::PlaceHostile(s, Hostile::kFifo, outside_); }},
      {"device", [this](const fs::path& s, const fs::path&) {
         return test_support::PlaceHostile(s, Hostile::kDevice, outside_);
       }},
  };
  for (const Case& c : cases) {
    fs::path file = Root() / "registry.reg";
    fs::path scratch = Root() / "registry.$$$";
    fs::remove(scratch);
    Put("registry.reg", kOldText);
    if (!c.place(scratch, file)) {
      std::cout << "[ skipped  ] " << c.name << ": cannot be made here\n";
      continue;
    }
    EXPECT_EQ(TheMachine().RewriteRegistry(kNewText), Rewrite::kRewritten) << c.name;
    EXPECT_EQ(Get(file), kNewText) << c.name;
    EXPECT_EQ(Get(outside_), "outside") << c.name;
    EXPECT_FALSE(fs::exists(fs::symlink_status(scratch))) << c.name;
  }
}

TEST_F(HostFileTest, AFolderAtTheScratchNameFailsTheReplacement) {
  std::string file = Put("registry.reg", kOldText);
  fs::create_directory(Root() / "registry.$$$");
  EXPECT_EQ(TheMachine().RewriteRegistry(kNewText), Rewrite::kFailed);
  EXPECT_EQ(Get(file), kOldText);
  EXPECT_TRUE(fs::is_directory(Root() / "registry.$$$"));
}

TEST_F(HostFileTest, AReadOnlyOrIrregularFileIsNotReplaced) {
  std::string file = Put("registry.reg", kOldText);
  ::chmod(file.c_str(), 0444);
  EXPECT_EQ(TheMachine().RewriteRegistry(kNewText), Rewrite::kReadOnly);
  EXPECT_EQ(Get(file), kOldText);
  EXPECT_FALSE(Exists("registry.$$$"));

  fs::remove(file);
  ASSERT_TRUE(test_support::PlaceHostile(Root() / "registry.reg", Hostile::kFifo, outside_));
  Reopen();
  EXPECT_EQ(TheMachine().RewriteRegistry(kNewText), Rewrite::kFailed);
  EXPECT_FALSE(Exists("registry.$$$"));
  EXPECT_TRUE(fs::is_fifo(Root() / "registry.reg"));
}

}  // namespace
