// A folder of its own per test, files built from byte strings and read back
// whole, and a fault hook that fails chosen calls of the file layer.
#ifndef CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H
#define CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

#include <unistd.h>

#include "platform/fault.h"

namespace profile_test {

namespace fs = std::filesystem;

// Fails the nth call (1-based) of one operation, or of any operation when
// op is empty, and with `persistent` every later one too; counts every call
// it sees. Without `oneStep` the system has no one-step replace (as Windows
// 95), which is not counted as a call.
struct FaultPlan {
  bool anyOp = true;
  platform::FileOp op = platform::FileOp::kOpen;
  int failAt = 0;  // 0: never fail
  bool persistent = false;
  bool oneStep = true;
  int seen = 0;
  bool fired = false;

  static bool Hook(platform::FileOp op, const char*, void* context) {
    auto* plan = static_cast<FaultPlan*>(context);
    if (op == platform::FileOp::kReplace && !plan->oneStep) return true;
    if (!plan->anyOp && op != plan->op) return false;
    ++plan->seen;
    if (plan->seen == plan->failAt || (plan->persistent && plan->failAt > 0 && plan->seen > plan->failAt)) {
      plan->fired = true;
      return true;
    }
    return false;
  }
};

// One failure through the fault seam, and what the edit leaves behind.
struct FaultRow {
  const char* name;
  platform::FileOp op;
  int nth;
  const char* before;   // the edited file beforehand
  int result;
  const char* file;     // the edited file afterwards; nullptr: gone
  const char* scratch;  // the scratch file afterwards; nullptr: none
};

inline std::string FaultRowName(const ::testing::TestParamInfo<FaultRow>& info) {
  return info.param.name;
}

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    // Short and fixed, so the scratch names of the files stay well inside
    // the 128-byte line buffer whatever TMPDIR says.
    fs::path root = fs::is_directory("/tmp") ? fs::path("/tmp") : fs::temp_directory_path();
    dir_ = root / ("profile_" + std::to_string(::getpid()) + "_" +
                   std::to_string(std::hash<std::string>{}(name) % 1000000007u));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    platform::SetFaultHook(nullptr, nullptr);
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  std::string Put(const std::string& name, const std::string& bytes) {
    std::string path = Path(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  bool Exists(const std::string& name) const { return fs::exists(dir_ / name); }

  // What an edit left on disk: the file holds exactly bytes, or (nullptr) is gone.
  void ExpectLeft(const std::string& name, const char* bytes) const {
    if (bytes != nullptr) EXPECT_EQ(Get(name), bytes) << name;
    else EXPECT_FALSE(Exists(name)) << name;
  }

  // The names of every file in the folder.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.insert(entry.path().filename().string());
    return names;
  }

  void FailNth(platform::FileOp op, int n) {
    plan_ = FaultPlan{};
    plan_.anyOp = false;
    plan_.op = op;
    plan_.failAt = n;
    platform::SetFaultHook(&FaultPlan::Hook, &plan_);
  }
  // Every call from the nth on fails when persistent.
  void FailFromCall(int n, bool persistent, bool oneStep) {
    plan_ = FaultPlan{};
    plan_.failAt = n;
    plan_.persistent = persistent;
    plan_.oneStep = oneStep;
    platform::SetFaultHook(&FaultPlan::Hook, &plan_);
  }
  void NoFaults() { platform::SetFaultHook(nullptr, nullptr); }

  // Runs one edit of `file` with the row's fault and checks what it left.
  template <typename Edit>
  void RunFaultRow(const FaultRow& row, const std::string& file, const std::string& scratch,
                   Edit edit) {
    Put(file, row.before);
    FailNth(row.op, row.nth);
    EXPECT_EQ(edit(), row.result);
    EXPECT_TRUE(plan_.fired);
    NoFaults();
    ExpectLeft(file, row.file);
    ExpectLeft(scratch, row.scratch);
  }

  fs::path dir_;
  FaultPlan plan_;
};

}  // namespace profile_test

#endif  // CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H
