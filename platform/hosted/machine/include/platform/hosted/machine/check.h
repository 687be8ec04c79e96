// The checks the hosted start-up makes before the program may touch
// anything: a machine folder, its records readable and well formed, and the
// folder of its Windows directory there.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_CHECK_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_CHECK_H

#include <string>

namespace platform::hosted {

// True when the machine named by WIN95_MACHINE can be worked on; otherwise
// false with the cause in one line. Changes nothing.
bool CheckMachine(std::string& problem);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_CHECK_H
