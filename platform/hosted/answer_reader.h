// One answer line to a message box, read in bounded memory whatever the
// input holds. A plain function over a stream, so that it can be tested and
// fuzzed alone.
#ifndef CPUNINST_PLATFORM_HOSTED_ANSWER_READER_H
#define CPUNINST_PLATFORM_HOSTED_ANSWER_READER_H

#include <cstddef>
#include <istream>
#include <string>

namespace platform::hosted {

// The longest answer line kept: the bytes before its LF (a CR among them).
inline constexpr std::size_t kMaxAnswerLine = 4096;

enum class AnswerRead {
  kLine,     // line holds the line, without its LF and a CR just before it
  kTooLong,  // the line was longer than kMaxAnswerLine; it was read to its end and dropped
  kEnd,      // no more input (or the input failed)
};

// Reads up to and including the next LF. A last line without LF is a line;
// at most kMaxAnswerLine + 1 bytes are ever held.
AnswerRead ReadAnswerLine(std::istream& in, std::string& line);

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_ANSWER_READER_H
