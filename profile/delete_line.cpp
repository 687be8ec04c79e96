// Line removal: every line of a text file that matches a pattern goes. A line
// is compared whole, however many pieces it is read in, so a long line is
// removed or kept as one.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "edit_scan.h"
#include "last_result.h"
#include "line_buffers.h"
#include "platform/ascii.h"
#include "platform/byte_scan.h"
#include "profile/profile.h"
#include "text_class.h"

namespace profile {
namespace {

constexpr int kRemoved = 0;
constexpr int kNoMatch = 1;
constexpr int kFailed = 2;

// Bits 1 and 2 of the options, applied in that order.
std::size_t Normalise(char* text, std::size_t length, int options) {
  if (options & FILE_LINE_NO_SPACES) length = RemoveSpacesIn(text, length);
  if (options & FILE_LINE_LOWER) LowerIn(text, length);
  return length;
}

// The byte of the pattern to look for when white space may stand between
// any two of its bytes: the first that is no letter, digit or '=' (a dot, a
// slash, a colon: rarer in profile text than any letter), else the first.
std::string_view UncommonByte(std::string_view pattern) {
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (!ascii::IsLetter(c) && !(c >= '0' && c <= '9') && c != '=') return pattern.substr(i, 1);
  }
  return pattern.substr(0, 1);
}

// Compares a line with the normalised pattern: equality, or containment.
// The line's bytes are normalised as they are compared, and the comparison
// stops as soon as its outcome is known. A line fed in pieces is searched
// with Knuth-Morris-Pratt, so a match may span piece boundaries.
class LineMatcher {
 public:
  static constexpr std::size_t kFixedTable = 256;

  bool Prepare(std::string_view pattern, int options) {
    pattern_ = pattern;
    contains_ = (options & FILE_LINE_CONTAINS) != 0;
    noSpaces_ = (options & FILE_LINE_NO_SPACES) != 0;
    lower_ = (options & FILE_LINE_LOWER) != 0;
    if (!contains_) return true;
    std::size_t* table = fixedTable_.data();
    if (pattern.size() > fixedTable_.size()) {
      longTable_.reset(new (std::nothrow) std::size_t[pattern.size()]);
      if (!longTable_) return false;
      table = longTable_.get();
    }
    failure_ = table;
    if (pattern.empty()) return true;
    failure_[0] = 0;
    std::size_t k = 0;
    for (std::size_t i = 1; i < pattern.size(); ++i) {
      while (k > 0 && pattern[i] != pattern[k]) k = failure_[k - 1];
      if (pattern[i] == pattern[k]) ++k;
      failure_[i] = k;
    }
    return true;
  }

  // A whole line read as one piece.
  bool MatchesLine(std::string_view line) {
    if (contains_) return pattern_.empty() || Contains(line);
    StartLine();
    Feed(line);
    return Matches();
  }

  // A line read in several pieces: StartLine, then Feed each piece until
  // Decided().
  void StartLine() {
    matched_ = 0;
    mismatch_ = false;
    found_ = contains_ && pattern_.empty();
  }

  void Feed(std::string_view piece) {
    if (!contains_ && !noSpaces_ && !lower_) return FeedPlain(piece);
    for (char c : piece) {
      if (Decided()) return;
      if (Dropped(c)) continue;
      contains_ ? FeedSearch(Normal(c)) : FeedEqual(Normal(c));
    }
  }

  // Where a line that may match could stand in text[from, to), for the skip
  // loop: the pattern stands there on disk (less a closing line feed, which
  // may be CR LF), or, when white space is removed, at least each of its
  // bytes, so the one least likely to be common is looked for.
  std::size_t Find(const char* text, std::size_t from, std::size_t to) const {
    // An empty pattern is in every line, and equals a line of white space.
    if (pattern_.empty()) return contains_ || noSpaces_ ? from : to;
    std::string_view needle = noSpaces_ ? UncommonByte(pattern_) : pattern_;
    if (needle.back() == '\n') needle.remove_suffix(1);
    return from + platform::FindText(text + from, to - from, needle, lower_);
  }

  // True once the rest of the line cannot change the outcome.
  bool Decided() const { return contains_ ? found_ : mismatch_; }
  bool Matches() const { return contains_ ? found_ : (!mismatch_ && matched_ == pattern_.size()); }

