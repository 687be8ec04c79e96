// Key deletion with the subtree, as Windows 95 does it by itself. NT and Wine
// (by default playing NT) refuse to delete a key that has subkeys, so the
// children go first, depth first, using only calls that Windows 95 has too.
#include <array>

#include "platform/platform.h"

namespace platform {
namespace {

// A registry key name holds at most 255 characters.
using KeyName = std::array<char, 256>;

}  // namespace

LONG DeleteKeyTree(HKEY parent, LPCSTR subKey) {
  // An empty name would stand for the parent itself; the tree walk is only
  // for a named key below it, so a root can never be emptied by mistake.
  if (subKey == nullptr || subKey[0] == '\0') return RegDeleteKeyA(parent, subKey);

  HKEY key = nullptr;
  LONG status = RegOpenKeyExA(parent, subKey, 0, KEY_ALL_ACCESS, &key);
  if (status != ERROR_SUCCESS) return status;
  KeyName child{};
  // Always the first child: each deletion shifts the rest down.
  while ((status = RegEnumKeyA(key, 0, child.data(), static_cast<DWORD>(child.size()))) ==
         ERROR_SUCCESS) {
    status = DeleteKeyTree(key, child.data());
    // A child that will not go would come back at index 0 for ever.
    if (status != ERROR_SUCCESS) break;
  }
  RegCloseKey(key);
  if (status != ERROR_NO_MORE_ITEMS) return status;
  return RegDeleteKeyA(parent, subKey);
}

}  // namespace platform
