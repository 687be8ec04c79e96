// The command line split as the C runtimes of Windows 95's time split it:
// the documented backslash and quote rules, and "" inside quotes giving a
// quote and ending the quoting, as those runtimes did.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

constexpr char kCanary = '\x7F';

// Splits twice, as the start-up does: counting, then into exactly that room
// (one more pointer and byte hold canaries that must stay).
std::vector<std::string> Split(const char* line) {
  runtime::CommandLineSize size = runtime::SplitCommandLine(line, nullptr, nullptr);
  char pointerCanary = kCanary;
  std::vector<char*> argv(size.count + 2, &pointerCanary);
  std::vector<char> text(size.bytes + 1, kCanary);
  runtime::CommandLineSize filled = runtime::SplitCommandLine(line, argv.data(), text.data());
  EXPECT_EQ(filled.count, size.count);
  EXPECT_EQ(filled.bytes, size.bytes);
  EXPECT_EQ(argv[size.count], nullptr);
  EXPECT_EQ(argv[size.count + 1], &pointerCanary) << "wrote beyond the counted pointers";
  EXPECT_EQ(text[size.bytes], kCanary) << "wrote beyond the counted bytes";
  std::vector<std::string> arguments(argv.begin(), argv.begin() + static_cast<long>(size.count));
  return arguments;
}

struct SplitCase {
  const char* line;
  std::vector<std::string> arguments;
};

TEST(CommandLine, SplitsAsThoseRuntimesDid) {
  const SplitCase cases[] = {
      {"p", {"p"}},
      {"p a b", {"p", "a", "b"}},
      {"p \t a\t\tb  ", {"p", "a", "b"}},
      {R"("a b c" d e)", {"a b c", "d", "e"}},
      {R"(p "ab\"c" "\\" d)", {"p", "ab\"c", "\\", "d"}},
      {R"(p a\\\b d"e f"g h)", {"p", "a\\\\\\b", "de fg", "h"}},
      {R"(p a\\\"b c d)", {"p", "a\\\"b", "c", "d"}},
      {R"(p a\\\\"b c" d e)", {"p", "a\\\\b c", "d", "e"}},
      {R"(p "" x)", {"p", "", "x"}},
      {R"(p "a b)", {"p", "a b"}},
      {R"(p a"b"" c d)", {"p", "ab\"", "c", "d"}},
      {R"(p "a""b c")", {"p", "a\"b", "c"}},
      {R"(p \\server\share\)", {"p", "\\\\server\\share\\"}},
      {R"("C:\Program Files\p.exe" -s x)", {"C:\\Program Files\\p.exe", "-s", "x"}},
      {R"("C:\dir\"x y)", {"C:\\dir\\", "x", "y"}},
      {R"("p"arg)", {"p", "arg"}},
      {R"(C:\p"x y" z)", {"C:\\p\"x", "y z"}},
      {"", {""}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Split(c.line), c.arguments);
  }
}

TEST(CommandLine, WinMainGetsWhatFollowsTheProgramName) {
  EXPECT_STREQ(runtime::CommandTail(R"("C:\a b\p.exe"  -x "y z")"), R"(-x "y z")");
  EXPECT_STREQ(runtime::CommandTail("p.exe\t x"), "x");
  EXPECT_STREQ(runtime::CommandTail("p.exe"), "");
  EXPECT_STREQ(runtime::CommandTail(R"("unclosed)"), "");
}

}  // namespace
