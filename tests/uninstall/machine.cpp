#include "machine.h"

#include <optional>
#include <stdexcept>

#include "child.h"
#include "platform/ascii.h"

namespace uninstall_test {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMachineVariable = "WIN95_MACHINE";

// Runs cpuninst with the machine variable set to `machine` (or removed).
test_support::ChildResult Spawn(const fs::path& io, const std::optional<fs::path>& machine, std::string_view answers) {
  test_support::ChildLaunch launch;
  launch.program = CPUNINST_PATH;
  launch.environment[std::string(kMachineVariable)] =
      machine ? std::optional<std::string>(machine->string()) : std::nullopt;
  launch.input = answers;
  test_support::ChildResult child = test_support::RunChild(launch, io);
  if (child.timedOut) throw std::runtime_error("cpuninst did not end");
  return child;
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

Machine::Machine() : TempFolder("machine") { fs::create_directory(Outside()); }

void Machine::MakeFolder(const std::string& relative) { fs::create_directories(Root() / relative); }

void Machine::MakeReadOnly(const std::string& relative) {
  fs::permissions(Root() / relative,
                  fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

Tree SnapshotOf(const fs::path& root) { return test_support::SnapshotTree(root); }

test_support::ChildResult Machine::Run(std::string_view answers) const {
  return Spawn(Base() / "io", Root(), answers);
}

test_support::ChildResult Machine::RunWith(test_support::ChildLaunch launch) const {
  launch.program = CPUNINST_PATH;
  launch.environment.emplace(std::string(kMachineVariable), Root().string());
  return test_support::RunChild(launch, Base() / "io");
}

test_support::ChildResult RunWithoutMachine(std::string_view answers) {
  test_support::TempFolder io;
  return Spawn(io.Root(), std::nullopt, answers);
}

std::map<std::string, std::string> FindIgnoringCase(const Tree& tree, std::string_view path) {
  std::map<std::string, std::string> found;
  for (const auto& [name, bytes] : tree) {
    if (ascii::EqualIgnoringCase(name, path)) found[name] = bytes;
  }
  return found;
}

}  // namespace uninstall_test
