#include "platform/hosted/machine/machine_ini.h"

#include "platform/ascii.h"
#include "platform/hosted/machine/printable.h"
#include "platform/hosted/machine/ini_lines.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kNotAFatByte = "<>:\"|?*";

// Sets a directory from its first line only.
void TakeFirst(std::string& directory, bool& seen, std::string_view value) {
  if (seen) return;
  seen = true;
  directory = ascii::Trim(value);
}

}  // namespace

bool ParseMachineIni(std::string_view text, MachineIni& ini, MachineIniError& error) {
  ini = MachineIni{};
  error = MachineIniError{};
  bool inSection = false;
  bool windowsSeen = false;
  bool systemSeen = false;
  ForEachProfileLine(text, [&](const ProfileLine& line) {
    switch (line.kind) {
      case LineKind::kBlank:
      case LineKind::kComment: return true;
      case LineKind::kHeader: inSection = ascii::EqualIgnoringCase(line.name, kDirectoriesSection); return true;
      case LineKind::kBadHeader: error = {line.number, "a section header without ']'"}; return false;
      case LineKind::kOther: error = {line.number, "neither a [section] header nor a key=value line"}; return false;
      case LineKind::kKey: break;
    }
    if (!inSection) return true;
    if (ascii::EqualIgnoringCase(line.name, kWindowsKey)) {
      TakeFirst(ini.windows, windowsSeen, line.value);
    } else if (ascii::EqualIgnoringCase(line.name, kSystemKey)) {
      TakeFirst(ini.system, systemSeen, line.value);
    } else {
      error = {line.number, "unknown key '" + Printable(line.name) + "' in [directories] (windows= and system= are known)"};
      return false;
    }
    return true;
  });
  return error.line == 0;
}

bool IsDriveDirectory(std::string_view text) {
  if (text.size() < 3 || !ascii::IsLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
  for (char c : text.substr(3)) {
    if (static_cast<unsigned char>(c) < 0x20 || kNotAFatByte.find(c) != std::string_view::npos) return false;
  }
  return true;
}

}  // namespace platform::hosted
