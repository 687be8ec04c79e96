// Runs a program in a child process with its standard streams set up the
// way a test needs (including closed, full and unread ones), a time limit,
// and its exit status, output and peak memory collected.
#ifndef CPUNINST_TESTS_SUPPORT_CHILD_H
#define CPUNINST_TESTS_SUPPORT_CHILD_H

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace test_support {

enum class Input {
  kBytes,   // the bytes of ChildLaunch::input
  kFile,    // the file ChildLaunch::inputFile
  kClosed,  // descriptor 0 closed
};

enum class Output {
  kCaptured,    // collected in ChildResult::out
  kClosed,      // descriptor 1 closed
  kFull,        // /dev/full: every write fails with "no space"
  kUnreadPipe,  // a pipe whose reading end is already closed
};

struct ChildLaunch {
  std::string program;
  std::vector<std::string> arguments;
  // Variables set (a value) or removed (nullopt) in the inherited environment.
  std::map<std::string, std::optional<std::string>> environment;
  Input inputKind = Input::kBytes;
  std::string input;
  std::filesystem::path inputFile;
  Output output = Output::kCaptured;
  std::filesystem::path workingDirectory;  // empty: the caller's
  // Run as nobody when the tests run as root, so that permissions count.
  bool unprivileged = false;
  std::chrono::milliseconds timeLimit{60'000};
};

struct ChildResult {
  int exitStatus = -1;  // the status, or 128 + the signal that ended it
  bool timedOut = false;  // killed at the time limit
  std::string out;
  std::string err;
  long peakKilobytes = 0;  // the child's largest resident set
};

// Runs the program; stdout and stderr are kept in files below `io`.
ChildResult RunChild(const ChildLaunch& launch, const std::filesystem::path& io);

// Runs body in a forked copy of this process, which ends with the status
// body returns (or dies where body makes it); the status as RunChild gives
// it, or -1 when no child could be made.
int RunInChild(const std::function<int()>& body);

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_CHILD_H
