// profctl: one subcommand per operation of the profile library, so that the
// library can be driven, scripted and checked from a shell.
#include <array>
#include <cinttypes>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "profile/profile.h"
#include "command_line.h"
#include "diagnosis.h"

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
constexpr std::string_view kVersion = CPUNINST_VERSION;
constexpr std::string_view kLineEnd = "\n";
constexpr std::string_view kTryHelp = "Try 'profctl --help' for more information.\n";
constexpr std::array<std::string_view, 3> kHelpWords = {"help", "-h", "--help"};
constexpr std::string_view kVersionWord = "--version";

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

int RunAddLine(const Arguments& a) { return ReportCode(IniAddLine(a.text[kFile], a.section, a.text[kSecond])); }

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
  bool edit;   // a rewriting operation, not a reader
  bool keyed;  // its second operand is a KEY
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
            RunDeleteLine, true, false,
            "remove every line that matches PATTERN; OPTIONS is a bit set (default 0):\n"
            "1 ignore white space, 2 ignore the case of A-Z, 4 match a part of the line"},
    Command{"delete-key", KeyShape({}), RunDeleteKey, true, true,
            "remove every line of KEY"},
    Command{"replace-key", KeyShape({"LINE", OperandKind::kText, true}), RunReplaceKey,
            true, true, "replace every line of KEY by LINE; without LINE remove them"},
    Command{"add-line",
            {kSectionOption, false, {kFileOperand, Operand{"LINE"}}},
            RunAddLine, true, false,
            "add LINE at the section's end (adding the section if needed)"},
    Command{"add-hex", KeyShape(kNumberValue), RunAddHex, true, true,
            "add the line KEY=VALUE, VALUE as 0x%04X"},
    Command{"add-int", KeyShape(kNumberValue), RunAddInt, true, true,
            "add the line KEY=VALUE, VALUE as %d"},
    Command{"set", KeyShape({"VALUE", OperandKind::kText, true}), RunSet, true, true,
            "set KEY to VALUE, adding it if it is not there; without VALUE remove it"},
    Command{"set-unsigned", KeyShape(kNumberValue), RunSetUnsigned, true, true,
            "set KEY to VALUE as %u"},
    Command{"set-hex", KeyShape(kNumberValue), RunSetHex, true, true,
            "set KEY to VALUE as 0x%04X"},
    Command{"get", KeyShape({"DEFAULT", OperandKind::kText, true}), RunGet, false, true,
            "print KEY's value, or DEFAULT; with neither, print nothing and exit 1"},
    Command{"get-hex", KeyShape(kNumberDefault), RunGetHex, false, true,
            "print KEY's value (or DEFAULT) read as hex, as 0x%04X"},
    Command{"get-unsigned", KeyShape(kNumberDefault), RunGetUnsigned, false, true,
            "print KEY's value (or DEFAULT) read as unsigned decimal"},
    Command{"last-section",
            {0, false, {kFileOperand, Operand{"DEFAULT"}}},
            RunLastSection, false, false,
            "print the name of the file's last section, or DEFAULT"},
    Command{"walk",
            {kSectionOption | kWalkOptionsOption | kPositionOption | kTraceOption,
             true,
             {kFileOperand}},
            RunWalk, false, false,
            "print the section's lines; OPTIONS: 1 blank lines too, 2 look for the\n"
            "section from POSITION (default 0) on; --trace prints each line as\n"
            "LINE<TAB>POSITION<TAB>TEXT and then end<TAB>LINE<TAB>POSITION"},
};

constexpr std::string_view kUsageHead =
    "usage: profctl SUBCOMMAND [OPTIONS] ARGUMENTS\n"
    "       profctl --help | --version\n"
    "\n";

constexpr std::string_view kUsageTail =
    "\n"
    "Options come right after the subcommand; -- ends them.\n"
    "  -s NAME, -sNAME, --section NAME, --section=NAME\n"
    "                 the section; without it the whole file is covered\n"
    "  -q, --quiet    no diagnostic line on standard error\n"
    "  -h, --help     print this usage and exit\n"
    "  --version      print the version and exit\n"
    "Arguments are taken as raw bytes. Numbers are C integer literals (decimal,\n"
    "0x hex, 0 octal, optional sign) that fit 32 bits, signed or unsigned.\n"
    "\n"
    "Rewriting subcommands print the result code (0, 1, 2, -1). Exit status:\n"
    "0 done; 1 a rewrite returned a non-zero code, or get found no value and had\n"
    "no default (a line on standard error says why); 64 usage error; 74 the\n"
    "output could not be written.\n";

std::string UsageText() {
  std::string text(kUsageHead);
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

// One line naming the problem, then where to read more: never the whole usage.
int UsageError(std::string_view context, std::string_view message) {
  std::string text = std::string(kProgram) + ": ";
  if (!context.empty()) text += std::string(context) + ": ";
  text += std::string(message) + "\n" + std::string(kTryHelp);
  Write(stderr, text);
  return kExitUsage;
}

int Help() {
  Write(stdout, UsageText());
  return kExitOk;
}

int Version() {
  PutLine(std::string(kProgram) + " " + std::string(kVersion));
  return kExitOk;
}

const Command* FindCommand(std::string_view name) {
  for (const Command& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

bool IsHelpWord(std::string_view word) {
  for (std::string_view help : kHelpWords) {
    if (word == help) return true;
  }
  return false;
}

int Dispatch(std::span<char* const> args) {
  if (args.empty()) return UsageError({}, "missing subcommand");
  std::string_view name = args[0];
  if (IsHelpWord(name)) return Help();
  if (name == kVersionWord) return Version();
  const Command* command = FindCommand(name);
  if (command == nullptr) {
    if (name.size() > 1 && name.front() == '-') {
      return UsageError({}, "missing subcommand before '" + std::string(name) + "'");
    }
    return UsageError({}, "unknown subcommand '" + std::string(name) + "'");
  }
  Arguments arguments;
  ParseResult parsed = ParseArguments(command->shape, args, arguments);
  switch (parsed.status) {
    case ParseStatus::kHelp: return Help();
    case ParseStatus::kVersion: return Version();
    case ParseStatus::kUsageError: return UsageError(command->name, parsed.message);
    case ParseStatus::kOk: break;
  }
  Call call;
  call.path = arguments.text[kFile];
  call.section = arguments.section;
  call.key = command->keyed ? arguments.text[kSecond] : nullptr;
  call.edit = command->edit;
  int status = command->run(arguments);
  if (status == kExitNotDone && !arguments.quiet) {
    std::fflush(stdout);  // the code first, then why, where both go to one place
    Write(stderr, DiagnosticLine(kProgram, call, ProfileLastResult()));
  }
  return status;
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
