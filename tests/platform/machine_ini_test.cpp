// machine.ini as text: which directory texts it gives, which lines it
// refuses, and which texts count as drive paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hosted/machine/machine_ini.h"

namespace {

using platform::hosted::IsDriveDirectory;
using platform::hosted::MachineIni;
using platform::hosted::MachineIniError;
using platform::hosted::ParseMachineIni;

TEST(MachineIniText, GivesTheFirstTextOfEachKeyOrTheDefault) {
  struct Case {
    std::string text;
    const char* windows;
    const char* system;
  };
  const std::vector<Case> cases = {
      {"", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\r\nwindows=D:\\W\r\nsystem=D:\\W\\S\r\n", "D:\\W", "D:\\W\\S"},
      {"[DIRECTORIES]\nWindows = E:\\Spaced Name \n", "E:\\Spaced Name", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=C:\\FIRST\nwindows=C:\\SECOND\n", "C:\\FIRST", "C:\\WINDOWS\\SYSTEM"},
      {"[other]\nwindows=C:\\NO\nanything=at all\n[directories]\nsystem=C:\\S\n", "C:\\WINDOWS", "C:\\S"},
      {"; comment\n\n  \t\n[directories]\n;windows=C:\\NO\n", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=C:\\W\x1a\ngarbage without equals\n", "C:\\W", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=\n", "", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=C:\\A=B\n", "C:\\A=B", "C:\\WINDOWS\\SYSTEM"},
  };
  for (const Case& c : cases) {
    MachineIni ini;
    MachineIniError error;
    ASSERT_TRUE(ParseMachineIni(c.text, ini, error)) << c.text << " line " << error.line << ": " << error.reason;
    EXPECT_EQ(ini.windows, c.windows) << c.text;
    EXPECT_EQ(ini.system, c.system) << c.text;
  }
}

TEST(MachineIniText, RefusesALineThatIsNoneOfTheFormsAndNamesIt) {
  struct Case {
    std::string text;
    std::size_t line;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"[directories\nwindows=C:\\W\n", 1, "without ']'"},
      {"[directories]\r\nwindows=C:\\W\r\njust words\r\n", 3, "neither"},
      {"\x7f" "ELF\x01\x01", 1, "neither"},
      {"[directories]\nwindir=C:\\W\n", 2, "unknown key 'windir'"},
      {"[directories]\n=C:\\W\n", 2, "unknown key ''"},
      {"[other]\nfine=1\n[directories]\nsystem=C:\\S\nSystem32=C:\\T\n", 5, "unknown key 'System32'"},
      {"[directories]\nwin\x01=C:\\W\n", 2, "unknown key 'win?'"},
  };
  for (const Case& c : cases) {
    MachineIni ini;
    MachineIniError error;
    EXPECT_FALSE(ParseMachineIni(c.text, ini, error)) << c.text;
    EXPECT_EQ(error.line, c.line) << c.text;
    EXPECT_NE(error.reason.find(c.reason), std::string::npos) << error.reason;
  }
}

TEST(MachineIniText, OnlyDrivePathsNameDirectories) {
  struct Case {
    std::string text;
    bool drive;
  };
  const std::vector<Case> cases = {
      {"C:\\WINDOWS", true},
      {"d:\\win95\\system", true},
      {"C:\\", true},
      {"Z:\\..\\..\\up", true},  // '..' never climbs above the drive
      {"C:\\Program Files\\x.y", true},
      {"", false},
      {"/tmp", false},
      {"..\\..", false},
      {"\\\\server\\share", false},
      {"C:", false},
      {"C:WINDOWS", false},
      {"C:/WINDOWS", false},
      {"1:\\WINDOWS", false},
      {"CC:\\WINDOWS", false},
      {"C:\\WIN\nDOWS", false},
      {std::string("C:\\WIN\0DOWS", 11), false},
      {"C:\\WIN*", false},
      {"C:\\a:b", false},
      {"C:\\\"quoted\"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsDriveDirectory(c.text), c.drive) << c.text;
}

}  // namespace
