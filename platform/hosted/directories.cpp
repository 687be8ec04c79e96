// The Windows and system directories, as <machine>/machine.ini names them.
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/hosted/host_file.h"
#include "platform/hosted/machine_paths.h"
#include "platform/hosted/profile_text.h"
#include "platform/platform.h"

namespace {

constexpr std::string_view kMachineIniName = "machine.ini";
constexpr std::string_view kSection = "directories";
constexpr std::string_view kWindowsKey = "windows";
constexpr std::string_view kWindowsDefault = "C:\\WINDOWS";
constexpr std::string_view kSystemKey = "system";
constexpr std::string_view kSystemDefault = "C:\\WINDOWS\\SYSTEM";

// The first key= line of [directories], case kept, else the default. False when there
// is no machine folder or machine.ini cannot be read.
bool DirectoryText(std::string_view key, std::string_view fallback, std::string& text) {
  std::string path;
  if (!platform::hosted::MachineFile(kMachineIniName, path)) return false;
  std::string ini;
  platform::hosted::ReadResult read = platform::hosted::ReadHostFile(path, ini);
  if (read == platform::hosted::ReadResult::kError) {
    static bool reported = false;
    if (!reported) std::fprintf(stderr, "%s: cannot be read; the directory queries fail\n", path.c_str());
    reported = true;
    return false;
  }
  text = fallback;
  platform::hosted::ForEachKeyLine(ini, kSection, [&](std::string_view name, std::string_view value) {
    if (!platform::hosted::EqualIgnoringCase(name, key)) return true;
    // Blanks around the text are the line's layout, not part of the path.
    text = platform::hosted::TrimBlanks(value);
    return false;
  });
  return true;
}

// As Win32: the length without the NUL when it fits, else the size needed
// with the NUL and nothing copied; 0 on failure.
UINT CopyDirectory(std::string_view key, std::string_view fallback, LPSTR buffer, UINT size) {
  std::string text;
  if (!DirectoryText(key, fallback, text)) return 0;
  auto length = static_cast<UINT>(text.size());
  if (buffer == nullptr || size <= length) return length + 1;
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
  return length;
}

}  // namespace

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(kWindowsKey, kWindowsDefault, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  return CopyDirectory(kSystemKey, kSystemDefault, buffer, size);
}
