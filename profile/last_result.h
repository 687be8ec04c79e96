// The reason of the library's last call (ProfileLastResult): each public
// function sets it where it learns it.
#ifndef CPUNINST_PROFILE_LAST_RESULT_H
#define CPUNINST_PROFILE_LAST_RESULT_H

#include "platform/native_file.h"
#include "profile/profile.h"

namespace profile {

void SetLastResult(ProfileResult result);

// What a failed open of the file met.
ProfileResult OpenResult(platform::OpenFailure failure);

}  // namespace profile

#endif  // CPUNINST_PROFILE_LAST_RESULT_H
