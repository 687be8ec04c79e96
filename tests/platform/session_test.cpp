// The restart: wininit.ini processed as at boot, then kept as wininit.bak.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "machine_fixture.h"
#include "platform/hosted/session.h"
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

  BootResult boot = ProcessWininit();
  EXPECT_TRUE(boot.found);
  EXPECT_EQ(boot.deleted, 3);
  EXPECT_EQ(boot.moved, 1);
  EXPECT_EQ(boot.missing, 2);  // a missing folder is a missing file
  EXPECT_EQ(boot.failed, 0);
  EXPECT_TRUE(boot.saved);
  EXPECT_EQ(boot.iniPath, "C:\\WINDOWS\\wininit.ini");

  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/KT617.DRV"));
  EXPECT_FALSE(Exists("c/WINDOWS/SYSTEM/vkt617.386"));
  EXPECT_FALSE(Exists("c/WINDOWS/kt617win.ini"));
  EXPECT_FALSE(Exists("c/WINDOWS/new.dll"));
  EXPECT_EQ(Get(machine_ / "c/WINDOWS/old.dll"), "new");
  EXPECT_EQ(Get(machine_ / "c/WINDOWS/other.txt"), "stays");
  EXPECT_FALSE(Exists("c/WINDOWS/wininit.ini"));
  EXPECT_EQ(Get(machine_ / "c/WINDOWS/WININIT.BAK"), wininit);
}

TEST_F(SessionTest, TheWindowsDirectoryComesFromMachineIni) {
  Put("machine.ini", "[directories]\r\nwindows=D:\\Win\r\n");
  Put("d/WIN/WININIT.INI", "[rename]\r\nNUL=D:\\WIN\\gone.txt\r\n");
  Put("d/WIN/gone.txt", "x");
  BootResult boot = ProcessWininit();
  EXPECT_TRUE(boot.found);
  EXPECT_EQ(boot.deleted, 1);
  EXPECT_FALSE(Exists("d/WIN/gone.txt"));
  EXPECT_EQ(Get(machine_ / "d/WIN/wininit.bak"), "[rename]\r\nNUL=D:\\WIN\\gone.txt\r\n");
}

TEST_F(SessionTest, OnlyFilesInsideTheMachineAreTouched) {
  fs::create_directories(root_ / "host");
  std::ofstream(root_ / "host" / "victim.txt") << "keep";
  std::string hostVictim = (root_ / "host" / "victim.txt").string();
  Put("c/WINDOWS/SYSTEM/readonly.drv", "ro");
  ::chmod((machine_ / "c/WINDOWS/SYSTEM/readonly.drv").c_str(), 0444);
  fs::create_directories(machine_ / "c/WINDOWS/folder");
  Put("c/WINDOWS/wininit.ini",
      "[rename]\r\n"
      "NUL=" + hostVictim + "\r\n"
      "NUL=C:\\..\\..\\host\\victim.txt\r\n"
      "C:\\WINDOWS\\moved.txt=" + hostVictim + "\r\n"
      "NUL=C:\\WINDOWS\\SYSTEM\\readonly.drv\r\n"
      "NUL=C:\\WINDOWS\\folder\r\n"
      "NUL=\r\n");
  BootResult boot = ProcessWininit();
  EXPECT_EQ(boot.deleted, 0);
  EXPECT_EQ(boot.moved, 0);
  EXPECT_EQ(boot.failed + boot.missing, 6);
  EXPECT_EQ(Get(root_ / "host" / "victim.txt"), "keep");
  EXPECT_TRUE(Exists("c/WINDOWS/SYSTEM/readonly.drv"));
  EXPECT_TRUE(Exists("c/WINDOWS/folder"));
  EXPECT_FALSE(Exists("c/WINDOWS/moved.txt"));
}

TEST_F(SessionTest, RestartSaysWhatHappenedInOneLine) {
  std::ostringstream out;
  platform::hosted::RestartMachine(out);
  EXPECT_EQ(out.str(), "Restarted the machine: no C:\\WINDOWS\\wininit.ini to process.\n");

  Put("c/WINDOWS/wininit.ini", "[rename]\r\nNUL=C:\\WINDOWS\\a.txt\r\nNUL=C:\\WINDOWS\\b.txt\r\n");
  Put("c/WINDOWS/a.txt", "a");
  out.str("");
  platform::hosted::RestartMachine(out);
  EXPECT_EQ(out.str(),
            "Restarted the machine: C:\\WINDOWS\\wininit.ini processed (1 deleted, 0 moved, 1 already missing, "
            "0 failed), renamed to wininit.bak.\n");
}

TEST_F(SessionTest, OnlyARebootAsksForARestart) {
  EXPECT_FALSE(platform::hosted::RestartRequested());
  EXPECT_EQ(ExitWindowsEx(EWX_LOGOFF, 0), TRUE);
  EXPECT_FALSE(platform::hosted::RestartRequested());
  EXPECT_EQ(ExitWindowsEx(EWX_REBOOT, 0), TRUE);
  EXPECT_TRUE(platform::hosted::RestartRequested());
}

}  // namespace
