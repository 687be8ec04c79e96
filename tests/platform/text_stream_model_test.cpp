// The text streams against a plain model of DOS text mode that looks at one
// byte at a time: random files full of CR, LF, CR LF, Ctrl-Z, NUL, '[' and
// long lines, read with every piece length, with buffers small enough to put
// each awkward byte on a buffer boundary, through seeks, the skip loop and
// the copy-through to a writer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "folder_fixture.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;

constexpr char kCtrlZ = 0x1A;

// DOS text-mode reading, one byte at a time.
class ModelReader {
 public:
  explicit ModelReader(std::string bytes) : bytes_(std::move(bytes)) {}

  std::string Next(std::size_t maxLength) {
    std::string piece;
    while (!atEnd_ && piece.size() < maxLength) {
      if (position_ >= bytes_.size() || bytes_[position_] == kCtrlZ) {
        atEnd_ = true;
        break;
      }
      char c = bytes_[position_++];
      if (c == '\r' && position_ < bytes_.size() && bytes_[position_] == '\n') {
        ++position_;
        c = '\n';
      }
      piece += c;
      if (c == '\n') break;
    }
    return piece;
  }
  void Seek(std::size_t offset) {
    position_ = offset;
    atEnd_ = false;
  }
  std::int64_t Tell() const { return static_cast<std::int64_t>(position_); }

 private:
  std::string bytes_;
  std::size_t position_ = 0;
  bool atEnd_ = false;
};

// Files of short and long lines made of the bytes that matter to the reader
// and the rules, with the awkward ones often.
std::string RandomFile(std::mt19937& random, std::size_t size) {
  static const std::vector<std::string> kParts = {
      "a", "b", "Z", "=", " ", "\t", "[", "]", ";", "\r\n", "\r\n", "\n", "\r", "\r\r\n",
      std::string(1, '\0'), std::string(1, kCtrlZ), "\x80", "key=value", "[section]"};
  std::string bytes;
  std::uniform_int_distribution<std::size_t> part(0, kParts.size() - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  while (bytes.size() < size) {
    int roll = percent(random);
    if (roll < 3) {
      bytes += std::string(std::uniform_int_distribution<std::size_t>(120, 420)(random), 'L');
    } else if (roll < 5) {
      continue;  // keep Ctrl-Z rarer than the rest
    } else {
      const std::string& chosen = kParts[part(random)];
      if (chosen[0] == kCtrlZ && percent(random) < 80) continue;
      bytes += chosen;
    }
  }
  return bytes;
}

class TextStreamModel : public test_support::FolderTest {
 protected:
  void TearDown() override { platform::SetStreamBufferLimit(0); }

  // Buffer limits from the smallest up; 0 is the whole buffer.
  std::size_t RandomLimit() {
    static const std::size_t kLimits[] = {0, 2, 3, 4, 5, 7, 16, 17, 31, 64, 127, 128, 200, 513, 4096};
    return kLimits[std::uniform_int_distribution<std::size_t>(0, std::size(kLimits) - 1)(random_)];
  }
  std::size_t RandomMaxLength() {
    static const std::size_t kLengths[] = {1, 2, 3, 5, 16, 127, 127, 199, 199, 300};
    return kLengths[std::uniform_int_distribution<std::size_t>(0, std::size(kLengths) - 1)(random_)];
  }
  int Roll() { return std::uniform_int_distribution<int>(0, 99)(random_); }

  std::mt19937 random_{20240611};
};

TEST_F(TextStreamModel, PiecesPositionsAndSeeksMatchTheModel) {
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = RandomFile(random_, std::uniform_int_distribution<std::size_t>(0, 1500)(random_));
    std::string path = Put("f.txt", bytes);
    platform::SetStreamBufferLimit(RandomLimit());
    platform::TextReader reader;
    ModelReader model(bytes);
    ASSERT_TRUE(reader.Open(path.c_str()));
    std::vector<char> spare(301);
    SCOPED_TRACE("round " + std::to_string(round));
    for (int step = 0; step < 400; ++step) {
      if (Roll() < 4) {
        std::size_t offset = std::uniform_int_distribution<std::size_t>(0, bytes.size() + 2)(random_);
        ASSERT_TRUE(reader.Seek(static_cast<std::int64_t>(offset)));
        model.Seek(offset);
      }
      std::size_t maxLength = RandomMaxLength();
      std::string expected = model.Next(maxLength);
      std::string piece = Roll() < 50 ? std::string(reader.NextPiece(spare.data(), maxLength))
                                      : std::string(spare.data(), reader.ReadPiece(spare.data(), maxLength));
      ASSERT_EQ(piece, expected) << "step " << step << " max " << maxLength;
      ASSERT_EQ(reader.Tell(), model.Tell()) << "step " << step;
      if (expected.empty()) {
        EXPECT_TRUE(reader.AtEnd());
        break;
      }
    }
    EXPECT_FALSE(reader.Error());
  }
}

// Skip with a finder for '[' and a rule that turns away every piece without
// one (and, at random, stops early): it finds every '[' as the rule would.
constexpr auto kFindBracket = [](const char* text, std::size_t from, std::size_t to) {
  return std::string_view(text, to).find('[', from) == std::string_view::npos
             ? to
             : std::string_view(text, to).find('[', from);
};

