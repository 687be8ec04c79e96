// Where the card's boot-time deletions go in a wininit.ini that another
// program wrote: its pending work must stay, and ours must join it, or the
// files that only the restart can delete would stay for good.
#ifndef CPUNINST_UNINSTALL_BOOT_LIST_JOIN_H
#define CPUNINST_UNINSTALL_BOOT_LIST_JOIN_H

#include <bitset>
#include <cstddef>
#include <span>
#include <string_view>

namespace uninstall {

inline constexpr std::size_t kMostJoinedLines = 16;
inline constexpr std::string_view kRenameSectionHeader = "[rename]";

// How to add lines to a list without changing one byte of it: the text is
// cut at `at`; there go a line end (when the line before has none), the
// section header (when the list has no [rename] section), then the lines
// marked in `add`, each with CR LF; then the rest of the text.
struct JoinPlan {
  std::size_t at = 0;
  bool lineEndFirst = false;
  bool headerFirst = false;
  std::bitset<kMostJoinedLines> add;

  bool ChangesNothing() const { return add.none(); }
};

// The plan for adding `lines` (without line ends) to the [rename] section of
// `list`: into its first such section (the header compared without case and
// outer blanks), right after its last non-blank line, leaving out each line
// the section already holds (compared the same way); with no such section,
// a new one at the end. The text ends at a Ctrl-Z, as Windows reads it; what
// follows one stays behind the new lines.
JoinPlan PlanJoin(std::string_view list, std::span<const std::string_view> lines);

// Puts the joined list out through put(bytes) (false: stop), byte for byte
// as the plan says. False when a put failed.
template <typename Put>
bool WriteJoined(std::string_view list, std::span<const std::string_view> lines, const JoinPlan& plan,
                 Put put) {
  constexpr std::string_view kLineEnd = "\r\n";
  if (!put(list.substr(0, plan.at))) return false;
  if (plan.lineEndFirst && !put(kLineEnd)) return false;
  if (plan.headerFirst && !(put(kRenameSectionHeader) && put(kLineEnd))) return false;
  for (std::size_t i = 0; i < lines.size() && i < kMostJoinedLines; ++i) {
    if (plan.add.test(i) && !(put(lines[i]) && put(kLineEnd))) return false;
  }
  return put(list.substr(plan.at));
}

}  // namespace uninstall

#endif  // CPUNINST_UNINSTALL_BOOT_LIST_JOIN_H
