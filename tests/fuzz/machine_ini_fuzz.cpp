// Fuzz target: the machine's own profile-format records. The same bytes are
// read as machine.ini (the line reader, the directory texts, the directory
// queries) and processed as wininit.ini at a restart, in a machine folder
// that holds links leading outside it. Any bytes: no crash; every name and
// value the reader gives is a slice of the input; machine.ini parses or is
// refused as the model says; a directory that is not a drive path is refused
// and one that is leads inside the machine folder; a restart only deletes
// and moves files of the machine (no byte is made up, nothing outside changes).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "harness.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/ini_lines.h"
#include "platform/hosted/machine/restart.h"
#include "platform/platform.h"
#include "record_model.h"
#include "text_model.h"

namespace {

using namespace fuzz;
namespace fs = std::filesystem;
namespace hosted = platform::hosted;

constexpr std::size_t kPathSize = 260;
// Refused texts are said once each on standard error and remembered; only
// so many go through the queries, so the list stays short.
constexpr int kMostRefusedQueries = 200;

std::string Machine() { return ScratchFolder() + "/machine"; }
// Beside the machine folder; a restart runs from ScratchFolder(), so the
// relative path "outside/x.txt" names it too.
std::string Outside() { return ScratchFolder() + "/outside"; }

// Works from a folder for as long as it lives, then goes back.
class WorkingFolder {
 public:
  explicit WorkingFolder(const std::string& folder) : saved_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    Check(saved_ >= 0 && ::chdir(folder.c_str()) == 0, "the harness can change its working folder");
  }
  ~WorkingFolder() {
    Check(::fchdir(saved_) == 0, "the harness can go back to its working folder");
    ::close(saved_);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;

 private:
  int saved_;
};

bool Within(std::string_view part, std::string_view whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

// The line reader: each line once, in order, its texts slices of the input.
void CheckLineReader(std::string_view text) {
  std::size_t expected = Lines(text.substr(0, text.find('\x1a'))).size();
  std::size_t seen = 0;
  hosted::ForEachProfileLine(text, [&](const hosted::ProfileLine& line) {
    ++seen;
    Check(line.number == seen, "profile lines are numbered from 1 in order");
    Check(Within(line.name, text) && Within(line.value, text), "names and values are slices of the text");
    Check(line.name.find('\n') == std::string_view::npos && line.value.find('\n') == std::string_view::npos,
          "no name or value holds a line end");
    return true;
  });
  Check(seen == expected, "every line before a Ctrl-Z is read once",
        std::to_string(seen) + " vs " + std::to_string(expected));
  // A visit that answers false is the last.
  std::size_t stopAt = expected / 2 + 1;
  std::size_t visits = 0;
  hosted::ForEachProfileLine(text, [&](const hosted::ProfileLine&) { return ++visits < stopAt; });
  Check(visits == std::min(stopAt, expected), "the reader stops when the visit says so");

  for (std::string_view section : {"directories", "rename"}) {
    std::vector<RecordKeyLine> model = RecordKeyLines(text, section);
    std::size_t i = 0;
    hosted::ForEachKeyLine(text, section, [&](std::string_view key, std::string_view value) {
      Check(Within(key, text) && Within(value, text), "key lines are slices of the text");
      Check(i < model.size() && model[i].key == key && model[i].value == value,
            "the key lines of a section are the model's", Shown(key) + "=" + Shown(value));
      ++i;
      return true;
    });
    Check(i == model.size(), "every key line of the section is visited");
  }
}

// A directory text the machine takes leads inside the machine folder.
void CheckInside(const std::string& directory) {
  std::string host;
  std::string probe = directory + "\\probe.txt";
  if (hosted::ResolvePath(probe.c_str(), hosted::PathUse::kCreate, host)) {
    Check(host.compare(0, Machine().size() + 1, Machine() + "/") == 0, "a drive directory leads inside the machine",
          Shown(directory) + " -> " + host);
  }
}

// Runs a query with standard error sent nowhere: the refusals it says once
// would otherwise fill the log.
template <typename Query>
UINT Quietly(Query query) {
  int saved = ::dup(STDERR_FILENO);
  int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  ::dup2(null, STDERR_FILENO);
  UINT result = query();
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(null);
  return result;
}

void CheckQuery(UINT (*query)(LPSTR, UINT), bool usable, const std::string& expected) {
  static int refusedQueries = 0;
  if (!usable && ++refusedQueries > kMostRefusedQueries) return;
  std::array<char, kPathSize> buffer{};
  UINT got = Quietly([&] { return query(buffer.data(), static_cast<UINT>(buffer.size())); });
  if (!usable) {
    Check(got == 0, "a query fails when machine.ini is refused or its text is no drive path");
    return;
  }
  if (expected.size() >= buffer.size()) {
    Check(got == expected.size() + 1, "a directory that does not fit asks for its size with the NUL");
    return;
  }
  Check(got == expected.size() && std::string_view(buffer.data()) == expected,
        "the query gives the directory text as written", Shown(buffer.data()) + " vs " + Shown(expected));
  Check(query(buffer.data(), got) == got + 1, "a buffer without room for the NUL asks for the size");
}

// Only drive paths make directories, and those resolve inside the machine.
void CheckDirectories(const hosted::MachineIni& ini) {
  hosted::Machine machine{Machine()};
  hosted::Machine::Use use(machine);
  for (const std::string* directory : {&ini.windows, &ini.system}) {
    bool drive = hosted::IsDriveDirectory(*directory);
    Check(drive == IsDriveDirectoryText(*directory), "only X:\\ and FAT name bytes make a drive directory",
          Shown(*directory));
    if (drive) CheckInside(*directory);
  }
}

void CheckMachineIni(std::string_view text) {
  MachineIniModel model = ReadMachineIni(text);
  hosted::MachineIni ini;
  hosted::MachineIniError error;
  bool parses = hosted::ParseMachineIni(text, ini, error);
  Check(parses == model.parses, "machine.ini parses exactly when the model says so",
        "line " + std::to_string(error.line) + ": " + error.reason);
  if (!parses) {
    Check(error.line == model.errorLine && !error.reason.empty(), "a refused machine.ini names its first bad line",
          std::to_string(error.line) + " vs " + std::to_string(model.errorLine));
  } else {
    Check(ini.windows == model.windows && ini.system == model.system, "the directory texts are the model's",
          Shown(ini.windows) + ", " + Shown(ini.system));
  }
  CheckDirectories(ini);

  ResetFolder(Machine());
  fs::create_directories(Machine() + "/c/windows/system");
  WriteFile(Machine() + "/machine.ini", text);
  // Each query stands on its own text, read by a machine of its own.
  hosted::Machine machine{Machine()};
  hosted::Machine::Use use(machine);
  CheckQuery(GetWindowsDirectoryA, parses && hosted::IsDriveDirectory(ini.windows), ini.windows);
  CheckQuery(GetSystemDirectoryA, parses && hosted::IsDriveDirectory(ini.system), ini.system);
}

// Every regular file's bytes below a folder, links not followed.
std::vector<std::string> Contents(const std::string& folder) {
  std::vector<std::string> contents;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && !entry.is_symlink()) contents.push_back(*ReadFile(entry.path().string()));
  }
  std::sort(contents.begin(), contents.end());
  return contents;
}

