#include "tools/profctl/command_line.h"

#include <utility>

namespace profctl {
namespace {

struct OptionSpec {
  OptionBit bit;
  std::string_view shortName;  // empty: no short form
  std::string_view longName;   // empty: no long form
  std::string_view valueName;  // empty: a flag
  bool numeric;
};

constexpr std::array kOptionSpecs{
    OptionSpec{kSectionOption, "-s", "--section", "SECTION", false},
    OptionSpec{kWalkOptionsOption, "-o", "", "OPTIONS", true},
    OptionSpec{kPositionOption, "-p", "", "POSITION", true},
    OptionSpec{kTraceOption, "", "--trace", "", false},
};

constexpr std::string_view kEndOfOptions = "--";
constexpr std::uint64_t kUnsignedLimit = 0xFFFFFFFFu;
constexpr std::uint64_t kNegativeLimit = 0x80000000u;

const OptionSpec* FindOption(std::string_view arg) {
  for (const OptionSpec& option : kOptionSpecs) {
    if ((!option.shortName.empty() && arg == option.shortName) ||
        (!option.longName.empty() && arg == option.longName)) {
      return &option;
    }
  }
  return nullptr;
}

// An argument in option place is an option when it starts with '-'; a lone
// "-" is an ordinary argument, as it is everywhere else.
bool LooksLikeOption(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

constexpr int kNotADigit = 16;  // above every base in use

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return kNotADigit;
}

std::string NotANumber(std::string_view what, std::string_view text) {
  std::string message(what);
  message += ": not a 32-bit integer: '";
  message += text;
  message += "'";
  return message;
}

ParseResult Refuse(std::string message) { return {ParseStatus::kUsageError, std::move(message)}; }

ParseResult StoreOption(const OptionSpec& option, std::string_view typed, const char* value,
                        Arguments& out) {
  std::uint32_t number = 0;
  if (option.numeric) {
    std::optional<std::uint32_t> parsed = ParseNumber(value);
    if (!parsed)
      return Refuse(NotANumber(std::string(typed) + " " + std::string(option.valueName), value));
    number = *parsed;
  }
  switch (option.bit) {
    case kSectionOption:
      out.section = value;
      break;
    case kWalkOptionsOption:
      out.walkOptions = number;
      break;
    case kPositionOption:
      out.position = number;
      break;
    case kTraceOption:
      out.trace = true;
      break;
  }
  return {};
}

ParseResult StoreOperands(const Shape& shape, std::span<char* const> args, Arguments& out) {
  std::size_t slot = 0;
  for (; slot < shape.operands.size() && !shape.operands[slot].name.empty(); ++slot) {
    const Operand& operand = shape.operands[slot];
    if (slot >= args.size()) {
      if (operand.optional) break;
      return Refuse("missing " + std::string(operand.name));
    }
    out.text[slot] = args[slot];
    if (operand.kind == OperandKind::kNumber) {
      std::optional<std::uint32_t> parsed = ParseNumber(args[slot]);
      if (!parsed) return Refuse(NotANumber(operand.name, args[slot]));
      out.number[slot] = *parsed;
    }
  }
  if (args.size() > slot) {
    return Refuse("unexpected argument '" + std::string(args[slot]) + "'");
  }
  return {};
}

}  // namespace

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  } else if (text.size() > 1 && text[0] == '0') {
    base = 8;  // a leading 0 is octal, as in C
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    int digit = DigitValue(c);
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > kUnsignedLimit) return std::nullopt;
  }
  if (!negative) return static_cast<std::uint32_t>(value);
  if (value > kNegativeLimit) return std::nullopt;
  return static_cast<std::uint32_t>(-value);
}

ParseResult ParseArguments(const Shape& shape, std::span<char* const> args, Arguments& out) {
  unsigned seen = 0;
  std::size_t next = 0;
  while (next < args.size()) {
    std::string_view arg = args[next];
    if (arg == kEndOfOptions) {
      ++next;
      break;
    }
    if (arg == kHelpOption) return {ParseStatus::kHelp, {}};
    if (!LooksLikeOption(arg)) break;
    const OptionSpec* option = FindOption(arg);
    if (option == nullptr) return Refuse("unknown option '" + std::string(arg) + "'");
    if ((shape.options & option->bit) == 0) {
      return Refuse("option '" + std::string(arg) + "' does not apply here");
    }
    if ((seen & option->bit) != 0) return Refuse("option '" + std::string(arg) + "' given twice");
    seen |= option->bit;
    const char* value = nullptr;
    if (!option->valueName.empty()) {
      if (next + 1 >= args.size()) {
        return Refuse("option '" + std::string(arg) + "' needs " + std::string(option->valueName));
      }
      value = args[++next];
    }
    ParseResult stored = StoreOption(*option, arg, value, out);
    if (stored.status != ParseStatus::kOk) return stored;
    ++next;
  }
  if (shape.sectionRequired && out.section == nullptr) return Refuse("missing -s SECTION");
  return StoreOperands(shape, args.subspan(next), out);
}

std::string Synopsis(const Shape& shape) {
  std::string synopsis;
  auto append = [&synopsis](std::string_view part) {
    if (!synopsis.empty()) synopsis += ' ';
    synopsis += part;
  };
  for (const OptionSpec& option : kOptionSpecs) {
    if ((shape.options & option.bit) == 0) continue;
    std::string form(option.shortName.empty() ? option.longName : option.shortName);
    if (!option.valueName.empty()) (form += ' ') += option.valueName;
    bool required = option.bit == kSectionOption && shape.sectionRequired;
    append(required ? form : "[" + form + "]");
  }
  for (const Operand& operand : shape.operands) {
    if (operand.name.empty()) break;
    std::string name(operand.name);
    append(operand.optional ? "[" + name + "]" : name);
  }
  return synopsis;
}

}  // namespace profctl
