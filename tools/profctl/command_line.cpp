#include "command_line.h"

#include <getopt.h>

#include <utility>

namespace profctl {
namespace {

// getopt_long's answers for the options without a short form: above every byte.
constexpr int kTraceCode = 0x100;
constexpr int kVersionCode = 0x101;

struct OptionForm {
  OptionBit bit;
  int code;                    // the short option's letter, or one of the codes above
  const char* longName;        // without "--"; null: no long form
  std::string_view valueName;  // empty: a flag
  bool numeric;
};

constexpr std::array kOptionForms{
    OptionForm{kSectionOption, 's', "section", "SECTION", false},
    OptionForm{kWalkOptionsOption, 'o', nullptr, "OPTIONS", true},
    OptionForm{kPositionOption, 'p', nullptr, "POSITION", true},
    OptionForm{kTraceOption, kTraceCode, "trace", "", false},
    OptionForm{kQuietOption, 'q', "quiet", "", false},
    OptionForm{kHelpOption, 'h', "help", "", false},
    OptionForm{kVersionOption, kVersionCode, "version", "", false},
};

constexpr bool HasShortForm(const OptionForm& form) { return form.code < kTraceCode; }

// '+': the options end at the first operand, nothing is reordered (glibc
// would otherwise permute); ':': a missing value is told from an unknown option.
constexpr auto kShortOptions = [] {
  std::array<char, 3 + 2 * kOptionForms.size()> text{};
  std::size_t length = 0;
  text[length++] = '+';
  text[length++] = ':';
  for (const OptionForm& form : kOptionForms) {
    if (!HasShortForm(form)) continue;
    text[length++] = static_cast<char>(form.code);
    if (!form.valueName.empty()) text[length++] = ':';
  }
  return text;
}();

constexpr auto kLongOptions = [] {
  std::array<option, kOptionForms.size() + 1> table{};  // ends with an empty entry
  std::size_t length = 0;
  for (const OptionForm& form : kOptionForms) {
    if (form.longName == nullptr) continue;
    table[length++] = option{form.longName, form.valueName.empty() ? no_argument : required_argument,
                             nullptr, form.code};
  }
  return table;
}();

constexpr std::uint64_t kUnsignedLimit = 0xFFFFFFFFu;
constexpr std::uint64_t kNegativeLimit = 0x80000000u;

const OptionForm* FindOption(int code) {
  for (const OptionForm& form : kOptionForms) {
    if (form.code == code) return &form;
  }
  return nullptr;
}

// The option as the user would write it: the long form when that was used.
std::string Typed(const OptionForm& form, bool asLong) {
  if (asLong || !HasShortForm(form)) return "--" + std::string(form.longName);
  return {'-', static_cast<char>(form.code)};
}

constexpr int kNotADigit = 16;  // above every base in use

// A digit of a C integer literal, in any base up to 16.
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

// What getopt_long refused. The argument it last stepped over is the
// option's own only where that is certain: an unknown long option, or one
// that misses its value (which only the last argument can).
std::string OptionError(std::span<char* const> args) {
  std::string_view last = optind > 0 && static_cast<std::size_t>(optind) <= args.size()
                              ? std::string_view(args[optind - 1])
                              : std::string_view();
  const OptionForm* form = FindOption(optopt);
  if (form == nullptr) {
    if (optopt == 0) return "unknown option '" + std::string(last.substr(0, last.find('='))) + "'";
    return "unknown option '" + std::string{'-', static_cast<char>(optopt)} + "'";
  }
  // Only a long form can be handed a value (--trace=x).
  if (form->valueName.empty()) return "option '" + Typed(*form, true) + "' takes no value";
  return "option '" + Typed(*form, last.starts_with("--")) + "' needs " +
         std::string(form->valueName);
}

ParseResult StoreOption(const OptionForm& form, const std::string& typed, const char* value,
                        Arguments& out) {
  std::uint32_t number = 0;
  if (form.numeric) {
    std::optional<std::uint32_t> parsed = ParseNumber(value);
    if (!parsed) return Refuse(NotANumber(typed + " " + std::string(form.valueName), value));
    number = *parsed;
  }
  switch (form.bit) {
    case kSectionOption: out.section = value; break;
    case kWalkOptionsOption: out.walkOptions = number; break;
    case kPositionOption: out.position = number; break;
    case kTraceOption: out.trace = true; break;
    case kQuietOption: out.quiet = true; break;
    default: break;
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
  opterr = 0;  // the refusals below say it in our words
  optind = 0;  // a fresh scan, on glibc and MinGW-w64 alike
  for (;;) {
    int longIndex = -1;
    int code = getopt_long(static_cast<int>(args.size()), args.data(), kShortOptions.data(),
                           kLongOptions.data(), &longIndex);
    if (code == -1) break;
    const OptionForm* form = code == '?' || code == ':' ? nullptr : FindOption(code);
    if (form == nullptr) return Refuse(OptionError(args));
    if (form->bit == kHelpOption) return {ParseStatus::kHelp, {}};
    if (form->bit == kVersionOption) return {ParseStatus::kVersion, {}};
    std::string typed = Typed(*form, longIndex >= 0);
    if (((shape.options | kCommonOptions) & form->bit) == 0) {
      return Refuse("option '" + typed + "' does not apply here");
    }
    // A flag may be repeated; a second value would silently win.
    if (!form->valueName.empty() && (seen & form->bit) != 0) {
      return Refuse("option '" + typed + "' given twice");
    }
    seen |= form->bit;
    ParseResult stored = StoreOption(*form, typed, optarg, out);
    if (stored.status != ParseStatus::kOk) return stored;
  }
  if (shape.sectionRequired && out.section == nullptr) return Refuse("missing -s SECTION");
  return StoreOperands(shape, args.subspan(static_cast<std::size_t>(optind)), out);
}

std::string Synopsis(const Shape& shape) {
  std::string synopsis;
  auto append = [&synopsis](std::string_view part) {
    if (!synopsis.empty()) synopsis += ' ';
    synopsis += part;
  };
  for (const OptionForm& option : kOptionForms) {
    if ((shape.options & option.bit) == 0) continue;
    std::string form = Typed(option, false);
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
