// The two questions and the whole sequence, through the real program.
#include <gtest/gtest.h>

#include "card_machine.h"
#include "param_name.h"

namespace uninstall_test {
namespace {

constexpr std::string_view kTitle = "VLMR Calliphon Un-Install";
constexpr std::string_view kConfirmText = "Ok to un-install Velmora Orvanel (TM)?";
constexpr std::string_view kRestartFirstLine =
    "To complete the un-install you must restart your computer.";
constexpr std::string_view kRestartSecondLine = "Do you wish to restart now?";

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

class DeclinedAnswer : public testing::TestWithParam<std::string_view> {};

TEST_P(DeclinedAnswer, ChangesNothingAndAsksNothingMore) {
  Machine machine;
  InstallCard(machine);
  Tree before = machine.Snapshot();

  test_support::ChildResult result = machine.Run(GetParam());

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(machine.Snapshot(), before);
  EXPECT_TRUE(Contains(result.out, kTitle)) << result.out;
  EXPECT_TRUE(Contains(result.out, kConfirmText)) << result.out;
  EXPECT_FALSE(Contains(result.out, kRestartFirstLine)) << result.out;
  EXPECT_TRUE(result.out.ends_with("\nnothing changed\n")) << result.out;
}

INSTANTIATE_TEST_SUITE_P(CancelOrEndOfInput, DeclinedAnswer,
                         testing::Values("cancel\n", "c\n", "CANCEL\n", ""));

// The machine after a run against its baseline, path by path: each path
// missing, left over or holding other bytes is named.
void ExpectTree(const Tree& actual, const Tree& expected) {
  EXPECT_EQ(actual.size(), expected.size());
  for (const auto& [path, bytes] : expected) {
    auto found = actual.find(path);
    if (found == actual.end()) ADD_FAILURE() << path << " is missing";
    else EXPECT_EQ(found->second, bytes) << path;
  }
  for (const auto& [path, bytes] : actual) {
    EXPECT_TRUE(expected.count(path) == 1) << path << " should not be there";
  }
}

// A whole run over each card machine kept as files: the machine afterwards
// is the baseline byte for byte.
struct BaselineCase {
  const char* name;
  const CardFiles& (*card)();
  std::string_view answers;
  Tree (*expected)(const CardFiles&);
  std::string_view closingLine;
};

void PrintTo(const BaselineCase& c, std::ostream* out) { *out << c.name; }

class Baseline : public testing::TestWithParam<BaselineCase> {};

TEST_P(Baseline, TheMachineAfterwardsIsTheBaseline) {
  const BaselineCase& c = GetParam();
  Machine machine;
  InstallCard(machine, c.card());
  ASSERT_EQ(machine.Snapshot(), InstalledTree(c.card()));

  test_support::ChildResult result = machine.Run(c.answers);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_TRUE(Contains(result.out, kRestartFirstLine)) << result.out;
  EXPECT_TRUE(Contains(result.out, kRestartSecondLine)) << result.out;
  ExpectTree(machine.Snapshot(), c.expected(c.card()));
  EXPECT_TRUE(result.out.ends_with(c.closingLine)) << result.out;
  EXPECT_EQ(result.err, "");
}

// Three of the eight files scheduled for the restart were deleted at once already.
INSTANTIATE_TEST_SUITE_P(
    Cards, Baseline,
    testing::Values(
        BaselineCase{"OkThenNoRunsEveryPhaseWithoutRestart", ExampleCard, kOkThenNo, UninstalledTree,
                     "\nuninstalled; restart to finish\n"},
        BaselineCase{"OkThenYesAlsoRestarts", ExampleCard, kOkThenYes, RestartedTree,
                     "\nrestarted: 5 files deleted; 3 were already gone\n"},
        BaselineCase{"WineCardOkThenNo", WineCard, kOkThenNo, UninstalledTree, "\nuninstalled; restart to finish\n"},
        BaselineCase{"WineCardOkThenYes", WineCard, kOkThenYes, RestartedTree,
                     "\nrestarted: 5 files deleted; 3 were already gone\n"}),
    test_support::NameOfParam());

// A machine without the card: the boot-time list is still written, so the
// machine did change, and the closing line says so.
TEST(Sequence, AMachineWithoutTheCardStillGetsItsBootList) {
  Machine machine;
  machine.MakeFolder("c/WINDOWS/SYSTEM");
  test_support::ChildResult result = machine.Run(kOkThenNo);
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(machine.Read(std::string(kWininitIni)), BootList("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"));
  EXPECT_TRUE(result.out.ends_with("\nuninstalled; restart to finish\n")) << result.out;
}

struct RestartCase {
  std::string_view name;
  std::string_view answers;
  bool restarts;
};

void PrintTo(const RestartCase& c, std::ostream* out) {
  *out << c.name;
}

class RestartAnswer : public testing::TestWithParam<RestartCase> {};

// Only Yes restarts; the boot-time list is processed then, and only then.
TEST_P(RestartAnswer, RestartsOnlyOnYes) {
  Machine machine;
  InstallCard(machine);

  test_support::ChildResult result = machine.Run(GetParam().answers);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_TRUE(Contains(result.out, kRestartSecondLine)) << result.out;
  EXPECT_EQ(machine.Exists(std::string(kWininitBak)), GetParam().restarts);
  EXPECT_EQ(machine.Exists(std::string(kWininitIni)), !GetParam().restarts);
  EXPECT_EQ(machine.Exists("c/WINDOWS/SYSTEM/kt617.drv"), !GetParam().restarts);
}

INSTANTIATE_TEST_SUITE_P(YesNoOrDismissed, RestartAnswer,
                         testing::Values(RestartCase{"OkYes", "ok\nyes\n", true},
                                         RestartCase{"Letters", "o\ny\n", true},
                                         RestartCase{"EnterChoosesTheFirst", "\n\n", true},
                                         RestartCase{"OkNo", "ok\nno\n", false},
                                         RestartCase{"UpperCase", "OK\nN\n", false},
                                         RestartCase{"EndOfInput", "ok\n", false}));

TEST(Sequence, EmptyMachineFolderIsRefusedAndStaysEmpty) {
  Machine machine;
  test_support::ChildResult result = machine.Run(kOkThenNo);
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(Contains(result.err, "the Windows directory C:\\WINDOWS is not a folder")) << result.err;
  EXPECT_FALSE(Contains(result.out, kConfirmText)) << result.out;
  EXPECT_EQ(machine.Snapshot(), Tree{});
}

TEST(Sequence, WithoutMachineFolderRefusesToStart) {
  test_support::ChildResult result = RunWithoutMachine(kOkThenNo);
  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_TRUE(Contains(result.err, "WIN95_MACHINE")) << result.err;
  EXPECT_FALSE(Contains(result.out, kConfirmText)) << result.out;
}

}  // namespace
}  // namespace uninstall_test
