#include "tree.h"

#include <fstream>
#include <iterator>

namespace test_support {
namespace fs = std::filesystem;

namespace {

std::string Describe(const fs::directory_entry& entry) {
  switch (entry.symlink_status().type()) {
    case fs::file_type::directory: return "<dir>";
    case fs::file_type::regular: {
      std::ifstream in(entry.path(), std::ios::binary);
      return {std::istreambuf_iterator<char>(in), {}};
    }
    case fs::file_type::symlink: return "<link to " + fs::read_symlink(entry.path()).string() + ">";
    default: return "<special>";
  }
}

}  // namespace

Tree SnapshotTree(const fs::path& root) {
  Tree tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    tree[fs::relative(entry.path(), root).generic_string()] = Describe(entry);
  }
  return tree;
}

}  // namespace test_support
