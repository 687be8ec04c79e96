// What the library's operations must do, over the text model: the expected
// result of each operation from the rules profile.h states, plus the plain
// properties asked of every edit (what an edit may remove or add).
#ifndef CPUNINST_TESTS_FUZZ_EDIT_MODEL_H
#define CPUNINST_TESTS_FUZZ_EDIT_MODEL_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

using OptionalText = std::optional<std::string_view>;

// The section-header rule on what the rules see of a piece: the text between
// the first '[' and the last ']', blanks trimmed; nothing when no header.
OptionalText HeaderName(std::string_view ruleText);
// How many lines (by their first piece) head the section.
std::size_t HeadersOf(std::string_view text, std::string_view section);

// Line removal: the lines that stay, in order, and whether any went.
struct Removal {
  std::string kept;
  bool removedAny = false;
};
Removal RemoveLines(std::string_view text, std::string_view pattern, int options);

// Key edit: every line of the key in the section (null: the whole file)
// replaced by newLine and a line end, or dropped when there is no newLine.
struct KeyEdit {
  std::string text;
  bool changed = false;
};
KeyEdit EditKeyLines(std::string_view text, OptionalText section, std::string_view key,
                     OptionalText newLine);

// Line addition: the line at the end of every section of the name (null:
// the end of the file), or a new section at the end.
std::string AddLine(std::string_view text, OptionalText section, std::string_view line);

// Property: out is in with some lines of the key replaced by newLine (or
// dropped), every other line kept in order.
bool IsKeyEditOf(std::string_view in, std::string_view out, std::string_view key, OptionalText newLine);
// Property: out is in with added lines only, copies of line (at least one)
// and at most one header [section]; a last line without a line end may
// have gained one.
bool IsAdditionOf(std::string_view in, std::string_view out, std::string_view line, OptionalText section);

// The value lookup: the first piece with the key in the first section of
// the name (null: anywhere) gives its value, trailing white space removed;
// nothing (the default) when it is missing or that piece has no value.
OptionalText LookUp(std::string_view text, OptionalText section, std::string_view key);

// The name of the last piece that is a header, or nothing.
OptionalText LastHeader(std::string_view text);

// The section walk over a file's bytes: one step per call, IniFirstSectionLine
// first. A step's line is nothing where the call returns null (the last step).
struct WalkStep {
  std::optional<std::string> line;
  std::int64_t position = 0;  // the position after the call
  std::int32_t lineNumber = 0;
};
std::vector<WalkStep> Walk(std::string_view bytes, std::string_view section, std::int32_t position,
                           int options);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_EDIT_MODEL_H
