#include "sequence.h"

#include <string_view>

#include "compose.h"
#include "phases.h"
#include "platform/ascii.h"

namespace {

constexpr std::string_view kProfileName = "\\system.ini";
static_assert(uninstall::AffixesFit({}, kProfileName));

// A directory query succeeded when it returned a length that fits the
// buffer; 0 is a failure, a larger value the size it would have needed.
bool DirectoryFits(UINT length, uninstall::Directory& directory) {
  if (length == 0 || length >= uninstall::kDirectorySize) return false;
  directory[length] = '\0';
  return true;
}

// ASCII letters only: the directory is a byte string in the ANSI code page.
void UpperCase(uninstall::Directory& directory) {
  for (char& c : directory) {
    if (c == '\0') break;
    c = ascii::Upper(c);
  }
}

}  // namespace

LONG RunUninstall() {
  uninstall::Context context;

  // Without the Windows directory no name would be right: touch nothing.
  UINT length = GetWindowsDirectoryA(context.windowsDir.data(), uninstall::kDirectorySize);
  if (!DirectoryFits(length, context.windowsDir) ||
      !uninstall::Compose(context.profilePath, {}, context.windowsDir.data(), kProfileName)) {
    return ERROR_FILE_NOT_FOUND;
  }
  uninstall::CleanProfile(context.profilePath.data());

  // Every later phase names files in the system directory.
  length = GetSystemDirectoryA(context.systemDir.data(), uninstall::kDirectorySize);
  if (!DirectoryFits(length, context.systemDir)) return ERROR_FILE_NOT_FOUND;
  UpperCase(context.systemDir);

  uninstall::CleanBootFiles(context.systemDir.data());
  uninstall::WriteBootDeletionList(context.windowsDir.data(), context.systemDir.data());
  uninstall::RemoveCardFiles(context.windowsDir.data(), context.systemDir.data());
  return uninstall::CleanRegistry();
}
