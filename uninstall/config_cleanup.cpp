// Configuration-file cleanup: the card's entries in system.ini, config.sys
// and autoexec.bat, removed through the profile library.
#include <array>
#include <string_view>

#include "compose.h"
#include "phases.h"
#include "profile/profile.h"

namespace uninstall {
namespace {

constexpr const char* kDriversSection = "drivers";
constexpr std::array<const char*, 4> kCardDriverKeys = {"wave", "midi", "midi2", "mixer"};
constexpr std::string_view kDeviceLine = "device=vkt617.386\n";

// The boot files are on C: whatever the boot drive is.
constexpr const char* kConfigSys = "c:\\config.sys";
constexpr const char* kAutoexecBat = "c:\\autoexec.bat";

// A real-mode driver line: prefix + system directory + suffix.
struct DriverLine {
  std::string_view prefix;
  std::string_view suffix;
};
constexpr std::array<DriverLine, 2> kConfigSysLines = {{
    {"devicehigh=", "\\kt617map.sys\n"},
    {"devicehigh=", "\\hmx220.sys  /d:mscd001 /p:__KTXMGR /Q:10 /B:0x240"},
}};
constexpr std::string_view kCdromExtensionLine = "mscdex.exe /d:mscd001 /m:6 /v";

// Blanks and letter case do not matter; the whole line must match.
constexpr int kLooseWholeLine = FILE_LINE_NO_SPACES | FILE_LINE_LOWER;

static_assert([] {
  for (const DriverLine& line : kConfigSysLines) {
    if (!AffixesFit(line.prefix, line.suffix)) return false;
  }
  return AffixesFit(kDeviceLine, {}) && AffixesFit(kCdromExtensionLine, {});
}());

// FileDeleteLine normalises its pattern in place, so it gets a copy.
void DeleteLine(const char* path, std::string_view prefix, const char* directory,
                std::string_view suffix) {
  Composed pattern;
  if (Compose(pattern, prefix, directory, suffix)) {
    FileDeleteLine(path, pattern.data(), kLooseWholeLine);
  }
}

void DeleteFixedLine(const char* path, std::string_view line) {
  DeleteLine(path, line, "", {});
}

}  // namespace

void CleanProfile(const char* profilePath) {
  for (const char* key : kCardDriverKeys) {
    IniDeleteKey(profilePath, kDriversSection, key);
  }
  DeleteFixedLine(profilePath, kDeviceLine);
}

void CleanBootFiles(const char* systemDir) {
  for (const DriverLine& line : kConfigSysLines) {
    DeleteLine(kConfigSys, line.prefix, systemDir, line.suffix);
  }
  DeleteFixedLine(kAutoexecBat, kCdromExtensionLine);
}

}  // namespace uninstall
