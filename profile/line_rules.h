// The rules every operation applies to a line piece: the section-header rule,
// the key rule and the end-of-section tests.
#ifndef CPUNINST_PROFILE_LINE_RULES_H
#define CPUNINST_PROFILE_LINE_RULES_H

#include <cstddef>
#include <optional>
#include <string_view>

namespace profile {

// The rules see a piece as the text it is: up to its first NUL byte, if any.
// Copies still carry every byte of it.
std::string_view TextOf(std::string_view piece);

// The section name of a header piece, or nothing when the piece is no header.
// '[' is the first one anywhere, ']' the last one; the name is trimmed of
// blanks on both sides (but a ']' before the '[' leaves it running to the end).
std::optional<std::string_view> SectionName(std::string_view piece);

// True when the piece is the header of the wanted section (ASCII case folded).
bool IsHeaderOf(std::string_view piece, std::string_view wanted);

// A piece split by the key rule: the first token between the separators
// space, tab and '='.
struct KeySplit {
  std::string_view key;  // empty: the piece holds separators only
  std::size_t keyEnd;    // offset of the separator that ended the key, or the end
  bool hasValue;         // at least one byte follows that separator
  std::size_t ValueStart() const { return keyEnd + 1; }
};
KeySplit SplitKey(std::string_view piece);

// Ends the key in the piece's NUL-terminated buffer at its separator.
inline void TerminateKey(char* piece, const KeySplit& split) { piece[split.keyEnd] = '\0'; }

// True when the piece's key is the wanted key (ASCII case folded).
inline bool HasKey(const KeySplit& split, std::string_view wanted);

// Section end by key token: the key begins with '['.
inline bool EndsSectionByKey(const KeySplit& split) {
  return !split.key.empty() && split.key.front() == '[';
}

// Section end by any bracket: '[' anywhere in the piece.
bool EndsSectionByBracket(std::string_view piece);

// A quick test that turns pieces away before the rules above look at them:
// what it turns away, the rules would too. (A piece without '[' is no header
// and ends no section by bracket or key token.)

// Whether the piece's key could be the wanted key (its first byte matches,
// case folded) or, when sectionEnds, end the section ('[' first).
inline bool MayHoldKey(std::string_view piece, std::string_view wanted, bool sectionEnds);

// Finders for the skip loop (LineReader::Skip): the first place in
// text[from, to) where a piece that needs the rules above may start, or to.
// A piece before that place's line holds no '[' (FindBracket), or neither
// the wanted key nor, when sectionEnds, a '[' (KeyFinder).
std::size_t FindBracket(const char* text, std::size_t from, std::size_t to);
class KeyFinder {
 public:
  KeyFinder(std::string_view wanted, bool sectionEnds);
  std::size_t operator()(const char* text, std::size_t from, std::size_t to) const;

 private:
  std::string_view needle_;  // the key as it stands on disk
  bool keyCanStand_;         // a key with a line feed inside it stands nowhere
  bool sectionEnds_;
};
// Nowhere: every piece is plain.
constexpr auto kFindNothing = [](const char*, std::size_t, std::size_t to) { return to; };

// The piece's first byte outside the white-space class, or nothing.
std::optional<char> FirstVisible(std::string_view piece);

}  // namespace profile

#include "platform/ascii.h"
#include "text_class.h"

namespace profile {

inline bool HasKey(const KeySplit& split, std::string_view wanted) {
  return !split.key.empty() && ascii::EqualIgnoringCase(split.key, wanted);
}

constexpr bool IsKeySeparator(char c) { return c == ' ' || c == '\t' || c == '='; }

inline bool MayHoldKey(std::string_view piece, std::string_view wanted, bool sectionEnds) {
  std::size_t start = 0;
  while (start < piece.size() && IsKeySeparator(piece[start])) ++start;
  // No key at all: the text ends among separators.
  if (start == piece.size() || piece[start] == '\0') return false;
  char first = piece[start];
  return (sectionEnds && first == '[') || (!wanted.empty() && ascii::Lower(first) == ascii::Lower(wanted[0]));
}

}  // namespace profile

#endif  // CPUNINST_PROFILE_LINE_RULES_H