void CheckRestart(std::string_view text) {
  const std::string windows = Machine() + "/c/windows";
  ResetFolder(Machine());
  ResetFolder(Outside());
  fs::create_directories(windows + "/system");
  WriteFile(windows + "/a.txt", "a");
  WriteFile(windows + "/B.TXT", "b");
  WriteFile(windows + "/system/c.drv", "c");
  WriteFile(windows + "/wininit.ini", text);
  WriteFile(Outside() + "/x.txt", "outside");
  fs::create_directory_symlink(Outside(), windows + "/out");
  fs::create_symlink(Outside() + "/x.txt", windows + "/link.txt");
  std::vector<std::string> before = Contents(Machine());

  hosted::BootResult boot;
  {
    WorkingFolder here(ScratchFolder());
    hosted::Machine machine{Machine()};
    hosted::Machine::Use use(machine);
    int descriptors = OpenDescriptors();
    boot = hosted::ProcessWininit(machine);
    Check(OpenDescriptors() == descriptors, "no file stays open after a restart");
  }

  Check(FolderNames(Outside()) == std::vector<std::string>{"x.txt"} && ReadFile(Outside() + "/x.txt") == "outside",
        "a restart changes nothing outside the machine folder");
  Check(fs::is_symlink(windows + "/out") && fs::is_symlink(windows + "/link.txt"),
        "a restart never deletes or replaces a link");
  std::vector<std::string> after = Contents(Machine());
  Check(std::includes(before.begin(), before.end(), after.begin(), after.end()),
        "a restart only deletes and moves files: no byte is made up or copied");
  Check(boot.found, "an existing wininit.ini is found");
  if (boot.problem.empty()) {
    std::size_t lines = RecordKeyLines(text, "rename").size();
    std::size_t done = static_cast<std::size_t>(boot.deleted + boot.moved + boot.missing + boot.notDeleted +
                                                boot.notMoved);
    Check(done == lines, "every line of [rename] is counted once",
          std::to_string(done) + " vs " + std::to_string(lines));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckLineReader(text);
  CheckMachineIni(text);
  CheckRestart(text);
  return 0;
}
