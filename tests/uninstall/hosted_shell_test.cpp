// The hosted shell, driven as a real program over a probe's WinMain: its
// arguments, refusal without a machine, WinMain's result, answers from
// standard input, the closing line, the restart, and standard streams that
// are closed, full or read by nobody; and the words of its last line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child.h"
#include "machine_fixture.h"
#include "platform/hosted/machine/restart.h"
#include "uninstall/hosted_shell.h"

namespace {

using test_support::ChildResult;
using test_support::ChildLaunch;
using test_support::Input;
using test_support::Output;

constexpr const char* kTryHelp = "Try 'cpuninst --help' for more information.\n";

class StartupTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    std::filesystem::create_directories(Root() / "c/WINDOWS");
  }
  // The probe over this machine, doing the actions, with the answers as input.
  ChildLaunch Launch(const std::string& actions, const std::string& input = "") const {
    ChildLaunch launch;
    launch.program = SHELL_PROBE;
    launch.environment["WIN95_MACHINE"] = Root().string();
    launch.environment["PROBE_ACTIONS"] = actions;
    launch.input = input;
    launch.timeLimit = std::chrono::seconds(30);
    return launch;
  }
  ChildResult Run(const ChildLaunch& launch) const {
    ChildResult result = test_support::RunChild(launch, Base() / "io");
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  ChildResult Probe(const std::string& actions, const std::string& input = "") const {
    return Run(Launch(actions, input));
  }
};

TEST_F(StartupTest, HelpAndVersionPrintAndExitWithoutAMachine) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--help"}, {"--version", "--help"}, {"--help", "--help"}}) {
    ChildLaunch launch = Launch("write");
    launch.environment["WIN95_MACHINE"] = std::nullopt;
    launch.arguments = arguments;
    ChildResult run = Run(launch);
    EXPECT_EQ(run.exitStatus, 0) << arguments[0];
    for (const char* part : {"Usage: cpuninst", "WIN95_MACHINE", "registry.reg", "machine.ini", "ok, cancel, yes or no",
                             "nothing changed", "Exit status", "64"}) {
      EXPECT_NE(run.out.find(part), std::string::npos) << part;
    }
    EXPECT_EQ(run.err, "");
  }
  ChildLaunch launch = Launch("write");
  launch.arguments = {"--version"};
  ChildResult run = Run(launch);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "cpuninst " CPUNINST_VERSION "\n");
  EXPECT_EQ(run.err, "");
  EXPECT_FALSE(Exists("c/probe.txt"));
}

TEST_F(StartupTest, HelpThatCannotBeWrittenIsAnError) {
  for (Output output : {Output::kFull, Output::kClosed, Output::kUnreadPipe}) {
    ChildLaunch launch = Launch("");
    launch.arguments = {"--help"};
    launch.output = output;
    ChildResult run = Run(launch);
    EXPECT_EQ(run.exitStatus, 74) << static_cast<int>(output);
    EXPECT_NE(run.err.find("standard output cannot be written"), std::string::npos) << run.err;
  }
}

TEST_F(StartupTest, AnyOtherArgumentIsAUsageErrorThatTouchesNothing) {
  struct Case {
    std::vector<std::string> arguments;
    std::string named;
  };
  const std::vector<Case> cases = {
      {{"--bogus"}, "--bogus"},        {{"-h"}, "-h"},          {{"help"}, "help"},
      {{"--help", "now"}, "now"},      {{"--"}, "--"},          {{""}, ""},
      {{"--version=2"}, "--version=2"}, {{"a\tb"}, "a?b"},
  };
  for (const Case& c : cases) {
    ChildLaunch launch = Launch("write", "ok\nyes\n");
    launch.arguments = c.arguments;
    ChildResult run = Run(launch);
    EXPECT_EQ(run.exitStatus, 64) << c.named;
    EXPECT_EQ(run.err, "cpuninst: unknown argument '" + c.named + "'\n" + kTryHelp);
    EXPECT_EQ(run.out, "") << c.named;
    EXPECT_FALSE(Exists("c/probe.txt")) << c.named;
  }
}

