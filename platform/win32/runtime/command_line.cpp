#include "command_line.h"

namespace runtime {
namespace {

constexpr char kQuote = '"';
constexpr char kBackslash = '\\';

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where the program name ends (on its closing quote, if any) and where its
// text lies.
struct ProgramName {
  const char* begin;
  const char* end;
  const char* next;  // the first byte after the name
};

ProgramName ScanProgramName(const char* line) {
  if (*line == kQuote) {
    const char* end = line + 1;
    while (*end != '\0' && *end != kQuote) ++end;
    return {line + 1, end, *end == kQuote ? end + 1 : end};
  }
  const char* end = line;
  while (*end != '\0' && !IsBlank(*end)) ++end;
  return {line, end, end};
}

// Appends to the texts being built, or only counts when there are none.
class Output {
 public:
  explicit Output(char* text) : text_(text) {}
  void Put(char c) {
    if (text_ != nullptr) text_[bytes_] = c;
    ++bytes_;
  }
  void PutRun(char c, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) Put(c);
  }
  char* Here() const { return text_ == nullptr ? nullptr : text_ + bytes_; }
  std::size_t Bytes() const { return bytes_; }

 private:
  char* text_;
  std::size_t bytes_ = 0;
};

// Copies one argument from `at` on; returns where it stopped.
const char* ScanArgument(const char* at, Output& out) {
  bool quoted = false;
  for (;;) {
    std::size_t backslashes = 0;
    while (*at == kBackslash) {
      ++backslashes;
      ++at;
    }
    bool copy = true;
    if (*at == kQuote) {
      if (backslashes % 2 == 0) {
        if (quoted && at[1] == kQuote) {
          ++at;  // "" inside quotes: one literal quote
        } else {
          copy = false;
        }
        quoted = !quoted;
      }
      backslashes /= 2;
    }
    out.PutRun(kBackslash, backslashes);
    if (*at == '\0' || (!quoted && IsBlank(*at))) return at;
    if (copy) out.Put(*at);
    ++at;
  }
}

}  // namespace

CommandLineSize SplitCommandLine(const char* line, char** argv, char* text) {
  Output out(text);
  CommandLineSize size;
  ProgramName name = ScanProgramName(line);
  if (argv != nullptr) argv[size.count] = out.Here();
  ++size.count;
  for (const char* c = name.begin; c != name.end; ++c) out.Put(*c);
  out.Put('\0');

  const char* at = name.next;
  for (;;) {
    while (IsBlank(*at)) ++at;
    if (*at == '\0') break;
    if (argv != nullptr) argv[size.count] = out.Here();
    ++size.count;
    at = ScanArgument(at, out);
    out.Put('\0');
  }
  if (argv != nullptr) argv[size.count] = nullptr;
  size.bytes = out.Bytes();
  return size;
}

const char* CommandTail(const char* line) {
  const char* at = ScanProgramName(line).next;
  while (IsBlank(*at)) ++at;
  return at;
}

}  // namespace runtime
