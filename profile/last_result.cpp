#include "last_result.h"

namespace profile {
namespace {

// One call at a time, as everywhere in the library.
ProfileResult lastResult = PROFILE_OK;

}  // namespace

void SetLastResult(ProfileResult result) { lastResult = result; }

ProfileResult OpenResult(platform::OpenFailure failure) {
  using platform::OpenFailure;
  switch (failure) {
    case OpenFailure::kMissing: return PROFILE_NO_FILE;
    case OpenFailure::kNotRegular: return PROFILE_NOT_REGULAR;
    case OpenFailure::kDenied: return PROFILE_DENIED;
    case OpenFailure::kRefused: return PROFILE_REFUSED_PATH;
    case OpenFailure::kNone:
    case OpenFailure::kOther: break;
  }
  return PROFILE_NOT_OPENED;
}

}  // namespace profile

extern "C" ProfileResult ProfileLastResult(void) { return profile::lastResult; }
