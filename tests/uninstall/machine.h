// Machine folders built in a temporary directory, and runs of the real
// cpuninst binary over them with answers fed on standard input.
#ifndef CPUNINST_TESTS_UNINSTALL_MACHINE_H
#define CPUNINST_TESTS_UNINSTALL_MACHINE_H

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "child.h"
#include "folder.h"
#include "tree.h"

namespace uninstall_test {

// The text with every LF turned into CR LF, as DOS files hold it.
std::string Dos(std::string_view text);

// Every file and folder below a root (test_support::SnapshotTree). Two equal
// trees hold the same names and every byte the same.
using Tree = test_support::Tree;

// A machine folder ("machine" in a temporary folder of the kit, which also
// holds what lies outside the machine and the runs' standard streams).
class Machine : public test_support::TempFolder {
 public:
  Machine();

  // A folder beside the machine folder, outside it, for files no run may touch.
  std::filesystem::path Outside() const { return Base() / "outside"; }

  void MakeFolder(const std::string& relative);
  // Clears every write permission bit.
  void MakeReadOnly(const std::string& relative);

  // Runs cpuninst with WIN95_MACHINE naming this folder.
  test_support::ChildResult Run(std::string_view answers) const;
  // The same with the child's streams, environment and time limit as asked
  // (WIN95_MACHINE unless the request sets or removes it).
  test_support::ChildResult RunWith(test_support::ChildLaunch launch) const;
};

// Every entry below a root, as Machine::Snapshot gives it.
Tree SnapshotOf(const std::filesystem::path& root);

// Runs cpuninst with WIN95_MACHINE removed from the environment.
test_support::ChildResult RunWithoutMachine(std::string_view answers);

// The entries of a tree whose relative path, compared ignoring ASCII case,
// equals path.
std::map<std::string, std::string> FindIgnoringCase(const Tree& tree, std::string_view path);

}  // namespace uninstall_test

#endif  // CPUNINST_TESTS_UNINSTALL_MACHINE_H
