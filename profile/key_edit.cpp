#include "key_edit.h"

#include <array>
#include <string_view>

#include "edit_scan.h"
#include "last_result.h"
#include "line_buffers.h"
#include "line_rules.h"
#include "profile/profile.h"

namespace profile {
namespace {

// The rule of key removal and replacement: outside the section, lines are
// kept and the header rule looks for its header; inside it, every line of
// the key is dropped or replaced.
class KeyLines {
 public:
  KeyLines(const char* section, std::string_view key, const char* newLine)
      : section_(section), sectionName_(section != nullptr ? section : ""), key_(key),
        findKey_(key, section != nullptr), newLine_(newLine), inSection_(section == nullptr),
        sectionFound_(inSection_) {}

  // Nothing was there to change: no section, or no line of the key.
  ProfileResult NotFound() const { return sectionFound_ ? PROFILE_NO_KEY : PROFILE_NO_SECTION; }

  std::size_t Find(const char* text, std::size_t from, std::size_t to) const {
    return inSection_ ? findKey_(text, from, to) : FindBracket(text, from, to);
  }
  // A line that holds neither the header nor the key.
  bool Plain(std::string_view piece, bool holdsBracket) const {
    return inSection_ ? !MayHoldKey(piece, key_, section_ != nullptr) : !holdsBracket;
  }
  Decision Decide(std::string_view piece, bool) {
    if (!inSection_) {
      inSection_ = IsHeaderOf(piece, sectionName_);
      sectionFound_ = sectionFound_ || inSection_;
      return {Fate::kKeep};
    }
    KeySplit split = SplitKey(piece);
    // The bracket line is kept; the header rule does not see it.
    if (section_ != nullptr && EndsSectionByKey(split)) inSection_ = false;
    if (!HasKey(split, key_)) return {Fate::kKeep};
    if (newLine_ == nullptr) return {Fate::kDrop};
    return {Fate::kReplace, newLine_};
  }

 private:
  const char* section_;
  std::string_view sectionName_;
  std::string_view key_;
  KeyFinder findKey_;
  const char* newLine_;
  bool inSection_;
  bool sectionFound_;
};

}  // namespace

KeyEdit EditKeyLines(const char* path, const char* section, const char* key, const char* newLine,
                     std::span<char> line) {
  if (key == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return KeyEdit::kFailed;
  }
  EditScan scan;
  if (!scan.Begin(path, line.size())) return KeyEdit::kFailed;
  KeyLines rule(section, key, newLine);
  scan.Run(rule, line);
  switch (scan.Finish(scan.Changed(), rule.NotFound())) {
    case EditEnd::kCommitted: return KeyEdit::kDone;
    case EditEnd::kUnchanged: return scan.WriteFailed() ? KeyEdit::kFailed : KeyEdit::kNotFound;
    case EditEnd::kNotReplaced: return KeyEdit::kCommitFailed;
    default: return KeyEdit::kFailed;
  }
}

int KeyEditCode(KeyEdit result) {
  switch (result) {
    case KeyEdit::kDone: return 0;
    case KeyEdit::kCommitFailed: return -1;
    default: return 1;
  }
}

}  // namespace profile

namespace {

// Key removal keeps its line buffer in static storage.
std::array<char, profile::kLineBuffer> deleteKeyLine;

}  // namespace

extern "C" int IniDeleteKey(const char* path, const char* section, const char* key) {
  return profile::KeyEditCode(profile::EditKeyLines(path, section, key, nullptr, deleteKeyLine));
}

extern "C" int IniReplaceKey(const char* path, const char* section, const char* key,
                             const char* line) {
  std::array<char, profile::kLineBuffer> lineBuffer;
  return profile::KeyEditCode(profile::EditKeyLines(path, section, key, line, lineBuffer));
}
