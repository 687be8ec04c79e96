// Message boxes on a terminal: the box on standard output, the answer a line
// from standard input. A box whose text cannot be written fails (0), as a
// box that cannot be created on Windows does.
#include <array>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/ascii.h"
#include "answer_reader.h"
#include "platform/hosted/machine/machine.h"
#include "platform/platform.h"

namespace {

struct Button {
  std::string_view label;
  std::string_view answer;  // or its first letter
  int id;
};

constexpr Button kOk{"OK", "ok", IDOK};
constexpr Button kCancel{"Cancel", "cancel", IDCANCEL};
constexpr Button kAbort{"Abort", "abort", IDABORT};
constexpr Button kRetry{"Retry", "retry", IDRETRY};
constexpr Button kIgnore{"Ignore", "ignore", IDIGNORE};
constexpr Button kYes{"Yes", "yes", IDYES};
constexpr Button kNo{"No", "no", IDNO};

struct BoxKind {
  std::array<Button, 3> buttons;
  std::size_t count;
  int dismissed;  // the answer when the box is closed without a choice
};

// Indexed by the style's button bits.
constexpr std::array<BoxKind, 6> kKinds = {{
    {{kOk}, 1, IDOK},
    {{kOk, kCancel}, 2, IDCANCEL},
    {{kAbort, kRetry, kIgnore}, 3, IDABORT},
    {{kYes, kNo, kCancel}, 3, IDCANCEL},
    {{kYes, kNo}, 2, IDNO},
    {{kRetry, kCancel}, 2, IDCANCEL},
}};

constexpr std::array<std::string_view, 5> kIcons = {"", "(x) ", "(?) ", "(!) ", "(i) "};

constexpr std::string_view kRule = "----";
constexpr std::string_view kAnswerPrompt = "Answer";
constexpr std::string_view kEnterMeans = "Enter = ";
constexpr std::string_view kAskAgain = "Please answer with one of: ";
constexpr std::string_view kEndOfInput = "(end of input: the box is closed)";
constexpr std::string_view kTooLong = "That answer is longer than 4096 bytes. ";

// "OK/Cancel" or "ok, cancel".
void ListButtons(std::ostream& out, const BoxKind& kind, bool answers) {
  for (std::size_t i = 0; i < kind.count; ++i) {
    if (i > 0) out << (answers ? ", " : "/");
    out << (answers ? kind.buttons[i].answer : kind.buttons[i].label);
  }
}

void ShowBox(std::ostream& out, std::string_view caption, std::string_view text, std::string_view icon,
             const BoxKind& kind) {
  out << '\n' << kRule << ' ' << caption << ' ' << kRule << '\n' << icon << text << '\n';
  for (std::size_t i = 0; i < kind.count; ++i) out << "  [" << kind.buttons[i].label << ']';
  out << '\n';
}

// The button an answer line names, or null.
const Button* Choose(const BoxKind& kind, std::size_t defaultButton, std::string_view line) {
  std::string answer = ascii::Lowered(ascii::Trim(line));
  if (answer.empty()) return &kind.buttons[defaultButton];
  for (std::size_t i = 0; i < kind.count; ++i) {
    const Button& button = kind.buttons[i];
    if (answer == button.answer || answer == button.answer.substr(0, 1)) return &button;
  }
  return nullptr;
}

// The box failed: the machine keeps the fact for the program to tell.
int NotShown() {
  ++platform::hosted::Machine::Current().Notices().boxesNotShown;
  return 0;
}

}  // namespace

int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  UINT buttons = type & MB_TYPEMASK;
  UINT icon = (type & MB_ICONMASK) >> 4;
  if (buttons >= kKinds.size()) return 0;
  const BoxKind& kind = kKinds[buttons];
  std::size_t defaultButton = (type & MB_DEFMASK) >> 8;
  if (defaultButton >= kind.count) defaultButton = 0;

  std::ostream& out = std::cout;
  ShowBox(out, caption != nullptr ? caption : "Error", text != nullptr ? text : "",
          icon < kIcons.size() ? kIcons[icon] : "", kind);
  // Piped answers are not echoed by a terminal: echo them for a readable log.
  bool echo = ::isatty(STDIN_FILENO) == 0;
  std::string line;
  while (true) {
    out << kAnswerPrompt << " (";
    ListButtons(out, kind, false);
    out << "; " << kEnterMeans << kind.buttons[defaultButton].label << "): " << std::flush;
    // Nobody saw the box (stdout closed, full, or a pipe nobody reads): no answer may count.
    if (!out) return NotShown();
    platform::hosted::AnswerRead read = platform::hosted::ReadAnswerLine(std::cin, line);
    if (read == platform::hosted::AnswerRead::kEnd) {
      out << '\n' << kEndOfInput << '\n' << std::flush;
      return kind.dismissed;
    }
    if (read == platform::hosted::AnswerRead::kLine) {
      if (echo) out << line << '\n';
      if (const Button* chosen = Choose(kind, defaultButton, line)) {
        out << std::flush;
        return chosen->id;
      }
    } else {
      out << (echo ? "\n" : "") << kTooLong;
    }
    out << kAskAgain;
    ListButtons(out, kind, true);
    out << " (or the first letter).\n";
  }
}
