// ASCII-only text rules of the machine's files: only ASCII letters have a
// case, and only space and tab are blanks.
#ifndef CPUNINST_PLATFORM_HOSTED_ASCII_H
#define CPUNINST_PLATFORM_HOSTED_ASCII_H

#include <string>
#include <string_view>

namespace platform::hosted {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// Whether text starts with prefix, ignoring case.
constexpr bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view TrimLeftBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

constexpr std::string_view TrimRightBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

constexpr std::string_view TrimBlanks(std::string_view text) { return TrimRightBlanks(TrimLeftBlanks(text)); }

// A text from a file or the command line as a message may show it: bytes
// below 0x20 (and DEL) as '?', and cut with "..." after maxBytes.
inline std::string Printable(std::string_view text, std::size_t maxBytes = 80) {
  std::string shown;
  for (char c : text.substr(0, maxBytes)) {
    unsigned char byte = static_cast<unsigned char>(c);
    shown += byte < 0x20 || byte == 0x7f ? '?' : c;
  }
  if (text.size() > maxBytes) shown += "...";
  return shown;
}

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_ASCII_H
