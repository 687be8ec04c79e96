// Every entry below a folder, read without opening anything but regular
// files (a FIFO would block) and without following links: what a test
// compares before and after a run.
#ifndef CPUNINST_TESTS_SUPPORT_TREE_H
#define CPUNINST_TESTS_SUPPORT_TREE_H

#include <filesystem>
#include <map>
#include <string>

namespace test_support {

// Relative path -> bytes; "<dir>" for a folder, "<link to TARGET>" for a
// link, "<special>" for a FIFO, device or socket.
using Tree = std::map<std::string, std::string>;

Tree SnapshotTree(const std::filesystem::path& root);

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_TREE_H
