// Messages of the hosted platform on standard error, each said once: a
// refused registry or machine.ini would otherwise be reported on every call.
#ifndef CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H
#define CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H

#include <string>

namespace platform::hosted {

// Writes the message and a line end to standard error unless this process
// already wrote the same message.
void SayOnce(const std::string& message);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_DIAGNOSTICS_H