TEST_F(StartupTest, RefusesToStartWithoutAMachineFolder) {
  const std::vector<std::optional<std::string>> machines = {std::nullopt, "", (Base() / "nothing").string(),
                                                            Put("plain-file", "x")};
  for (const std::optional<std::string>& machine : machines) {
    ChildLaunch launch = Launch("write 5");
    launch.environment["WIN95_MACHINE"] = machine;
    ChildResult run = Run(launch);
    EXPECT_EQ(run.exitStatus, 2) << machine.value_or("(unset)");
    EXPECT_EQ(run.err.rfind("cpuninst: WIN95_MACHINE ", 0), 0u) << run.err;
    EXPECT_EQ(run.out, "") << machine.value_or("(unset)");
  }
  EXPECT_FALSE(Exists("c/probe.txt"));
}

TEST_F(StartupTest, WinMainGetsNoCommandLineAndItsResultIsTheExitStatus) {
  ChildResult run = Probe("7");
  EXPECT_EQ(run.exitStatus, 7);
  EXPECT_EQ(run.out, "WinMain() show 1\nnothing changed\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(StartupTest, AnswersComeFromStandardInputUntilItEnds) {
  struct Case {
    std::string input;
    const char* answers;
  };
  const std::vector<Case> cases = {
      {"ok\nyes\n", "answers 1 6\n"},
      {"\n", "answers 1 7\n"},
      {"", "answers 2 7\n"},
      {std::string(5000, 'x') + "\nok\nno\n", "answers 1 7\n"},
      {std::string(4096, 'x') + "\nok\n", "answers 1 7\n"},
  };
  for (const Case& c : cases) {
    ChildResult run = Probe("box", c.input);
    EXPECT_NE(run.out.find(c.answers), std::string::npos) << run.out.substr(0, 300);
    EXPECT_NE(run.out.find("First?"), std::string::npos);
    EXPECT_NE(run.out.find("Probe"), std::string::npos);
  }
  ChildLaunch closedInput = Launch("box");
  closedInput.inputKind = Input::kClosed;
  EXPECT_NE(Run(closedInput).out.find("answers 2 7\n"), std::string::npos);
}

TEST_F(StartupTest, TheClosingLineSaysWhetherTheMachineChanged) {
  struct Case {
    const char* actions;
    const char* line;
  };
  const std::vector<Case> cases = {
      {"", "nothing changed\n"},
      {"scratch", "nothing changed\n"},  // made and removed again
      {"write", "uninstalled; restart to finish\n"},
      {"reboot", "restarted: nothing to delete\n"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Root() / "c/probe.txt");
    ChildResult run = Probe(c.actions);
    EXPECT_EQ(run.exitStatus, 0) << c.actions;
    EXPECT_EQ(run.out, std::string("WinMain() show 1\n") + c.line) << c.actions;
    EXPECT_FALSE(Exists("c/probe.$$$")) << c.actions;
  }
  // A file rewritten in place is a change too.
  ChildResult again = Probe("write");
  EXPECT_EQ(again.out, "WinMain() show 1\nuninstalled; restart to finish\n");
}

TEST_F(StartupTest, ARequestedRestartProcessesWininitAfterWinMain) {
  const std::string wininit = "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\KT617.DRV\r\nNUL=C:\\WINDOWS\\gone.txt\r\n";
  Put("c/WINDOWS/SYSTEM/kt617.drv", "x");
  Put("c/WINDOWS/wininit.ini", wininit);

  ChildResult run = Probe("");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "WinMain() show 1\nnothing changed\n");
  EXPECT_EQ(Get(Root() / "c/WINDOWS/wininit.ini"), wininit);

  run = Probe("reboot");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "WinMain() show 1\nrestarted: 1 file deleted; 1 was already gone\n");
  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/kt617.drv"));
  EXPECT_FALSE(Exists("c/WINDOWS/wininit.ini"));
  EXPECT_EQ(Get(Root() / "c/WINDOWS/wininit.bak"), wininit);
}

