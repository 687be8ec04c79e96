// The hosted shell: see hosted_shell.h.
#include "hosted_shell.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/ascii.h"
#include "platform/hosted/machine/change_notes.h"
#include "platform/hosted/machine/machine.h"
#include "platform/hosted/machine/printable.h"
#include "platform/hosted/machine/restart.h"
#include "platform/platform.h"

#ifndef CPUNINST_VERSION
#error "CPUNINST_VERSION must name the program's version"
#endif

namespace uninstall {
namespace {

using platform::hosted::BootResult;
using platform::hosted::Machine;
using platform::hosted::MachineProblem;
using platform::hosted::Printable;

constexpr std::string_view kProgram = "cpuninst";
constexpr std::string_view kVersion = CPUNINST_VERSION;
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";

constexpr std::string_view kNotSet =
    " is not set: set it to the machine folder (the folder holding c/ and registry.reg)";
constexpr std::string_view kNotADrivePath = " is not a drive path (X:\\...)";
constexpr std::string_view kBoxNotShown =
    "a message box could not be shown (standard output cannot be written); it counts as not answered";
constexpr std::string_view kRegistryReadOnly =
    ": read-only (no write permission bit); registry keys cannot be deleted";
constexpr std::string_view kKeyKept = ": could not be rewritten; the key ";
constexpr std::string_view kStays = " stays";
constexpr std::string_view kRestarted = "restarted: ";
constexpr std::string_view kNothingScheduled = "nothing to delete";
constexpr std::string_view kNothingChanged = "nothing changed";
constexpr std::string_view kRestartToFinish = "uninstalled; restart to finish";

constexpr int kRefusedStatus = 2;
constexpr int kUsageStatus = 64;
constexpr int kOutputFailedStatus = 74;

constexpr std::string_view kHelp =
    "Usage: cpuninst [--help | --version]\n"
    "\n"
    "Uninstalls the Velmora Orvanel (TM) PC Card audio drivers from a Windows 95\n"
    "machine kept in a folder: the card's lines in system.ini, config.sys and\n"
    "autoexec.bat, its files (some at once, the rest listed in wininit.ini for the\n"
    "next start) and its registry keys. Nothing is asked on the command line.\n"
    "\n"
    "The environment variable WIN95_MACHINE names the machine folder:\n"
    "  <machine>/c/            drive C: (drive X: is the folder <machine>/x/)\n"
    "  <machine>/registry.reg  the registry as REGEDIT4 text; missing: an empty registry\n"
    "  <machine>/machine.ini   optional, [directories] windows=C:\\WINDOWS and\n"
    "                          system=C:\\WINDOWS\\SYSTEM (the defaults)\n"
    "Nothing outside the machine folder is ever touched.\n"
    "\n"
    "Each question is a box printed on standard output, answered by one line on\n"
    "standard input: ok, cancel, yes or no (or the first letter, any case). An empty\n"
    "line takes the first button; the end of input closes the box (Cancel, or No).\n"
    "A box that cannot be printed counts as not answered. Yes at the restart box\n"
    "carries out wininit.ini at once, as the next start would. The last line says\n"
    "what happened: \"nothing changed\", \"uninstalled; restart to finish\" or\n"
    "\"restarted: N files deleted\".\n"
    "\n"
    "Exit status:\n"
    "  0   done, or cancelled\n"
    "  2   the machine was refused before anything was touched (no WIN95_MACHINE, no\n"
    "      Windows folder, a registry.reg or machine.ini that cannot be read or does\n"
    "      not parse, a machine.ini directory that is not a drive path X:\\...)\n"
    "  64  a wrong argument\n"
    "  74  --help or --version could not be written\n";

enum class Request { kRun, kHelp, kVersion, kWrong };

// Only --help and --version exist; help wins when both are given. On a wrong
// argument, wrong names the first one.
Request ReadArguments(int argc, char** argv, std::string_view& wrong) {
  Request request = Request::kRun;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument == kHelpOption) {
      request = Request::kHelp;
    } else if (argument == kVersionOption) {
      if (request != Request::kHelp) request = Request::kVersion;
    } else {
      wrong = argument;
      return Request::kWrong;
    }
  }
  return request;
}

// A closed standard stream is taken by a read-only /dev/null, so no file the
// program opens can land on it; on descriptor 1 or 2 every write then fails,
// as it would have.
void KeepStandardStreamsTaken() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) continue;
    int taken = ::open("/dev/null", O_RDONLY);
    if (taken >= 0 && taken != fd) ::close(taken);
  }
}

void SayOnStandardError(std::string_view message) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgram.size()), kProgram.data(),
               static_cast<int>(message.size()), message.data());
}

// --help and --version: the text, or status 74 when it cannot be written.
int Print(std::string_view text) {
  std::cout << text << std::flush;
  if (std::cout) return 0;
  SayOnStandardError("standard output cannot be written");
  return kOutputFailedStatus;
}

