// DOS text-mode streams: what a reader sees of the bytes on disk, where its
// position stands, and what a writer puts on disk.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "fault_plan.h"
#include "folder_fixture.h"
#include "platform/fault.h"
#include "platform/files.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;

class TextFileTest : public test_support::FolderTest {
 protected:
  // Every piece of at most maxLength bytes, with the position after it.
  static std::vector<std::pair<std::string, std::int64_t>> Pieces(const std::string& path,
                                                                   std::size_t maxLength) {
    platform::TextReader reader;
    EXPECT_TRUE(reader.Open(path.c_str()));
    std::vector<char> buffer(maxLength + 1);
    std::vector<std::pair<std::string, std::int64_t>> pieces;
    while (std::size_t length = reader.ReadPiece(buffer.data(), maxLength)) {
      EXPECT_EQ(length, std::string(buffer.data()).size());
      pieces.emplace_back(std::string(buffer.data(), length), reader.Tell());
    }
    return pieces;
  }
};

using PieceList = std::vector<std::pair<std::string, std::int64_t>>;

TEST_F(TextFileTest, ReadingTurnsCrLfIntoLfKeepsLoneCrAndStopsAtCtrlZ) {
  struct Case {
    std::string bytes;
    std::size_t maxLength;
    PieceList pieces;
  };
  const std::vector<Case> cases = {
      {"a\r\nb\r\n", 127, {{"a\n", 3}, {"b\n", 6}}},
      {"a\nb", 127, {{"a\n", 2}, {"b", 3}}},
      {"a\rb\r\n", 127, {{"a\rb\n", 5}}},
      {"a\r\r\nb", 127, {{"a\r\n", 4}, {"b", 5}}},
      {"a\r", 127, {{"a\r", 2}}},
      {"a\r\n\x1a" "b\r\n", 127, {{"a\n", 3}}},
      {"ab\x1a", 127, {{"ab", 2}}},
      {"\x1a" "abc", 127, {}},
      {"a\r\x1a", 127, {{"a\r", 2}}},
      {"", 127, {}},
      {"abcdef\r\n", 3, {{"abc", 3}, {"def", 6}, {"\n", 8}}},
      {"ab\r\ncd", 2, {{"ab", 2}, {"\n", 4}, {"cd", 6}}},
  };
  for (const Case& c : cases) {
    std::string path = Put("t.txt", c.bytes);
    EXPECT_EQ(Pieces(path, c.maxLength), c.pieces) << "bytes: " << c.bytes;
  }
}

TEST_F(TextFileTest, CrLfAndCtrlZAreSeenAcrossBufferBoundaries) {
  // Put a CR as the very last byte of the first buffer, then an LF.
  std::string bytes(platform::kStreamBufferSize - 1, 'x');
  bytes += "\r\nend\r\x1a" "tail";
  std::string path = Put("big.txt", bytes);
  platform::TextReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  std::vector<char> buffer(platform::kStreamBufferSize * 2);
  std::size_t length = reader.ReadPiece(buffer.data(), buffer.size() - 1);
  EXPECT_EQ(length, platform::kStreamBufferSize);
  EXPECT_EQ(buffer[length - 1], '\n');
  EXPECT_EQ(reader.Tell(), static_cast<std::int64_t>(platform::kStreamBufferSize + 1));
  length = reader.ReadPiece(buffer.data(), 127);
  EXPECT_EQ(std::string(buffer.data(), length), "end\r");
  EXPECT_EQ(reader.Tell(), static_cast<std::int64_t>(bytes.find('\x1a')));
  EXPECT_EQ(reader.ReadPiece(buffer.data(), 127), 0u);
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_FALSE(reader.Error());
}

TEST_F(TextFileTest, SeekGoesToADiskOffset) {
  std::string path = Put("s.txt", "one\r\ntwo\r\nthree\r\n");
  platform::TextReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  char buffer[128];
  reader.ReadPiece(buffer, 127);
  reader.ReadPiece(buffer, 127);
  ASSERT_TRUE(reader.Seek(5));
  reader.ReadPiece(buffer, 127);
  EXPECT_STREQ(buffer, "two\n");
  ASSERT_TRUE(reader.Seek(4));  // inside a CR LF pair: the LF alone
  reader.ReadPiece(buffer, 127);
  EXPECT_STREQ(buffer, "\n");
  EXPECT_FALSE(reader.Seek(-1));
  ASSERT_TRUE(reader.Seek(1000));
  EXPECT_EQ(reader.ReadPiece(buffer, 127), 0u);
}

