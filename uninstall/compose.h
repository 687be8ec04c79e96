// Names and lines composed around the two directories every phase works in,
// never cut short, and the context that carries those directories.
#ifndef CPUNINST_UNINSTALL_COMPOSE_H
#define CPUNINST_UNINSTALL_COMPOSE_H

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/platform.h"

namespace uninstall {

// The size offered to the directory queries, terminator included.
inline constexpr UINT kDirectorySize = 144;
using Directory = std::array<char, kDirectorySize>;

// Room for the fixed texts around a directory in any composed name or line.
inline constexpr std::size_t kAffixRoom = 64;
using Composed = std::array<char, kDirectorySize + kAffixRoom>;

// Whether a prefix and suffix always fit around the longest directory.
constexpr bool AffixesFit(std::string_view prefix, std::string_view suffix) {
  return prefix.size() + suffix.size() <= kAffixRoom;
}

// prefix + directory + suffix, NUL-terminated. A name is never cut: when the
// whole text would not fit, out is left empty and the result is false.
bool Compose(Composed& out, std::string_view prefix, const char* directory,
             std::string_view suffix);

struct Context {
  Directory windowsDir{};  // as the platform returned it
  Directory systemDir{};   // upper-cased
  Composed profilePath{};  // windowsDir + "\system.ini"
};

}  // namespace uninstall

#endif  // CPUNINST_UNINSTALL_COMPOSE_H