// The last line goes where the boxes went; when that is gone, to standard error.
void SayLast(const std::string& line) {
  std::cout << line << '\n' << std::flush;
  if (!std::cout) SayOnStandardError(line);
}

// "1 file", "3 files".
std::string Count(int count, std::string_view one, std::string_view many) {
  return std::to_string(count) + ' ' + std::string(count == 1 ? one : many);
}

// What the run met that its user should hear of, on standard error (the
// registry's lines name the file, not the program).
void SayNotices(Machine& machine) {
  const platform::hosted::MachineNotices& notices = machine.Notices();
  const std::string& registry = machine.Registry()->path;
  auto say = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  if (notices.boxesNotShown > 0) SayOnStandardError(kBoxNotShown);
  if (notices.registryReadOnly) say(registry + std::string(kRegistryReadOnly));
  for (const std::string& key : notices.keysKept) say(registry + std::string(kKeyKept) + key + std::string(kStays));
}

}  // namespace

std::string RefusalLine(const MachineProblem& problem) {
  using Kind = MachineProblem::Kind;
  const std::string variable = platform::hosted::kMachineVariable;
  const std::string& windows = problem.text;
  switch (problem.kind) {
    case Kind::kNone: break;
    case Kind::kNotNamed: return variable + std::string(kNotSet);
    case Kind::kNotAFolder: return variable + " names " + Printable(problem.folder, 200) + ", which is not a folder";
    case Kind::kRecord: return platform::hosted::Describe(problem.record);
    case Kind::kNotADrivePath:
      return problem.folder + "/" + std::string(platform::hosted::kMachineIniName) + ": " + problem.key + "=" +
             Printable(problem.text) + std::string(kNotADrivePath);
    case Kind::kWindowsUnreachable:
      return "the Windows directory " + Printable(windows) + " cannot be reached inside the machine folder";
    case Kind::kWindowsNotAFolder:
      return "the Windows directory " + Printable(windows) + " is not a folder on drive " + std::string(1, windows[0]) +
             ": (" + problem.folder + "/" + std::string(1, ascii::Lower(windows[0])) + "/...)";
  }
  return {};
}

std::string RestartLine(const BootResult& boot) {
  std::string line(kRestarted);
  if (!boot.found) return line + std::string(kNothingScheduled);
  if (!boot.problem.empty()) {
    return line + "nothing deleted: " + boot.iniPath + " was left as it is (" + boot.problem + ")";
  }
  line += boot.deleted == 0 ? std::string("no files deleted") : Count(boot.deleted, "file", "files") + " deleted";
  if (boot.moved > 0) line += ", " + Count(boot.moved, "file", "files") + " moved";
  if (boot.missing > 0) line += "; " + Count(boot.missing, "was", "were") + " already gone";
  if (boot.notDeleted > 0) line += "; " + Count(boot.notDeleted, "file", "files") + " could not be deleted";
  if (boot.notMoved > 0) line += "; " + Count(boot.notMoved, "file", "files") + " could not be moved";
  if (!boot.saved) line += "; wininit.ini could not be renamed to wininit.bak";
  return line;
}

std::string ClosingLine(bool machineChanged) {
  return std::string(machineChanged ? kRestartToFinish : kNothingChanged);
}

int RunHostedShell(int argc, char** argv, WinMainEntry winMain) {
  KeepStandardStreamsTaken();
  // A reader that went away makes a write fail, never ends the program.
  std::signal(SIGPIPE, SIG_IGN);

  std::string_view wrong;
  switch (ReadArguments(argc, argv, wrong)) {
    case Request::kHelp: return Print(kHelp);
    case Request::kVersion: return Print(std::string(kProgram) + " " + std::string(kVersion) + "\n");
    case Request::kWrong:
      SayOnStandardError("unknown argument '" + Printable(wrong) + "'");
      std::fprintf(stderr, "Try '%.*s %.*s' for more information.\n", static_cast<int>(kProgram.size()),
                   kProgram.data(), static_cast<int>(kHelpOption.size()), kHelpOption.data());
      return kUsageStatus;
    case Request::kRun: break;
  }

  // The machine is opened once, checked, and then the one the program acts on.
  const char* folder = std::getenv(platform::hosted::kMachineVariable);
  Machine machine(folder != nullptr ? folder : "");
  MachineProblem problem = machine.Check();
  if (problem.kind != MachineProblem::Kind::kNone) {
    SayOnStandardError(RefusalLine(problem));
    return kRefusedStatus;
  }
  Machine::Use use(machine);
  platform::hosted::ChangeNotes notes(machine.Files());
  machine.SetFiles(&notes);

  char commandLine[] = "";
  int result = winMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
  std::cout.flush();
  SayNotices(machine);
  SayLast(machine.RestartRequested() ? RestartLine(platform::hosted::ProcessWininit(machine))
                                     : ClosingLine(notes.Changed()));
  machine.SetFiles(nullptr);
  return result;
}

}  // namespace uninstall