// The skip loop reads exactly the pieces NextPiece would, in order, one by
// one or whole lines at a time; the watched byte is never missed; the line
// ends it reports are right.
TEST_F(TextStreamModel, SkipReadsThePiecesNextPieceWould) {
  for (int round = 0; round < 1500; ++round) {
    std::string bytes = RandomFile(random_, std::uniform_int_distribution<std::size_t>(0, 1500)(random_));
    std::string path = Put("f.txt", bytes);
    platform::SetStreamBufferLimit(RandomLimit());
    const std::size_t maxLength = RandomMaxLength();
    const int turnAwayPercent = std::uniform_int_distribution<int>(0, 100)(random_);
    const bool byLines = Roll() < 50;
    SCOPED_TRACE("round " + std::to_string(round) + " max " + std::to_string(maxLength) +
                 (byLines ? " with the finder" : ""));

    // Every piece, and the position after it.
    ModelReader model(bytes);
    std::vector<std::string> expected;
    std::vector<std::int64_t> after;
    for (std::string piece; !(piece = model.Next(maxLength)).empty();) {
      expected.push_back(piece);
      after.push_back(model.Tell());
    }

    platform::TextReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    std::size_t read = 0;
    std::vector<char> spare(maxLength + 1);
    platform::TextReader::LineEnds lines{true, true};
    auto endedLine = [&] { return read == 0 || expected[read - 1].back() == '\n'; };
    auto plain = [&](std::string_view piece, bool, bool watched) {
      if (!watched) {
        EXPECT_EQ(piece.find('['), piece.npos) << piece;
      }
      return byLines ? !watched : Roll() < turnAwayPercent;
    };
    for (int guard = 0; guard < 10000; ++guard) {
      std::size_t before = read;
      std::size_t skipped = byLines ? reader.Skip(maxLength, false, '[', lines, plain, kFindBracket)
                                    : reader.Skip(maxLength, false, '[', lines, plain,
                                                  platform::TextReader::NoFinder);
      read += skipped;
      ASSERT_LE(read, expected.size());
      for (std::size_t i = before; i < read && byLines; ++i) {
        EXPECT_EQ(expected[i].find('['), std::string::npos) << expected[i];
      }
      if (skipped > 0) {
        EXPECT_EQ(reader.Tell(), after[read - 1]);
        EXPECT_EQ(lines.ends, endedLine());
        EXPECT_EQ(lines.starts, read < 2 || expected[read - 2].back() == '\n');
      }
      std::string_view piece = reader.NextPiece(spare.data(), maxLength);
      if (piece.empty()) break;
      ASSERT_LT(read, expected.size());
      EXPECT_EQ(piece, expected[read]);
      ++read;
      lines = {true, endedLine()};
    }
    EXPECT_EQ(read, expected.size());
    EXPECT_EQ(reader.Tell(), model.Tell());
  }
}

// What goes through to a writer is what writing each kept piece's text
// would have put on disk, whichever road it took.
TEST_F(TextStreamModel, PassedPiecesReachTheWriterAsWrittenText) {
  for (int round = 0; round < 800; ++round) {
    std::string bytes = RandomFile(random_, std::uniform_int_distribution<std::size_t>(0, 2000)(random_));
    std::string path = Put("f.txt", bytes);
    std::string out = Path("out.txt");
    platform::SetStreamBufferLimit(RandomLimit());
    const std::size_t maxLength = RandomMaxLength();
    SCOPED_TRACE("round " + std::to_string(round) + " max " + std::to_string(maxLength));

    ModelReader model(bytes);
    std::string expected;
    auto written = [&](std::string_view piece) {
      for (char c : piece) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    };
    {
      platform::TextReader reader;
      platform::TextWriter writer;
      ASSERT_TRUE(reader.Open(path.c_str()));
      ASSERT_TRUE(writer.Create(out.c_str()));
      reader.PassTo(&writer);
      std::vector<char> spare(maxLength + 1);
      platform::TextReader::LineEnds lines{true, true};
      for (;;) {
        int road = Roll();
        std::size_t skipped = 0;
        if (road < 15) {
          skipped = reader.Skip(maxLength, true, '[', lines, [&](std::string_view, bool, bool) { return Roll() >= 10; },
                                platform::TextReader::NoFinder);
        } else if (road < 30) {
          skipped = reader.Skip(maxLength, true, '[', lines,
                                [&](std::string_view, bool, bool watched) { return !watched; }, kFindBracket);
        }
        for (std::size_t i = 0; i < skipped; ++i) written(model.Next(maxLength));
        std::int64_t start = reader.Tell();
        std::string_view piece = reader.NextPiece(spare.data(), maxLength);
        ASSERT_EQ(piece, model.Next(maxLength));
        if (piece.empty()) break;
        lines = {true, piece.back() == '\n'};
        if (road < 60) {
          written(piece);
          ASSERT_TRUE(writer.Admit());
          reader.Pass(piece);
        } else if (road < 70) {
          // A piece kept later, as a range of what was read.
          written(piece);
          std::string text(piece);
          if (!reader.PassRange(start, reader.Tell())) {
            reader.FlushPassed();
            ASSERT_TRUE(writer.Put(text));
          }
        } else if (road < 80) {
          // Text of the caller's own between passed pieces.
          expected += "+\r\n";
          reader.FlushPassed();
          ASSERT_TRUE(writer.Write("+\n"));
        }
      }
      reader.Close();
      ASSERT_TRUE(writer.Close());
    }
    ASSERT_EQ(Get(out), expected);
  }
}

}  // namespace
