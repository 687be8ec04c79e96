// The string and file-name primitives.
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "profile/profile.h"

namespace {

std::string Trim(std::string text) { return TrimTrailingSpace(text.data()), std::string(text.c_str()); }
std::string Squeeze(std::string text) { return RemoveSpaces(text.data()), std::string(text.c_str()); }

TEST(TrimTrailingSpace, RemovesEveryWhiteSpaceByteAtTheEnd) {
  EXPECT_EQ(Trim("abc \t\n"), "abc");
  EXPECT_EQ(Trim("abc\v\f\r"), "abc");
  EXPECT_EQ(Trim(" "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim(" a b "), " a b");
}

TEST(TrimTrailingSpace, KeepsBytesOutsideTheClass) {
  EXPECT_EQ(Trim("abc\xA0"), "abc\xA0");
  EXPECT_EQ(Trim("abc\x85"), "abc\x85");
  EXPECT_EQ(Trim("abc\x1F"), "abc\x1F");
}

TEST(TrimTrailingSpace, ReturnsItsArgument) {
  char text[] = "x  ";
  EXPECT_EQ(TrimTrailingSpace(text), text);
}

TEST(RemoveSpaces, RemovesWhiteSpaceAnywhere) {
  EXPECT_EQ(Squeeze(" a b\t=\tc \r\n"), "ab=c");
  EXPECT_EQ(Squeeze("\v\f"), "");
  EXPECT_EQ(Squeeze("a\xA0 b"), "a\xA0" "b");
}

TEST(MakeTempName, CutsAtTheLastDot) {
  struct Case {
    const char* path;
    const char* scratch;
  };
  const Case cases[] = {
      {"c:\\config.sys", "c:\\config.$$$"},
      {"c:\\autoexec.bat", "c:\\autoexec.$$$"},
      {"a.b.ini", "a.b.$$$"},
      {"name.", "name.$$$"},
      {"c:\\my.dir\\profile", "c:\\my.$$$"},
  };
  for (const auto& c : cases) {
    std::array<char, 64> out{};
    EXPECT_EQ(MakeTempName(out.data(), c.path), 1) << c.path;
    EXPECT_STREQ(out.data(), c.scratch) << c.path;
  }
}

TEST(MakeTempName, PathWithoutDotGivesZeroAndACopy) {
  std::array<char, 64> out{};
  EXPECT_EQ(MakeTempName(out.data(), "c:\\profile"), 0);
  EXPECT_STREQ(out.data(), "c:\\profile");
}

}  // namespace
