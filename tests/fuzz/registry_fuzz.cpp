// Fuzz target: the hosted registry's REGEDIT4 parser and writer. Any text
// parses or is refused with a line number inside it. When it parses,
// removing any key's subtree gives a text that parses to exactly the same
// keys and values minus that subtree, and every byte outside the removed
// blocks stays; the registry calls over the file find what the text holds
// and delete a key into exactly that text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "harness.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/regedit4.h"
#include "platform/platform.h"
#include "registry_model.h"
#include "text_model.h"

namespace {

using namespace fuzz;
using platform::hosted::RegistryBlock;
using platform::hosted::RegistryError;
using platform::hosted::RegistryFile;
using platform::hosted::RegistryValue;

constexpr std::string_view kLocalMachine = "HKEY_LOCAL_MACHINE";
constexpr std::size_t kMostRemovals = 48;
constexpr std::size_t kMostOpenedKeys = 4;

bool SameValues(const std::vector<RegistryValue>& a, const std::vector<RegistryValue>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const RegistryValue& x, const RegistryValue& y) {
    return x.name == y.name && x.type == y.type && x.data == y.data;
  });
}

bool SameKeys(const std::vector<const RegistryBlock*>& expected, const std::vector<RegistryBlock>& got) {
  return std::equal(expected.begin(), expected.end(), got.begin(), got.end(),
                    [](const RegistryBlock* x, const RegistryBlock& y) {
                      return x->root == y.root && x->path == y.path && SameValues(x->values, y.values);
                    });
}

// Every key a removal may name: each block's key and the keys above it,
// the root's own (empty) path included.
std::vector<std::pair<std::string, std::string>> KeysToRemove(const RegistryFile& file) {
  std::vector<std::pair<std::string, std::string>> keys;
  for (const RegistryBlock& block : file.Blocks()) {
    std::string_view path = block.path;
    for (;;) {
      keys.emplace_back(block.root, std::string(path));
      if (path.empty()) break;
      std::size_t slash = path.rfind('\\');
      path = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
    }
  }
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
  if (keys.size() > kMostRemovals) keys.resize(kMostRemovals);
  return keys;
}

void CheckRemoval(std::string_view text, const RegistryFile& file, const std::string& root,
                  const std::string& path) {
  std::string result;
  bool removed = file.RemoveKey(text, root, path, result);
  std::string expected = WithoutSubtree(text, root, path);
  Check(result == expected, "a removal cuts out exactly the subtree's blocks",
        "key " + Shown(root + "\\" + path) + "\n    got " + Shown(result) + "\n    expected " + Shown(expected));
  Check(removed == (result != text), "a removal reports whether a block went");
  RegistryFile again;
  RegistryError error;
  Check(again.Parse(result, error), "the text after a removal parses",
        "line " + std::to_string(error.line) + ": " + error.reason);
  std::vector<const RegistryBlock*> left;
  for (const RegistryBlock& block : file.Blocks()) {
    if (!(block.root == root && IsBelow(block.path, path))) left.push_back(&block);
  }
  Check(SameKeys(left, again.Blocks()), "the text after a removal holds the same keys and values minus the subtree");
  Check(path.empty() || !again.KeyExists(root, path), "a removed key no longer exists");
}

// The value a query must find: the last line that set it in a block of the
// key (blocks and names compared ignoring case).
const RegistryValue* LastSetting(const RegistryFile& file, std::string_view path, std::string_view name) {
  const RegistryValue* found = nullptr;
  for (const RegistryBlock& block : file.Blocks()) {
    if (block.root != kLocalMachine || !ascii::EqualIgnoringCase(block.path, path)) continue;
    for (const RegistryValue& value : block.values) {
      if (ascii::EqualIgnoringCase(value.name, name)) found = &value;
    }
  }
  return found;
}

bool HasNul(std::string_view text) { return text.find('\0') != std::string_view::npos; }

void CheckQueries(const RegistryFile& file, const RegistryBlock& block) {
  HKEY key = nullptr;
  Check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, block.path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS,
        "a key with a block opens", Shown(block.path));
  for (const RegistryValue& value : block.values) {
    if (HasNul(value.name)) continue;
    const RegistryValue* expected = LastSetting(file, block.path, value.name);
    DWORD type = 0;
    DWORD size = 0;
    Check(RegQueryValueExA(key, value.name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS,
          "a value of the text is found", Shown(value.name));
    Check(type == expected->type && size == expected->data.size(), "a value's type and size are the last setting's");
    std::string data(size, '\0');
    DWORD room = size;
    Check(RegQueryValueExA(key, value.name.c_str(), nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.data()), &room) == ERROR_SUCCESS &&
              room == size && data == expected->data,
          "a value's data are the last setting's");
    if (size > 0) {
      room = size - 1;
      Check(RegQueryValueExA(key, value.name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()),
                             &room) == ERROR_MORE_DATA && room == size,
            "a buffer one byte short asks for more");
    }
  }
  Check(RegCloseKey(key) == ERROR_SUCCESS, "an opened key closes");
}

// The registry calls over registry.reg in a machine folder.
void CheckRegistryCalls(std::string_view text, const RegistryFile& file) {
  const std::string machine = ScratchFolder() + "/machine";
  const std::string registry = machine + "/registry.reg";
  ResetFolder(machine);
  WriteFile(registry, text);
  // Each input is a run of its own: a machine that reads this registry.
  platform::hosted::Machine inUse(machine);
  platform::hosted::Machine::Use use(inUse);
  int descriptors = OpenDescriptors();
  std::size_t opened = 0;
  const RegistryBlock* deleted = nullptr;
  for (const RegistryBlock& block : file.Blocks()) {
    if (block.root != kLocalMachine || block.path.empty() || HasNul(block.path)) continue;
    if (deleted == nullptr) deleted = &block;
    if (opened++ < kMostOpenedKeys) CheckQueries(file, block);
  }
  if (deleted != nullptr) {
    Check(RegDeleteKeyA(HKEY_LOCAL_MACHINE, deleted->path.c_str()) == ERROR_SUCCESS, "a key with a block is deleted");
    std::string expected = WithoutSubtree(text, kLocalMachine, deleted->path);
    Check(ReadFile(registry) == expected, "a deletion rewrites the file to the text without the subtree");
    HKEY key = nullptr;
    Check(RegOpenKeyExA(HKEY_LOCAL_MACHINE, deleted->path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_FILE_NOT_FOUND,
          "a deleted key no longer opens");
  }
  Check(OpenDescriptors() == descriptors, "no file stays open after the registry calls");
  Check(FolderNames(machine) == std::vector<std::string>{"registry.reg"}, "the registry calls leave no scratch file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RegistryFile file;
  RegistryError error;
  if (!file.Parse(text, error)) {
    Check(error.line >= 1 && error.line <= std::max<std::size_t>(1, Lines(text).size()),
          "a refused text names a line inside it", std::to_string(error.line));
    Check(!error.reason.empty(), "a refused text says why");
    Check(file.Blocks().empty(), "a refused text has no keys");
    return 0;
  }
  for (const auto& [root, path] : KeysToRemove(file)) CheckRemoval(text, file, root, path);
  CheckRegistryCalls(text, file);
  return 0;
}
