// The kit's folder fixture with what the library's tests add: what an edit
// left behind, and a fault plan installed for the rest of a test.
#ifndef CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H
#define CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>

#include "fault_plan.h"
#include "folder_fixture.h"
#include "param_name.h"
#include "platform/fault.h"

namespace profile_test {

namespace fs = std::filesystem;

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

class ProfileTest : public test_support::FolderTest {
 protected:
  // What an edit left on disk: the file holds exactly bytes, or (nullptr) is gone.
  void ExpectLeft(const std::string& name, const char* bytes) const {
    if (bytes != nullptr) EXPECT_EQ(Get(name), bytes) << name;
    else EXPECT_FALSE(Exists(name)) << name;
  }

  // The names of every entry in the folder.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Root())) names.insert(entry.path().filename().string());
    return names;
  }

  void FailNth(platform::FileOp op, int n) { Install(test_support::FaultPlan::Once(op, n)); }
  // Every call from the nth on fails when persistent.
  void FailFromCall(int n, bool persistent, bool oneStep) {
    test_support::FaultPlan plan = persistent ? test_support::FaultPlan::AnyFrom(n) : test_support::FaultPlan::AnyOnce(n);
    plan.oneStep = oneStep;
    Install(plan);
  }
  void NoFaults() { hook_.reset(); }

  // Runs one edit of `file` with the row's fault and checks what it left.
  template <typename Edit>
  void RunFaultRow(const FaultRow& row, const std::string& file, const std::string& scratch,
                   Edit edit) {
    Put(file, row.before);
    FailNth(row.op, row.nth);
    EXPECT_EQ(edit(), row.result);
    EXPECT_TRUE(plan_.Fired());
    NoFaults();
    ExpectLeft(file, row.file);
    ExpectLeft(scratch, row.scratch);
  }

  test_support::FaultPlan plan_;

 private:
  void Install(const test_support::FaultPlan& plan) {
    hook_.reset();
    plan_ = plan;
    hook_.emplace(plan_);
  }

  std::optional<test_support::ScopedFaultHook> hook_;
};

}  // namespace profile_test

#endif  // CPUNINST_TESTS_PROFILE_PROFILE_FIXTURE_H
