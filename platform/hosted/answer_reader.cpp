#include "answer_reader.h"

#include <limits>

namespace platform::hosted {

AnswerRead ReadAnswerLine(std::istream& in, std::string& line) {
  line.clear();
  if (!in.good()) return AnswerRead::kEnd;
  bool any = false;
  char c = '\0';
  while (in.get(c)) {
    any = true;
    if (c == '\n') break;
    if (line.size() == kMaxAnswerLine) {
      // The rest of the line is skipped, never held.
      in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
      line.clear();
      return AnswerRead::kTooLong;
    }
    line += c;
  }
  if (!any) return AnswerRead::kEnd;
  // A last line without a line end is still a line; the next read ends.
  if (in.eof()) in.clear(std::ios::eofbit);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return AnswerRead::kLine;
}

}  // namespace platform::hosted
