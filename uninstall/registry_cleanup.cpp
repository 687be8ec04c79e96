// Registry cleanup: the Add/Remove Programs entry, the card's PC Card
// enumeration key and its driver key under the MEDIA device class.
#include <array>
#include <cstddef>
#include <string_view>

#include "phases.h"
#include "platform/ascii.h"
#include "platform/platform.h"

namespace uninstall {
namespace {

constexpr const char* kUninstallEntry =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installCP";
constexpr const char* kCardInstanceKey = "Enum\\PCMCIA\\VELMORA-ORVANEL-4E7A\\0";
constexpr const char* kCardEnumKey = "Enum\\PCMCIA\\VELMORA-ORVANEL-4E7A";
constexpr const char* kDriverValueName = "Driver";
constexpr const char* kDeviceClassKey = "System\\CurrentControlSet\\Services\\Class\\MEDIA";

// "Driver" names the card's key under the class as MEDIA\<subkey>.
constexpr std::string_view kDriverClass = "MEDIA";
constexpr char kKeySeparator = '\\';

constexpr DWORD kDriverValueSize = 80;
using DriverValue = std::array<BYTE, kDriverValueSize>;
using SubkeyName = std::array<char, kDriverValueSize + 1>;

// The value types that hold a text.
constexpr std::array<DWORD, 2> kTextValueTypes = {REG_SZ, REG_EXPAND_SZ};

bool IsText(DWORD type) {
  for (DWORD textType : kTextValueTypes) {
    if (type == textType) return true;
  }
  return false;
}

// The subkey that a "Driver" value names under the class key, or false when
// the value is anything but a text MEDIA\name with a plain, non-empty name:
// a malformed value must never lead to the class key itself or to another
// device's key. Only the bytes returned count; a terminator is not assumed.
bool DriverSubkey(DWORD type, const DriverValue& value, DWORD size, SubkeyName& subkey) {
  if (!IsText(type)) return false;
  std::string_view text(reinterpret_cast<const char*>(value.data()),
                        size < value.size() ? size : value.size());
  text = text.substr(0, text.find('\0'));

  if (text.size() <= kDriverClass.size() + 1) return false;
  if (!ascii::StartsIgnoringCase(text, kDriverClass)) return false;
  if (text[kDriverClass.size()] != kKeySeparator) return false;
  std::string_view name = text.substr(kDriverClass.size() + 1);
  if (name.find(kKeySeparator) != std::string_view::npos) return false;

  name.copy(subkey.data(), name.size());
  subkey[name.size()] = '\0';
  return true;
}

}  // namespace

LONG CleanRegistry() {
  platform::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallEntry);

  HKEY instance = nullptr;
  LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCardInstanceKey, 0, KEY_ALL_ACCESS, &instance);
  if (status != ERROR_SUCCESS) return status;
  DriverValue driver{};
  DWORD type = 0;
  DWORD size = kDriverValueSize;
  bool driverRead = RegQueryValueExA(instance, kDriverValueName, nullptr, &type, driver.data(),
                                     &size) == ERROR_SUCCESS;
  RegCloseKey(instance);

  // Deleting the enumeration key takes its instance key with it.
  platform::DeleteKeyTree(HKEY_LOCAL_MACHINE, kCardEnumKey);

  HKEY deviceClass = nullptr;
  status = RegOpenKeyA(HKEY_LOCAL_MACHINE, kDeviceClassKey, &deviceClass);
  if (status != ERROR_SUCCESS) return status;
  SubkeyName subkey{};
  if (driverRead && DriverSubkey(type, driver, size, subkey)) {
    platform::DeleteKeyTree(deviceClass, subkey.data());
  }
  return RegCloseKey(deviceClass);
}

}  // namespace uninstall
