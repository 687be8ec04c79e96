// Boot-time deletion list and file removal: the card's files that Windows
// deletes at the next start (wininit.ini), and those deleted at once.
#include <array>
#include <string_view>

#include "compose.h"
#include "phases.h"
#include "platform/files.h"
#include "platform/text_file.h"

namespace uninstall {
namespace {

enum class Dir { kWindows, kSystem };

struct CardFile {
  Dir dir;
  std::string_view name;  // with its leading backslash
};

constexpr std::string_view kBootListName = "\\wininit.ini";
// The list is written here first and takes its name only when whole.
constexpr std::string_view kBootListScratchName = "\\wininit.$$$";
constexpr std::string_view kRenameSection = "[rename]\n";
// "NUL=path" asks Windows to delete path during the next start.
constexpr std::string_view kDeleteAtBoot = "NUL=";
constexpr std::string_view kLineEnd = "\n";

constexpr std::array<CardFile, 8> kBootDeletions = {{
    {Dir::kSystem, "\\kt617.drv"},
    {Dir::kSystem, "\\kt617mp.drv"},
    {Dir::kSystem, "\\kt617ui.dll"},
    {Dir::kWindows, "\\kt617win.ini"},
    {Dir::kWindows, "\\cpuninst.exe"},
    {Dir::kSystem, "\\kt617pnp.vxd"},
    {Dir::kSystem, "\\vkt617.386"},
    {Dir::kSystem, "\\kt617mgr.386"},
}};

constexpr std::array<CardFile, 8> kImmediateDeletions = {{
    {Dir::kWindows, "\\kt617win.ini"},
    {Dir::kWindows, "\\readmecp.txt"},
    {Dir::kSystem, "\\vkt617.386"},
    {Dir::kSystem, "\\vkt617pnp.vxd"},
    {Dir::kSystem, "\\kt617map.sys"},
    {Dir::kSystem, "\\hmx220.sys"},
    {Dir::kSystem, "\\hmx220xa.sys"},
    {Dir::kWindows, "\\cpuninst.exe"},
}};

static_assert(AffixesFit({}, kBootListName) && AffixesFit({}, kBootListScratchName));
static_assert([] {
  for (const auto* list : {&kBootDeletions, &kImmediateDeletions}) {
    for (const CardFile& file : *list) {
      if (!AffixesFit(kDeleteAtBoot, file.name)) return false;
    }
  }
  return true;
}());

const char* DirectoryOf(const CardFile& file, const char* windowsDir, const char* systemDir) {
  return file.dir == Dir::kWindows ? windowsDir : systemDir;
}

// The nine lines, written to the new file. False when any line could not be
// composed or written.
bool WriteWholeList(platform::TextWriter& list, const char* windowsDir, const char* systemDir) {
  bool written = list.Write(kRenameSection);
  for (const CardFile& file : kBootDeletions) {
    // Each line is composed afresh from its directory.
    Composed line;
    written = written && Compose(line, kDeleteAtBoot, DirectoryOf(file, windowsDir, systemDir), file.name) &&
              list.Write(line.data()) && list.Write(kLineEnd);
  }
  return written;
}

}  // namespace

void WriteBootDeletionList(const char* windowsDir, const char* systemDir) {
  Composed listPath;
  Composed scratchPath;
  if (!Compose(listPath, {}, windowsDir, kBootListName) ||
      !Compose(scratchPath, {}, windowsDir, kBootListScratchName)) {
    return;
  }

  {
    // A list that is already there may hold other programs' entries.
    platform::TextReader existing;
    if (existing.Open(listPath.data())) return;
  }

  // Whole or not at all: the list takes its name only once it is complete
  // and on stable storage, and never the name of one that exists but could
  // not be read (it never replaces). After a failure nothing stays, so a
  // later run can write it.
  platform::TextWriter list;
  if (!list.Create(scratchPath.data()) || !WriteWholeList(list, windowsDir, systemDir)) {
    platform::DropNewFile(list, scratchPath.data());
    return;
  }
  platform::CommitNewFile(list, scratchPath.data(), listPath.data(), platform::Placing::kNewName,
                          platform::Leftover::kRemove);
}

void RemoveCardFiles(const char* windowsDir, const char* systemDir) {
  for (const CardFile& file : kImmediateDeletions) {
    Composed path;
    if (Compose(path, {}, DirectoryOf(file, windowsDir, systemDir), file.name)) {
      platform::RemoveFile(path.data());
    }
  }
}

}  // namespace uninstall
