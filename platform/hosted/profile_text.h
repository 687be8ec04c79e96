// The little of the profile format the machine's own files need
// (machine.ini, wininit.ini): [section] headers and key=value lines, CR LF
// or LF line ends, the first Ctrl-Z ending the text as in DOS text mode.
#ifndef CPUNINST_PLATFORM_HOSTED_PROFILE_TEXT_H
#define CPUNINST_PLATFORM_HOSTED_PROFILE_TEXT_H

#include <string_view>

#include "platform/hosted/ascii.h"

namespace platform::hosted {

// Calls visit(key, value) for each key line of every section named `section`
// (ignoring case), in file order, until visit returns false. The key is
// trimmed of blanks; the value is everything after the first '=' up to the
// line end, as written.
template <typename Visit>
void ForEachKeyLine(std::string_view text, std::string_view section, Visit visit) {
  text = text.substr(0, text.find('\x1a'));
  bool inSection = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view body = TrimBlanks(line);
    if (!body.empty() && body.front() == '[') {
      std::size_t close = body.find(']');
      inSection = close != std::string_view::npos &&
                  EqualIgnoringCase(TrimBlanks(body.substr(1, close - 1)), section);
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inSection || body.empty() || body.front() == ';' || equals == std::string_view::npos) continue;
    if (!visit(TrimBlanks(line.substr(0, equals)), line.substr(equals + 1))) return;
  }
}

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_PROFILE_TEXT_H
