#include "machine.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace uninstall_test {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMachineVariable = "WIN95_MACHINE";

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Runs the binary in its own process with stdin, stdout and stderr on files
// in `io`, and with the machine variable set to `machine` (or removed).
RunResult Spawn(const fs::path& io, const std::optional<fs::path>& machine,
                std::string_view answers) {
  fs::create_directories(io);
  const fs::path in = io / "stdin", out = io / "stdout", err = io / "stderr";
  WriteBytes(in, answers);

  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string_view text(*entry);
    if (text.substr(0, kMachineVariable.size() + 1) == std::string(kMachineVariable) + "=") continue;
    env.emplace_back(text);
  }
  if (machine) env.push_back(std::string(kMachineVariable) + "=" + machine->string());
  std::vector<char*> envp;
  for (std::string& entry : env) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);

  std::string program = CPUNINST_PATH;
  std::vector<char*> argv = {program.data(), nullptr};
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  if (waitpid(pid, &status, 0) != pid) throw std::runtime_error("lost " + program);
  RunResult result;
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadBytes(out);
  result.err = ReadBytes(err);
  return result;
}

fs::path MakeTempFolder() {
  std::string pattern = (fs::temp_directory_path() / "cpuninst-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

}  // namespace

std::string Dos(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

Machine::Machine() : base_(MakeTempFolder()), root_(base_ / "machine") {
  fs::create_directory(root_);
}

Machine::~Machine() {
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

void Machine::Write(const std::string& relative, std::string_view bytes) {
  fs::path path = root_ / relative;
  fs::create_directories(path.parent_path());
  WriteBytes(path, bytes);
}

void Machine::MakeFolder(const std::string& relative) { fs::create_directories(root_ / relative); }

std::optional<std::string> Machine::Read(const std::string& relative) const {
  fs::path path = root_ / relative;
  if (!fs::is_regular_file(path)) return std::nullopt;
  return ReadBytes(path);
}

bool Machine::Exists(const std::string& relative) const { return fs::exists(root_ / relative); }

void Machine::MakeReadOnly(const std::string& relative) {
  fs::permissions(root_ / relative,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

Tree Machine::Snapshot() const {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root_)) {
    std::string relative = fs::relative(entry.path(), root_).generic_string();
    tree[relative] = entry.is_directory() ? "<dir>" : ReadBytes(entry.path());
  }
  return tree;
}

RunResult Machine::Run(std::string_view answers) const {
  return Spawn(base_ / "io", root_, answers);
}

RunResult RunWithoutMachine(std::string_view answers) {
  fs::path io = MakeTempFolder();
  RunResult result = Spawn(io, std::nullopt, answers);
  std::error_code ignored;
  fs::remove_all(io, ignored);
  return result;
}

std::map<std::string, std::string> FindIgnoringCase(const Tree& tree, std::string_view path) {
  std::map<std::string, std::string> found;
  for (const auto& [name, bytes] : tree) {
    if (EqualIgnoringCase(name, path)) found[name] = bytes;
  }
  return found;
}

}  // namespace uninstall_test
