// printf's formatting in the Windows programs' runtime gives the bytes the
// host's C library gives, conversion by conversion, and refuses what it
// does not know instead of printing something else.
#include <gtest/gtest.h>

#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "format.h"

// The cases combine flags that C ignores together and pass null strings, on
// purpose: both libraries must answer them alike.
#pragma GCC diagnostic ignored "-Wformat"
#pragma GCC diagnostic ignored "-Wformat-overflow"

namespace {

constexpr std::size_t kRoom = 256;

// What a vsnprintf-like call gave: the length and the text, or a refusal.
template <typename Formatter>
std::string Shown(Formatter formatter, const char* format, va_list args) {
  char text[kRoom];
  int length = formatter(text, sizeof(text), format, args);
  return length < 0 ? "<refused>" : std::to_string(length) + ":" + text;
}

[[gnu::format(printf, 1, 2)]] std::string Ours(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string shown = Shown(runtime::FormatToBuffer, format, args);
  va_end(args);
  return shown;
}

[[gnu::format(printf, 1, 2)]] std::string Hosts(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string shown = Shown(std::vsnprintf, format, args);
  va_end(args);
  return shown;
}

int OursInto(char* text, std::size_t size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int length = runtime::FormatToBuffer(text, size, format, args);
  va_end(args);
  return length;
}

#define EXPECT_AS_C(...) EXPECT_EQ(Ours(__VA_ARGS__), Hosts(__VA_ARGS__)) << #__VA_ARGS__

TEST(Format, IntegersAsTheCLibraryWritesThem) {
  EXPECT_AS_C("%d|%d|%d|%d", 0, -1, INT_MIN, INT_MAX);
  EXPECT_AS_C("%i|%u|%u", 42, 0u, UINT_MAX);
  EXPECT_AS_C("%x|%X|%o|%x", 0xabcdefu, 0xabcdefu, 8u, 0u);
  EXPECT_AS_C("%#x|%#X|%#x|%#o|%#o|%#.0o|%#08o", 255u, 255u, 0u, 8u, 0u, 0u, 8u);
  EXPECT_AS_C("%s=0x%04X|%04x|%02X|%04X", "port", 0x220u, 0xabcdefu, 7u, 0xFFFFFFFFu);
  EXPECT_AS_C("%5d|%-5d|%+d|% d|%+ d|%+d", 42, 42, 42, 42, 42, -42);
  EXPECT_AS_C("%05d|%-05d|%05d|%#06x|%+05d", -42, -42, 42, 1u, 7);
  EXPECT_AS_C("%.3d|%8.3d|%08.3d|%.0d|%5.0d|%.0x", 7, -7, 7, 0, 0, 0u);
  EXPECT_AS_C("%hhd|%hhu|%hd|%hu", 300, 300u, 70000, 70000u);
  EXPECT_AS_C("%ld|%lu|%lld|%llu|%llx", LONG_MIN, ULONG_MAX, LLONG_MIN, ULLONG_MAX, ULLONG_MAX);
  EXPECT_AS_C("%jd|%ju|%zu|%zd|%td", INTMAX_MIN, UINTMAX_MAX, SIZE_MAX, static_cast<std::ptrdiff_t>(-3),
              PTRDIFF_MIN);
  EXPECT_AS_C("%*d|%*d|%.*d|%.*d|%-*d|", 5, 3, -5, 3, 3, 7, -1, 0, 4, 1);
}

TEST(Format, CharactersStringsAndPointers) {
  EXPECT_AS_C("%c|%3c|%-3c|%c", 'x', 'y', 'z', 0xE4);
  EXPECT_AS_C("%s|%10s|%-10s|%.3s|%.0s|%5.1s|", "", "right", "left", "abcdef", "gone", "xy");
  EXPECT_AS_C("%.*s|%-*.*s|", 2, "abc", 6, 1, "abc");
  EXPECT_AS_C("%s|%.6s|%.5s|%8s", static_cast<const char*>(nullptr), static_cast<const char*>(nullptr),
              static_cast<const char*>(nullptr), static_cast<const char*>(nullptr));
  EXPECT_AS_C("%p|%p|%20p|%-12p|", reinterpret_cast<void*>(0x1234), static_cast<void*>(nullptr),
              reinterpret_cast<void*>(0xbeef), static_cast<void*>(nullptr));
  EXPECT_AS_C("100%%|%%d|\t\x01\xff");
  EXPECT_AS_C("%s", std::string(300, 'x').c_str());  // counted in full, cut to the room
}

TEST(Format, BoundedLikeSnprintf) {
  char text[8];
  std::memset(text, '#', sizeof(text));
  EXPECT_EQ(OursInto(nullptr, 0, "%s", "abc"), 3);
  EXPECT_EQ(OursInto(text, 0, "%s", "abc"), 3);
  EXPECT_EQ(text[0], '#');
  EXPECT_EQ(OursInto(text, 1, "%s", "abc"), 3);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(OursInto(text, 3, "%d", 123), 3);
  EXPECT_STREQ(text, "12");
  EXPECT_EQ(text[3], '#');
}

TEST(Format, RefusesWhatItDoesNotKnow) {
  for (const char* format : {"%f", "%e", "%g", "%a", "%n", "%Lf", "%q", "%", "%l", "%2147483648d"}) {
    EXPECT_EQ(Ours(format, 1), "<refused>") << format;
  }
}

}  // namespace
