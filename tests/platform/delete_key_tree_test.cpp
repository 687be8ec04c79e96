// platform::DeleteKeyTree on the hosted machine: the hosted registry takes a
// key's subtree with it by itself, so the named call answers exactly as
// RegDeleteKeyA does, in its result and in every byte of registry.reg.
#include <gtest/gtest.h>

#include <string>

#include "machine_fixture.h"
#include "platform/platform.h"

namespace {

constexpr const char* kRegistry =
    "REGEDIT4\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\MAKER-CARD-4E7A\\0]\r\n"
    "\"Driver\"=\"MEDIA\\\\0003\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Class\\MEDIA\\0003]\r\n"
    "\"DriverDesc\"=\"Card\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Class\\MEDIA\\0003\\Drivers]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System\\Class\\MEDIA\\0004]\r\n"
    "\"DriverDesc\"=\"Other\"\r\n";

struct DeleteCase {
  const char* parent;  // opened below HKEY_LOCAL_MACHINE; null for the root
  const char* subKey;
  LONG expected;
};

class DeleteKeyTreeTest : public MachineTest {
 protected:
  // Deletes on a fresh registry with `remove`; the result and the file after.
  template <typename Remove>
  std::pair<LONG, std::string> Run(const DeleteCase& test, Remove remove) {
    Put("registry.reg", kRegistry);
    Reopen();
    HKEY parent = HKEY_LOCAL_MACHINE;
    if (test.parent != nullptr) {
      EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, test.parent, &parent), ERROR_SUCCESS) << test.parent;
    }
    LONG result = remove(parent, test.subKey);
    if (test.parent != nullptr) RegCloseKey(parent);
    return {result, Get("registry.reg")};
  }
};

TEST_F(DeleteKeyTreeTest, AnswersAsTheHostedRegDeleteKeyA) {
  const DeleteCase kCases[] = {
      {nullptr, "System\\Class\\MEDIA\\0003", ERROR_SUCCESS},
      {"System\\Class\\MEDIA", "0003", ERROR_SUCCESS},
      {nullptr, "Enum\\PCMCIA", ERROR_SUCCESS},
      {nullptr, "Enum\\PCMCIA\\OTHER-CARD", ERROR_FILE_NOT_FOUND},
      {nullptr, "", ERROR_INVALID_PARAMETER},
      {nullptr, "\\", ERROR_ACCESS_DENIED},
  };
  for (const DeleteCase& test : kCases) {
    auto tree = Run(test, [](HKEY parent, LPCSTR subKey) { return platform::DeleteKeyTree(parent, subKey); });
    auto plain = Run(test, [](HKEY parent, LPCSTR subKey) { return RegDeleteKeyA(parent, subKey); });
    EXPECT_EQ(tree.first, test.expected) << test.subKey;
    EXPECT_EQ(tree, plain) << test.subKey;
  }
}

TEST_F(DeleteKeyTreeTest, TheSubtreeGoesAndTheNeighbourStays) {
  auto [result, registry] = Run({"System\\Class\\MEDIA", "0003", ERROR_SUCCESS}, [](HKEY parent, LPCSTR subKey) {
    return platform::DeleteKeyTree(parent, subKey);
  });
  ASSERT_EQ(result, ERROR_SUCCESS);
  EXPECT_EQ(registry.find("MEDIA\\0003"), std::string::npos);
  EXPECT_NE(registry.find("[HKEY_LOCAL_MACHINE\\System\\Class\\MEDIA\\0004]"), std::string::npos);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "System\\Class\\MEDIA\\0003\\Drivers", &key), ERROR_FILE_NOT_FOUND);
}

}  // namespace
