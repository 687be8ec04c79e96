// A stand-in program over the hosted shell, for the shell's tests. The words of PROBE_ACTIONS say
// what to do: "box" shows an OK/Cancel box and a Yes/No box, "confirm" shows
// an OK/Cancel box and creates C:\probe.txt on OK, "reboot" asks for a
// restart, "write" creates C:\probe.txt, "scratch" creates and removes
// C:\probe.$$$, "hold" writes "data" to C:\probe.txt while it flushes a line
// to standard output, "print" writes 1 MiB to standard output, a number is
// the result. It prints the command line it was given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/platform.h"
#include "platform/text_file.h"
#include "uninstall/hosted_shell.h"

namespace {

bool CreateFile(const char* path) {
  platform::TextWriter writer;
  return writer.Create(path) && writer.Close();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showState) {
  std::printf("WinMain(%s) show %d\n", commandLine, showState);
  const char* actions = std::getenv("PROBE_ACTIONS");
  std::string words = actions != nullptr ? actions : "";
  int result = 0;
  for (char* word = std::strtok(words.data(), " "); word != nullptr; word = std::strtok(nullptr, " ")) {
    if (std::strcmp(word, "box") == 0) {
      int first = MessageBoxA(nullptr, "First?", "Probe", MB_OKCANCEL | MB_ICONQUESTION);
      int second = MessageBoxA(nullptr, "Second?", "Probe", MB_YESNO | MB_ICONQUESTION);
      std::printf("answers %d %d\n", first, second);
    } else if (std::strcmp(word, "confirm") == 0) {
      if (MessageBoxA(nullptr, "Change?", "Probe", MB_OKCANCEL | MB_ICONQUESTION) == IDOK) {
        CreateFile("C:\\probe.txt");
      }
    } else if (std::strcmp(word, "reboot") == 0) {
      ExitWindowsEx(EWX_REBOOT, 0);
    } else if (std::strcmp(word, "write") == 0) {
      CreateFile("C:\\probe.txt");
    } else if (std::strcmp(word, "scratch") == 0) {
      CreateFile("C:\\probe.$$$");
      platform::RemoveFile("C:\\probe.$$$");
    } else if (std::strcmp(word, "hold") == 0) {
      platform::TextWriter writer;
      if (writer.Create("C:\\probe.txt")) {
        std::printf("holding C:\\probe.txt\n");
        std::fflush(stdout);
        writer.Write("data");
        writer.Close();
      }
    } else if (std::strcmp(word, "print") == 0) {
      std::string block(1024, 'p');
      for (int i = 0; i < 1024; ++i) std::fwrite(block.data(), 1, block.size(), stdout);
    } else if (word[0] >= '0' && word[0] <= '9') {
      result = std::atoi(word);
    }
  }
  std::fflush(stdout);
  return result;
}

int main(int argc, char** argv) { return uninstall::RunHostedShell(argc, argv, WinMain); }
