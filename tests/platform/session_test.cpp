// The restart: wininit.ini processed as at boot, then kept as wininit.bak.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "fault_plan.h"
#include "hostile.h"
#include "machine_fixture.h"
#include "platform/hosted/machine/restart.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;
using platform::hosted::BootResult;
using platform::hosted::ProcessWininit;

class SessionTest : public MachineTest {};

TEST_F(SessionTest, RenameSectionDeletesAndMovesThenTheFileIsKeptAsBak) {
  Put("c/WINDOWS/SYSTEM/KT617.DRV", "drv");
  Put("c/WINDOWS/SYSTEM/vkt617.386", "vxd");
  Put("c/WINDOWS/kt617win.ini", "ini");
  Put("c/WINDOWS/new.dll", "new");
  Put("c/WINDOWS/old.dll", "old");
  Put("c/WINDOWS/other.txt", "stays");
  const std::string wininit =
      "[rename]\r\n"
      "NUL=C:\\WINDOWS\\SYSTEM\\kt617.drv\r\n"
      "nul=c:\\windows\\system\\VKT617.386\r\n"
      "NUL=C:\\WINDOWS\\SYSTEM\\missing.vxd\r\n"
      "NUL=C:\\WINDOWS\\NOFOLDER\\gone.drv\r\n"
      "C:\\WINDOWS\\old.dll=C:\\WINDOWS\\new.dll\r\n"
      "[other]\r\n"
      "NUL=C:\\WINDOWS\\other.txt\r\n"
      "[Rename]\n"
      "NUL = C:\\WINDOWS\\kt617win.ini \n";
  Put("c/WINDOWS/wininit.ini", wininit);
  Put("c/WINDOWS/WININIT.BAK", "an old backup");

  BootResult boot = ProcessWininit(TheMachine());
  EXPECT_TRUE(boot.found);
  EXPECT_EQ(boot.deleted, 3);
  EXPECT_EQ(boot.moved, 1);
  EXPECT_EQ(boot.missing, 2);  // a missing folder is a missing file
  EXPECT_EQ(boot.notDeleted + boot.notMoved, 0);
  EXPECT_TRUE(boot.saved);
  EXPECT_EQ(boot.iniPath, "C:\\WINDOWS\\wininit.ini");

  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/KT617.DRV"));
  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/vkt617.386"));
  EXPECT_FALSE(Exists("c/WINDOWS/kt617win.ini"));
  EXPECT_FALSE(Exists("c/WINDOWS/new.dll"));
  EXPECT_EQ(Get(Root() / "c/WINDOWS/old.dll"), "new");
  EXPECT_EQ(Get(Root() / "c/WINDOWS/other.txt"), "stays");
  EXPECT_FALSE(Exists("c/WINDOWS/wininit.ini"));
  EXPECT_EQ(Get(Root() / "c/WINDOWS/WININIT.BAK"), wininit);
}

TEST_F(SessionTest, TheWindowsDirectoryComesFromMachineIni) {
  Put("machine.ini", "[directories]\r\nwindows=D:\\Win\r\n");
  Reopen();
  Put("d/WIN/WININIT.INI", "[rename]\r\nNUL=D:\\WIN\\gone.txt\r\n");
  Put("d/WIN/gone.txt", "x");
  BootResult boot = ProcessWininit(TheMachine());
  EXPECT_TRUE(boot.found);
  EXPECT_EQ(boot.deleted, 1);
  EXPECT_FALSE(Exists("d/WIN/gone.txt"));
  EXPECT_EQ(Get(Root() / "d/WIN/wininit.bak"), "[rename]\r\nNUL=D:\\WIN\\gone.txt\r\n");
}

