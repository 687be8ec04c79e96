// cpuninst on machines a hostile or careless user could hand it, and with
// standard streams nobody reads. Every case must end, with a clear outcome,
// nothing lost and nothing outside the machine folder changed.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "card_machine.h"
#include "hostile.h"

namespace uninstall_test {
namespace {

namespace fs = std::filesystem;
using test_support::ChildResult;
using test_support::ChildLaunch;
using test_support::Hostile;
using test_support::Output;

constexpr std::string_view kConfirmText = "Ok to un-install";
constexpr std::string_view kRestartToFinish = "uninstalled; restart to finish\n";
constexpr std::string_view kNothingChanged = "nothing changed\n";

std::size_t Occurrences(const std::string& text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// An installed machine, and outside it a copy of the card's files that a
// hostile record could point at.
class HostileMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallCard(machine_);
    Machine& m = machine_;
    CardTexts texts = InstalledTexts();
    outsideWindows_ = m.Outside() / "WINDOWS";
    fs::create_directories(outsideWindows_ / "SYSTEM");
    WriteOutside("WINDOWS/system.ini", texts.systemIni);
    WriteOutside("WINDOWS/kt617win.ini", "outside");
    WriteOutside("WINDOWS/SYSTEM/vkt617.386", "outside");
    WriteOutside("config.sys", texts.configSys);
    WriteOutside("registry.reg", texts.registry);
    fs::create_directories(m.Outside() / "a/b");
  }
  void WriteOutside(const std::string& relative, const std::string& bytes) {
    machine_.Put(machine_.Outside() / relative, bytes);
  }
  ChildResult Run(ChildLaunch launch) const {
    launch.timeLimit = std::chrono::seconds(60);
    // A relative directory would start here, beside the machine: inside Outside().
    launch.workingDirectory = machine_.Outside() / "a/b";
    ChildResult result = machine_.RunWith(std::move(launch));
    EXPECT_FALSE(result.timedOut);
    return result;
  }
  ChildResult Run(std::string_view answers) const {
    ChildLaunch launch;
    launch.input = answers;
    return Run(std::move(launch));
  }

