// Boot-time deletion list and file removal: the card's files that Windows
// deletes at the next start (wininit.ini), and those deleted at once.
#include <array>
#include <string_view>

#include "platform/files.h"
#include "platform/text_file.h"
#include "uninstall/context.h"
#include "uninstall/phases.h"

namespace uninstall {
namespace {

enum class Dir { kWindows, kSystem };

struct CardFile {
  Dir dir;
  std::string_view name;  // with its leading backslash
};

constexpr std::string_view kBootListName = "\\wininit.ini";
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

static_assert(AffixesFit({}, kBootListName));
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

}  // namespace

void WriteBootDeletionList(const char* windowsDir, const char* systemDir) {
  Composed listPath;
  if (!Compose(listPath, {}, windowsDir, kBootListName)) return;

  {
    // A list that is already there may hold other programs' entries.
    platform::TextReader existing;
    if (existing.Open(listPath.data())) return;
  }

  // A list that exists but could not be read (in use, say) is never emptied.
  platform::TextWriter list;
  if (!list.CreateNew(listPath.data())) return;
  list.Write(kRenameSection);
  for (const CardFile& file : kBootDeletions) {
    // Each line is composed afresh from its directory.
    Composed line;
    if (!Compose(line, kDeleteAtBoot, DirectoryOf(file, windowsDir, systemDir), file.name)) {
      continue;
    }
    list.Write(line.data());
    list.Write(kLineEnd);
  }
  list.Close();
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
