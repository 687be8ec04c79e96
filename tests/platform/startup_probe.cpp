// A stand-in program for the start-up's tests. Its command line says what to
// do: "box" shows an OK/Cancel box and a Yes/No box, "reboot" asks for a
// restart, a number is the result (other words are ignored); it prints the command line it was given.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int showState) {
  std::printf("WinMain(%s) show %d\n", commandLine, showState);
  int result = 0;
  for (char* word = std::strtok(commandLine, " "); word != nullptr; word = std::strtok(nullptr, " ")) {
    if (std::strcmp(word, "box") == 0) {
      int first = MessageBoxA(nullptr, "First?", "Probe", MB_OKCANCEL | MB_ICONQUESTION);
      int second = MessageBoxA(nullptr, "Second?", "Probe", MB_YESNO | MB_ICONQUESTION);
      std::printf("answers %d %d\n", first, second);
    } else if (std::strcmp(word, "reboot") == 0) {
      ExitWindowsEx(EWX_REBOOT, 0);
    } else if (word[0] >= '0' && word[0] <= '9') {
      result = std::atoi(word);
    }
  }
  std::fflush(stdout);
  return result;
}
