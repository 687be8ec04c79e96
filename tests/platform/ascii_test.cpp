// The ASCII rules every room shares: only A-Z and a-z change case, only
// space and tab are blanks, and bytes above 0x7F are never letters.
#include <gtest/gtest.h>

#include <string_view>

#include "platform/ascii.h"

namespace {

TEST(Ascii, OnlyAsciiLettersChangeCase) {
  for (int byte = 0; byte < 256; ++byte) {
    char c = static_cast<char>(byte);
    bool upper = byte >= 'A' && byte <= 'Z';
    bool lower = byte >= 'a' && byte <= 'z';
    EXPECT_EQ(ascii::IsLetter(c), upper || lower) << byte;
    EXPECT_EQ(ascii::Lower(c), upper ? static_cast<char>(byte + 32) : c) << byte;
    EXPECT_EQ(ascii::Upper(c), lower ? static_cast<char>(byte - 32) : c) << byte;
  }
  EXPECT_EQ(ascii::Lowered("Win.INI \xC4\x80"), "win.ini \xC4\x80");
}

TEST(Ascii, HexDigitsInEitherCase) {
  for (int byte = 0; byte < 256; ++byte) {
    char c = static_cast<char>(byte);
    int expected = -1;
    if (byte >= '0' && byte <= '9') expected = byte - '0';
    if (byte >= 'a' && byte <= 'f') expected = byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') expected = byte - 'A' + 10;
    EXPECT_EQ(ascii::HexDigitValue(c), expected) << byte;
  }
}

struct CompareCase {
  std::string_view a;
  std::string_view b;
  bool equal;
  bool starts;  // a starts with b
};

TEST(Ascii, ComparesIgnoringAsciiCaseOnly) {
  constexpr CompareCase kCases[] = {
      {"", "", true, true},
      {"MEDIA", "media", true, true},
      {"MEDIA\\0003", "media", false, true},
      {"med", "MEDIA", false, false},
      {"[Boot]", "[BOOT]", true, true},
      {"\xC4", "\xE4", false, false},  // Latin-1 case pairs are not folded
      {"a@", "A`", false, false},      // neighbours of the letters stay apart
      {"x", "", false, true},
  };
  for (const CompareCase& test : kCases) {
    EXPECT_EQ(ascii::EqualIgnoringCase(test.a, test.b), test.equal) << test.a << " | " << test.b;
    EXPECT_EQ(ascii::StartsIgnoringCase(test.a, test.b), test.starts) << test.a << " | " << test.b;
  }
  static_assert(ascii::EqualIgnoringCase("System.Ini", "SYSTEM.INI"));
}

struct TrimCase {
  std::string_view text;
  std::string_view left;
  std::string_view right;
  std::string_view both;
};

TEST(Ascii, TrimsSpacesAndTabsOnly) {
  constexpr TrimCase kCases[] = {
      {"", "", "", ""},
      {" \t ", "", "", ""},
      {"\t key = value \t", "key = value \t", "\t key = value", "key = value"},
      {"\r\nx\v", "\r\nx\v", "\r\nx\v", "\r\nx\v"},  // other white space stays
      {"a b", "a b", "a b", "a b"},
  };
  for (const TrimCase& test : kCases) {
    EXPECT_EQ(ascii::TrimLeft(test.text), test.left) << test.text;
    EXPECT_EQ(ascii::TrimRight(test.text), test.right) << test.text;
    EXPECT_EQ(ascii::Trim(test.text), test.both) << test.text;
  }
  for (int byte = 0; byte < 256; ++byte) {
    EXPECT_EQ(ascii::IsBlank(static_cast<char>(byte)), byte == ' ' || byte == '\t') << byte;
  }
}

}  // namespace