TEST_F(SessionTest, OnlyFilesInsideTheMachineAreTouched) {
  Put(Base() / "host" / "victim.txt", "keep");
  std::string hostVictim = (Base() / "host" / "victim.txt").string();
  Put("c/WINDOWS/SYSTEM/readonly.drv", "ro");
  ::chmod((Root() / "c/WINDOWS/SYSTEM/readonly.drv").c_str(), 0444);
  fs::create_directories(Root() / "c/WINDOWS/folder");
  Put("c/WINDOWS/wininit.ini",
      "[rename]\r\n"
      "NUL=" + hostVictim + "\r\n"
      "NUL=C:\\..\\..\\host\\victim.txt\r\n"
      "C:\\WINDOWS\\moved.txt=" + hostVictim + "\r\n"
      "NUL=C:\\WINDOWS\\SYSTEM\\readonly.drv\r\n"
      "NUL=C:\\WINDOWS\\folder\r\n"
      "NUL=\r\n");
  BootResult boot = ProcessWininit(TheMachine());
  EXPECT_EQ(boot.deleted, 0);
  EXPECT_EQ(boot.moved, 0);
  EXPECT_EQ(boot.notDeleted + boot.notMoved + boot.missing, 6);
  EXPECT_EQ(boot.notMoved, 1);
  EXPECT_EQ(Get(Base() / "host" / "victim.txt"), "keep");
  EXPECT_TRUE(Exists("c/WINDOWS/SYSTEM/readonly.drv"));
  EXPECT_TRUE(Exists("c/WINDOWS/folder"));
  EXPECT_FALSE(Exists("c/WINDOWS/moved.txt"));
}

TEST_F(SessionTest, AWininitThatIsNotARegularFileIsLeftAsItIs) {
  fs::path outside = Base() / "outside.ini";
  const std::string list = "[rename]\r\nNUL=C:\\WINDOWS\\keep.txt\r\n";
  Put(outside, list);
  for (test_support::Hostile kind : test_support::kEveryHostile) {
    fs::remove_all(Root() / "c");
    Put("c/WINDOWS/keep.txt", "stays");
    if (!test_support::PlaceHostile(Root() / "c/WINDOWS/wininit.ini", kind, outside)) continue;
    std::string name(test_support::HostileName(kind));

    BootResult boot = ProcessWininit(TheMachine());

    EXPECT_TRUE(boot.found) << name;
    EXPECT_FALSE(boot.problem.empty()) << name;
    EXPECT_EQ(boot.deleted + boot.moved + boot.missing + boot.notDeleted + boot.notMoved, 0) << name;
    EXPECT_EQ(Get(Root() / "c/WINDOWS/keep.txt"), "stays") << name;
    EXPECT_TRUE(fs::exists(fs::symlink_status(Root() / "c/WINDOWS/wininit.ini"))) << name;
    EXPECT_FALSE(Exists("c/WINDOWS/wininit.bak")) << name;
    EXPECT_EQ(Get(outside), list) << name;
    EXPECT_EQ(boot.iniPath, "C:\\WINDOWS\\wininit.ini") << name;
  }
}

// The restart deletes and moves through the platform's files, so the fault
// seam reaches it as it reaches every other change.
TEST_F(SessionTest, TheRestartGoesThroughTheFaultSeam) {
  for (platform::FileOp op : {platform::FileOp::kDelete, platform::FileOp::kRename}) {
    Put("c/WINDOWS/gone.txt", "x");
    Put("c/WINDOWS/new.txt", "new");
    Put("c/WINDOWS/wininit.ini", "[rename]\r\nNUL=C:\\WINDOWS\\gone.txt\r\nC:\\WINDOWS\\moved.txt=C:\\WINDOWS\\new.txt\r\n");
    auto failing = test_support::FaultPlan::From(op, 1);
    test_support::ScopedFaultHook hook(failing);
    BootResult boot = ProcessWininit(TheMachine());
    bool deleting = op == platform::FileOp::kDelete;
    EXPECT_EQ(boot.notDeleted, deleting ? 1 : 0);
    EXPECT_EQ(boot.notMoved, deleting ? 0 : 1);
    EXPECT_EQ(Exists("c/WINDOWS/gone.txt"), deleting);
    EXPECT_EQ(Exists("c/WINDOWS/new.txt"), !deleting);
    // The list itself is renamed through the seam too.
    EXPECT_EQ(boot.saved, deleting);
  }
}

TEST_F(SessionTest, OnlyARebootAsksForARestart) {
  EXPECT_FALSE(TheMachine().RestartRequested());
  EXPECT_EQ(ExitWindowsEx(EWX_LOGOFF, 0), TRUE);
  EXPECT_FALSE(TheMachine().RestartRequested());
  EXPECT_EQ(ExitWindowsEx(EWX_REBOOT, 0), TRUE);
  EXPECT_TRUE(TheMachine().RestartRequested());
}

}  // namespace
