// The kit itself: the fault plan fails exactly the calls it names and the
// scoped hook puts back the one before it; the folder keeps bytes whole,
// tells entries apart and goes away with everything in it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child.h"
#include "fault_plan.h"
#include "folder.h"
#include "param_name.h"

namespace {

namespace fs = std::filesystem;
using platform::FileOp;
using test_support::FaultPlan;
using test_support::ScopedFaultHook;

// The calls a plan sees, and which of them it fails.
struct PlanCase {
  const char* name;
  FaultPlan plan;
  std::vector<FileOp> calls;
  std::vector<bool> fails;
};

const PlanCase kPlans[] = {
    {"OnceFailsOnlyTheNthOfItsOperation", FaultPlan::Once(FileOp::kWrite, 2),
     {FileOp::kWrite, FileOp::kRead, FileOp::kWrite, FileOp::kWrite}, {false, false, true, false}},
    {"FromFailsTheNthAndEveryLater", FaultPlan::From(FileOp::kRead, 2),
     {FileOp::kRead, FileOp::kWrite, FileOp::kRead, FileOp::kRead}, {false, false, true, true}},
    {"AnyOnceCountsEveryOperation", FaultPlan::AnyOnce(3),
     {FileOp::kOpen, FileOp::kRead, FileOp::kWrite, FileOp::kFlush}, {false, false, true, false}},
    {"AnyFromFailsTheRest", FaultPlan::AnyFrom(2), {FileOp::kOpen, FileOp::kRead, FileOp::kDelete}, {false, true, true}},
    {"CountingFailsNothing", FaultPlan::Counting(), {FileOp::kOpen, FileOp::kRename}, {false, false}},
};

class FaultPlans : public ::testing::TestWithParam<PlanCase> {};

TEST_P(FaultPlans, FailExactlyTheNamedCalls) {
  FaultPlan plan = GetParam().plan;
  ScopedFaultHook hook(plan);
  for (std::size_t i = 0; i < GetParam().calls.size(); ++i) {
    EXPECT_EQ(platform::ShouldFail(GetParam().calls[i], "x"), GetParam().fails[i]) << "call " << i + 1;
  }
  bool anyFailed = false;
  for (bool fails : GetParam().fails) anyFailed = anyFailed || fails;
  EXPECT_EQ(plan.Fired(), anyFailed);
  EXPECT_GT(plan.Calls(GetParam().calls.front()), 0);
}

INSTANTIATE_TEST_SUITE_P(Modes, FaultPlans, ::testing::ValuesIn(kPlans), test_support::NameOfParam());

TEST(FaultPlan, WithoutOneStepTheReplaceAlwaysFailsUncounted) {
  FaultPlan plan = FaultPlan::AnyOnce(1);
  plan.oneStep = false;
  ScopedFaultHook hook(plan);
  EXPECT_TRUE(platform::ShouldFail(FileOp::kReplace, "x"));
  EXPECT_FALSE(plan.Fired());
  EXPECT_TRUE(platform::ShouldFail(FileOp::kRename, "x"));
  EXPECT_TRUE(plan.Failed(FileOp::kRename));
}

TEST(ScopedFaultHook, NestedScopesPutBackTheHookBeforeThem) {
  FaultPlan outer = FaultPlan::From(FileOp::kOpen, 1);
  FaultPlan inner = FaultPlan::Counting();
  {
    ScopedFaultHook outerHook(outer);
    {
      ScopedFaultHook innerHook(inner);
      EXPECT_FALSE(platform::ShouldFail(FileOp::kOpen, "x"));
    }
    EXPECT_TRUE(platform::ShouldFail(FileOp::kOpen, "x"));
  }
  EXPECT_FALSE(platform::FaultHookInstalled());
  EXPECT_EQ(inner.Calls(FileOp::kOpen), 1);
  EXPECT_EQ(outer.Calls(FileOp::kOpen), 1);
}

TEST(RunInChild, GivesTheStatusTheChildEndsWith) {
  EXPECT_EQ(test_support::RunInChild([] { return 7; }), 7);
  EXPECT_EQ(test_support::RunInChild([]() -> int { ::_exit(3); }), 3);
}

TEST(TempFolder, KeepsBytesWholeAndTellsEntriesApart) {
  fs::path base;
  {
    test_support::TempFolder folder("inside");
    base = folder.Base();
    EXPECT_EQ(folder.Root(), base / "inside");
    const std::string bytes("a\r\n\0\x1a", 5);
    EXPECT_EQ(folder.Put("d/e/f.ini", bytes), (folder.Root() / "d/e/f.ini").string());
    EXPECT_EQ(folder.Get("d/e/f.ini"), bytes);
    EXPECT_EQ(folder.Read("d"), std::nullopt);
    EXPECT_EQ(folder.Get("missing"), "");
    fs::create_symlink("nowhere", folder.Root() / "dangling");
    EXPECT_TRUE(folder.Exists("dangling"));
    EXPECT_FALSE(folder.Exists("missing"));
    EXPECT_EQ(folder.Snapshot(), (test_support::Tree{{"d", "<dir>"}, {"d/e", "<dir>"}, {"d/e/f.ini", bytes},
                                                     {"dangling", "<link to nowhere>"}}));
    fs::permissions(folder.Root() / "d/e", fs::perms::owner_read | fs::perms::owner_exec);
    folder.Clear();
    EXPECT_EQ(folder.Snapshot(), test_support::Tree{});
    folder.Put("d/locked/g.ini", "g");
    fs::permissions(folder.Root() / "d/locked", fs::perms::owner_read | fs::perms::owner_exec);
  }
  EXPECT_FALSE(fs::exists(base));
}

}  // namespace