TEST_F(TextFileTest, WritingTurnsLfIntoCrLf) {
  std::string path = Path("w.txt");
  {
    platform::TextWriter writer;
    ASSERT_TRUE(writer.Create(path.c_str()));
    EXPECT_TRUE(writer.Write("a\nb\r\n"));
    EXPECT_TRUE(writer.Write(std::string(100000, 'z') + "\n"));
    EXPECT_TRUE(writer.Flush());
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_EQ(Get(path), "a\r\nb\r\r\n" + std::string(100000, 'z') + "\r\n");
}

TEST_F(TextFileTest, TheFaultSeamFailsTheChosenCall) {
  std::string path = Put("f.txt", "1\n2\n3\n");
  auto readFault = test_support::FaultPlan::Once(platform::FileOp::kRead, 2);
  std::optional<test_support::ScopedFaultHook> hook(readFault);
  platform::TextReader reader;
  ASSERT_TRUE(reader.Open(path.c_str()));
  char buffer[128];
  EXPECT_EQ(reader.ReadPiece(buffer, 127), 2u);
  EXPECT_EQ(reader.ReadPiece(buffer, 127), 0u);
  EXPECT_TRUE(reader.Error());
  reader.Close();

  auto writeFault = test_support::FaultPlan::Once(platform::FileOp::kWrite, 2);
  hook.reset();
  hook.emplace(writeFault);
  std::string out = Path("o.txt");
  platform::TextWriter writer;
  ASSERT_TRUE(writer.Create(out.c_str()));
  EXPECT_TRUE(writer.Write("x\n"));
  EXPECT_FALSE(writer.Write("y\n"));
  EXPECT_FALSE(writer.Write("z\n"));
  EXPECT_FALSE(writer.Close());
  EXPECT_EQ(Get(out), "x\r\n");

  for (platform::FileOp op : {platform::FileOp::kDelete, platform::FileOp::kRename}) {
    auto fault = test_support::FaultPlan::Once(op, 1);
    hook.reset();
    hook.emplace(fault);
    EXPECT_FALSE(op == platform::FileOp::kDelete ? platform::RemoveFile(path.c_str())
                                                 : platform::RenameFile(path.c_str(), out.c_str()));
    EXPECT_TRUE(fs::exists(path));
  }
}

TEST_F(TextFileTest, RenameNeverReplacesAndReadOnlyFilesStay) {
  std::string from = Put("from.txt", "new");
  std::string to = Put("to.txt", "old");
  EXPECT_FALSE(platform::RenameFile(from.c_str(), to.c_str()));
  EXPECT_EQ(Get(to), "old");
  ASSERT_TRUE(platform::RemoveFile(to.c_str()));
  EXPECT_TRUE(platform::RenameFile(from.c_str(), to.c_str()));
  EXPECT_EQ(Get(to), "new");
  EXPECT_FALSE(fs::exists(from));

  fs::permissions(to, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  EXPECT_FALSE(platform::RemoveFile(to.c_str()));
  platform::TextWriter writer;
  EXPECT_FALSE(writer.Create(to.c_str()));
  EXPECT_EQ(Get(to), "new");
}

TEST_F(TextFileTest, CreateNeverEmptiesWhatStoodAtTheName) {
  // Another name for the same bytes shows whether they were written through.
  std::string existing = Put("list.ini", "[rename]\r\nNUL=C:\\OTHER.DRV\r\n");
  std::string other = Path("other.ini");
  fs::create_hard_link(existing, other);
  platform::TextWriter writer;
  ASSERT_TRUE(writer.Create(existing.c_str()));
  EXPECT_TRUE(writer.Write("a\n"));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(Get(existing), "a\r\n");
  EXPECT_EQ(Get(other), "[rename]\r\nNUL=C:\\OTHER.DRV\r\n");

  std::string fresh = Path("new.ini");
  ASSERT_TRUE(writer.Create(fresh.c_str()));
  EXPECT_TRUE(writer.Close());
  EXPECT_EQ(Get(fresh), "");
}

}  // namespace
