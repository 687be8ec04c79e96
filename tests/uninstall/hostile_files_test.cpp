// Hostile files of the machine through the real program (the machine's own
// records are in hostile_test.cpp): FIFOs, devices and folders where the
// program names files, links and hard links at the scratch names, twin names,
// a file to keep private, a full disk. Every run ends (a run past its time
// limit fails the test) with exit status 0; the hostile entries are left as
// they were, nothing outside the machine changes, and everything else ends
// exactly as on an untroubled machine.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "card_machine.h"
#include "hostile.h"
#include "hostile_disk.h"
#include "param_name.h"
#include "tally.h"

namespace uninstall_test {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kSystemScratch = "c/WINDOWS/system.$$$";
constexpr std::string_view kConfigScratch = "c/config.$$$";
constexpr std::string_view kWininitScratch = "c/WINDOWS/wininit.$$$";
constexpr std::string_view kReadme = "c/WINDOWS/readmecp.txt";
constexpr std::string_view kDeletedDriver = "c/WINDOWS/SYSTEM/hmx220.sys";
constexpr const char* kVictimBytes = "outside the machine\r\n";

// The tree an untroubled machine ends in.
const Tree& UntroubledResult() {
  static const Tree tree = [] {
    Machine machine;
    InstallCard(machine);
    machine.Run(kOkThenNo);
    return machine.Snapshot();
  }();
  return tree;
}

// The tree without the entries at or below the given paths.
Tree Without(Tree tree, const std::vector<std::string>& paths) {
  std::erase_if(tree, [&](const auto& entry) {
    for (const std::string& path : paths) {
      if (entry.first == path || entry.first.rfind(path + "/", 0) == 0) return true;
    }
    return false;
  });
  return tree;
}

fs::path At(const Machine& machine, std::string_view relative) { return machine.Root() / std::string(relative); }

void Replace(const Machine& machine, std::string_view relative, const std::function<bool(const fs::path&)>& make) {
  fs::remove(At(machine, relative));
  ASSERT_TRUE(make(At(machine, relative))) << relative;
}

bool Fifo(const fs::path& at) { return test_support::PlaceHostile(at, test_support::Hostile::kFifo, {}); }
bool Folder(const fs::path& at) {
  fs::create_directory(at);
  std::ofstream(at / "inside.txt") << "kept";
  return true;
}

struct HostileCase {
  const char* name;
  // Makes the tree hostile; false when it cannot be made here (not root).
  std::function<bool(Machine&)> make;
  // Entries (with all below them) left as the hostile tree had them; the
  // rest of the tree must end as on an untroubled machine.
  std::vector<std::string> kept;
  // Entries that must not exist afterwards (what the program would write).
  std::vector<std::string> absent;
};

void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.name; }

std::function<bool(Machine&)> Put(std::string_view relative, std::function<bool(const fs::path&)> make) {
  return [relative, make](Machine& machine) {
    Replace(machine, relative, make);
    return true;
  };
}

std::function<bool(Machine&)> Device(std::string_view relative) {
  return [relative](Machine& machine) {
    fs::remove(At(machine, relative));
    return test_support::PlaceHostile(At(machine, relative), test_support::Hostile::kDevice, {});
  };
}

// A link (or hard link) at a name the program uses, to a file outside.
std::function<bool(Machine&)> LinkOut(std::string_view relative, bool hard) {
  return [relative, hard](Machine& machine) {
    fs::path victim = machine.Outside() / "victim.ini";
    std::ofstream(victim, std::ios::binary) << kVictimBytes;
    hard ? fs::create_hard_link(victim, At(machine, relative)) : fs::create_symlink(victim, At(machine, relative));
    return true;
  };
}

// A second name equal but for case, holding other bytes.
std::function<bool(Machine&)> Twin(std::string_view relative, std::string_view twin) {
  return [relative, twin](Machine& machine) {
    std::string bytes = machine.Read(std::string(relative)).value_or("twin\r\n") + "; twin\r\n";
    machine.Put(std::string(twin), bytes);
    return true;
  };
}

std::string S(std::string_view text) { return std::string(text); }

