// Byte classes and small text helpers shared by every operation. Fixed
// classes, no locale: only the six ASCII white-space bytes, only A-Z fold.
#ifndef CPUNINST_PROFILE_TEXT_CLASS_H
#define CPUNINST_PROFILE_TEXT_CLASS_H

#include <cstddef>
#include <string_view>

namespace profile {

// Tab, line feed, vertical tab, form feed, carriage return, space.
constexpr bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The section-header rule trims blanks only.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

constexpr char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Removes every white-space byte from text[0, length) in place; returns the
// new length and terminates the text there.
std::size_t RemoveSpacesIn(char* text, std::size_t length);
// Lower-cases A-Z in text[0, length) in place.
void LowerIn(char* text, std::size_t length);

}  // namespace profile

#endif  // CPUNINST_PROFILE_TEXT_CLASS_H
