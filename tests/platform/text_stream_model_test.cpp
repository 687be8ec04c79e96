// The text streams against a plain model of DOS text mode that looks at one
// byte at a time: random files full of CR, LF, CR LF, Ctrl-Z, NUL, '[' and
// long lines, read with every piece length, with buffers small enough to put
// each awkward byte on a buffer boundary, and through seeks. The line runs
// and the copy-through above them: tests/profile/line_runs_model_test.cpp.
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

#include "dos_text_model.h"
#include "folder_fixture.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;

using test_support::ModelReader;
using test_support::RandomFile;

using TextStreamModel = test_support::DosTextModelTest;

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

}  // namespace
