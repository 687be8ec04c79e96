// An independent small model of how the library sees a file: DOS text mode,
// lines and their first pieces, the key rule, line removal's normalisation.
// Written from the rules as profile.h states them, not from the code, so that
// the fuzz targets compare two readings of the same rules.
#ifndef CPUNINST_TESTS_FUZZ_TEXT_MODEL_H
#define CPUNINST_TESTS_FUZZ_TEXT_MODEL_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ascii.h"

namespace fuzz {

// The longest line piece of every operation but line removal.
inline constexpr std::size_t kPiece = 127;

// The file as DOS text mode reads it: up to the first Ctrl-Z, each CR LF as
// one LF, a lone CR kept.
std::string DosText(std::string_view bytes);
// For each byte of DosText(bytes), the offset in bytes just after it: where
// a stream stands once it has read that byte.
std::vector<std::size_t> DosOffsets(std::string_view bytes);
// What DOS text mode writes for text: each LF as CR LF.
std::string DosBytes(std::string_view text);

// The lines of a text, each with its LF; the last one may have none.
std::vector<std::string_view> Lines(std::string_view text);
// A line without its LF and a CR just before it.
std::string_view WithoutLineEnd(std::string_view line);
// A line's pieces of at most `length` bytes.
std::vector<std::string_view> Pieces(std::string_view line, std::size_t length = kPiece);

// What the rules see of a line: its first piece, up to its first NUL.
std::string_view RuleText(std::string_view line);

// The key rule: the first token between the separators space, tab and '='.
struct KeyLine {
  std::string_view key;    // empty: no key
  bool hasValue = false;   // a byte follows the separator that ended the key
  std::string_view value;  // everything after that separator
};
KeyLine SplitKeyLine(std::string_view text);

// A line's key equals the wanted key (a line without a key has none).
bool HasKey(std::string_view line, std::string_view wanted);

bool IsWhiteSpace(char c);
// Line removal's options 1 (no white space) and 2 (lower case), in that order.
std::string Normalised(std::string_view text, int options);
// The text without its trailing white space.
std::string_view TrimmedEnd(std::string_view text);

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_TEXT_MODEL_H
