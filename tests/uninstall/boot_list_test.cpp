// The boot-time deletion list in-process, through the fault seam: it appears
// whole or not at all, whichever call fails or wherever the process dies,
// never replaces a list that appears meanwhile, and a later run can always
// write it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "card_machine.h"
#include "child.h"
#include "hostile_disk.h"
#include "machine_in_use.h"
#include "fault_plan.h"
#include "platform/fault.h"
#include "tally.h"
#include "uninstall/phases.h"

namespace uninstall_test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kWindowsDir = "C:\\WINDOWS";
constexpr const char* kSystemDir = "C:\\WINDOWS\\SYSTEM";
constexpr std::string_view kScratch = "c/WINDOWS/wininit.$$$";
constexpr int kDied = 77;
constexpr int kCompleted = 78;

class BootListTest : public testing::Test {
 protected:
  void SetUp() override { machine_.MakeFolder("c/WINDOWS/SYSTEM"); }

  void Write() { uninstall::WriteBootDeletionList(kWindowsDir, kSystemDir); }
  void Write(test_support::FaultPlan& plan) {
    test_support::ScopedFaultHook hook(plan);
    Write();
  }

  // The list is whole or missing; its scratch file may stay only when told.
  void ExpectWholeOrNothing(bool scratchMayStay) {
    std::optional<std::string> list = machine_.Read(std::string(kWininitIni));
    if (list) {
      EXPECT_EQ(*list, kWholeList);
    }
    if (!scratchMayStay) {
      EXPECT_FALSE(machine_.Exists(std::string(kScratch)));
    }
    for (const auto& entry : fs::directory_iterator(machine_.Root() / "c/WINDOWS")) {
      std::string name = entry.path().filename().string();
      EXPECT_TRUE(name == "SYSTEM" || name == "wininit.ini" || name == "wininit.$$$") << name;
    }
  }

  // A run without faults afterwards writes the whole list.
  void ExpectALaterRunWritesIt() {
    Write();
    EXPECT_EQ(machine_.Read(std::string(kWininitIni)), kWholeList);
    EXPECT_FALSE(machine_.Exists(std::string(kScratch)));
  }

  void Reset() {
    fs::remove_all(machine_.Root() / "c");
    machine_.MakeFolder("c/WINDOWS/SYSTEM");
  }

  Machine machine_;
  test_support::MachineInUse machineInUse_{machine_.Root()};
  const std::string kWholeList = BootList(kWindowsDir, kSystemDir);
};

TEST_F(BootListTest, EveryFailingCallLeavesTheWholeListOrNone) {
  for (bool persistent : {false, true}) {
    int n = 1;
    for (;; ++n) {
      ASSERT_LT(n, 100);
      SCOPED_TRACE((persistent ? "persistent, from call " : "one-shot, call ") + std::to_string(n));
      Reset();
      auto faults = persistent ? test_support::FaultPlan::AnyFrom(n) : test_support::FaultPlan::AnyOnce(n);
      Write(faults);
      ExpectWholeOrNothing(persistent);
      if (!faults.Fired()) break;
      ExpectALaterRunWritesIt();
    }
    EXPECT_GT(n, 10);
    test_support::Tally(std::string("fault points tried (boot list), ") + (persistent ? "persistent" : "one-shot"),
                        n - 1);
  }
}

TEST_F(BootListTest, DyingAtAnyCallLeavesTheWholeListOrNone) {
  test_support::Watchdog watchdog(60);
  int n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 100);
    SCOPED_TRACE("dying at call " + std::to_string(n));
    Reset();
    int status = test_support::RunInChild([this, n] {
      auto faults = test_support::FaultPlan::AnyOnce(n);
      faults.onFault = [] { ::_exit(kDied); };
      Write(faults);
      return kCompleted;
    });
    ASSERT_TRUE(status == kDied || status == kCompleted) << status;
    ExpectWholeOrNothing(true);
    if (status == kCompleted) break;
    ExpectALaterRunWritesIt();
  }
  test_support::Tally("crash points tried (boot list)", n - 1);
}

// A list that appears while ours is written is never replaced.
TEST_F(BootListTest, AListThatAppearsMeanwhileIsKept) {
  struct Race {
    fs::path list;
    static bool Hook(platform::FileOp op, const char*, void* context) {
      if (op == platform::FileOp::kRename) std::ofstream(static_cast<Race*>(context)->list) << "[rename]\r\n";
      return false;
    }
  } race{machine_.Root() / std::string(kWininitIni)};
  {
    test_support::ScopedFaultHook hook(&Race::Hook, &race);
    Write();
  }
  EXPECT_EQ(machine_.Read(std::string(kWininitIni)), "[rename]\r\n");
  EXPECT_FALSE(machine_.Exists(std::string(kScratch)));
}

}  // namespace
}  // namespace uninstall_test
