#include "machine.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "child.h"
#include "platform/ascii.h"

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

// Runs cpuninst with the machine variable set to `machine` (or removed).
RunResult Spawn(const fs::path& io, const std::optional<fs::path>& machine, std::string_view answers) {
  test_support::ChildSpec spec;
  spec.program = CPUNINST_PATH;
  spec.environment[std::string(kMachineVariable)] =
      machine ? std::optional<std::string>(machine->string()) : std::nullopt;
  spec.input = answers;
  test_support::ChildResult child = test_support::RunChild(spec, io);
  if (child.timedOut) throw std::runtime_error("cpuninst did not end");
  return {child.exitStatus, child.out, child.err};
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
  fs::create_directory(Outside());
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

Tree Machine::Snapshot() const { return SnapshotOf(root_); }

Tree SnapshotOf(const fs::path& root) { return test_support::SnapshotTree(root); }

RunResult Machine::Run(std::string_view answers) const {
  return Spawn(base_ / "io", root_, answers);
}

test_support::ChildResult Machine::RunWith(test_support::ChildSpec spec) const {
  spec.program = CPUNINST_PATH;
  spec.environment.emplace(std::string(kMachineVariable), root_.string());
  return test_support::RunChild(spec, base_ / "io");
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
    if (ascii::EqualIgnoringCase(name, path)) found[name] = bytes;
  }
  return found;
}

}  // namespace uninstall_test