// A box nobody can see gets no answer: the program acts as on Cancel even
// though standard input says OK, and says so on standard error.
TEST_F(StartupTest, ABoxThatCannotBeShownIsNotAnswered) {
  for (Output output : {Output::kClosed, Output::kFull, Output::kUnreadPipe}) {
    ChildLaunch launch = Launch("confirm", "ok\n");
    launch.output = output;
    ChildResult run = Run(launch);
    EXPECT_EQ(run.exitStatus, 0) << static_cast<int>(output);
    EXPECT_FALSE(Exists("c/probe.txt")) << static_cast<int>(output);
    EXPECT_NE(run.err.find("a message box could not be shown"), std::string::npos) << run.err;
    // The closing line goes where someone may still read it.
    EXPECT_NE(run.err.find("cpuninst: nothing changed\n"), std::string::npos) << run.err;
  }
  // The same box with standard output there is answered.
  ChildResult shown = Probe("confirm", "ok\n");
  EXPECT_TRUE(Exists("c/probe.txt"));
  EXPECT_EQ(shown.err, "");
}

TEST_F(StartupTest, AReaderThatWentAwayNeverEndsTheProgram) {
  ChildLaunch launch = Launch("print write 3");
  launch.output = Output::kUnreadPipe;
  ChildResult run = Run(launch);
  EXPECT_EQ(run.exitStatus, 3);  // not 128 + SIGPIPE
  EXPECT_TRUE(Exists("c/probe.txt"));
  EXPECT_NE(run.err.find("cpuninst: uninstalled; restart to finish\n"), std::string::npos) << run.err;
}

TEST_F(StartupTest, AClosedStandardOutputIsNeverReusedForAFile) {
  ChildLaunch launch = Launch("hold");
  launch.output = Output::kClosed;
  ChildResult run = Run(launch);
  EXPECT_EQ(run.exitStatus, 0);
  // Had the file taken descriptor 1, the program's output would be in it.
  EXPECT_EQ(Get(Root() / "c/probe.txt"), "data");
}

TEST(ShellLines, RestartLineSaysWhatWasDeletedAndMentionsTroubleOnlyWhenThereWasSome) {
  auto boot = [](int deleted, int moved, int missing, int notDeleted, int notMoved, bool saved = true) {
    platform::hosted::BootResult result;
    result.found = true;
    result.iniPath = "C:\\WINDOWS\\wininit.ini";
    result.deleted = deleted;
    result.moved = moved;
    result.missing = missing;
    result.notDeleted = notDeleted;
    result.notMoved = notMoved;
    result.saved = saved;
    return result;
  };
  platform::hosted::BootResult none;
  platform::hosted::BootResult unreadable = boot(0, 0, 0, 0, 0);
  unreadable.problem = "not a regular file";
  struct Case {
    platform::hosted::BootResult boot;
    const char* line;
  };
  const std::vector<Case> cases = {
      {boot(5, 0, 0, 0, 0), "restarted: 5 files deleted"},
      {boot(1, 0, 0, 0, 0), "restarted: 1 file deleted"},
      {boot(5, 1, 0, 0, 0), "restarted: 5 files deleted, 1 file moved"},
      {boot(5, 0, 3, 0, 0), "restarted: 5 files deleted; 3 were already gone"},
      {boot(0, 0, 1, 0, 0), "restarted: no files deleted; 1 was already gone"},
      {boot(4, 0, 0, 1, 0), "restarted: 4 files deleted; 1 file could not be deleted"},
      {boot(4, 0, 0, 0, 2), "restarted: 4 files deleted; 2 files could not be moved"},
      {boot(2, 0, 0, 0, 0, false), "restarted: 2 files deleted; wininit.ini could not be renamed to wininit.bak"},
      {none, "restarted: nothing to delete"},
      {unreadable,
       "restarted: nothing deleted: C:\\WINDOWS\\wininit.ini was left as it is (not a regular file)"},
  };
  for (const Case& c : cases) EXPECT_EQ(uninstall::RestartLine(c.boot), c.line);
}

TEST(ShellLines, ClosingLineSaysWhetherTheMachineChanged) {
  EXPECT_EQ(uninstall::ClosingLine(false), "nothing changed");
  EXPECT_EQ(uninstall::ClosingLine(true), "uninstalled; restart to finish");
}

}  // namespace
