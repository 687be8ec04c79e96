#include "key_edit.h"

#include <array>
#include <string_view>

#include "line_buffers.h"
#include "line_rules.h"
#include "profile/profile.h"
#include "scratch_edit.h"

namespace profile {
namespace {

// Copies pieces outside the section unchanged, looking for its header; inside
// it drops or replaces the key's lines. A line's later pieces share the fate
// of its first piece, the only one the rules see.
class KeyScan {
 public:
  KeyScan(ScratchEdit& edit, const char* section, std::string_view key, const char* newLine,
          KeyEditBuffers buffers)
      : edit_(edit), section_(section), sectionName_(section != nullptr ? section : ""), key_(key),
        findKey_(key, section != nullptr), newLine_(newLine), buffers_(buffers),
        inSection_(section == nullptr) {}

  bool Changed() const { return changed_; }

  // False when the scan must stop.
  bool Step() {
    auto plain = [this](std::string_view piece, bool startsLine, bool holdsBracket) {
      return Plain(piece, startsLine, holdsBracket);
    };
    auto find = [this](const char* text, std::size_t from, std::size_t to) {
      return inSection_ ? findKey_(text, from, to) : FindBracket(text, from, to);
    };
    if (!edit_.KeepPlain(buffers_.line, plain, find)) return false;
    std::string_view piece = edit_.Reader().Next(buffers_.line);
    if (piece.empty()) return false;
    if (!edit_.Reader().StartsLine()) return !keepLine_ || edit_.Keep(piece);
    keepLine_ = true;
    if (!inSection_) {
      // The piece goes on unchanged; the header rule has looked at it first.
      bool header = IsHeaderOf(piece, sectionName_);
      if (!edit_.Keep(piece)) return false;
      inSection_ = header;
      return true;
    }
    KeySplit split = SplitKey(piece);
    // The bracket line is kept; the header rule does not see it.
    bool sectionEnds = section_ != nullptr && EndsSectionByKey(split);
    if (HasKey(split, key_)) {
      keepLine_ = false;
      if (newLine_ != nullptr && !edit_.WriteLine(newLine_)) return false;
      changed_ = true;
    } else if (!edit_.Keep(piece)) {
      return false;
    }
    if (sectionEnds) inSection_ = false;
    return true;
  }

 private:
  // A piece that goes on unchanged whatever the rules say of it: the rest of
  // a kept line, or a line that holds neither the header nor the key.
  bool Plain(std::string_view piece, bool startsLine, bool holdsBracket) {
    if (!startsLine) return keepLine_;
    if (inSection_ ? MayHoldKey(piece, key_, section_ != nullptr) : holdsBracket) return false;
    keepLine_ = true;
    return true;
  }

  ScratchEdit& edit_;
  const char* section_;
  std::string_view sectionName_;
  std::string_view key_;
  KeyFinder findKey_;
  const char* newLine_;
  KeyEditBuffers buffers_;
  bool inSection_;
  bool keepLine_ = true;
  bool changed_ = false;
};

}  // namespace

KeyEdit EditKeyLines(const char* path, const char* section, const char* key, const char* newLine,
                     KeyEditBuffers buffers) {
  if (key == nullptr) return KeyEdit::kFailed;
  ScratchEdit edit;
  if (edit.Begin(path, buffers.line.size()) != EditStart::kOpen) return KeyEdit::kFailed;
  KeyScan scan(edit, section, key, newLine, buffers);
  while (scan.Step()) {
  }
  switch (edit.Finish(scan.Changed())) {
    case EditEnd::kCommitted: return KeyEdit::kDone;
    case EditEnd::kUnchanged: return edit.WriteFailed() ? KeyEdit::kFailed : KeyEdit::kNotFound;
    case EditEnd::kDeleteFailed:
    case EditEnd::kRenameFailed: return KeyEdit::kCommitFailed;
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
  return profile::KeyEditCode(
      profile::EditKeyLines(path, section, key, nullptr, {deleteKeyLine}));
}

extern "C" int IniReplaceKey(const char* path, const char* section, const char* key,
                             const char* line) {
  std::array<char, profile::kLineBuffer> lineBuffer;
  return profile::KeyEditCode(profile::EditKeyLines(path, section, key, line, {lineBuffer}));
}
