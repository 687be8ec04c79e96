#include "platform/hosted/diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace platform::hosted {

void SayOnce(const std::string& message) {
  static std::vector<std::string> said;
  if (std::find(said.begin(), said.end(), message) != said.end()) return;
  said.push_back(message);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
}

}  // namespace platform::hosted
