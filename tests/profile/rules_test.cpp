// The section-header rule and the key rule on single pieces.
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "profile/line_rules.h"

namespace {

using profile::SectionName;
using profile::SplitKey;

TEST(SectionHeaderRule, Names) {
  struct Case {
    std::string_view piece;
    std::optional<std::string_view> name;
  };
  const Case cases[] = {
      {"[drivers]\n", "drivers"},
      {"[ drivers ]\n", "drivers"},
      {"[\t a b \t]\n", "a b"},
      {"[drivers] ; old\n", "drivers"},
      {"; see [DRIVERS]\n", "DRIVERS"},
      {"x=[drivers]", "drivers"},
      {"[a]b]\n", "a]b"},
      {"[a[b]\n", "a[b"},
      {"[]\n", ""},
      {"[ ]\n", ""},
      {"]x[y\n", "y\n"},
      {"[drivers\n", std::nullopt},
      {"[  \n", std::nullopt},
      {"[   ", std::nullopt},
      {"[", std::nullopt},
      {"plain\n", std::nullopt},
      {"]\n", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(SectionName(c.piece), c.name) << c.piece;
}

TEST(SectionHeaderRule, WantedNameIsFoldedNotTrimmed) {
  EXPECT_TRUE(profile::IsHeaderOf("[Drivers]\n", "dRIVERS"));
  EXPECT_FALSE(profile::IsHeaderOf("[drivers]\n", " drivers"));
  EXPECT_TRUE(profile::IsHeaderOf("[]\n", ""));
  EXPECT_FALSE(profile::IsHeaderOf("[x]\n", ""));
}

TEST(KeyRule, KeysAndValues) {
  struct Case {
    std::string_view piece;
    std::string_view key;
    std::optional<std::string_view> value;
  };
  const Case cases[] = {
      {"wave=a.drv\n", "wave", "a.drv\n"},
      {"wave = a.drv\n", "wave", "= a.drv\n"},
      {"wave\n", "wave\n", std::nullopt},
      {"=wave=x", "wave", "x"},
      {"wave=\n", "wave", "\n"},
      {"wave=", "wave", std::nullopt},
      {"wave", "wave", std::nullopt},
      {" \t= ", "", std::nullopt},
      {"  \n", "\n", std::nullopt},
      {"k\tv w\n", "k", "v w\n"},
  };
  for (const auto& c : cases) {
    auto split = SplitKey(c.piece);
    EXPECT_EQ(split.key, c.key) << c.piece;
    EXPECT_EQ(split.hasValue, c.value.has_value()) << c.piece;
    if (split.hasValue && c.value) {
      EXPECT_EQ(c.piece.substr(split.ValueStart()), *c.value) << c.piece;
    }
  }
}

TEST(KeyRule, OnlyOneSeparatorIsTaken) {
  EXPECT_TRUE(profile::HasKey(SplitKey("Wave=x\n"), "wave"));
  EXPECT_FALSE(profile::HasKey(SplitKey("wave\n"), "wave"));
  EXPECT_FALSE(profile::HasKey(SplitKey("   "), ""));
  EXPECT_TRUE(profile::EndsSectionByKey(SplitKey("  [other]\n")));
  EXPECT_FALSE(profile::EndsSectionByKey(SplitKey("; [other]\n")));
}

TEST(Rules, SeeAPieceOnlyUpToItsFirstNul) {
  using namespace std::string_view_literals;
  EXPECT_EQ(SectionName("[a\0]\n"sv), std::nullopt);
  EXPECT_EQ(SectionName("[a]\0[b]\n"sv), "a");
  auto split = SplitKey("k\0=1\n"sv);
  EXPECT_EQ(split.key, "k");
  EXPECT_FALSE(split.hasValue);
  EXPECT_FALSE(profile::EndsSectionByBracket("x\0[\n"sv));
  EXPECT_EQ(profile::FirstVisible("\0[\n"sv), std::nullopt);
}

}  // namespace
