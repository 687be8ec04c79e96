// Entries a hostile or broken machine tree may hold where a file is
// expected, made on demand for the tests.
#ifndef CPUNINST_TESTS_SUPPORT_HOSTILE_H
#define CPUNINST_TESTS_SUPPORT_HOSTILE_H

#include <array>
#include <filesystem>
#include <string_view>

namespace test_support {

enum class Hostile {
  kFolder,          // an empty folder
  kFifo,            // a FIFO nobody writes to: opening it for reading blocks
  kLinkOutside,     // a symbolic link to a regular file outside
  kLinkToZero,      // a symbolic link to /dev/zero: reading never ends
  kDevice,          // a character device like /dev/zero (needs the privilege)
  kSocket,          // a bound, unlistened local socket
};

inline constexpr std::array<Hostile, 6> kEveryHostile = {Hostile::kFolder,     Hostile::kFifo,
                                                          Hostile::kLinkOutside, Hostile::kLinkToZero,
                                                          Hostile::kDevice,     Hostile::kSocket};

std::string_view HostileName(Hostile kind);

// Puts the entry at path (its folder must exist); outside is the regular
// file a link points to. False when this system or user cannot make it (a
// device without the privilege), so the caller skips that case.
bool PlaceHostile(const std::filesystem::path& path, Hostile kind, const std::filesystem::path& outside);

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_HOSTILE_H
