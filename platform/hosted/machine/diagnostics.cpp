#include "platform/hosted/machine/diagnostics.h"

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

std::string Printable(std::string_view text, std::size_t maxBytes) {
  std::string shown;
  for (char c : text.substr(0, maxBytes)) {
    unsigned char byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7f ? '?' : c;
  }
  if (text.size() > maxBytes) shown += "...";
  return shown;
}

}  // namespace platform::hosted
