#include "compose.h"

#include <algorithm>

namespace uninstall {

bool Compose(Composed& out, std::string_view prefix, const char* directory,
             std::string_view suffix) {
  std::string_view dir(directory);
  out[0] = '\0';
  if (prefix.size() + dir.size() + suffix.size() >= out.size()) return false;
  char* next = out.data();
  for (std::string_view part : {prefix, dir, suffix}) {
    next = std::copy(part.begin(), part.end(), next);
  }
  *next = '\0';
  return true;
}

}  // namespace uninstall
