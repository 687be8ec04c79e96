// The hosted program start-up, in the C runtime's place: it checks that a
// machine is there, calls WinMain, and restarts the machine afterwards when
// the program asked for it.
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

#include "platform/hosted/machine_paths.h"
#include "platform/hosted/session.h"
#include "platform/platform.h"

namespace {

constexpr int kNoMachineStatus = 2;

std::string_view ProgramName(const char* argv0) {
  std::string_view name = argv0 != nullptr && argv0[0] != '\0' ? argv0 : "program";
  std::size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

bool IsFolder(const char* path) {
  struct stat info {};
  return ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

// The arguments as one Windows command line, without the program name.
std::vector<char> CommandLine(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) line += ' ';
    std::string_view argument = argv[i];
    bool quote = argument.empty() || argument.find_first_of(" \t") != std::string_view::npos;
    if (quote) line += '"';
    line += argument;
    if (quote) line += '"';
  }
  return std::vector<char>(line.c_str(), line.c_str() + line.size() + 1);
}

}  // namespace

int main(int argc, char** argv) {
  const char* variable = platform::hosted::kMachineVariable;
  const char* machine = platform::hosted::MachineFolder();
  std::string_view name = ProgramName(argc > 0 ? argv[0] : nullptr);
  if (machine == nullptr) {
    std::fprintf(stderr, "%.*s: %s is not set: set it to the machine folder (the folder holding c/ and registry.reg)\n",
                 static_cast<int>(name.size()), name.data(), variable);
    return kNoMachineStatus;
  }
  if (!IsFolder(machine)) {
    std::fprintf(stderr, "%.*s: %s names %s, which is not a folder\n", static_cast<int>(name.size()), name.data(),
                 variable, machine);
    return kNoMachineStatus;
  }
  std::vector<char> commandLine = CommandLine(argc, argv);
  int result = WinMain(nullptr, nullptr, commandLine.data(), SW_SHOWNORMAL);
  std::cout.flush();
  if (platform::hosted::RestartRequested()) platform::hosted::RestartMachine(std::cout);
  return result;
}
