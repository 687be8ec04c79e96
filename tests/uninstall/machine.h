// Machine folders built in a temporary directory, and runs of the real
// cpuninst binary over them with answers fed on standard input.
#ifndef CPUNINST_TESTS_UNINSTALL_MACHINE_H
#define CPUNINST_TESTS_UNINSTALL_MACHINE_H

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "child.h"
#include "tree.h"

namespace uninstall_test {

// The text with every LF turned into CR LF, as DOS files hold it.
std::string Dos(std::string_view text);

// Every file and folder below a root (test_support::SnapshotTree). Two equal
// trees hold the same names and every byte the same.
using Tree = test_support::Tree;

struct RunResult {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

class Machine {
 public:
  Machine();
  ~Machine();
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const std::filesystem::path& Root() const { return root_; }
  // A folder beside the machine folder, outside it, for files no run may touch.
  std::filesystem::path Outside() const { return base_ / "outside"; }

  // Writes a file below the machine folder (folders made as needed).
  void Write(const std::string& relative, std::string_view bytes);
  void MakeFolder(const std::string& relative);
  // The file's bytes, or nothing when it does not exist.
  std::optional<std::string> Read(const std::string& relative) const;
  bool Exists(const std::string& relative) const;
  // Clears every write permission bit.
  void MakeReadOnly(const std::string& relative);

  Tree Snapshot() const;

  // Runs cpuninst with WIN95_MACHINE naming this folder.
  RunResult Run(std::string_view answers) const;
  // The same with the child's streams, environment and time limit as the
  // spec says (WIN95_MACHINE unless the spec sets or removes it).
  test_support::ChildResult RunWith(test_support::ChildSpec spec) const;

 private:
  std::filesystem::path base_;  // holds root_ and the run's stdin/stdout/stderr files
  std::filesystem::path root_;
};

// Every entry below a root, as Machine::Snapshot gives it.
Tree SnapshotOf(const std::filesystem::path& root);

// Runs cpuninst with WIN95_MACHINE removed from the environment.
RunResult RunWithoutMachine(std::string_view answers);

// The entries of a tree whose relative path, compared ignoring ASCII case,
// equals path.
std::map<std::string, std::string> FindIgnoringCase(const Tree& tree, std::string_view path);

}  // namespace uninstall_test

#endif  // CPUNINST_TESTS_UNINSTALL_MACHINE_H