  Machine machine_;
  fs::path outsideWindows_;
};

struct Refusal {
  std::string name;
  std::function<void(Machine&)> breakIt;
  std::string cause;
};

std::vector<Refusal> Refusals() {
  std::vector<Refusal> cases;
  for (const char* record : {"registry.reg", "machine.ini"}) {
    for (Hostile kind : test_support::kEveryHostile) {
      cases.push_back({std::string(record) + " as " + std::string(test_support::HostileName(kind)),
                       [record, kind](Machine& m) {
                         fs::remove(m.Root() / record);
                         if (!test_support::PlaceHostile(m.Root() / record, kind, m.Outside() / "registry.reg")) {
                           GTEST_SKIP() << "cannot be made here";
                         }
                       },
                       std::string(record) + ": not a regular file"});
    }
  }
  static const auto ini = [](std::string body) {
    return [body](Machine& m) { m.Put("machine.ini", Dos("[directories]\n" + body + "\n")); };
  };
  cases.push_back({"registry.reg that does not parse",
                   [](Machine& m) { m.Put("registry.reg", Dos("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum]\n\"a\"=b\n")); },
                   "registry.reg: line 4:"});
  cases.push_back({"registry.reg without REGEDIT4", [](Machine& m) { m.Put("registry.reg", "[x]\r\n"); },
                   "registry.reg: line 1:"});
  cases.push_back({"machine.ini that does not parse", [](Machine& m) { m.Put("machine.ini", "[directories\r\n"); },
                   "machine.ini: line 1:"});
  cases.push_back({"windows= an outside folder",
                   [](Machine& m) { ini("windows=" + (m.Outside() / "WINDOWS").string())(m); },
                   "is not a drive path"});
  cases.push_back({"windows=..\\..", ini("windows=..\\.."), "windows=..\\.. is not a drive path"});
  cases.push_back({"windows=\\\\server\\share", ini("windows=\\\\server\\share"), "is not a drive path"});
  cases.push_back({"windows= empty", ini("windows="), "windows= is not a drive path"});
  cases.push_back({"system= an outside folder",
                   [](Machine& m) { ini("system=" + (m.Outside() / "WINDOWS/SYSTEM").string())(m); },
                   "is not a drive path"});
  cases.push_back({"system=..\\..", ini("system=..\\.."), "system=..\\.. is not a drive path"});
  cases.push_back({"unknown directory key", ini("windir=C:\\WINDOWS"), "unknown key 'windir'"});
  cases.push_back({"Windows folder missing", ini("windows=D:\\WINDOWS"),
                   "the Windows directory D:\\WINDOWS is not a folder"});
  cases.push_back({"Windows folder a link outside",
                   [](Machine& m) {
                     fs::rename(m.Root() / "c/WINDOWS", m.Outside() / "machine-windows");
                     fs::create_directory_symlink(m.Outside() / "WINDOWS", m.Root() / "c/WINDOWS");
                   },
                   "cannot be reached inside the machine folder"});
  return cases;
}

class RefusedMachine : public HostileMachine, public ::testing::WithParamInterface<Refusal> {};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

TEST_P(RefusedMachine, IsRefusedBeforeAnythingIsTouched) {
  GetParam().breakIt(machine_);
  if (IsSkipped()) return;
  Tree before = machine_.Snapshot();
  Tree outside = SnapshotOf(machine_.Outside());

  ChildResult run = Run("ok\nyes\n");

  EXPECT_EQ(run.exitStatus, 2);
  EXPECT_EQ(run.err.rfind("cpuninst: ", 0), 0u) << run.err;
  EXPECT_NE(run.err.find(GetParam().cause), std::string::npos) << run.err;
  EXPECT_EQ(Occurrences(run.err, "\n"), 1u) << run.err;
  EXPECT_EQ(run.out, "");  // no box
  EXPECT_EQ(machine_.Snapshot(), before);
  EXPECT_EQ(SnapshotOf(machine_.Outside()), outside);
}

INSTANTIATE_TEST_SUITE_P(Records, RefusedMachine, ::testing::ValuesIn(Refusals()),
                         [](const ::testing::TestParamInfo<Refusal>& info) { return std::to_string(info.index); });

TEST_F(HostileMachine, AReadOnlyRegistryKeepsItsKeysAndSaysSoOnce) {
  machine_.MakeReadOnly("registry.reg");
  test_support::ChildResult run = machine_.Run(kOkThenNo);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(machine_.Read("registry.reg"), InstalledTexts().registry);
  EXPECT_EQ(Occurrences(run.err, "read-only"), 1u) << run.err;
  EXPECT_EQ(Occurrences(run.err, "\n"), 1u) << run.err;
  // The files were still cleaned, and the closing line says the machine changed.
  EXPECT_EQ(machine_.Read(std::string(kSystemIni)), UninstalledTexts().systemIni);
  EXPECT_TRUE(run.out.ends_with(kRestartToFinish)) << run.out;
}

TEST_F(HostileMachine, WhateverStandsAtTheRegistryScratchNameIsNeverWrittenThrough) {
  for (Hostile kind : {Hostile::kLinkOutside, Hostile::kFifo, Hostile::kDevice, Hostile::kSocket}) {
    Machine machine;
    InstallCard(machine);
    machine.Put(machine.Outside() / "victim.reg", "outside");
    if (!test_support::PlaceHostile(machine.Root() / "registry.$$$", kind, machine.Outside() / "victim.reg")) continue;
    ChildLaunch launch;
    launch.input = kOkThenNo;
    ChildResult run = machine.RunWith(launch);
    std::string name(test_support::HostileName(kind));
    EXPECT_FALSE(run.timedOut) << name;
    EXPECT_EQ(machine.Read("registry.reg"), UninstalledTexts().registry) << name;
    EXPECT_EQ(SnapshotOf(machine.Outside()), (Tree{{"victim.reg", "outside"}})) << name;
    EXPECT_FALSE(fs::exists(fs::symlink_status(machine.Root() / "registry.$$$"))) << name;
  }
}

TEST_F(HostileMachine, AFolderAtTheRegistryScratchNameLeavesTheRegistryWhole) {
  machine_.MakeFolder("registry.$$$");
  test_support::ChildResult run = machine_.Run(kOkThenNo);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(machine_.Read("registry.reg"), InstalledTexts().registry);
  EXPECT_NE(run.err.find("could not be rewritten"), std::string::npos) << run.err;
}

// Nobody can see the first box, so nobody agreed: nothing is touched even
// though the answers say OK and Yes.
TEST_F(HostileMachine, WithStandardOutputGoneNothingIsTouched) {
  for (Output output : {Output::kClosed, Output::kFull, Output::kUnreadPipe}) {
    Tree before = machine_.Snapshot();
    ChildLaunch launch;
    launch.input = kOkThenYes;
    launch.output = output;
    ChildResult run = Run(std::move(launch));
    EXPECT_EQ(run.exitStatus, 0) << static_cast<int>(output);
    EXPECT_EQ(machine_.Snapshot(), before) << static_cast<int>(output);
    EXPECT_NE(run.err.find("a message box could not be shown"), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("cpuninst: nothing changed\n")) << run.err;
  }
}

TEST_F(HostileMachine, AHundredMegabyteAnswerLineIsNoAnswer) {
  constexpr off_t kLength = off_t{100} << 20;
  fs::path input = machine_.Outside() / "endless";
  struct Case {
    std::string after;
    bool uninstalls;
  };
  for (const Case& c : {Case{"", false}, Case{"\nok\nno\n", true}}) {
    Machine machine;
    InstallCard(machine);
    int fd = ::open(input.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, c.after.data(), c.after.size(), kLength), static_cast<ssize_t>(c.after.size()));
    ASSERT_EQ(::ftruncate(fd, kLength + static_cast<off_t>(c.after.size())), 0);
    ::close(fd);
    ChildLaunch launch;
    launch.inputKind = test_support::Input::kFile;
    launch.inputFile = input;
    ChildResult run = machine.RunWith(std::move(launch));
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(machine.Read(std::string(kSystemIni)) == UninstalledTexts().systemIni, c.uninstalls);
    EXPECT_TRUE(run.out.ends_with(c.uninstalls ? kRestartToFinish : kNothingChanged)) << run.out.substr(0, 400);
    EXPECT_LT(run.peakKilobytes, 64 * 1024);
  }
}

}  // namespace
}  // namespace uninstall_test
