// Fuzz target: the message box's answer reader, alone and under the box.
// Input: one byte choosing the box, then the answer stream. The byte's bits
// 0-1 pick OK, OK/Cancel, Yes/No/Cancel or Yes/No, bits 2-3 the default
// button, bit 7 a standard output that cannot be written (so the digits
// '1' and '5' are OK/Cancel with OK or Cancel the default, '3' and '7'
// Yes/No with Yes or No). In the answer stream
// "\xFF N C" stands for the byte C repeated N * 4096 times, so that lines far
// longer than an input can be are read too. The reader must hold no line
// over its limit, consume input on every call or report the end, and give
// exactly the lines of the stream; the box must return the button the first
// valid answer names, or the dismissal at the end, or 0 without reading
// anything when its text could not be written.
#include <algorithm>
#include <array>
#include <cstdint>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "answer_stream.h"
#include "harness.h"
#include "text_model.h"
#include "platform/hosted/answer_reader.h"
#include "platform/platform.h"

namespace {

using namespace fuzz;
using platform::hosted::AnswerRead;
using platform::hosted::kMaxAnswerLine;

void CheckReader(const std::vector<Run>& runs) {
  std::vector<std::optional<std::string>> model = StreamLines(runs, kMaxAnswerLine);
  RunStream stream(runs);
  std::istream in(&stream);
  std::string line;
  for (std::size_t i = 0;; ++i) {
    std::size_t before = stream.Taken();
    AnswerRead read = platform::hosted::ReadAnswerLine(in, line);
    Check(line.size() <= kMaxAnswerLine && line.capacity() <= 2 * (kMaxAnswerLine + 1),
          "no answer line over the limit is held", std::to_string(line.capacity()));
    if (read == AnswerRead::kEnd) {
      Check(i == model.size(), "the reader ends after the last line",
            std::to_string(i) + " lines of " + std::to_string(model.size()));
      Check(platform::hosted::ReadAnswerLine(in, line) == AnswerRead::kEnd, "an ended stream stays ended");
      return;
    }
    Check(stream.Taken() > before, "every call that returns a line consumes input");
    Check(i < model.size(), "the reader gives no more lines than the stream holds");
    if (model[i]) {
      Check(read == AnswerRead::kLine && line == *model[i], "the reader gives the stream's line",
            "line " + std::to_string(i) + ": " + Shown(line) + " vs " + Shown(*model[i]));
    } else {
      Check(read == AnswerRead::kTooLong && line.empty(), "a line over the limit is no answer");
    }
  }
}

struct Button {
  std::string_view answer;
  int id;
};

struct Box {
  UINT type;
  std::vector<Button> buttons;
  int dismissed;
};

const std::array<Box, 4> kBoxes = {{
    {MB_OK, {{"ok", IDOK}}, IDOK},
    {MB_OKCANCEL, {{"ok", IDOK}, {"cancel", IDCANCEL}}, IDCANCEL},
    {MB_YESNOCANCEL, {{"yes", IDYES}, {"no", IDNO}, {"cancel", IDCANCEL}}, IDCANCEL},
    {MB_YESNO, {{"yes", IDYES}, {"no", IDNO}}, IDNO},
}};

// The button the first line that names one chooses (an empty line the
// default), or the dismissal when no line does.
int ModelAnswer(const Box& box, std::size_t defaultButton, const std::vector<Run>& runs) {
  for (const std::optional<std::string>& line : StreamLines(runs, kMaxAnswerLine)) {
    if (!line) continue;
    std::string lower = ascii::Lowered(ascii::Trim(*line));
    if (lower.empty()) return box.buttons[defaultButton].id;
    for (const Button& button : box.buttons) {
      if (lower == button.answer || lower == button.answer.substr(0, 1)) return button.id;
    }
  }
  return box.dismissed;
}

void CheckBox(std::uint8_t choice, const std::vector<Run>& runs) {
  const Box& box = kBoxes[choice & 3];
  std::size_t defaultButton = (choice >> 2 & 3) % box.buttons.size();
  bool shown = (choice & 0x80) == 0;
  RunStream stream(runs);
  Sink sink(shown);
  std::streambuf* oldIn = std::cin.rdbuf(&stream);
  std::streambuf* oldOut = std::cout.rdbuf(&sink);
  std::ios::iostate oldState = std::cout.rdstate();
  int got = MessageBoxA(nullptr, "text", "caption", box.type | static_cast<UINT>(defaultButton << 8));
  std::cin.rdbuf(oldIn);
  std::cin.clear();
  std::cout.rdbuf(oldOut);
  std::cout.clear(oldState);
  if (!shown) {
    Check(got == 0 && stream.Taken() == 0, "a box nobody saw returns 0 and reads no answer");
    return;
  }
  int expected = ModelAnswer(box, defaultButton, runs);
  Check(got == expected, "the box returns the button the first valid answer names",
        std::to_string(got) + " vs " + std::to_string(expected));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<Run> runs = ParseStream(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  CheckReader(runs);
  CheckBox(data[0], runs);
  return 0;
}
