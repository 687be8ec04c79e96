// The registry calls over <machine>/registry.reg. Every call reads the file
// afresh, so the file on disk is the only state besides the open keys.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/hosted/machine/diagnostics.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/records.h"
#include "platform/hosted/machine/regedit4.h"
#include "platform/hosted/machine/whole_file.h"
#include "platform/platform.h"

namespace {

using platform::hosted::RegistryFile;

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";

// A key as the handles name it: below the local-machine root, "" for the
// root itself.
struct OpenKey {
  bool used = false;
  std::string path;
};

constexpr std::size_t kMaxOpenKeys = 64;
constexpr std::uintptr_t kFirstHandle = 0x1000;
std::array<OpenKey, kMaxOpenKeys> gOpenKeys;

OpenKey* FindOpenKey(HKEY key) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value < kFirstHandle || value >= kFirstHandle + kMaxOpenKeys) return nullptr;
  OpenKey& open = gOpenKeys[value - kFirstHandle];
  return open.used ? &open : nullptr;
}

// The path a handle names; false for a handle that is not open.
bool KeyPath(HKEY key, std::string& path) {
  if (key == HKEY_LOCAL_MACHINE) {
    path.clear();
    return true;
  }
  const OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return false;
  path = open->path;
  return true;
}

// base\subKey with empty names dropped, so "a\\b\" is a\b.
std::string JoinPath(std::string path, const char* subKey) {
  std::string_view rest = subKey != nullptr ? subKey : "";
  while (!rest.empty()) {
    std::size_t slash = rest.find('\\');
    std::string_view name = rest.substr(0, slash);
    if (!name.empty()) {
      if (!path.empty()) path += '\\';
      path += name;
    }
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return path;
}

using Registry = platform::hosted::RegistryRecord;

LONG LoadRegistry(Registry& registry) {
  std::string problem;
  if (platform::hosted::LoadRegistry(registry, problem)) return ERROR_SUCCESS;
  platform::hosted::SayOnce(problem + "; every registry call fails and the file is left as it is");
  return ERROR_BADDB;
}

// The open key still there (a key deleted under its handle is gone).
LONG LoadForKey(HKEY key, Registry& registry, std::string& path) {
  if (!KeyPath(key, path)) return ERROR_INVALID_HANDLE;
  LONG status = LoadRegistry(registry);
  if (status != ERROR_SUCCESS) return status;
  return registry.file.KeyExists(kLocalMachine, path) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

LONG OpenKeyAt(std::string path, PHKEY result) {
  if (path.empty()) {
    *result = HKEY_LOCAL_MACHINE;
    return ERROR_SUCCESS;
  }
  for (std::size_t i = 0; i < gOpenKeys.size(); ++i) {
    if (gOpenKeys[i].used) continue;
    gOpenKeys[i] = {true, std::move(path)};
    *result = reinterpret_cast<HKEY>(kFirstHandle + i);
    return ERROR_SUCCESS;
  }
  return ERROR_TOO_MANY_OPEN_FILES;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  Registry registry;
  std::string path;
  LONG status = LoadForKey(key, registry, path);
  if (status != ERROR_SUCCESS) return status;
  path = JoinPath(std::move(path), subKey);
  if (!registry.file.KeyExists(kLocalMachine, path)) return ERROR_FILE_NOT_FOUND;
  return OpenKeyAt(std::move(path), result);
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (result != nullptr && (subKey == nullptr || subKey[0] == '\0')) {
    // No subkey: the same handle comes back, as on Windows.
    std::string path;
    if (!KeyPath(key, path)) return ERROR_INVALID_HANDLE;
    *result = key;
    return ERROR_SUCCESS;
  }
  return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
  Registry registry;
  std::string path;
  LONG status = LoadForKey(key, registry, path);
  if (status != ERROR_SUCCESS) return status;
  const platform::hosted::RegistryValue* value =
      registry.file.FindValue(kLocalMachine, path, valueName != nullptr ? valueName : "");
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (type != nullptr) *type = value->type;
  if (dataSize == nullptr) return ERROR_SUCCESS;
  auto needed = static_cast<DWORD>(value->data.size());
  bool fits = *dataSize >= needed;
  *dataSize = needed;
  if (data == nullptr) return ERROR_SUCCESS;
  if (!fits) return ERROR_MORE_DATA;
  value->data.copy(reinterpret_cast<char*>(data), needed);
  return ERROR_SUCCESS;
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  // Never the key of the handle itself, nor the root: only a named subkey.
  if (subKey == nullptr || subKey[0] == '\0') return ERROR_INVALID_PARAMETER;
  Registry registry;
  std::string path;
  LONG status = LoadForKey(key, registry, path);
  if (status != ERROR_SUCCESS) return status;
  path = JoinPath(std::move(path), subKey);
  if (path.empty()) return ERROR_ACCESS_DENIED;
  std::string rewritten;
  if (!registry.file.RemoveKey(registry.text, kLocalMachine, path, rewritten)) return ERROR_FILE_NOT_FOUND;
  std::string scratch;
  platform::hosted::MachineFile(platform::hosted::kRegistryScratchName, scratch);
  switch (platform::hosted::ReplaceHostFile(registry.path, scratch, rewritten)) {
    case platform::hosted::ReplaceResult::kReplaced: return ERROR_SUCCESS;
    case platform::hosted::ReplaceResult::kReadOnly:
      platform::hosted::SayOnce(registry.path + ": read-only (no write permission bit); registry keys cannot be deleted");
      return ERROR_ACCESS_DENIED;
    case platform::hosted::ReplaceResult::kFailed: break;
  }
  platform::hosted::SayOnce(registry.path + ": could not be rewritten; the key " + std::string(kLocalMachine) + "\\" + path +
         " stays");
  return ERROR_CANTWRITE;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  OpenKey* open = FindOpenKey(key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  *open = {};
  return ERROR_SUCCESS;
}

namespace platform {

// The hosted registry already takes a key's subtree with it, as Windows 95's does.
LONG DeleteKeyTree(HKEY parent, LPCSTR subKey) { return RegDeleteKeyA(parent, subKey); }

}  // namespace platform
