// The command line of profctl: the options it knows, the shape of each
// subcommand's arguments, and the one parser that checks a command line
// against a shape. Arguments are raw bytes; nothing is unescaped.
#ifndef CPUNINST_TOOLS_PROFCTL_COMMAND_LINE_H
#define CPUNINST_TOOLS_PROFCTL_COMMAND_LINE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace profctl {

// Options, as bits of a subcommand's accepted set.
enum OptionBit : unsigned {
  kSectionOption = 1,      // -s NAME, -sNAME, --section NAME, --section=NAME
  kWalkOptionsOption = 2,  // -o OPTIONS
  kPositionOption = 4,     // -p POSITION
  kTraceOption = 8,        // --trace
  kQuietOption = 16,       // -q, --quiet
  kHelpOption = 32,        // -h, --help
  kVersionOption = 64,     // --version
};

// Every subcommand takes these.
inline constexpr unsigned kCommonOptions = kQuietOption | kHelpOption | kVersionOption;

enum class OperandKind { kText, kNumber };

struct Operand {
  std::string_view name;  // empty: no operand in this slot
  OperandKind kind = OperandKind::kText;
  bool optional = false;  // only trailing operands are optional
};

inline constexpr std::size_t kMaxOperands = 3;

struct Shape {
  unsigned options = 0;  // the OptionBit set the subcommand accepts beyond kCommonOptions
  bool sectionRequired = false;
  std::array<Operand, kMaxOperands> operands{};
};

// What one command line says, after the subcommand's name.
struct Arguments {
  const char* section = nullptr;  // null: the whole file
  std::uint32_t walkOptions = 0;
  std::uint32_t position = 0;
  bool trace = false;
  bool quiet = false;
  // An operand not given is a null text; numbers are 32-bit patterns.
  std::array<const char*, kMaxOperands> text{};
  std::array<std::uint32_t, kMaxOperands> number{};
};

enum class ParseStatus { kOk, kHelp, kVersion, kUsageError };

struct ParseResult {
  ParseStatus status = ParseStatus::kOk;
  std::string message;  // for a usage error
};

// A C integer literal (decimal, 0x hex, 0 octal, optional sign) that fits 32
// bits signed or unsigned, as its 32-bit pattern; nothing else.
std::optional<std::uint32_t> ParseNumber(std::string_view text);

// Checks a subcommand's command line against its shape: args[0] is the
// subcommand's name, the options follow it and end at the first operand or
// at "--". Uses getopt_long, so it runs once per process.
ParseResult ParseArguments(const Shape& shape, std::span<char* const> args, Arguments& out);

// The synopsis of a subcommand's arguments, as the usage shows it.
std::string Synopsis(const Shape& shape);

}  // namespace profctl

#endif  // CPUNINST_TOOLS_PROFCTL_COMMAND_LINE_H
