// Line removal: every line of a text file that matches a pattern goes. A line
// is compared whole, however many pieces it is read in, so a long line is
// removed or kept as one.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "profile/line_buffers.h"
#include "profile/profile.h"
#include "profile/scratch_edit.h"
#include "profile/text_class.h"

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

// Compares a line fed in pieces with the pattern: equality, or containment
// (Knuth-Morris-Pratt, so a match may span piece boundaries).
class LineMatcher {
 public:
  static constexpr std::size_t kFixedTable = 256;

  bool Prepare(std::string_view pattern, bool contains) {
    pattern_ = pattern;
    contains_ = contains;
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

  void StartLine() {
    matched_ = 0;
    mismatch_ = false;
    found_ = contains_ && pattern_.empty();
  }

  void Feed(std::string_view text) {
    for (char c : text) {
      if (Decided()) return;
      contains_ ? FeedSearch(c) : FeedEqual(c);
    }
  }

  // True once the rest of the line cannot change the outcome.
  bool Decided() const { return contains_ ? found_ : mismatch_; }
  bool Matches() const { return contains_ ? found_ : (!mismatch_ && matched_ == pattern_.size()); }

 private:
  void FeedEqual(char c) {
    if (matched_ < pattern_.size() && pattern_[matched_] == c) ++matched_;
    else mismatch_ = true;
  }
  void FeedSearch(char c) {
    while (matched_ > 0 && pattern_[matched_] != c) matched_ = failure_[matched_ - 1];
    if (pattern_[matched_] == c) ++matched_;
    if (matched_ == pattern_.size()) found_ = true;
  }

  std::string_view pattern_;
  bool contains_ = false;
  std::array<std::size_t, kFixedTable> fixedTable_{};
  std::unique_ptr<std::size_t[]> longTable_;
  std::size_t* failure_ = nullptr;
  std::size_t matched_ = 0;
  bool mismatch_ = false;
  bool found_ = false;
};

// One pass over the file: each line is read until its fate is known, then
// dropped or copied. A kept line of several pieces is read again from its
// start to copy it, so no more than one piece is ever held.
class LineRemoval {
 public:
  LineRemoval(ScratchEdit& edit, LineMatcher& matcher, int options)
      : edit_(edit), reader_(edit.Reader()), matcher_(matcher), options_(options) {}

  bool Changed() const { return changed_; }

  // False when the scan must stop: end of file, a read or a write failure.
  bool NextLine() {
    std::int64_t start = reader_.Tell();
    std::string_view piece = reader_.Next(line_);
    if (piece.empty()) return false;
    std::memcpy(copy_.data(), piece.data(), piece.size());
    std::string_view first(copy_.data(), piece.size());
    std::size_t pieces = 1;
    matcher_.StartLine();
    Match(piece);
    bool lineDone = reader_.EndsLine();
    while (!lineDone && !matcher_.Decided()) {
      piece = reader_.Next(line_);
      if (piece.empty()) break;
      ++pieces;
      Match(piece);
      lineDone = reader_.EndsLine();
    }
    if (reader_.Error()) return false;
    if (matcher_.Matches()) {
      changed_ = true;
      return SkipRest(lineDone);
    }
    if (pieces == 1) {
      if (!edit_.Write(first)) return false;
    } else if (!CopyAgain(start, pieces)) {
      return false;
    }
    return CopyRest(lineDone);
  }

 private:
  void Match(std::string_view piece) {
    std::size_t length = Normalise(line_.data(), piece.size(), options_);
    matcher_.Feed(std::string_view(line_.data(), length));
  }

  bool CopyAgain(std::int64_t start, std::size_t pieces) {
    if (!reader_.Seek(start)) {
      reader_.MarkFailed();
      return false;
    }
    for (std::size_t i = 0; i < pieces; ++i) {
      std::string_view piece = reader_.Next(line_);
      if (piece.empty()) {
        reader_.MarkFailed();
        return false;
      }
      if (!edit_.Write(piece)) return false;
    }
    return true;
  }

  bool CopyRest(bool lineDone) {
    while (!lineDone) {
      std::string_view piece = reader_.Next(line_);
      if (piece.empty()) return !reader_.Error();
      if (!edit_.Write(piece)) return false;
      lineDone = reader_.EndsLine();
    }
    return true;
  }

  bool SkipRest(bool lineDone) {
    while (!lineDone) {
      if (reader_.Next(line_).empty()) return !reader_.Error();
      lineDone = reader_.EndsLine();
    }
    return true;
  }

  ScratchEdit& edit_;
  PieceReader& reader_;
  LineMatcher& matcher_;
  int options_;
  std::array<char, kLineRemovalBuffer> line_{};
  std::array<char, kLineRemovalBuffer> copy_{};
  bool changed_ = false;
};

}  // namespace
}  // namespace profile

extern "C" int FileDeleteLine(const char* path, char* pattern, int options) {
  using namespace profile;
  if (pattern == nullptr) return kFailed;
  std::size_t length = Normalise(pattern, std::strlen(pattern), options);
  LineMatcher matcher;
  if (!matcher.Prepare(std::string_view(pattern, length), options & FILE_LINE_CONTAINS)) {
    return kFailed;
  }

  ScratchEdit edit;
  if (edit.Begin(path, kLineRemovalBuffer) != EditStart::kOpen) return kFailed;
  LineRemoval removal(edit, matcher, options);
  while (removal.NextLine()) {
  }
  switch (edit.Finish(removal.Changed())) {
    case EditEnd::kCommitted: return kRemoved;
    case EditEnd::kUnchanged: return kNoMatch;
    default: return kFailed;
  }
}
