// The answer streams of the answer target: spelled by a short input in
// which "\xFF N C" is the byte C repeated N * 4096 times, made a chunk at a
// time as a stream buffer, and what a line reader must make of them.
#ifndef CPUNINST_TESTS_FUZZ_ANSWER_STREAM_H
#define CPUNINST_TESTS_FUZZ_ANSWER_STREAM_H

#include <array>
#include <cstddef>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// A literal stretch of the input, or a run of one byte.
struct Run {
  std::string_view literal;
  char byte = 0;
  std::size_t count = 0;  // 0: the literal
};

// The runs an input spells. The whole stream stays within 1 MiB, and a run
// of line ends within 64 (each is a call of its own).
std::vector<Run> ParseStream(std::string_view text);

// The stream the runs spell, counting what was taken from it.
class RunStream : public std::streambuf {
 public:
  explicit RunStream(const std::vector<Run>& runs) : runs_(runs) {}
  std::size_t Taken() const { return produced_ - static_cast<std::size_t>(egptr() - gptr()); }

 private:
  int_type underflow() override;

  const std::vector<Run>& runs_;
  std::array<char, 4096> chunk_{};
  std::size_t run_ = 0;
  std::size_t offset_ = 0;
  std::size_t produced_ = 0;
};

// An output that takes everything, or refuses everything.
class Sink : public std::streambuf {
 public:
  explicit Sink(bool writable) : writable_(writable) {}

 private:
  int_type overflow(int_type c) override { return writable_ ? traits_type::not_eof(c) : traits_type::eof(); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return writable_ ? n : 0; }
  bool writable_;
};

// The lines of the stream, one entry each: the line without its LF (and a
// CR just before it), or nothing for a line longer than maxLine bytes (the
// CR counted). A last line without LF is a line.
std::vector<std::optional<std::string>> StreamLines(const std::vector<Run>& runs, std::size_t maxLine);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_ANSWER_STREAM_H
