// The hosted start-up, driven as a real program: refusal without a machine,
// WinMain's command line and result, answers from a pipe, and the restart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "machine_fixture.h"

namespace {

struct ProbeRun {
  int status;
  std::string out;
  std::string err;
};

class StartupTest : public MachineTest {
 protected:
  // Runs the probe under sh with the given environment prefix and input.
  ProbeRun Probe(const std::string& environment, const std::string& arguments, const std::string& input = "") {
    std::string in = (root_ / "in").string();
    std::string out = (root_ / "out").string();
    std::string err = (root_ / "err").string();
    { std::ofstream(in, std::ios::binary) << input; }
    std::string command = environment + " '" STARTUP_PROBE "' " + arguments + " <'" + in + "' >'" + out +
                          "' 2>'" + err + "'";
    int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Get(out), Get(err)};
  }
  std::string WithMachine() const { return "WIN95_MACHINE='" + machine_.string() + "'"; }
};

TEST_F(StartupTest, RefusesToStartWithoutAMachineFolder) {
  for (const std::string& environment :
       {std::string("env -u WIN95_MACHINE"), std::string("WIN95_MACHINE="),
        "WIN95_MACHINE='" + (root_ / "nothing").string() + "'"}) {
    ProbeRun run = Probe(environment, "reboot 5");
    EXPECT_EQ(run.status, 2) << environment;
    EXPECT_NE(run.err.find("WIN95_MACHINE"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << environment;
  }
}

TEST_F(StartupTest, CallsWinMainWithTheCommandLineAndExitsWithItsResult) {
  ProbeRun run = Probe(WithMachine(), "7 'two words'");
  EXPECT_EQ(run.status, 7);
  EXPECT_EQ(run.out, "WinMain(7 \"two words\") show 1\n");
  EXPECT_EQ(run.err, "");
  run = Probe(WithMachine(), "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "WinMain() show 1\n");
}

TEST_F(StartupTest, AnswersComeFromStandardInputUntilItEnds) {
  ProbeRun run = Probe(WithMachine(), "box", "ok\nyes\n");
  EXPECT_NE(run.out.find("answers 1 6\n"), std::string::npos) << run.out;
  run = Probe(WithMachine(), "box", "\n");
  EXPECT_NE(run.out.find("answers 1 7\n"), std::string::npos) << run.out;
  run = Probe(WithMachine(), "box", "");
  EXPECT_NE(run.out.find("answers 2 7\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("First?"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Probe"), std::string::npos) << run.out;
}

TEST_F(StartupTest, ARequestedRestartProcessesWininitAfterWinMain) {
  const std::string wininit = "[rename]\r\nNUL=C:\\WINDOWS\\SYSTEM\\KT617.DRV\r\n";
  Put("c/WINDOWS/SYSTEM/kt617.drv", "x");
  Put("c/WINDOWS/wininit.ini", wininit);

  ProbeRun run = Probe(WithMachine(), "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.find("Restarted"), std::string::npos);
  EXPECT_EQ(Get(machine_ / "c/WINDOWS/wininit.ini"), wininit);

  run = Probe(WithMachine(), "reboot");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "WinMain(reboot) show 1\n"
            "Restarted the machine: C:\\WINDOWS\\wininit.ini processed (1 deleted, 0 moved, 0 already missing, "
            "0 failed), renamed to wininit.bak.\n");
  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/kt617.drv"));
  EXPECT_FALSE(Exists("c/WINDOWS/wininit.ini"));
  EXPECT_EQ(Get(machine_ / "c/WINDOWS/wininit.bak"), wininit);
}

}  // namespace
