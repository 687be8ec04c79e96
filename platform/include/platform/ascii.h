// ASCII text rules, the same in every room: only A-Z and a-z have a case,
// only space and tab are blanks, and no locale is ever consulted, because the
// files and names of a Windows 95 machine are byte strings in its code page.
#ifndef CPUNINST_PLATFORM_ASCII_H
#define CPUNINST_PLATFORM_ASCII_H

#include <cstddef>
#include <string>
#include <string_view>

namespace ascii {

constexpr bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
constexpr bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
constexpr bool IsLetter(char c) { return IsUpper(c) || IsLower(c); }

constexpr char Lower(char c) { return IsUpper(c) ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char Upper(char c) { return IsLower(c) ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string Lowered(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

constexpr bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

constexpr bool StartsIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

constexpr std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Blanks off both ends.
constexpr std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

// 0-15 for a hex digit in either case, -1 for any other byte.
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace ascii

#endif  // CPUNINST_PLATFORM_ASCII_H
