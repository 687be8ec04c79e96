// The hosted program start-up, in the C runtime's place: it answers --help
// and --version, refuses a machine it must not touch, calls WinMain, restarts
// the machine afterwards when the program asked for it, and ends with one
// line that says what happened.
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "platform/hosted/machine/changes.h"
#include "platform/hosted/machine/diagnostics.h"
#include "platform/hosted/machine/check.h"
#include "platform/hosted/machine/restart.h"
#include "platform/platform.h"

#ifndef CPUNINST_VERSION
#error "CPUNINST_VERSION must name the program's version"
#endif

namespace {

constexpr std::string_view kProgram = "cpuninst";
constexpr std::string_view kVersion = CPUNINST_VERSION;
constexpr std::string_view kHelpOption = "--help";
constexpr std::string_view kVersionOption = "--version";

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

}  // namespace

int main(int argc, char** argv) {
  KeepStandardStreamsTaken();
  // A reader that went away makes a write fail, never ends the program.
  std::signal(SIGPIPE, SIG_IGN);

  std::string_view wrong;
  switch (ReadArguments(argc, argv, wrong)) {
    case Request::kHelp: return Print(kHelp);
    case Request::kVersion: return Print(std::string(kProgram) + " " + std::string(kVersion) + "\n");
    case Request::kWrong:
      SayOnStandardError("unknown argument '" + platform::hosted::Printable(wrong) + "'");
      std::fprintf(stderr, "Try '%.*s %.*s' for more information.\n", static_cast<int>(kProgram.size()),
                   kProgram.data(), static_cast<int>(kHelpOption.size()), kHelpOption.data());
      return kUsageStatus;
    case Request::kRun: break;
  }

  std::string problem;
  if (!platform::hosted::CheckMachine(problem)) {
    SayOnStandardError(problem);
    return kRefusedStatus;
  }

  platform::hosted::WatchChanges();
  char commandLine[] = "";
  int result = WinMain(nullptr, nullptr, commandLine, SW_SHOWNORMAL);
  std::cout.flush();
  SayLast(platform::hosted::RestartRequested() ? platform::hosted::RestartLine(platform::hosted::ProcessWininit())
                                               : platform::hosted::ClosingLine(platform::hosted::MachineChanged()));
  return result;
}
