// The directories the sequence works in, the boot-time deletion list and
// the files deleted at once.
#include <gtest/gtest.h>

#include "card_machine.h"

namespace uninstall_test {
namespace {

std::string MachineIni(std::string_view windowsDir, std::string_view systemDir) {
  return Dos("[directories]\nwindows=" + std::string(windowsDir) + "\nsystem=" +
             std::string(systemDir) + "\n");
}

TEST(Directories, SystemDirectoryIsUpperCasedAndWindowsDirectoryKeptAsReturned) {
  Machine machine;
  InstallCard(machine);
  machine.Put("machine.ini", MachineIni("c:\\windows", "c:\\windows\\system"));

  machine.Run(kOkThenNo);

  EXPECT_EQ(machine.Read(std::string(kWininitIni)), BootList("c:\\windows", "C:\\WINDOWS\\SYSTEM"));
  // Line comparison ignores case, so the lower-case directory finds the
  // card's lines as well; the files went under their upper-cased names.
  EXPECT_EQ(machine.Read(std::string(kConfigSys)), UninstalledTexts().configSys);
  for (std::string_view file : DeletedAtOnce()) EXPECT_FALSE(machine.Exists(std::string(file))) << file;
}

TEST(Directories, OtherDirectoriesNameEveryFileAndLine) {
  Machine machine;
  CardTexts installed = InstalledTexts();
  machine.Put("machine.ini", MachineIni("D:\\Win95", "d:\\win95\\System"));
  machine.Put("d/Win95/system.ini", installed.systemIni);
  // Only the lines naming the system directory in use are the card's.
  machine.Put(std::string(kConfigSys),
                Dos("DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\kt617map.sys\n"
                    "DEVICEHIGH=D:\\WIN95\\SYSTEM\\kt617map.sys\n"));
  machine.Put("d/Win95/readmecp.txt", "readme\r\n");
  machine.Put("d/Win95/System/hmx220.sys", "driver\r\n");
  machine.Put("c/WINDOWS/readmecp.txt", "another machine's\r\n");

  machine.Run(kOkThenNo);

  EXPECT_EQ(machine.Read("d/Win95/system.ini"), UninstalledTexts().systemIni);
  EXPECT_EQ(machine.Read(std::string(kConfigSys)), Dos("DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\kt617map.sys\n"));
  EXPECT_EQ(machine.Read("d/Win95/wininit.ini"), BootList("D:\\Win95", "D:\\WIN95\\SYSTEM"));
  EXPECT_FALSE(machine.Exists("d/Win95/readmecp.txt"));
  EXPECT_FALSE(machine.Exists("d/Win95/System/hmx220.sys"));
  EXPECT_TRUE(machine.Exists("c/WINDOWS/readmecp.txt"));
}

class ExistingBootList : public testing::TestWithParam<std::pair<std::string_view, std::string_view>> {};

TEST_P(ExistingBootList, IsLeftAsItIs) {
  auto [name, bytes] = GetParam();
  Machine machine;
  InstallCard(machine);
  machine.Put(std::string(name), bytes);

  machine.Run(kOkThenNo);

  Tree after = machine.Snapshot();
  auto found = FindIgnoringCase(after, kWininitIni);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.begin()->first, name);
  EXPECT_EQ(found.begin()->second, bytes);
  // The files are deleted at once all the same.
  for (std::string_view file : DeletedAtOnce()) EXPECT_FALSE(machine.Exists(std::string(file))) << file;
}

INSTANTIATE_TEST_SUITE_P(
    EmptyOrHoldingOtherEntries, ExistingBootList,
    testing::Values(std::pair{kWininitIni, std::string_view("")},
                    std::pair{kWininitIni, std::string_view("[rename]\r\nNUL=C:\\OLD\\X.DLL\r\n")},
                    std::pair{std::string_view("c/WINDOWS/WININIT.INI"),
                              std::string_view("[Rename]\r\n")}));

// Without the Windows folder no list could be written: the machine is refused
// before any phase runs.
TEST(BootList, NothingRunsWhenTheWindowsFolderIsMissing) {
  Machine machine;
  machine.Put(std::string(kConfigSys), InstalledTexts().configSys);
  machine.Put(std::string(kRegistry), InstalledTexts().registry);
  Tree before = machine.Snapshot();

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 2);
  EXPECT_FALSE(machine.Exists("c/WINDOWS"));
  EXPECT_EQ(machine.Snapshot(), before);
}

TEST(FileRemoval, ReadOnlyFileStaysAndTheOthersGo) {
  Machine machine;
  InstallCard(machine);
  machine.MakeReadOnly("c/WINDOWS/SYSTEM/hmx220.sys");

  machine.Run(kOkThenNo);

  EXPECT_TRUE(machine.Exists("c/WINDOWS/SYSTEM/hmx220.sys"));
  for (std::string_view file : DeletedAtOnce()) {
    if (file == "c/WINDOWS/SYSTEM/hmx220.sys") continue;
    EXPECT_FALSE(machine.Exists(std::string(file))) << file;
  }
  EXPECT_EQ(machine.Read(std::string(kRegistry)), UninstalledTexts().registry);
}

// A directory query that fails (longer than the 144-byte buffer) stops the
// sequence before anything is named from it. (An empty or other non-drive
// directory is refused before the program starts.)
std::string LongDirectory() { return "C:\\" + std::string(150, 'W'); }

TEST(Directories, FailedWindowsQueryRunsNoPhase) {
  Machine machine;
  InstallCard(machine);
  // The folder is there, so the machine is not refused; only the query fails.
  machine.MakeFolder("c/" + LongDirectory().substr(3));
  machine.Put("machine.ini", MachineIni(LongDirectory(), "C:\\WINDOWS\\SYSTEM"));
  Tree before = machine.Snapshot();

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(machine.Snapshot(), before);
  EXPECT_NE(result.out.find("nothing changed\n"), std::string::npos) << result.out;
}

TEST(Directories, FailedSystemQueryStopsAfterTheProfile) {
  Machine machine;
  InstallCard(machine);
  machine.Put("machine.ini", MachineIni("C:\\WINDOWS", LongDirectory()));
  Tree expected = machine.Snapshot();
  expected[std::string(kSystemIni)] = UninstalledTexts().systemIni;

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(machine.Snapshot(), expected);
}

TEST(Directories, LongestWindowsDirectoryStillNamesEveryFile) {
  // 143 bytes: the longest text the 144-byte buffer holds.
  std::string windowsDir = "C:\\" + std::string(140, 'W');
  std::string systemDir = "C:\\WINDOWS\\SYSTEM";
  Machine machine;
  machine.Put("machine.ini", MachineIni(windowsDir, systemDir));
  std::string folder = "c/" + std::string(140, 'W');
  machine.Put(folder + "/cpuninst.exe", "program\r\n");

  machine.Run(kOkThenNo);

  EXPECT_EQ(machine.Read(folder + "/wininit.ini"), BootList(windowsDir, systemDir));
  EXPECT_FALSE(machine.Exists(folder + "/cpuninst.exe"));
}

}  // namespace
}  // namespace uninstall_test
