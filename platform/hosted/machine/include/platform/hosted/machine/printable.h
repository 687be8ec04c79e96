// A text from a file or the command line as a message may show it.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_PRINTABLE_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_PRINTABLE_H

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::hosted {

// Bytes below 0x20 (and DEL) as '?', cut with "..." after maxBytes.
std::string Printable(std::string_view text, std::size_t maxBytes = 80);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_PRINTABLE_H
