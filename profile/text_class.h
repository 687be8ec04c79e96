// The library's own white-space class and in-place text helpers. Fixed
// classes, no locale: only the six ASCII white-space bytes; case and blanks
// follow platform/ascii.h.
#ifndef CPUNINST_PROFILE_TEXT_CLASS_H
#define CPUNINST_PROFILE_TEXT_CLASS_H

#include <cstddef>

namespace profile {

// Tab, line feed, vertical tab, form feed, carriage return, space.
constexpr bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Removes every white-space byte from text[0, length) in place; returns the
// new length and terminates the text there.
std::size_t RemoveSpacesIn(char* text, std::size_t length);
// Lower-cases A-Z in text[0, length) in place.
void LowerIn(char* text, std::size_t length);

}  // namespace profile

#endif  // CPUNINST_PROFILE_TEXT_CLASS_H
