// The card's lines in system.ini, config.sys and autoexec.bat: what goes,
// what stays, and what the edits leave on disk when a file resists.
#include <gtest/gtest.h>

#include <cctype>

#include "card_machine.h"
#include "platform/ascii.h"

namespace uninstall_test {
namespace {

// Where a line under test stands, and the lines around it there.
enum class Place { kConfigSys, kAutoexecBat, kProfile386Enh, kProfileBoot, kProfileDrivers };

struct Surroundings {
  std::string_view file;
  std::string_view before;
  std::string_view after;
};

Surroundings SurroundingsOf(Place place) {
  switch (place) {
    case Place::kConfigSys:
      return {kConfigSys, "DEVICE=C:\\WINDOWS\\HIMEM.SYS\n", "FILES=40\n"};
    case Place::kAutoexecBat:
      return {kAutoexecBat, "@ECHO OFF\n", "SET TEMP=C:\\WINDOWS\\TEMP\n"};
    case Place::kProfile386Enh:
      return {kSystemIni, "[boot]\nshell=Explorer.exe\n[386Enh]\ndevice=*vcd\n",
              "keyboard=*vkd\n[drivers]\ntimer=timer.drv\n"};
    case Place::kProfileBoot:
      return {kSystemIni, "[boot]\n", "shell=Explorer.exe\n"};
    case Place::kProfileDrivers:
      return {kSystemIni, "[386Enh]\ndevice=*vcd\n[drivers]\ntimer=timer.drv\n",
              "midimapper=midimap.drv\n[kt617.drv]\nport=530\n"};
  }
  return {};
}

struct LineCase {
  Place place;
  std::string_view line;
  bool removed;
};

// Names the case in test lists. CTest takes the name apart at ';' and other
// bytes, so only plain ones are shown; a failure traces the exact line.
void PrintTo(const LineCase& c, std::ostream* out) {
  std::string shown(c.line);
  for (char& ch : shown) {
    if (!std::isalnum(static_cast<unsigned char>(ch)) && std::string_view(" .,:=*/_-").find(ch) ==
                                                             std::string_view::npos) {
      ch = '_';
    }
  }
  *out << shown << (c.removed ? " removed" : " kept");
}

class CardLine : public testing::TestWithParam<LineCase> {};

TEST_P(CardLine, GoesOnlyWhenTheWholeLineMatches) {
  const LineCase& c = GetParam();
  SCOPED_TRACE(testing::Message() << "line '" << c.line << "'");
  Surroundings around = SurroundingsOf(c.place);
  std::string file(around.file);
  std::string installed = Dos(std::string(around.before) + std::string(c.line) + "\n" +
                              std::string(around.after));
  Machine machine;
  machine.MakeFolder("c/WINDOWS/SYSTEM");
  machine.Put(file, installed);
  Tree expected = machine.Snapshot();
  expected[std::string(kWininitIni)] = BootList("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  if (c.removed) expected[file] = Dos(std::string(around.before) + std::string(around.after));

  machine.Run(kOkThenNo);

  EXPECT_EQ(machine.Snapshot(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    ConfigSys, CardLine,
    testing::Values(
        LineCase{Place::kConfigSys, "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\kt617map.sys", true},
        LineCase{Place::kConfigSys, "DEVICEHIGH = C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS", true},
        LineCase{Place::kConfigSys, "\tdevicehigh=c:\\windows\\system\\kt617map.sys  ", true},
        LineCase{Place::kConfigSys, "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS /X", false},
        LineCase{Place::kConfigSys, "DEVICE=C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS", false},
        LineCase{Place::kConfigSys, "DEVICEHIGH=C:\\WINDOWS\\KT617MAP.SYS", false},
        LineCase{Place::kConfigSys, "REM DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\KT617MAP.SYS", false},
        LineCase{Place::kConfigSys,
                 "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\hmx220.sys  /d:mscd001 /p:__KTXMGR /Q:10 /B:0x240",
                 true},
        LineCase{Place::kConfigSys,
                 "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\HMX220.SYS /D:MSCD001/P:__KTXMGR /Q:10 /B:0X240",
                 true},
        LineCase{Place::kConfigSys,
                 "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\HMX220.SYS /D:MSCD001 /P:__KTXMGR /Q:10", false},
        LineCase{Place::kConfigSys,
                 "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\hmx220.sys /d:mscd002 /p:__KTXMGR /Q:10 /B:0x240",
                 false}));

INSTANTIATE_TEST_SUITE_P(
    AutoexecBat, CardLine,
    testing::Values(LineCase{Place::kAutoexecBat, "mscdex.exe /d:mscd001 /m:6 /v", true},
                    LineCase{Place::kAutoexecBat, "MSCDEX.EXE /D:MSCD001 /M:6 /V", true},
                    LineCase{Place::kAutoexecBat, "  mscdex.exe/d:mscd001/m:6/v", true},
                    LineCase{Place::kAutoexecBat,
                             "C:\\WINDOWS\\COMMAND\\MSCDEX.EXE /D:MSCD001 /M:6 /V", false},
                    LineCase{Place::kAutoexecBat, "LH MSCDEX.EXE /D:MSCD001 /M:6 /V", false},
                    LineCase{Place::kAutoexecBat, "MSCDEX.EXE /D:MSCD001 /M:6 /V /L:E", false},
                    LineCase{Place::kAutoexecBat, "REM mscdex.exe /d:mscd001 /m:6 /v", false}));

INSTANTIATE_TEST_SUITE_P(
    ProfileDeviceLine, CardLine,
    testing::Values(LineCase{Place::kProfile386Enh, "device=vkt617.386", true},
                    LineCase{Place::kProfile386Enh, "device = VKT617.386", true},
                    LineCase{Place::kProfileBoot, "DEVICE=vkt617.386", true},
                    LineCase{Place::kProfile386Enh, "device=vkt617.386 ;old", false},
                    LineCase{Place::kProfile386Enh, "device=*vkt617", false},
                    LineCase{Place::kProfile386Enh, "device=C:\\WINDOWS\\SYSTEM\\vkt617.386",
                             false}));

INSTANTIATE_TEST_SUITE_P(
    ProfileDriverKeys, CardLine,
    testing::Values(LineCase{Place::kProfileDrivers, "wave=kt617.drv", true},
                    LineCase{Place::kProfileDrivers, "WAVE = kt617.drv", true},
                    LineCase{Place::kProfileDrivers, "  midi=anything.drv", true},
                    LineCase{Place::kProfileDrivers, "midi2=kt617mp.drv", true},
                    LineCase{Place::kProfileDrivers, "Mixer\tkt617.drv", true},
                    LineCase{Place::kProfileDrivers, "waveout=kt617.drv", false},
                    LineCase{Place::kProfileDrivers, "midi3=kt617mp.drv", false},
                    LineCase{Place::kProfileDrivers, ";wave=kt617.drv", false},
                    LineCase{Place::kProfileDrivers, "mixer", false},
                    // The same keys in another section are not the card's.
                    LineCase{Place::kProfileBoot, "wave=kt617.drv", false},
                    LineCase{Place::kProfile386Enh, "mixer=kt617.drv", false}));

bool HoldsScratchFile(const Tree& tree) {
  for (const auto& [name, bytes] : tree) {
    if (name.find(".$$$") != std::string::npos) return true;
  }
  return false;
}

TEST(ConfigFiles, ReadOnlyConfigSysStaysAndTheScratchFileKeepsTheLastEdit) {
  Machine machine;
  InstallCard(machine);
  machine.MakeReadOnly(std::string(kConfigSys));
  std::string installed = InstalledTexts().configSys;

  machine.Run(kOkThenNo);

  // Each removal copies the file into config.$$$ and cannot delete the
  // original; the second copy replaces the first, so the scratch file holds
  // the file without the second card line only.
  EXPECT_EQ(machine.Read(std::string(kConfigSys)), installed);
  std::string lastEdit = installed;
  const std::string secondLine = "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\hmx220.sys  /d:mscd001 /p:__KTXMGR /Q:10 /B:0x240\r\n";
  ASSERT_NE(lastEdit.find(secondLine), std::string::npos);
  lastEdit.erase(lastEdit.find(secondLine), secondLine.size());
  EXPECT_EQ(machine.Read("c/config.$$$"), lastEdit);
  // The later phases still ran.
  EXPECT_EQ(machine.Read(std::string(kAutoexecBat)), UninstalledTexts().autoexecBat);
  EXPECT_EQ(machine.Read(std::string(kRegistry)), UninstalledTexts().registry);
}

TEST(ConfigFiles, NamesStoredInOtherCaseAreFound) {
  Machine machine;
  CardTexts installed = InstalledTexts();
  machine.Put("c/Windows/SYSTEM.INI", installed.systemIni);
  machine.Put("c/CONFIG.SYS", installed.configSys);
  machine.Put("c/AutoExec.Bat", installed.autoexecBat);
  for (std::string_view file : DeletedAtOnce()) {
    std::string upper(file.substr(std::string_view("c/WINDOWS/").size()));
    for (char& ch : upper) ch = ascii::Upper(ch);
    machine.Put("c/Windows/" + upper, "placeholder\r\n");
  }
  machine.Put(std::string(kRegistry), installed.registry);

  machine.Run(kOkThenNo);

  Tree after = machine.Snapshot();
  CardTexts uninstalled = UninstalledTexts();
  auto holds = [&after](std::string_view path, const std::string& bytes) {
    auto found = FindIgnoringCase(after, path);
    return found.size() == 1 && found.begin()->second == bytes;
  };
  EXPECT_TRUE(holds(kSystemIni, uninstalled.systemIni));
  EXPECT_TRUE(holds(kConfigSys, uninstalled.configSys));
  EXPECT_TRUE(holds(kAutoexecBat, uninstalled.autoexecBat));
  EXPECT_TRUE(holds(kWininitIni, BootList("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM")));
  for (std::string_view file : DeletedAtOnce()) {
    EXPECT_TRUE(FindIgnoringCase(after, file).empty()) << file;
  }
  EXPECT_FALSE(HoldsScratchFile(after));
}

TEST(ConfigFiles, MissingFilesAndAbsentEntriesLeaveNoScratchFile) {
  Machine machine;
  std::string profile = Dos("[boot]\nshell=Explorer.exe\n[drivers]\ntimer=timer.drv\n");
  machine.Put(std::string(kSystemIni), profile);
  machine.MakeFolder("c/WINDOWS/SYSTEM");
  machine.Put(std::string(kRegistry), InstalledTexts().registry);
  Tree expected = machine.Snapshot();
  expected[std::string(kWininitIni)] = BootList("C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM");
  expected[std::string(kRegistry)] = UninstalledTexts().registry;

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0);
  // No config.sys, no autoexec.bat, none of the card's files: the registry
  // phase still ran.
  EXPECT_EQ(machine.Snapshot(), expected);
}

}  // namespace
}  // namespace uninstall_test
