// The registry as a REGEDIT4 text: parsing into key blocks and values, and
// removing a key's blocks while every other byte of the text stays.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_REGEDIT4_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_REGEDIT4_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::hosted {

// Value types, with their Win32 numbers.
inline constexpr std::uint32_t kRegString = 1;  // REG_SZ
inline constexpr std::uint32_t kRegBinary = 3;  // REG_BINARY
inline constexpr std::uint32_t kRegDword = 4;   // REG_DWORD

struct RegistryValue {
  std::string name;  // empty for the default value (@)
  std::uint32_t type = 0;
  std::string data;  // the bytes a query returns (a string with its NUL)
};

// One [ROOT\path] block: from the start of its header line to the start of
// the next header line (or the end of the text).
struct RegistryBlock {
  std::string root;  // HKEY_LOCAL_MACHINE, ...
  std::string path;  // below the root, as written; empty for the root
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t line = 0;
  std::vector<RegistryValue> values;
};

struct RegistryError {
  std::size_t line = 0;
  std::string reason;
};

class RegistryFile {
 public:
  // Parses the whole text. False, with the first offending line, when it is
  // not a REGEDIT4 registry; the blocks are then empty.
  bool Parse(std::string_view text, RegistryError& error);

  const std::vector<RegistryBlock>& Blocks() const { return blocks_; }

  // A key exists when it or a key below it has a block. Paths compare
  // ignoring ASCII case; the root's own key always exists.
  bool KeyExists(std::string_view root, std::string_view path) const;

  // The value as the last line that set it left it, or null.
  const RegistryValue* FindValue(std::string_view root, std::string_view path,
                                 std::string_view name) const;

  // The text with the blocks of the key and of every key below it cut out,
  // every other byte as it was. False when no block goes.
  bool RemoveKey(std::string_view text, std::string_view root, std::string_view path,
                 std::string& result) const;

 private:
  std::vector<RegistryBlock> blocks_;
};

// Whether a block's key is the key at `path` or lies below it.
bool IsKeyOrBelow(std::string_view blockPath, std::string_view path);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_REGEDIT4_H