const std::vector<HostileCase>& Cases() {
  static const std::vector<HostileCase> cases = {
      {"FifoAtSystemIni", Put(kSystemIni, Fifo), {S(kSystemIni)}, {S(kSystemScratch)}},
      {"FifoAtConfigSys", Put(kConfigSys, Fifo), {S(kConfigSys)}, {S(kConfigScratch)}},
      {"FifoAtAutoexecBat", Put(kAutoexecBat, Fifo), {S(kAutoexecBat)}, {"c/autoexec.$$$"}},
      {"FifoAtWininitIni", Put(kWininitIni, Fifo), {S(kWininitIni)}, {S(kWininitScratch)}},
      {"FifoAtADeletedFile", Put(kDeletedDriver, Fifo), {S(kDeletedDriver)}, {}},
      {"DeviceAtSystemIni", Device(kSystemIni), {S(kSystemIni)}, {S(kSystemScratch)}},
      {"DeviceAtWininitIni", Device(kWininitIni), {S(kWininitIni)}, {S(kWininitScratch)}},
      {"DeviceAtADeletedFile", Device(kDeletedDriver), {S(kDeletedDriver)}, {}},
      {"FolderAtSystemIni", Put(kSystemIni, Folder), {S(kSystemIni)}, {S(kSystemScratch)}},
      {"FolderAtConfigSys", Put(kConfigSys, Folder), {S(kConfigSys)}, {S(kConfigScratch)}},
      {"FolderAtWininitIni", Put(kWininitIni, Folder), {S(kWininitIni)}, {S(kWininitScratch)}},
      {"FolderAtADeletedFile", Put(kReadme, Folder), {S(kReadme)}, {}},
      {"FolderAtTheProfilesScratchName", Put(kSystemScratch, Folder), {S(kSystemIni), S(kSystemScratch)}, {}},
      {"FolderAtTheBootListsScratchName", Put(kWininitScratch, Folder), {S(kWininitScratch)}, {S(kWininitIni)}},
      {"FifoAtTheProfilesScratchName", Put(kSystemScratch, Fifo), {}, {}},
      {"LinkOutAtTheProfilesScratchName", LinkOut(kSystemScratch, false), {}, {}},
      {"HardLinkOutAtConfigSysScratchName", LinkOut(kConfigScratch, true), {}, {}},
      {"LinkOutAtTheBootListsScratchName", LinkOut(kWininitScratch, false), {}, {}},
      {"HardLinkOutAtTheBootListsScratchName", LinkOut(kWininitScratch, true), {}, {}},
      {"HardLinkToTheProfileAtItsScratchName",
       [](Machine& machine) {
         fs::create_hard_link(At(machine, kSystemIni), At(machine, kSystemScratch));
         return true;
       },
       {}, {}},
      {"LinkOutAtSystemIni", Put(kSystemIni, [](const fs::path& at) {
         fs::create_symlink(at.parent_path().parent_path().parent_path().parent_path() / "outside" / "victim.ini", at);
         return true;
       }), {S(kSystemIni)}, {S(kSystemScratch)}},
      {"TwinSystemIni", Twin(kSystemIni, "c/WINDOWS/SYSTEM.INI"), {S(kSystemIni), "c/WINDOWS/SYSTEM.INI"}, {S(kSystemScratch)}},
      {"TwinConfigSys", Twin(kConfigSys, "c/CONFIG.SYS"), {S(kConfigSys), "c/CONFIG.SYS"}, {S(kConfigScratch)}},
      {"TwinWininitIni",
       [](Machine& machine) {
         machine.Put(std::string(kWininitIni), "[rename]\r\n");
         machine.Put("c/WINDOWS/WININIT.INI", "[Rename]\r\nNUL=C:\\OTHER.DRV\r\n");
         return true;
       },
       {S(kWininitIni), "c/WINDOWS/WININIT.INI"}, {S(kWininitScratch)}},
      {"TwinScratchNamesOfTheProfile", [](Machine& machine) {
         machine.Put(std::string(kSystemScratch), "one");
         machine.Put("c/WINDOWS/SYSTEM.$$$", "two");
         return true;
       }, {S(kSystemIni), S(kSystemScratch), "c/WINDOWS/SYSTEM.$$$"}, {}},
      {"TwinDeletedFile", Twin(kReadme, "c/WINDOWS/READMECP.TXT"), {S(kReadme), "c/WINDOWS/READMECP.TXT"}, {}},
  };
  return cases;
}