 private:
  bool Dropped(char c) const { return noSpaces_ && IsWhiteSpace(c); }
  char Normal(char c) const { return lower_ ? ascii::Lower(c) : c; }

  // Equality without normalisation: the bytes as they stand.
  void FeedPlain(std::string_view piece) {
    if (mismatch_) return;
    if (piece.size() > pattern_.size() - matched_ ||
        std::memcmp(pattern_.data() + matched_, piece.data(), piece.size()) != 0) {
      mismatch_ = true;
      return;
    }
    matched_ += piece.size();
  }
  void FeedEqual(char c) {
    if (matched_ < pattern_.size() && pattern_[matched_] == c) ++matched_;
    else mismatch_ = true;
  }
  void FeedSearch(char c) {
    while (matched_ > 0 && pattern_[matched_] != c) matched_ = failure_[matched_ - 1];
    if (pattern_[matched_] == c) ++matched_;
    if (matched_ == pattern_.size()) found_ = true;
  }

  // Containment in a whole line: every byte that normalises to the
  // pattern's first byte is a start to try from. Lines are short, and most
  // hold no such byte at all. (A normalised pattern holds no byte that
  // normalising drops.)
  bool Contains(std::string_view line) const {
    const std::size_t length = line.size();
    const char first = pattern_[0];
    // With lower-casing, an upper-case letter normalises to it too.
    const char firstAlso = lower_ ? ascii::Upper(first) : first;
    for (std::size_t start = 0; start < length; ++start) {
      start += platform::FindEither(line.data() + start, length - start, first, firstAlso);
      if (start == length) break;
      std::size_t matched = 1;
      for (std::size_t i = start + 1; i < length && matched < pattern_.size(); ++i) {
        char c = line[i];
        if (Dropped(c)) continue;
        if (Normal(c) != pattern_[matched]) break;
        ++matched;
      }
      if (matched == pattern_.size()) return true;
    }
    return false;
  }

  std::string_view pattern_;
  bool contains_ = false;
  bool noSpaces_ = false;
  bool lower_ = false;
  std::array<std::size_t, kFixedTable> fixedTable_{};
  std::unique_ptr<std::size_t[]> longTable_;
  std::size_t* failure_ = nullptr;
  std::size_t matched_ = 0;
  bool mismatch_ = false;
  bool found_ = false;
};

// The rule of line removal: a line goes when it matches, compared whole
// however many pieces it is read in; it is decided as soon as its outcome is
// known.
class LineRemoval {
 public:
  explicit LineRemoval(LineMatcher& matcher) : matcher_(matcher) {}

  std::size_t Find(const char* text, std::size_t from, std::size_t to) const {
    return matcher_.Find(text, from, to);
  }
  // A whole line in one piece that does not match.
  bool Plain(std::string_view piece, bool) { return piece.back() == '\n' && !matcher_.MatchesLine(piece); }
  Decision Decide(std::string_view piece, bool endsLine) {
    if (endsLine) return Fated(matcher_.MatchesLine(piece));
    matcher_.StartLine();
    return More(piece, false);
  }
  Decision More(std::string_view piece, bool endsLine) {
    if (piece.empty()) return Fated(matcher_.Matches());
    matcher_.Feed(piece);
    if (endsLine || matcher_.Decided()) return Fated(matcher_.Matches());
    return {Fate::kUndecided};
  }

 private:
  static Decision Fated(bool matches) { return {matches ? Fate::kDrop : Fate::kKeep}; }

  LineMatcher& matcher_;
};

}  // namespace
}  // namespace profile

extern "C" int FileDeleteLine(const char* path, char* pattern, int options) {
  using namespace profile;
  if (pattern == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return kFailed;
  }
  std::size_t length = Normalise(pattern, std::strlen(pattern), options);
  LineMatcher matcher;
  if (!matcher.Prepare(std::string_view(pattern, length), options)) {
    SetLastResult(PROFILE_NO_MEMORY);
    return kFailed;
  }

  EditScan scan;
  if (!scan.Begin(path, kLineRemovalBuffer)) return kFailed;
  LineRemoval removal(matcher);
  std::array<char, kLineRemovalBuffer> line;
  scan.Run(removal, line);
  switch (scan.Finish(scan.Changed(), PROFILE_NO_MATCH)) {
    case EditEnd::kCommitted: return kRemoved;
    case EditEnd::kUnchanged: return kNoMatch;
    default: return kFailed;
  }
}
