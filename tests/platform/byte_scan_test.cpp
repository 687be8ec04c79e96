// The byte searches against a plain loop, over random texts of every length
// around the 16-byte steps, with the wanted bytes at every place.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/byte_scan.h"

namespace {

std::string RandomText(std::mt19937& random, std::size_t length) {
  static const char kBytes[] = {'a', 'A', '\n', '\r', '[', ' ', '\0', 'z', '\x80'};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kBytes - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += percent(random) < 85 ? 'x' : kBytes[pick(random)];
  return text;
}

TEST(ByteScan, ScanLineFindsTheFirstLineFeedAndWhatCameBefore) {
  std::mt19937 random(11);
  for (int round = 0; round < 20000; ++round) {
    std::string text = RandomText(random, std::uniform_int_distribution<std::size_t>(0, 80)(random));
    std::size_t readable = text.size();
    std::size_t length = std::uniform_int_distribution<std::size_t>(0, readable)(random);
    std::size_t lineFeed = text.find('\n');
    lineFeed = lineFeed < length ? lineFeed : length;
    bool watched = text.substr(0, lineFeed).find('[') != std::string::npos;
    platform::LineScan scan = platform::ScanLine(text.data(), length, readable, '[');
    ASSERT_EQ(scan.lineFeed, lineFeed) << text << " length " << length;
    ASSERT_EQ(scan.watched, watched) << text << " length " << length;
  }
}

TEST(ByteScan, FindEitherFindsTheFirstOfTwoBytes) {
  std::mt19937 random(12);
  for (int round = 0; round < 20000; ++round) {
    std::string text = RandomText(random, std::uniform_int_distribution<std::size_t>(0, 80)(random));
    std::size_t expected = text.find_first_of(std::string("aA", 2));
    if (expected == std::string::npos) expected = text.size();
    ASSERT_EQ(platform::FindEither(text.data(), text.size(), 'a', 'A'), expected) << text;
    expected = text.find('[');
    if (expected == std::string::npos) expected = text.size();
    ASSERT_EQ(platform::FindEither(text.data(), text.size(), '[', '['), expected) << text;
  }
}

}  // namespace
