#include "platform/hosted/machine/printable.h"

namespace platform::hosted {

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
