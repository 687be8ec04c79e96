// The little of the profile format the machine's own files need
// (machine.ini, wininit.ini): [section] headers and key=value lines, CR LF
// or LF line ends, the first Ctrl-Z ending the text as in DOS text mode.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_INI_LINES_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_INI_LINES_H

#include <cstddef>
#include <string_view>

#include "platform/ascii.h"

namespace platform::hosted {

enum class LineKind {
  kBlank,
  kComment,    // first non-blank byte ';'
  kHeader,     // [name]; name is the text between the brackets, trimmed
  kBadHeader,  // '[' with no ']' after it
  kKey,        // key=value; name is the key, trimmed; value everything after the first '='
  kOther,      // none of these
};

struct ProfileLine {
  LineKind kind = LineKind::kBlank;
  std::size_t number = 0;  // from 1
  std::string_view name;
  std::string_view value;
};

// Calls visit(line) for each line in order until visit returns false.
template <typename Visit>
void ForEachProfileLine(std::string_view text, Visit visit) {
  text = text.substr(0, text.find('\x1a'));
  ProfileLine line;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view raw = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
    ++line.number;
    line.name = {};
    line.value = {};
    std::string_view body = ascii::Trim(raw);
    std::size_t equals = raw.find('=');
    if (body.empty()) {
      line.kind = LineKind::kBlank;
    } else if (body.front() == ';') {
      line.kind = LineKind::kComment;
    } else if (body.front() == '[') {
      std::size_t close = body.find(']');
      line.kind = close == std::string_view::npos ? LineKind::kBadHeader : LineKind::kHeader;
      if (close != std::string_view::npos) line.name = ascii::Trim(body.substr(1, close - 1));
    } else if (equals != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.name = ascii::Trim(raw.substr(0, equals));
      line.value = raw.substr(equals + 1);
    } else {
      line.kind = LineKind::kOther;
    }
    if (!visit(static_cast<const ProfileLine&>(line))) return;
  }
}

// Calls visit(key, value) for each key line of every section named `section`
// (ignoring case), in file order, until visit returns false. A broken header
// ends the section before it.
template <typename Visit>
void ForEachKeyLine(std::string_view text, std::string_view section, Visit visit) {
  bool inSection = false;
  ForEachProfileLine(text, [&](const ProfileLine& line) {
    switch (line.kind) {
      case LineKind::kHeader: inSection = ascii::EqualIgnoringCase(line.name, section); return true;
      case LineKind::kBadHeader: inSection = false; return true;
      case LineKind::kKey: return !inSection || visit(line.name, line.value);
      default: return true;
    }
  });
}

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_INI_LINES_H
