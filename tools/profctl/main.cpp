// profctl: one subcommand per operation of the profile library, so that the
// library can be driven, scripted and checked from a shell.
#include <array>
#include <cinttypes>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "profile/profile.h"
#include "tools/profctl/command_line.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace profctl {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitNotDone = 1;  // a rewrite that returned non-zero, or get found nothing
constexpr int kExitUsage = 64;   // EX_USAGE
constexpr int kExitOutput = 74;  // EX_IOERR: the output could not be written

constexpr std::string_view kProgram = "profctl";
constexpr std::string_view kLineEnd = "\n";

#ifdef _WIN32
// The console runtime would turn every "\n" into CR LF; the output must be
// the same bytes as the hosted tool's.
void UseBinaryOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
#else
void UseBinaryOutput() {}
#endif

// Returned texts may hold any byte, so they go out as bytes.
void Write(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

void PutText(std::string_view text) { Write(stdout, text); }

void PutLine(std::string_view text) {
  PutText(text);
  PutText(kLineEnd);
}

// A rewriting operation's result code, and the exit status it means.
int ReportCode(int code) {
  std::printf("%d", code);
  PutText(kLineEnd);
  return code == 0 ? kExitOk : kExitNotDone;
}

// Operand slots, in the order the shapes list them.
constexpr std::size_t kFile = 0;
constexpr std::size_t kSecond = 1;  // KEY, PATTERN, LINE or DEFAULT
constexpr std::size_t kThird = 2;   // LINE, VALUE, OPTIONS or DEFAULT

std::int32_t Signed(std::uint32_t pattern) { return static_cast<std::int32_t>(pattern); }

int RunDeleteLine(const Arguments& a) {
  // The library normalises the pattern in place.
  std::string pattern(a.text[kSecond]);
  return ReportCode(FileDeleteLine(a.text[kFile], pattern.data(), Signed(a.number[kThird])));
}

int RunDeleteKey(const Arguments& a) {
  return ReportCode(IniDeleteKey(a.text[kFile], a.section, a.text[kSecond]));
}

int RunReplaceKey(const Arguments& a) {
  return ReportCode(IniReplaceKey(a.text[kFile], a.section, a.text[kSecond], a.text[kThird]));
}

int RunAddLine(const Arguments& a) {
  return ReportCode(IniAddLine(a.text[kFile], a.section, a.text[kSecond]));
}

int RunAddHex(const Arguments& a) {
  return ReportCode(IniAddHex(a.text[kFile], a.section, a.text[kSecond], Signed(a.number[kThird])));
}

int RunAddInt(const Arguments& a) {
  return ReportCode(IniAddInt(a.text[kFile], a.section, a.text[kSecond], Signed(a.number[kThird])));
}

int RunSet(const Arguments& a) {
  return ReportCode(IniSetString(a.text[kFile], a.section, a.text[kSecond], a.text[kThird]));
}

int RunSetUnsigned(const Arguments& a) {
  return ReportCode(IniSetUnsigned(a.text[kFile], a.section, a.text[kSecond], a.number[kThird]));
}

int RunSetHex(const Arguments& a) {
  return ReportCode(IniSetHex(a.text[kFile], a.section, a.text[kSecond], a.number[kThird]));
}

int RunGet(const Arguments& a) {
  const char* value = IniGetString(a.text[kFile], a.section, a.text[kSecond], a.text[kThird]);
  if (value == nullptr) return kExitNotDone;
  PutLine(value);
  return kExitOk;
}

int RunGetHex(const Arguments& a) {
  std::int32_t value =
      IniGetHex(a.text[kFile], a.section, a.text[kSecond], Signed(a.number[kThird]));
  std::printf("0x%04" PRIX32, static_cast<std::uint32_t>(value));
  PutText(kLineEnd);
  return kExitOk;
}

int RunGetUnsigned(const Arguments& a) {
  std::printf("%" PRIu32,
              IniGetUnsigned(a.text[kFile], a.section, a.text[kSecond], a.number[kThird]));
  PutText(kLineEnd);
  return kExitOk;
}

int RunLastSection(const Arguments& a) {
  PutLine(IniGetLastSection(a.text[kFile], a.text[kSecond]));
  return kExitOk;
}

void PutWalkLine(const Arguments& a, const char* line, std::int32_t position) {
  if (a.trace) std::printf("%" PRId32 "\t%" PRId32 "\t", IniLineNumber, position);
  PutLine(line);
}

int RunWalk(const Arguments& a) {
  const char* path = a.text[kFile];
  const int options = Signed(a.walkOptions);
  std::int32_t position = Signed(a.position);
  const char* line = IniFirstSectionLine(path, a.section, &position, options);
  while (line != nullptr) {
    PutWalkLine(a, line, position);
    line = IniNextSectionLine(path, &position, options);
  }
  if (a.trace) {
    std::printf("end\t%" PRId32 "\t%" PRId32, IniLineNumber, position);
    PutText(kLineEnd);
  }
  return kExitOk;
}

struct Command {
  std::string_view name;
  Shape shape;
  int (*run)(const Arguments&);
  std::string_view summary;
};

constexpr Operand kFileOperand{"FILE"};
constexpr Operand kKeyOperand{"KEY"};
constexpr Operand kNumberValue{"VALUE", OperandKind::kNumber};
constexpr Operand kNumberDefault{"DEFAULT", OperandKind::kNumber};

constexpr Shape KeyShape(Operand last) {
  return {kSectionOption, false, {kFileOperand, kKeyOperand, last}};
}

constexpr std::array kCommands{
    Command{"delete-line",
            {0,
             false,
             {kFileOperand, Operand{"PATTERN"}, Operand{"OPTIONS", OperandKind::kNumber, true}}},
            RunDeleteLine,
            "remove every line that matches PATTERN; OPTIONS is a bit set (default 0):\n"
            "1 ignore white space, 2 ignore the case of A-Z, 4 match a part of the line"},
    Command{"delete-key", KeyShape({}), RunDeleteKey, "remove every line of KEY"},
    Command{"replace-key", KeyShape({"LINE", OperandKind::kText, true}), RunReplaceKey,
            "replace every line of KEY by LINE; without LINE remove them"},
    Command{"add-line",
            {kSectionOption, false, {kFileOperand, Operand{"LINE"}}},
            RunAddLine,
            "add LINE at the section's end (adding the section if needed)"},
    Command{"add-hex", KeyShape(kNumberValue), RunAddHex,
            "add the line KEY=VALUE, VALUE as 0x%04X"},
    Command{"add-int", KeyShape(kNumberValue), RunAddInt, "add the line KEY=VALUE, VALUE as %d"},
    Command{"set", KeyShape({"VALUE", OperandKind::kText, true}), RunSet,
            "set KEY to VALUE, adding it if it is not there; without VALUE remove it"},
    Command{"set-unsigned", KeyShape(kNumberValue), RunSetUnsigned, "set KEY to VALUE as %u"},
    Command{"set-hex", KeyShape(kNumberValue), RunSetHex, "set KEY to VALUE as 0x%04X"},
    Command{"get", KeyShape({"DEFAULT", OperandKind::kText, true}), RunGet,
            "print KEY's value, or DEFAULT; with neither, print nothing and exit 1"},
    Command{"get-hex", KeyShape(kNumberDefault), RunGetHex,
            "print KEY's value (or DEFAULT) read as hex, as 0x%04X"},
    Command{"get-unsigned", KeyShape(kNumberDefault), RunGetUnsigned,
            "print KEY's value (or DEFAULT) read as unsigned decimal"},
    Command{"last-section",
            {0, false, {kFileOperand, Operand{"DEFAULT"}}},
            RunLastSection,
            "print the name of the file's last section, or DEFAULT"},
    Command{"walk",
            {kSectionOption | kWalkOptionsOption | kPositionOption | kTraceOption,
             true,
             {kFileOperand}},
            RunWalk,
            "print the section's lines; OPTIONS: 1 blank lines too, 2 look for the\n"
            "section from POSITION (default 0) on; --trace prints each line as\n"
            "LINE<TAB>POSITION<TAB>TEXT and then end<TAB>LINE<TAB>POSITION"},
};

constexpr std::string_view kUsageTail =
    "\n"
    "Options come right after the subcommand; -- ends them. -s NAME (--section NAME)\n"
    "names the section; without it the whole file is covered. Arguments are taken as\n"
    "raw bytes. Numbers are C integer literals (decimal, 0x hex, 0 octal, optional\n"
    "sign) that fit 32 bits, signed or unsigned.\n"
    "\n"
    "Rewriting subcommands print the result code (0, 1, 2, -1); the exit status is 0\n"
    "when it is 0, otherwise 1. Usage errors exit with 64.\n";

std::string UsageText() {
  std::string text = "usage: " + std::string(kProgram) + " SUBCOMMAND [OPTIONS] ARGUMENTS\n" +
                     "       " + std::string(kProgram) + " " + std::string(kHelpOption) + "\n\n";
  for (const Command& command : kCommands) {
    text += "  " + std::string(kProgram) + " " + std::string(command.name) + " " +
            Synopsis(command.shape) + "\n";
    std::string_view summary = command.summary;
    while (!summary.empty()) {
      std::size_t end = summary.find('\n');
      text += "      " + std::string(summary.substr(0, end)) + "\n";
      summary.remove_prefix(end == std::string_view::npos ? summary.size() : end + 1);
    }
  }
  text += kUsageTail;
  return text;
}

int UsageError(std::string_view context, std::string_view message) {
  std::string text = std::string(kProgram) + ": ";
  if (!context.empty()) text += std::string(context) + ": ";
  text += std::string(message) + "\n\n" + UsageText();
  Write(stderr, text);
  return kExitUsage;
}

int Help() {
  Write(stdout, UsageText());
  return kExitOk;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

int Dispatch(std::span<char* const> args) {
  if (args.empty()) return UsageError({}, "missing subcommand");
  std::string_view name = args[0];
  if (name == kHelpOption) return Help();
  const Command* command = FindCommand(name);
  if (command == nullptr) return UsageError({}, "unknown subcommand '" + std::string(name) + "'");
  Arguments arguments;
  ParseResult parsed = ParseArguments(command->shape, args.subspan(1), arguments);
  switch (parsed.status) {
    case ParseStatus::kHelp:
      return Help();
    case ParseStatus::kUsageError:
      return UsageError(command->name, parsed.message);
    case ParseStatus::kOk:
      break;
  }
  return command->run(arguments);
}

// An output that could not be written must not pass for a result.
int Finish(int status) {
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    Write(stderr, std::string(kProgram) + ": cannot write the output\n");
    return kExitOutput;
  }
  return status;
}

}  // namespace
}  // namespace profctl

int main(int argc, char** argv) {
  profctl::UseBinaryOutput();
  std::span<char* const> args(argv, static_cast<std::size_t>(argc));
  return profctl::Finish(profctl::Dispatch(args.empty() ? args : args.subspan(1)));
}
