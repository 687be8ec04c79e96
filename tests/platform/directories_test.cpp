// The two directory queries over <machine>/machine.ini.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "platform/platform.h"

namespace {

class DirectoriesTest : public MachineTest {
 protected:
  static std::string Windows() { return Query(GetWindowsDirectoryA); }
  static std::string System() { return Query(GetSystemDirectoryA); }
  static std::string Query(UINT (*query)(LPSTR, UINT)) {
    std::array<char, 144> buffer{};
    UINT length = query(buffer.data(), buffer.size());
    if (length == 0) return "<failed>";
    EXPECT_LT(length, buffer.size());
    EXPECT_EQ(buffer[length], '\0');
    return std::string(buffer.data(), length);
  }
};

TEST_F(DirectoriesTest, MachineIniGivesTheTextsExactlyAsWritten) {
  struct Case {
    const char* ini;
    const char* windows;
    const char* system;
  };
  const std::vector<Case> cases = {
      {nullptr, "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
      {"", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\r\nwindows=D:\\Win95\r\nsystem=d:\\win95\\system\r\n", "D:\\Win95", "d:\\win95\\system"},
      {"[directories]\nsystem=c:\\windows\\system\n", "C:\\WINDOWS", "c:\\windows\\system"},
      {"[Directories]\nWINDOWS=C:\\W\nSystem=C:\\W\\S", "C:\\W", "C:\\W\\S"},
      {"[other]\nwindows=C:\\NO\n[directories]\nwindows=C:\\YES\n[more]\nsystem=C:\\NO\n", "C:\\YES",
       "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=C:\\FIRST\nwindows=C:\\SECOND\n", "C:\\FIRST", "C:\\WINDOWS\\SYSTEM"},
      {"; comment\n[directories]\n;windows=C:\\NO\n  windows = C:\\Spaced \n", "C:\\Spaced", "C:\\WINDOWS\\SYSTEM"},
      {"[directories]\nwindows=\n", "<failed>", "C:\\WINDOWS\\SYSTEM"},
      // Only drive paths: nothing else may lead outside the machine folder.
      {"[directories]\nwindows=/tmp\nsystem=..\\..\n", "<failed>", "<failed>"},
      {"[directories]\nsystem=\\\\server\\share\n", "C:\\WINDOWS", "<failed>"},
      {"[directories]\nwindows=C:WINDOWS\n", "<failed>", "C:\\WINDOWS\\SYSTEM"},
      // A machine.ini that does not parse gives no directory at all.
      {"[directories]\nwindows=C:\\W\nnonsense\n", "<failed>", "<failed>"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(Root() / "machine.ini");
    if (c.ini != nullptr) Put("machine.ini", c.ini);
    Reopen();
    EXPECT_EQ(Windows(), c.windows) << (c.ini ? c.ini : "(no machine.ini)");
    EXPECT_EQ(System(), c.system) << (c.ini ? c.ini : "(no machine.ini)");
  }
}

TEST_F(DirectoriesTest, ASmallBufferGetsTheSizeNeededAndNothingCopied) {
  Put("machine.ini", "[directories]\nwindows=C:\\WIN\n");  // 6 bytes
  Reopen();
  std::array<char, 32> buffer{};
  buffer.fill('#');
  EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), 6), 7u);
  EXPECT_EQ(buffer[0], '#');
  EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), 7u);
  EXPECT_EQ(GetWindowsDirectoryA(buffer.data(), 7), 6u);
  EXPECT_EQ(std::string(buffer.data(), 8), std::string("C:\\WIN\0#", 8));
  EXPECT_EQ(GetSystemDirectoryA(buffer.data(), 17), 18u);  // C:\WINDOWS\SYSTEM
  EXPECT_EQ(GetSystemDirectoryA(buffer.data(), 18), 17u);
}

TEST_F(DirectoriesTest, AnUnreadableMachineIniFailsBothQueries) {
  std::filesystem::create_directories(Root() / "machine.ini");
  Reopen();
  EXPECT_EQ(Windows(), "<failed>");
  EXPECT_EQ(System(), "<failed>");
  // The machine keeps why, for the program to say.
  std::string problem = platform::hosted::Describe(TheMachine().DirectoriesProblem());
  EXPECT_NE(problem.find("machine.ini: not a regular file"), std::string::npos) << problem;
}

TEST_F(DirectoriesTest, NoMachineFolderNoDirectories) {
  test_support::MachineInUse none("");
  EXPECT_EQ(Windows(), "<failed>");
  EXPECT_EQ(System(), "<failed>");
}

}  // namespace
