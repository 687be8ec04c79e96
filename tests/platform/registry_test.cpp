// The registry calls over <machine>/registry.reg: handles, value sizes and
// codes, key deletion on disk, and a registry that does not parse.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "fault_plan.h"
#include "machine_fixture.h"
#include "platform/fault.h"
#include "platform/hosted/machine/machine.h"
#include "platform/platform.h"

namespace {

constexpr const char* kRegistry =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installCP]\r\n"
    "\"DisplayName\"=\"Card\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\MAKER-CARD-4E7A\\0]\r\n"
    "\"Driver\"=\"MEDIA\\\\0003\"\r\n"
    "\"Count\"=dword:00000002\r\n"
    "@=\"default text\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\0003]\r\n"
    "\"DriverDesc\"=\"Card\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\0003\\Drivers]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\0004]\r\n"
    "\"DriverDesc\"=\"Other\"\r\n";

class RegistryTest : public MachineTest {
 protected:
  std::string Registry() { return Get(Root() / "registry.reg"); }
  HKEY Open(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS) << path;
    return key;
  }
};

TEST_F(RegistryTest, KeysOpenIgnoringCaseAndThroughTheirDescendants) {
  Put("registry.reg", kRegistry);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "enum\\pcmcia\\maker-card-4e7a\\0", 0, KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  EXPECT_NE(key, nullptr);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
  // No block of its own, only below it.
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\MEDIA", &key),
            ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD-4E7A\\1", 0, KEY_ALL_ACCESS, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegOpenKeyA(reinterpret_cast<HKEY>(0x1234), "Enum", &key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, SubkeyPathsAreRelativeToAnOpenKey) {
  Put("registry.reg", kRegistry);
  HKEY media = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\MEDIA", &media),
            ERROR_SUCCESS);
  HKEY sub = nullptr;
  ASSERT_EQ(RegOpenKeyA(media, "0004", &sub), ERROR_SUCCESS);
  std::array<BYTE, 16> data{};
  DWORD size = data.size();
  EXPECT_EQ(RegQueryValueExA(sub, "DriverDesc", nullptr, nullptr, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data.data()), size), std::string("Other\0", 6));
  RegCloseKey(sub);
  EXPECT_EQ(RegDeleteKeyA(media, "0003"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(media, "0003"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(media), ERROR_SUCCESS);
  EXPECT_EQ(Registry().find("MEDIA\\0003]"), std::string::npos);
  EXPECT_NE(Registry().find("MEDIA\\0004]"), std::string::npos);
}

TEST_F(RegistryTest, QueriesReturnTheBytesSizesAndCodesOfWin32) {
  Put("registry.reg", kRegistry);
  HKEY key = Open("Enum\\PCMCIA\\MAKER-CARD-4E7A\\0");
  std::array<BYTE, 80> data{};
  data.fill(0xEE);
  DWORD size = data.size();
  DWORD type = 0;
  ASSERT_EQ(RegQueryValueExA(key, "driver", nullptr, &type, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 11u);  // the text and its NUL
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data.data()), 12), std::string("MEDIA\\0003\0\xEE", 12));

  // Too small, even by the NUL alone: nothing copied, the size needed given.
  data.fill(0xEE);
  size = 10;
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, &type, data.data(), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 11u);
  EXPECT_EQ(data[0], 0xEE);
  // Only the size asked for.
  size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 11u);
  // An exact fit.
  size = 11;
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, nullptr, data.data(), &size), ERROR_SUCCESS);

  size = data.size();
  EXPECT_EQ(RegQueryValueExA(key, "Count", nullptr, &type, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_DWORD);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(data[0], 2);
  size = data.size();
  EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, &type, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 13u);
  size = data.size();
  EXPECT_EQ(RegQueryValueExA(key, "", nullptr, &type, data.data(), &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 13u);

  size = data.size();
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, &type, data.data(), &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, nullptr, data.data(), nullptr), ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, nullptr, data.data(), &size), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, DeletingAKeyTakesItsSubtreeAndLeavesEveryOtherByte) {
  Put("registry.reg", kRegistry);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class\\media\\0003"),
            ERROR_SUCCESS);
  std::string expected = kRegistry;
  std::size_t from = expected.find("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\0003]");
  std::size_t to = expected.find("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\Class\\MEDIA\\0004]");
  expected.erase(from, to - from);
  EXPECT_EQ(Registry(), expected);
  EXPECT_FALSE(Exists("registry.$$$"));

  // A key that exists only through its descendants goes with them.
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD-4E7A"), ERROR_SUCCESS);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum", &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD-4E7A"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, ""), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "\\"), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, AKeyDeletedUnderAnOpenHandleIsGone) {
  Put("registry.reg", kRegistry);
  HKEY key = Open("Enum\\PCMCIA\\MAKER-CARD-4E7A\\0");
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD-4E7A"), ERROR_SUCCESS);
  std::array<BYTE, 80> data{};
  DWORD size = data.size();
  EXPECT_EQ(RegQueryValueExA(key, "Driver", nullptr, nullptr, data.data(), &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AMissingRegistryIsEmpty) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum"), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(Exists("registry.reg"));
  EXPECT_FALSE(Exists("registry.$$$"));
}

