#include "boot_list_join.h"

#include "platform/ascii.h"

namespace uninstall {
namespace {

constexpr char kCtrlZ = 0x1A;

// One line of the list: its text without the line end, and where the next
// line starts.
struct Line {
  std::string_view text;
  std::size_t end;
  bool ended;  // it has a line end
};

Line LineAt(std::string_view list, std::size_t at) {
  std::size_t lineFeed = list.find('\n', at);
  if (lineFeed == std::string_view::npos) return {list.substr(at), list.size(), false};
  std::string_view text = list.substr(at, lineFeed - at);
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  return {text, lineFeed + 1, true};
}

bool IsSectionHeader(std::string_view trimmed) { return !trimmed.empty() && trimmed.front() == '['; }

}  // namespace

JoinPlan PlanJoin(std::string_view list, std::span<const std::string_view> lines) {
  list = list.substr(0, list.find(kCtrlZ));
  JoinPlan plan;
  bool inSection = false;
  bool found = false;
  bool lastEnded = true;  // the line before the cut has a line end
  for (std::size_t at = 0; at < list.size();) {
    Line line = LineAt(list, at);
    at = line.end;
    std::string_view trimmed = ascii::Trim(line.text);
    if (inSection) {
      if (IsSectionHeader(trimmed)) break;
      if (trimmed.empty()) continue;
      for (std::size_t i = 0; i < lines.size() && i < kMostJoinedLines; ++i) {
        if (ascii::EqualIgnoringCase(trimmed, ascii::Trim(lines[i]))) plan.add.reset(i);
      }
    } else if (ascii::EqualIgnoringCase(trimmed, kRenameSectionHeader)) {
      inSection = found = true;
      for (std::size_t i = 0; i < lines.size() && i < kMostJoinedLines; ++i) plan.add.set(i);
    } else {
      continue;
    }
    plan.at = line.end;
    lastEnded = line.ended;
  }
  if (!found) {
    for (std::size_t i = 0; i < lines.size() && i < kMostJoinedLines; ++i) plan.add.set(i);
    plan.at = list.size();
    plan.headerFirst = true;
    lastEnded = list.empty() || list.back() == '\n';
  }
  plan.lineEndFirst = !lastEnded && !plan.ChangesNothing();
  return plan;
}

}  // namespace uninstall
