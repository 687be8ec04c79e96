#include "child.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace test_support {
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::string> Environment(const std::map<std::string, std::optional<std::string>>& changes) {
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text(*entry);
    if (changes.count(text.substr(0, text.find('='))) == 0) env.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) env.push_back(name + "=" + *value);
  }
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

int StatusOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

// In the child, before exec: only async-signal-safe calls.
void Place(int from, int to) {
  if (from < 0) _exit(126);
  if (from != to) {
    ::dup2(from, to);
    ::close(from);
  }
}

}  // namespace

ChildResult RunChild(const ChildLaunch& launch, const fs::path& io) {
  fs::create_directories(io);
  const fs::path in = io / "stdin", out = io / "stdout", err = io / "stderr";
  fs::path inputPath = launch.inputKind == Input::kFile ? launch.inputFile : in;
  if (launch.inputKind == Input::kBytes) std::ofstream(in, std::ios::binary | std::ios::trunc) << launch.input;

  // Absolute, so that a working directory of the child's own cannot change it.
  std::vector<std::string> argvTexts = {fs::absolute(launch.program).string()};
  argvTexts.insert(argvTexts.end(), launch.arguments.begin(), launch.arguments.end());
  std::vector<std::string> envTexts = Environment(launch.environment);
  std::vector<char*> argv = Pointers(argvTexts);
  std::vector<char*> envp = Pointers(envTexts);

  int unread[2] = {-1, -1};
  if (launch.output == Output::kUnreadPipe) {
    if (::pipe(unread) != 0) throw std::runtime_error("pipe failed");
    ::close(unread[0]);
  }
  pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // The program must meet a broken pipe as it would from a shell.
    ::signal(SIGPIPE, SIG_DFL);
    int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    Place(errFd, 2);
    switch (launch.output) {
      case Output::kCaptured: Place(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1); break;
      case Output::kClosed: ::close(1); break;
      case Output::kFull: Place(::open("/dev/full", O_WRONLY), 1); break;
      case Output::kUnreadPipe: Place(unread[1], 1); break;
    }
    if (launch.inputKind == Input::kClosed) {
      ::close(0);
    } else {
      Place(::open(inputPath.c_str(), O_RDONLY), 0);
    }
    if (!launch.workingDirectory.empty() && ::chdir(launch.workingDirectory.c_str()) != 0) _exit(126);
    if (launch.unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
      _exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  if (unread[1] >= 0) ::close(unread[1]);

  ChildResult result;
  auto deadline = std::chrono::steady_clock::now() + launch.timeLimit;
  int status = 0;
  rusage usage{};
  while (true) {
    pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
    if (done == pid) break;
    if (done < 0) throw std::runtime_error("lost the child");
    if (std::chrono::steady_clock::now() >= deadline && !result.timedOut) {
      result.timedOut = true;
      ::kill(pid, SIGKILL);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exitStatus = StatusOf(status);
  result.peakKilobytes = usage.ru_maxrss;
  if (launch.output == Output::kCaptured) result.out = ReadBytes(out);
  result.err = ReadBytes(err);
  return result;
}

int RunInChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) ::_exit(body());
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return StatusOf(status);
}

}  // namespace test_support
