// Messages of the hosted platform on standard error, each said once: a
// refused registry or machine.ini would otherwise be reported on every call.
#ifndef CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H
#define CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::hosted {

// Writes the message and a line end to standard error unless this process
// already wrote the same message.
void SayOnce(const std::string& message);

// A text from a file or the command line as a message may show it: bytes
// below 0x20 (and DEL) as '?', and cut with "..." after maxBytes.
std::string Printable(std::string_view text, std::size_t maxBytes = 80);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H
