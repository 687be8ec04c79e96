// Line addition: a line goes at the end of every section of the wanted name
// (just before the next line that holds '['), or at the end of the file; a
// section that is not there is appended with the line.
#include <array>
#include <string_view>

#include "line_buffers.h"
#include "line_rules.h"
#include "profile/profile.h"
#include "scratch_edit.h"

namespace profile {
namespace {

constexpr std::string_view kHeaderOpen = "[";
constexpr std::string_view kHeaderClose = "]\n";

class LineAddition {
 public:
  LineAddition(ScratchEdit& edit, const char* section, std::string_view line)
      : edit_(edit), section_(section), sectionName_(section != nullptr ? section : ""), line_(line),
        inSection_(section == nullptr),
        sectionFound_(section == nullptr) {}

  // False when the copy must stop.
  bool Step() {
    auto plain = [this](std::string_view, bool startsLine, bool holdsBracket) {
      return Plain(startsLine, holdsBracket);
    };
    auto find = [this](const char* text, std::size_t from, std::size_t to) {
      return inSection_ && section_ == nullptr ? kFindNothing(text, from, to) : FindBracket(text, from, to);
    };
    if (!edit_.KeepPlain(buffer_, plain, find)) return false;
    std::string_view piece = edit_.Reader().Next(buffer_);
    if (piece.empty()) return false;
    if (!edit_.Reader().StartsLine()) return edit_.Keep(piece);
    if (!inSection_) {
      // The piece goes on unchanged; the header rule has looked at it first.
      bool header = IsHeaderOf(piece, sectionName_);
      if (!edit_.Keep(piece)) return false;
      if (header) inSection_ = sectionFound_ = true;
      return true;
    }
    if (section_ != nullptr && EndsSectionByBracket(piece)) {
      // The line goes before the bracket line, which the header rule then skips.
      inSection_ = false;
      return WriteLine() && edit_.Keep(piece);
    }
    return edit_.Keep(piece);
  }

  // After the copy: the line at the end of a section that closes the file,
  // or the whole section when its header never came.
  bool AddAtEnd() {
    if (edit_.Reader().Error() || edit_.WriteFailed()) return false;
    if (inSection_) return EndLastLine() && WriteLine();
    if (!sectionFound_) {
      return EndLastLine() && edit_.Write(kHeaderOpen) && edit_.Write(section_) &&
             edit_.Write(kHeaderClose) && WriteLine();
    }
    return true;
  }

 private:
  // A piece that goes on unchanged whatever the rules say of it: the rest of
  // a line, or a line without '[' where no header or section end is looked for.
  bool Plain(bool startsLine, bool holdsBracket) const {
    if (!startsLine || (inSection_ && section_ == nullptr)) return true;
    return !holdsBracket;
  }
  bool WriteLine() { return edit_.WriteLine(line_); }
  // An added line never joins a last line that has no line end.
  bool EndLastLine() { return edit_.Reader().EndsLine() || edit_.EndLine(); }

  ScratchEdit& edit_;
  const char* section_;
  std::string_view sectionName_;
  std::string_view line_;
  std::array<char, kLineBuffer> buffer_;
  bool inSection_;
  bool sectionFound_;
};

}  // namespace
}  // namespace profile

extern "C" int IniAddLine(const char* path, const char* section, const char* line) {
  using namespace profile;
  if (line == nullptr) return 1;
  ScratchEdit edit;
  if (edit.Begin(path, kLineBuffer) != EditStart::kOpen) return 1;
  LineAddition addition(edit, section, line);
  while (addition.Step()) {
  }
  addition.AddAtEnd();
  switch (edit.Finish(true)) {
    case EditEnd::kCommitted: return 0;
    case EditEnd::kDeleteFailed:
    case EditEnd::kRenameFailed: return -1;
    default: return 1;
  }
}
