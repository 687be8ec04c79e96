// The line runs and the edit's copy-through against the plain model of DOS
// text mode (tests/support/dos_text_model.h): random files full of CR, LF,
// CR LF, Ctrl-Z, NUL, '[' and long lines, with buffers small enough to put
// each awkward byte on a buffer boundary.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "dos_text_model.h"
#include "profile/edit_scan.h"
#include "profile/line_reader.h"

namespace {

using test_support::ModelReader;
using test_support::RandomFile;
using LineRunsModel = test_support::DosTextModelTest;

// A finder that names every place: no run of lines goes in one step.
constexpr auto kEveryPlace = [](const char*, std::size_t from, std::size_t) { return from; };

// Skip with a finder for '[' and a rule that turns away every piece without
// one (and, at random, stops early): it finds every '[' as the rule would.
constexpr auto kFindBracket = [](const char* text, std::size_t from, std::size_t to) {
  return std::string_view(text, to).find('[', from) == std::string_view::npos
             ? to
             : std::string_view(text, to).find('[', from);
};

// The skip loop reads exactly the pieces Next would, in order, one by one or
// whole lines at a time; the watched byte is never missed; the line ends it
// reports are right.
TEST_F(LineRunsModel, SkipReadsThePiecesNextPieceWould) {
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

    profile::LineReader reader;
    ASSERT_TRUE(reader.Open(path.c_str()));
    std::size_t read = 0;
    std::vector<char> spare(maxLength + 1);
    auto endedLine = [&] { return read == 0 || expected[read - 1].back() == '\n'; };
    auto plain = [&](std::string_view piece, bool, bool watched) {
      if (!watched) {
        EXPECT_EQ(piece.find('['), piece.npos) << piece;
      }
      return byLines ? !watched : Roll() < turnAwayPercent;
    };
    for (int guard = 0; guard < 10000; ++guard) {
      std::size_t before = read;
      std::size_t skipped = byLines ? reader.Skip(spare, plain, kFindBracket)
                                    : reader.Skip(spare, plain, kEveryPlace);
      read += skipped;
      ASSERT_LE(read, expected.size());
      for (std::size_t i = before; i < read && byLines; ++i) {
        EXPECT_EQ(expected[i].find('['), std::string::npos) << expected[i];
      }
      if (skipped > 0) {
        EXPECT_EQ(reader.Tell(), after[read - 1]);
        EXPECT_EQ(reader.EndsLine(), endedLine());
        EXPECT_EQ(reader.StartsLine(), read < 2 || expected[read - 2].back() == '\n');
      }
      std::string_view piece = reader.Next(spare);
      if (piece.empty()) break;
      ASSERT_LT(read, expected.size());
      EXPECT_EQ(piece, expected[read]);
      ++read;
    }
    EXPECT_EQ(read, expected.size());
    EXPECT_EQ(reader.Tell(), model.Tell());
  }
}

// What an edit copies through is what writing each kept piece's text would
// have put on disk, whichever road it took: a run, one piece, the pieces of
// a line kept together (read again when they have left the buffer).
TEST_F(LineRunsModel, KeptPiecesReachTheScratchFileAsWrittenText) {
  for (int round = 0; round < 800; ++round) {
    std::string bytes = RandomFile(random_, std::uniform_int_distribution<std::size_t>(0, 2000)(random_));
    std::string path = Put("f.txt", bytes);
    platform::SetStreamBufferLimit(RandomLimit());
    const std::size_t maxLength = RandomMaxLength();
    SCOPED_TRACE("round " + std::to_string(round) + " max " + std::to_string(maxLength));

    ModelReader model(bytes);
    std::string expected;
    auto written = [&](std::string_view piece) {
      for (char c : piece) expected += c == '\n' ? std::string("\r\n") : std::string(1, c);
    };
    profile::EditScan scan;
    ASSERT_TRUE(scan.Begin(path.c_str(), profile::kLineRemovalBuffer));
    std::vector<char> spare(maxLength + 1);
    for (;;) {
      int road = Roll();
      std::size_t skipped = 0;
      if (road < 15) {
        skipped = scan.KeepRun(spare, [&](std::string_view, bool, bool) { return Roll() >= 10; },
                               kEveryPlace);
      } else if (road < 30) {
        skipped = scan.KeepRun(spare, [&](std::string_view, bool, bool watched) { return !watched; },
                               kFindBracket);
      }
      for (std::size_t i = 0; i < skipped; ++i) written(model.Next(maxLength));
      const std::int64_t start = scan.Tell();
      std::string_view piece = scan.Next(spare);
      ASSERT_EQ(piece, model.Next(maxLength));
      if (piece.empty()) break;
      if (road < 60) {
        written(piece);
        ASSERT_TRUE(scan.Keep(piece));
      } else if (road < 70) {
        // A line's pieces kept together once its second was read.
        written(piece);
        std::size_t pieces = 1;
        if (piece.back() != '\n') {
          std::string_view more = scan.Next(spare);
          ASSERT_EQ(more, model.Next(maxLength));
          written(more);
          if (!more.empty()) {
            piece = more;
            ++pieces;
          }
        }
        ASSERT_TRUE(scan.KeepLine(start, pieces, piece, spare));
      } else if (road < 80) {
        // Text of the edit's own between kept pieces.
        expected += "+\r\n";
        ASSERT_TRUE(scan.Write("+\n"));
      }
    }
    ASSERT_EQ(scan.Finish(true, PROFILE_OK), profile::EditEnd::kCommitted);
    ASSERT_EQ(Get("f.txt"), expected);
  }
}

}  // namespace
