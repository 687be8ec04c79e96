#include "folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace test_support {
namespace fs = std::filesystem;

namespace {

// /tmp rather than TMPDIR: a long TMPDIR would push scratch names past the
// library's limit and change what the tests see.
fs::path MakeBase() {
  fs::path parent = fs::is_directory("/tmp") ? fs::path("/tmp") : fs::absolute(fs::temp_directory_path());
  std::string pattern = (parent / "cpt-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed below " + parent.string());
  return pattern;
}

// Write bits back on every folder, so that removal can reach its entries.
void OpenFolders(const fs::path& root) {
  std::error_code ignored;
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
  }
}

}  // namespace

TempFolder::TempFolder(std::string_view inside) : base_(MakeBase()), root_(base_ / inside) {
  fs::create_directories(root_);
}

TempFolder::~TempFolder() {
  OpenFolders(base_);
  std::error_code ignored;
  fs::remove_all(base_, ignored);
}

std::string TempFolder::Put(const fs::path& name, std::string_view bytes) const {
  fs::path path = root_ / name;
  fs::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
  return path.string();
}

std::optional<std::string> TempFolder::Read(const fs::path& name) const {
  fs::path path = root_ / name;
  if (!fs::is_regular_file(path)) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempFolder::Exists(const fs::path& name) const { return fs::exists(fs::symlink_status(root_ / name)); }

void TempFolder::Clear() const {
  OpenFolders(root_);
  for (const fs::directory_entry& entry : fs::directory_iterator(root_)) fs::remove_all(entry.path());
}

}  // namespace test_support
