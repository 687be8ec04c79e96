// A fuzz case for the library: one readable header line, then the file.
//
//   OP|NUMBER|SECTION|KEY|TEXT|SETTINGS
//   <the file's bytes>
//
// OP names the operation (an unknown name picks one by its first byte).
// NUMBER is decimal or 0x hex, optionally signed, taken as 32 bits. SECTION,
// KEY and TEXT are texts with the escapes \n \r \t \\ \| \xHH; a field that
// is "-" alone, or missing, is a null pointer. SETTINGS are words separated
// by blanks, such as "pad=70000 fault=w3 drive". Every byte after the first
// line feed is the file.
#ifndef CPUNINST_TESTS_FUZZ_CASE_INPUT_H
#define CPUNINST_TESTS_FUZZ_CASE_INPUT_H

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fuzz {

struct CaseInput {
  std::string_view op;
  std::uint32_t number = 0;
  std::optional<std::string> section;
  std::optional<std::string> key;
  std::optional<std::string> text;
  std::string_view settings;
  std::string_view file;
};

CaseInput SplitCase(std::string_view input);

// A text field with its escapes undone; "-" is null. A \x00 ends the text,
// as it would end a C string.
std::optional<std::string> DecodeText(std::string_view field);

// C-style integer text, wrapping at 32 bits; what cannot be read is 0.
std::uint32_t ParseNumber(std::string_view text);

// The value of NAME=VALUE among the settings, or nothing.
std::optional<std::string_view> Setting(std::string_view settings, std::string_view name);
// Whether the word stands alone among the settings.
bool HasSetting(std::string_view settings, std::string_view word);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_CASE_INPUT_H