class HostileTree : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileTree, EndsCleanlyAndTouchesOnlyWhatItMay) {
  const HostileCase& c = GetParam();
  Machine machine;
  InstallCard(machine);
  if (!c.make(machine)) GTEST_SKIP() << "cannot make " << c.name << " here (not root)";
  Tree before = machine.Snapshot();
  std::ofstream(machine.Outside() / "neighbour.ini", std::ios::binary) << kVictimBytes;

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0) << result.err;
  Tree after = machine.Snapshot();
  for (const std::string& path : c.kept) {
    ASSERT_EQ(after.count(path), before.count(path)) << path;
    if (before.count(path)) {
      EXPECT_EQ(after[path], before[path]) << path;
    }
  }
  for (const std::string& path : c.absent) EXPECT_EQ(after.count(path), 0u) << path;
  std::vector<std::string> skip = c.kept;
  skip.insert(skip.end(), c.absent.begin(), c.absent.end());
  EXPECT_EQ(Without(after, skip), Without(UntroubledResult(), skip));
  for (const auto& entry : fs::directory_iterator(machine.Outside())) {
    std::ifstream in(entry.path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), kVictimBytes) << entry.path();
  }
  test_support::Tally("hostile cases (cpuninst)", 1);
}

INSTANTIATE_TEST_SUITE_P(Trees, HostileTree, testing::ValuesIn(Cases()),
                         test_support::NameOfParam());

// The restart processes wininit.ini: a FIFO there is no list and blocks nothing.
TEST(HostileTree, AFifoAtTheBootListBlocksNoRestart) {
  Machine machine;
  InstallCard(machine);
  Replace(machine, kWininitIni, Fifo);

  test_support::ChildResult result = machine.Run(kOkThenYes);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(fs::symlink_status(At(machine, kWininitIni)).type(), fs::file_type::fifo);
  for (std::string_view file : DeletedAtRestart()) EXPECT_TRUE(machine.Exists(std::string(file))) << file;
  test_support::Tally("hostile cases (cpuninst)", 1);
}

TEST(HostileTree, APrivateProfileStaysPrivate) {
  Machine machine;
  InstallCard(machine);
  for (std::string_view file : {kSystemIni, kConfigSys}) fs::permissions(At(machine, file), fs::perms(0600));

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(machine.Read(std::string(kSystemIni)), UninstalledTexts().systemIni);
  for (std::string_view file : {kSystemIni, kConfigSys}) {
    EXPECT_EQ(fs::status(At(machine, file)).permissions(), fs::perms(0600)) << file;
  }
  test_support::Tally("hostile cases (cpuninst)", 1);
}

// On a full disk no edit and no list can be written: the files stay whole
// and no list exists, so a run once there is room does everything.
TEST(HostileTree, AFullDiskLosesNothingAndALaterRunCompletes) {
  Machine machine;
  test_support::SmallDisk disk(machine.Root(), 256 * 1024);
  if (!disk.Mounted()) GTEST_SKIP() << disk.Note();
  InstallCard(machine);
  Tree installed = machine.Snapshot();
  disk.Fill(machine.Root() / "filler");

  test_support::ChildResult result = machine.Run(kOkThenNo);

  EXPECT_EQ(result.exitStatus, 0);
  for (std::string_view file : {kSystemIni, kConfigSys, kAutoexecBat}) {
    EXPECT_EQ(machine.Read(std::string(file)), installed[std::string(file)]) << file;
  }
  EXPECT_FALSE(machine.Exists(std::string(kWininitIni)));
  EXPECT_FALSE(machine.Exists(std::string(kWininitScratch)));

  fs::remove(machine.Root() / "filler");
  // The registry and the files deleted at once went the first time.
  test_support::ChildResult again = machine.Run(kOkThenNo);
  EXPECT_EQ(again.exitStatus, 0);
  Tree after = machine.Snapshot();
  EXPECT_EQ(Without(after, {S(kSystemScratch), S(kConfigScratch), "c/autoexec.$$$"}),
            Without(UntroubledResult(), {}));
  test_support::Tally("hostile cases (cpuninst)", 1);
}

}  // namespace
}  // namespace uninstall_test
