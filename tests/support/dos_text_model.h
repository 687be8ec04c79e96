// DOS text mode read one byte at a time, the model the text streams and the
// line runs above them are checked against, and random files full of the
// bytes that matter to them.
#ifndef CPUNINST_TESTS_SUPPORT_DOS_TEXT_MODEL_H
#define CPUNINST_TESTS_SUPPORT_DOS_TEXT_MODEL_H

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "folder_fixture.h"
#include "platform/text_file.h"

namespace test_support {

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
inline std::string RandomFile(std::mt19937& random, std::size_t size) {
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

// Random files read with random buffer limits and piece lengths.
class DosTextModelTest : public FolderTest {
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

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_DOS_TEXT_MODEL_H
