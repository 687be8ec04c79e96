// The registry calls over <machine>/registry.reg, read once and held by the
// machine with the keys the program has open.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/hosted/machine/machine.h"
#include "platform/platform.h"

namespace {

using platform::hosted::Machine;
using platform::hosted::OpenKeys;

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::uintptr_t kFirstHandle = 0x1000;

// The slot of an open key's handle, or null.
std::optional<std::string>* FindOpenKey(Machine& machine, HKEY key) {
  auto value = reinterpret_cast<std::uintptr_t>(key);
  if (value < kFirstHandle || value >= kFirstHandle + OpenKeys::kSlots) return nullptr;
  std::optional<std::string>& open = machine.Keys().paths[value - kFirstHandle];
  return open ? &open : nullptr;
}

// The path a handle names (below the local-machine root, "" for the root
// itself); false for a handle that is not open.
bool KeyPath(Machine& machine, HKEY key, std::string& path) {
  if (key == HKEY_LOCAL_MACHINE) {
    path.clear();
    return true;
  }
  const std::optional<std::string>* open = FindOpenKey(machine, key);
  if (open == nullptr) return false;
  path = **open;
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

// The registry with the open key still in it (a key deleted under its
// handle is gone), or the status that says why not.
struct Reached {
  LONG status;
  Machine* machine;
  const platform::hosted::RegistryRecord* registry;
};
Reached Reach(HKEY key, std::string& path) {
  Machine& machine = Machine::Current();
  if (!KeyPath(machine, key, path)) return {ERROR_INVALID_HANDLE, &machine, nullptr};
  const platform::hosted::RegistryRecord* registry = machine.Registry();
  if (registry == nullptr) return {ERROR_BADDB, &machine, nullptr};
  if (!registry->file.KeyExists(kLocalMachine, path)) return {ERROR_KEY_DELETED, &machine, registry};
  return {ERROR_SUCCESS, &machine, registry};
}

LONG OpenKeyAt(Machine& machine, std::string path, PHKEY result) {
  if (path.empty()) {
    *result = HKEY_LOCAL_MACHINE;
    return ERROR_SUCCESS;
  }
  OpenKeys& keys = machine.Keys();
  for (std::size_t i = 0; i < keys.paths.size(); ++i) {
    if (keys.paths[i]) continue;
    keys.paths[i] = std::move(path);
    *result = reinterpret_cast<HKEY>(kFirstHandle + i);
    return ERROR_SUCCESS;
  }
  return ERROR_TOO_MANY_OPEN_FILES;
}

}  // namespace

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM, PHKEY result) {
  if (result == nullptr) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  Reached reached = Reach(key, path);
  if (reached.status != ERROR_SUCCESS) return reached.status;
  path = JoinPath(std::move(path), subKey);
  if (!reached.registry->file.KeyExists(kLocalMachine, path)) return ERROR_FILE_NOT_FOUND;
  return OpenKeyAt(*reached.machine, std::move(path), result);
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  if (result != nullptr && (subKey == nullptr || subKey[0] == '\0')) {
    // No subkey: the same handle comes back, as on Windows.
    std::string path;
    if (!KeyPath(Machine::Current(), key, path)) return ERROR_INVALID_HANDLE;
    *result = key;
    return ERROR_SUCCESS;
  }
  return RegOpenKeyExA(key, subKey, 0, KEY_ALL_ACCESS, result);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
  if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) return ERROR_INVALID_PARAMETER;
  std::string path;
  Reached reached = Reach(key, path);
  if (reached.status != ERROR_SUCCESS) return reached.status;
  const platform::hosted::RegistryValue* value =
      reached.registry->file.FindValue(kLocalMachine, path, valueName != nullptr ? valueName : "");
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
  std::string path;
  Reached reached = Reach(key, path);
  if (reached.status != ERROR_SUCCESS) return reached.status;
  path = JoinPath(std::move(path), subKey);
  if (path.empty()) return ERROR_ACCESS_DENIED;
  Machine& machine = *reached.machine;
  std::string rewritten;
  if (!reached.registry->file.RemoveKey(reached.registry->text, kLocalMachine, path, rewritten)) {
    return ERROR_FILE_NOT_FOUND;
  }
  switch (machine.RewriteRegistry(std::move(rewritten))) {
    case Machine::Rewrite::kRewritten: return ERROR_SUCCESS;
    case Machine::Rewrite::kReadOnly:
      machine.Notices().registryReadOnly = true;
      return ERROR_ACCESS_DENIED;
    case Machine::Rewrite::kFailed: break;
  }
  machine.Notices().keysKept.push_back(std::string(kLocalMachine) + "\\" + path);
  return ERROR_CANTWRITE;
}

LONG WINAPI RegCloseKey(HKEY key) {
  if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  std::optional<std::string>* open = FindOpenKey(Machine::Current(), key);
  if (open == nullptr) return ERROR_INVALID_HANDLE;
  open->reset();
  return ERROR_SUCCESS;
}

namespace platform {

// The hosted registry already takes a key's subtree with it, as Windows 95's does.
LONG DeleteKeyTree(HKEY parent, LPCSTR subKey) { return RegDeleteKeyA(parent, subKey); }

}  // namespace platform
