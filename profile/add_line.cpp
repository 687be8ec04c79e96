// Line addition: a line goes at the end of every section of the wanted name
// (just before the next line that holds '['), or at the end of the file; a
// section that is not there is appended with the line.
#include <array>
#include <string_view>

#include "edit_scan.h"
#include "last_result.h"
#include "line_buffers.h"
#include "line_rules.h"
#include "profile/profile.h"

namespace profile {
namespace {

constexpr std::string_view kHeaderOpen = "[";
constexpr std::string_view kHeaderClose = "]\n";

// The rule of line addition: every line is kept; the new line goes before
// the line that ends the section.
class LineAddition {
 public:
  LineAddition(const char* section, std::string_view line)
      : section_(section), sectionName_(section != nullptr ? section : ""), line_(line),
        inSection_(section == nullptr), sectionFound_(section == nullptr) {}

  std::size_t Find(const char* text, std::size_t from, std::size_t to) const {
    return WholeFile() ? kFindNothing(text, from, to) : FindBracket(text, from, to);
  }
  // A line without '[', where no header or section end is looked for.
  bool Plain(std::string_view, bool holdsBracket) const { return WholeFile() || !holdsBracket; }
  Decision Decide(std::string_view piece, bool) {
    if (!inSection_) {
      if (IsHeaderOf(piece, sectionName_)) inSection_ = sectionFound_ = true;
      return {Fate::kKeep};
    }
    if (section_ == nullptr || !EndsSectionByBracket(piece)) return {Fate::kKeep};
    // The line goes before the bracket line, which the header rule then skips.
    inSection_ = false;
    return {Fate::kInsertBefore, line_};
  }

  // After the copy: the line at the end of a section that closes the file,
  // or the whole section when its header never came.
  bool AddAtEnd(EditScan& scan) const {
    if (scan.ReadFailed() || scan.WriteFailed()) return false;
    if (inSection_) return scan.EndLastLine() && scan.WriteLine(line_);
    if (!sectionFound_) {
      return scan.EndLastLine() && scan.Write(kHeaderOpen) && scan.Write(section_) && scan.Write(kHeaderClose) &&
             scan.WriteLine(line_);
    }
    return true;
  }

 private:
  // In the whole file there is no section end to look for.
  bool WholeFile() const { return inSection_ && section_ == nullptr; }

  const char* section_;
  std::string_view sectionName_;
  std::string_view line_;
  bool inSection_;
  bool sectionFound_;
};

}  // namespace
}  // namespace profile

extern "C" int IniAddLine(const char* path, const char* section, const char* line) {
  using namespace profile;
  if (line == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return 1;
  }
  EditScan scan;
  if (!scan.Begin(path, kLineBuffer)) return 1;
  LineAddition addition(section, line);
  std::array<char, kLineBuffer> buffer;
  scan.Run(addition, buffer);
  addition.AddAtEnd(scan);
  switch (scan.Finish(true, PROFILE_OK)) {
    case EditEnd::kCommitted: return 0;
    case EditEnd::kNotReplaced: return -1;
    default: return 1;
  }
}
