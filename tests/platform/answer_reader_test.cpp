// Reading one answer line: what a line is, and that no line, however long,
// is ever held whole.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/hosted/answer_reader.h"

namespace {

using platform::hosted::AnswerRead;
using platform::hosted::kMaxAnswerLine;
using platform::hosted::ReadAnswerLine;

// Every read until the end, as "line:TEXT", "too long" or "end".
std::vector<std::string> ReadAll(const std::string& input) {
  std::istringstream in(input);
  std::vector<std::string> reads;
  std::string line;
  for (int i = 0; i < 10; ++i) {
    switch (ReadAnswerLine(in, line)) {
      case AnswerRead::kLine: reads.push_back("line:" + line); break;
      case AnswerRead::kTooLong:
        EXPECT_TRUE(line.empty());
        reads.push_back("too long");
        break;
      case AnswerRead::kEnd: reads.push_back("end"); return reads;
    }
  }
  return reads;
}

TEST(AnswerReader, SplitsLinesAndDropsTheirEnds) {
  struct Case {
    std::string input;
    std::vector<std::string> reads;
  };
  const std::string longest(kMaxAnswerLine, 'a');
  const std::vector<Case> cases = {
      {"", {"end"}},
      {"ok\n", {"line:ok", "end"}},
      {"ok", {"line:ok", "end"}},
      {"ok\r\nno\r\n", {"line:ok", "line:no", "end"}},
      {"\n\n", {"line:", "line:", "end"}},
      {"a\rb\n", {"line:a\rb", "end"}},
      {std::string("y\0s\n", 4), {"line:" + std::string("y\0s", 3), "end"}},
      {longest + "\n", {"line:" + longest, "end"}},
      {longest, {"line:" + longest, "end"}},
      {longest + "b\nok\n", {"too long", "line:ok", "end"}},
      {longest + "b", {"too long", "end"}},
      {std::string(3 * kMaxAnswerLine, 'x') + "\n\nyes", {"too long", "line:", "line:yes", "end"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadAll(c.input), c.reads) << c.input.substr(0, 20);
}

// A stream that hands out `length` bytes of 'x' without keeping them, then ends.
class EndlessLine : public std::streambuf {
 public:
  explicit EndlessLine(std::size_t length) : left_(length) { chunk_.fill('x'); }

 protected:
  int_type underflow() override {
    if (left_ == 0) return traits_type::eof();
    std::size_t size = std::min(left_, chunk_.size());
    left_ -= size;
    setg(chunk_.data(), chunk_.data(), chunk_.data() + size);
    return traits_type::to_int_type(chunk_[0]);
  }

 private:
  std::size_t left_;
  std::array<char, 4096> chunk_{};
};

TEST(AnswerReader, AHundredMegabyteLineIsSkippedNotHeld) {
  EndlessLine source(std::size_t{100} << 20);
  std::istream in(&source);
  std::string line;
  EXPECT_EQ(ReadAnswerLine(in, line), AnswerRead::kTooLong);
  EXPECT_TRUE(line.empty());
  EXPECT_LE(line.capacity(), 2 * kMaxAnswerLine + 64);
  EXPECT_EQ(ReadAnswerLine(in, line), AnswerRead::kEnd);
}

TEST(AnswerReader, AFailedStreamIsTheEnd) {
  std::istringstream in("ok\n");
  in.setstate(std::ios::badbit);
  std::string line = "old";
  EXPECT_EQ(ReadAnswerLine(in, line), AnswerRead::kEnd);
  EXPECT_EQ(line, "");
}

}  // namespace
