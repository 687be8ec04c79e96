// The machine's start-up checks and the shell's words for them: every
// machine the program must refuse, with the cause named, and the machines it
// lets through.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "platform/hosted/machine/machine.h"
#include "uninstall/hosted_shell.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kRegistry = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Enum]\r\n\"a\"=\"b\"\r\n";

class MachineCheckTest : public MachineTest {
 protected:
  void SetUp() override {
    MachineTest::SetUp();
    fs::create_directories(Root() / "c/WINDOWS");
    Put("registry.reg", kRegistry);
    outside_ = Base() / "outside";
    fs::create_directories(outside_ / "WINDOWS");
    Put(outside_ / "outside.reg", kRegistry);
  }
  // A new run's machine on folder (the machine folder unless given).
  std::string Check(const std::string& folder) {
    platform::hosted::Machine machine(folder);
    platform::hosted::MachineProblem problem = machine.Check();
    return problem.kind == platform::hosted::MachineProblem::Kind::kNone ? "accepted"
                                                                         : uninstall::RefusalLine(problem);
  }
  std::string Check() { return Check(Root().string()); }
  fs::path outside_;
};

TEST_F(MachineCheckTest, AWellFormedMachineIsAccepted) {
  EXPECT_EQ(Check(), "accepted");
  fs::remove(Root() / "registry.reg");  // missing: an empty registry
  EXPECT_EQ(Check(), "accepted");
  Put("machine.ini", "[directories]\r\nwindows=d:\\win95\r\nsystem=D:\\WIN95\\SYSTEM\r\n");
  fs::create_directories(Root() / "d/Win95");
  EXPECT_EQ(Check(), "accepted");
}

TEST_F(MachineCheckTest, EveryRefusalNamesItsCause) {
  struct Case {
    const char* name;
    std::function<void()> breakIt;
    const char* cause;
    std::string folder = {};  // the machine folder's when empty
  };
  auto ini = [this](const std::string& body) { Put("machine.ini", "[directories]\r\n" + body + "\r\n"); };
  const std::vector<Case> cases = {
      {"no folder named", [] {}, "WIN95_MACHINE is not set", "-"},
      {"not a folder", [] {}, "which is not a folder", (outside_ / "outside.reg").string()},
      {"no Windows folder", [this] { fs::remove(Root() / "c/WINDOWS"); },
       "the Windows directory C:\\WINDOWS is not a folder on drive C:"},
      {"Windows is a file", [this] { fs::remove(Root() / "c/WINDOWS"); Put("c/WINDOWS", "x"); },
       "is not a folder"},
      {"Windows folder through a link", [this] {
         fs::remove(Root() / "c/WINDOWS");
         fs::create_directory_symlink(outside_ / "WINDOWS", Root() / "c/WINDOWS");
       },
       "cannot be reached inside the machine folder"},
      {"other Windows folder missing", [&] { ini("windows=D:\\WIN"); },
       "the Windows directory D:\\WIN is not a folder on drive D:"},
      {"registry too large", [this] { fs::resize_file(Root() / "registry.reg", std::uintmax_t{65} << 20); },
       "registry.reg: larger than"},
      {"registry does not parse", [this] { Put("registry.reg", "REGEDIT4\r\n[HKEY_NOWHERE\\x]\r\n"); },
       "registry.reg: line 2: unknown root key"},
      {"empty registry file", [this] { Put("registry.reg", ""); }, "registry.reg: line 1:"},
      {"machine.ini does not parse", [this] { Put("machine.ini", "[directories\r\n"); },
       "machine.ini: line 1: a section header without ']'"},
      {"unknown key", [&] { ini("windir=C:\\WINDOWS"); }, "unknown key 'windir'"},
      {"windows=/tmp", [&] { ini("windows=/tmp"); }, "machine.ini: windows=/tmp is not a drive path"},
      {"windows=..\\..", [&] { ini("windows=..\\.."); }, "windows=..\\.. is not a drive path"},
      {"windows=\\\\server\\share", [&] { ini("windows=\\\\server\\share"); }, "is not a drive path"},
      {"windows= empty", [&] { ini("windows="); }, "windows= is not a drive path"},
      {"system=/tmp", [&] { ini("system=/tmp"); }, "system=/tmp is not a drive path"},
      {"system=..", [&] { ini("system=.."); }, "system=.. is not a drive path"},
      {"control byte", [&] { ini("windows=C:\\WIN\x01"); }, "windows=C:\\WIN? is not a drive path"},
  };
  for (const Case& c : cases) {
    fs::remove_all(Root());
    fs::create_directories(Root() / "c/WINDOWS");
    Put("registry.reg", kRegistry);
    c.breakIt();
    std::string problem = c.folder.empty() ? Check() : Check(c.folder == "-" ? "" : c.folder);
    EXPECT_NE(problem.find(c.cause), std::string::npos) << c.name << ": " << problem;
  }
}

}  // namespace