TEST_F(RegistryTest, AnUnparsableRegistryIsNeverRewrittenAndItsLineIsNamed) {
  std::string broken = std::string(kRegistry) + "\"stray\"=oops\r\n";
  Put("registry.reg", broken);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA\\MAKER-CARD-4E7A\\0", 0, KEY_ALL_ACCESS, &key),
            ERROR_BADDB);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installCP"),
            ERROR_BADDB);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum", &key), ERROR_BADDB);
  std::string problem = platform::hosted::Describe(TheMachine().RegistryProblem());
  EXPECT_NE(problem.find("registry.reg: line 18:"), std::string::npos) << problem;
  EXPECT_EQ(Registry(), broken);
  EXPECT_FALSE(Exists("registry.$$$"));
}

TEST_F(RegistryTest, ARegistryThatIsALinkIsRefused) {
  std::string outside = (Base() / "outside.reg").string();
  Put(outside, kRegistry);
  std::filesystem::create_symlink(outside, Root() / "registry.reg");
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum"), ERROR_BADDB);
  std::string problem = platform::hosted::Describe(TheMachine().RegistryProblem());
  EXPECT_NE(problem.find("registry.reg: not a regular file"), std::string::npos) << problem;
  EXPECT_EQ(Get(outside), kRegistry);
  EXPECT_TRUE(std::filesystem::is_symlink(Root() / "registry.reg"));
}

TEST_F(RegistryTest, AReadOnlyRegistryRefusesDeletionsAndIsNoted) {
  std::string path = Put("registry.reg", kRegistry);
  ::chmod(path.c_str(), 0444);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE"), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA"), ERROR_ACCESS_DENIED);
  // Nothing to delete is still that, read-only or not.
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Missing"), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(TheMachine().Notices().registryReadOnly);
  EXPECT_TRUE(TheMachine().Notices().keysKept.empty());
  EXPECT_EQ(Registry(), kRegistry);
  EXPECT_FALSE(Exists("registry.$$$"));
  // Reading goes on as before.
  HKEY key = Open("Enum\\PCMCIA\\MAKER-CARD-4E7A\\0");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, AFailedRewriteLeavesTheRegistryAsItWas) {
  Put("registry.reg", kRegistry);
  for (platform::FileOp op : {platform::FileOp::kOpen, platform::FileOp::kWrite, platform::FileOp::kFlush,
                              platform::FileOp::kRename}) {
    {
      auto failing = test_support::FaultPlan::From(op, 1);
      test_support::ScopedFaultHook hook(failing);
      EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA"), ERROR_CANTWRITE);
    }
    EXPECT_EQ(Registry(), kRegistry);
    EXPECT_FALSE(Exists("registry.$$$"));
  }
  // The machine still holds the registry as it is on disk, and knows what stayed.
  HKEY key = Open("Enum\\PCMCIA");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(TheMachine().Notices().keysKept,
            std::vector<std::string>(4, "HKEY_LOCAL_MACHINE\\Enum\\PCMCIA"));
}

// A run reads the registry once: what another program writes meanwhile is
// not seen, and the machine's own deletions are (without reading the file).
TEST_F(RegistryTest, TheRegistryIsReadOnceAndFollowsItsOwnRewrites) {
  Put("registry.reg", kRegistry);
  HKEY key = Open("Enum\\PCMCIA");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  Put("registry.reg", "REGEDIT4\r\n");
  key = Open("Enum\\PCMCIA");
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  Put("registry.reg", kRegistry);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum\\PCMCIA", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
  Open("SOFTWARE\\Microsoft");
  Reopen();
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Enum", 0, KEY_ALL_ACCESS, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, TheRewrittenFileKeepsItsPermissions) {
  std::string path = Put("registry.reg", kRegistry);
  ::chmod(path.c_str(), 0640);
  ASSERT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Enum"), ERROR_SUCCESS);
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
