// Message boxes: what is shown, and which answer lines give which button.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace {

// Runs one box with the given input; the rest of the input is left in rest.
struct BoxRun {
  int answer;
  std::string shown;
  std::string rest;
};

BoxRun RunBox(UINT type, const std::string& input, const char* text = "Text", const char* caption = "Title") {
  std::istringstream in(input);
  std::ostringstream out;
  std::streambuf* oldIn = std::cin.rdbuf(in.rdbuf());
  std::streambuf* oldOut = std::cout.rdbuf(out.rdbuf());
  std::cin.clear();
  int answer = MessageBoxA(nullptr, text, caption, type);
  std::cin.rdbuf(oldIn);
  std::cout.rdbuf(oldOut);
  std::cin.clear();
  std::string rest{std::istreambuf_iterator<char>(in), {}};
  return {answer, out.str(), rest};
}

TEST(MessageBoxTest, AnswersChooseTheirButtons) {
  constexpr UINT kOkCancel = MB_OKCANCEL | MB_ICONQUESTION;  // 0x21
  constexpr UINT kYesNo = MB_YESNO | MB_ICONQUESTION;        // 0x24
  static_assert(kOkCancel == 0x21 && kYesNo == 0x24);
  struct Case {
    UINT type;
    const char* input;
    int answer;
    const char* rest;
  };
  const std::vector<Case> cases = {
      {kOkCancel, "ok\nnext\n", IDOK, "next\n"},
      {kOkCancel, "OK\n", IDOK, ""},
      {kOkCancel, "o\n", IDOK, ""},
      {kOkCancel, "cancel\n", IDCANCEL, ""},
      {kOkCancel, "C\n", IDCANCEL, ""},
      {kOkCancel, "CaNcEl\r\n", IDCANCEL, ""},
      {kOkCancel, "  ok  \n", IDOK, ""},
      {kOkCancel, "\nno\n", IDOK, "no\n"},
      {kOkCancel, "\r\n", IDOK, ""},
      {kOkCancel, "", IDCANCEL, ""},
      {kOkCancel, "yes\nmaybe\nokay\ncancel\n", IDCANCEL, ""},
      {kOkCancel, "yes\n", IDCANCEL, ""},
      {kOkCancel, "ok", IDOK, ""},
      {kYesNo, "yes\n", IDYES, ""},
      {kYesNo, "Y\n", IDYES, ""},
      {kYesNo, "no\n", IDNO, ""},
      {kYesNo, "n\n", IDNO, ""},
      {kYesNo, "\n", IDYES, ""},
      {kYesNo, "", IDNO, ""},
      {kYesNo, "ok\ncancel\nyes\n", IDYES, ""},
      {kYesNo | MB_DEFBUTTON2, "\n", IDNO, ""},
      {MB_OK, "", IDOK, ""},
      {MB_YESNOCANCEL, "c\n", IDCANCEL, ""},
      {MB_YESNOCANCEL, "", IDCANCEL, ""},
      {MB_RETRYCANCEL, "r\n", IDRETRY, ""},
      {MB_ABORTRETRYIGNORE, "i\n", IDIGNORE, ""},
  };
  for (const Case& c : cases) {
    BoxRun run = RunBox(c.type, c.input);
    EXPECT_EQ(run.answer, c.answer) << "type " << c.type << " input '" << c.input << "'";
    EXPECT_EQ(run.rest, c.rest) << "type " << c.type << " input '" << c.input << "'";
  }
}

TEST(MessageBoxTest, TheBoxShowsTitleTextAndButtons) {
  BoxRun run = RunBox(MB_OKCANCEL | MB_ICONQUESTION, "x\nok\n", "Line one\nline two", "The Title");
  EXPECT_NE(run.shown.find("The Title"), std::string::npos) << run.shown;
  EXPECT_NE(run.shown.find("Line one\nline two\n"), std::string::npos) << run.shown;
  EXPECT_NE(run.shown.find("[OK]"), std::string::npos) << run.shown;
  EXPECT_NE(run.shown.find("[Cancel]"), std::string::npos) << run.shown;
  // The wrong answer was asked about once more.
  EXPECT_NE(run.shown.find("Please answer"), std::string::npos) << run.shown;
  EXPECT_EQ(run.answer, IDOK);

  run = RunBox(MB_YESNO | MB_ICONQUESTION, "y\n");
  EXPECT_NE(run.shown.find("[Yes]  [No]"), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find("Please answer"), std::string::npos) << run.shown;
}

TEST(MessageBoxTest, AStyleWithoutButtonsFails) {
  EXPECT_EQ(RunBox(0x07, "ok\n").answer, 0);
}

}  // namespace
