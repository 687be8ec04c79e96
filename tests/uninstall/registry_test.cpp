// Registry cleanup: the three keys, the cases where the instance key, its
// "Driver" value or the class key is missing, and malformed "Driver" values.
#include <gtest/gtest.h>

#include "card_machine.h"

namespace uninstall_test {
namespace {

std::vector<Key> Join(std::initializer_list<std::vector<Key>> parts) {
  std::vector<Key> all;
  for (const std::vector<Key>& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Key kUninstall{std::string(kUninstallEntry), "\"DisplayName\"=\"Velmora Orvanel (TM)\"\n"};

std::vector<Key> CardEnumKeys(const std::string& instanceValues) {
  return {{std::string(kEnumKey), ""},
          {std::string(kInstanceKey), "\"Class\"=\"MEDIA\"\n" + instanceValues}};
}

// Runs the uninstall over a machine with this registry only.
std::string RegistryAfterUninstall(const std::string& registry) {
  Machine machine;
  machine.MakeFolder("c/WINDOWS/SYSTEM");
  machine.Put(std::string(kRegistry), registry);
  machine.Run(kOkThenNo);
  return machine.Read(std::string(kRegistry)).value_or("<no registry>");
}

struct DriverCase {
  std::string_view name;
  std::string driverLine;     // the "Driver" value line of the instance key
  std::string_view deleted;   // the class subkey that must go, or empty
};

void PrintTo(const DriverCase& c, std::ostream* out) { *out << c.name; }

class DriverValue : public testing::TestWithParam<DriverCase> {};

TEST_P(DriverValue, DeletesOnlyTheClassSubkeyItNames) {
  const DriverCase& c = GetParam();
  std::string registry = Registry(
      Join({OtherSoftwareKeys(), {kUninstall}, CardEnumKeys(c.driverLine + "\n"), ClassKeys()}));
  std::vector<Key> classAfter = c.deleted.empty() ? ClassKeys() : ClassKeysWithout(c.deleted);

  EXPECT_EQ(RegistryAfterUninstall(registry), Registry(Join({OtherSoftwareKeys(), classAfter})));
}

std::string Hex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    if (!out.empty()) out += ',';
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    WellFormed, DriverValue,
    testing::Values(
        DriverCase{"Upper", R"("Driver"="MEDIA\\0003")", "0003"},
        DriverCase{"Lower", R"("Driver"="media\\0003")", "0003"},
        DriverCase{"Mixed", R"("Driver"="Media\\0001")", "0001"},
        // The bytes returned need no terminator of their own.
        DriverCase{"StringWithoutNul", R"("Driver"=hex(1):)" + Hex("MEDIA\\0002"), "0002"},
        DriverCase{"ExpandString", R"("Driver"=hex(2):)" + Hex(std::string("MEDIA\\0004", 11)),
                   "0004"}));

INSTANTIATE_TEST_SUITE_P(
    Malformed, DriverValue,
    testing::Values(
        DriverCase{"ClassAlone", R"("Driver"="MEDIA")", ""},
        DriverCase{"EmptyName", R"("Driver"="MEDIA\\")", ""},
        DriverCase{"NestedName", R"("Driver"="MEDIA\\0003\\Drivers")", ""},
        DriverCase{"NoSeparator", R"("Driver"="MEDIAX0003")", ""},
        DriverCase{"SlashSeparator", R"("Driver"="MEDIA/0003")", ""},
        DriverCase{"OtherClass", R"("Driver"="Modem\\0003")", ""},
        DriverCase{"ShortClass", R"("Driver"="MEDI\\0003")", ""},
        DriverCase{"Empty", R"("Driver"="")", ""},
        DriverCase{"Dword", R"("Driver"=dword:00000003)", ""},
        DriverCase{"BinarySpellingTheName",
                   R"("Driver"=hex:)" + Hex(std::string("MEDIA\\0003", 11)), ""},
        DriverCase{"NulBeforeName", R"("Driver"=hex(1):)" + Hex(std::string("MEDIA\0\\0003", 11)),
                   ""},
        // Longer than the 80-byte buffer: the read fails, whatever its start.
        DriverCase{"TooLong",
                   R"("Driver"=hex(1):)" + Hex(std::string("MEDIA\\0003\0", 11) + std::string(80, 'x')),
                   ""}));

TEST(Registry, NameFillingTheBufferIsDeleted) {
  std::string name = "0003" + std::string(69, 'x');  // "MEDIA\" + 73 bytes + NUL = 80
  std::string registry = Registry(Join({{kUninstall},
                                        CardEnumKeys("\"Driver\"=\"MEDIA\\\\" + name + "\"\n"),
                                        {{std::string(kClassKey) + "\\" + name, "\"X\"=\"1\"\n"}},
                                        ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry), Registry(ClassKeys()));
}

TEST(Registry, WithoutDriverValueTheEnumerationKeyStillGoes) {
  std::string registry = Registry(Join(
      {OtherSoftwareKeys(), {kUninstall}, CardEnumKeys("\"DeviceDesc\"=\"Card\"\n"), ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry), Registry(Join({OtherSoftwareKeys(), ClassKeys()})));
}

TEST(Registry, WithoutInstanceKeyOnlyTheUninstallEntryGoes) {
  std::vector<Key> enumWithOtherInstance = {
      {std::string(kEnumKey) + "\\1", "\"Driver\"=\"MEDIA\\\\0003\"\n"}};
  std::string registry =
      Registry(Join({OtherSoftwareKeys(), {kUninstall}, enumWithOtherInstance, ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry),
            Registry(Join({OtherSoftwareKeys(), enumWithOtherInstance, ClassKeys()})));
}

TEST(Registry, WithoutClassKeyTheEnumerationKeyStillGoes) {
  std::vector<Key> lookAlike = {
      {"System\\CurrentControlSet\\Services\\Class\\MEDIAX\\0003", "\"X\"=\"1\"\n"}};
  std::string registry = Registry(Join(
      {OtherSoftwareKeys(), {kUninstall}, CardEnumKeys("\"Driver\"=\"MEDIA\\\\0003\"\n"), lookAlike}));
  EXPECT_EQ(RegistryAfterUninstall(registry), Registry(Join({OtherSoftwareKeys(), lookAlike})));
}

TEST(Registry, WithoutUninstallEntryTheRestStillGoes) {
  std::string registry = Registry(
      Join({OtherSoftwareKeys(), CardEnumKeys("\"Driver\"=\"MEDIA\\\\0003\"\n"), ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry),
            Registry(Join({OtherSoftwareKeys(), ClassKeysWithout("0003")})));
}

TEST(Registry, EveryInstanceGoesWithTheEnumerationKey) {
  std::vector<Key> instances = Join({CardEnumKeys("\"Driver\"=\"MEDIA\\\\0003\"\n"),
                                     {{std::string(kEnumKey) + "\\1", "\"Driver\"=\"MEDIA\\\\0001\"\n"}},
                                     {{std::string(kInstanceKey) + "\\LogConfig", ""}}});
  std::string registry = Registry(Join({OtherSoftwareKeys(), instances, ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry),
            Registry(Join({OtherSoftwareKeys(), ClassKeysWithout("0003")})));
}

TEST(Registry, KeysAreMatchedIgnoringCase) {
  std::vector<Key> card = {
      {"software\\microsoft\\windows\\currentversion\\uninstall\\INSTALLCP", ""},
      {"ENUM\\pcmcia\\velmora-orvanel-4e7a\\0", "\"driver\"=\"MEDIA\\\\0003\"\n"},
  };
  std::string registry = Registry(Join({OtherSoftwareKeys(), card, ClassKeys()}));
  EXPECT_EQ(RegistryAfterUninstall(registry),
            Registry(Join({OtherSoftwareKeys(), ClassKeysWithout("0003")})));
}

}  // namespace
}  // namespace uninstall_test
