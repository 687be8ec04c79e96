// A folder of its own, made new for each user and removed with everything
// in it at the end: the one place tests keep the files they build and read
// back byte for byte.
#ifndef CPUNINST_TESTS_SUPPORT_FOLDER_H
#define CPUNINST_TESTS_SUPPORT_FOLDER_H

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "tree.h"

namespace test_support {

class TempFolder {
 public:
  // Root() is `inside` below a new folder; the new folder (Base()) also
  // holds what must lie outside the root. The base name stays short so that
  // scratch names built from it fit the library's 128-byte line buffer.
  explicit TempFolder(std::string_view inside = {});
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Base() const { return base_; }
  const std::filesystem::path& Root() const { return root_; }
  // A relative path names an entry below Root(); an absolute one is used as it is.
  std::string Path(const std::filesystem::path& name) const { return (root_ / name).string(); }

  // Writes the bytes, making the folders on the way; returns the path.
  std::string Put(const std::filesystem::path& name, std::string_view bytes) const;
  // The bytes of a regular file (links followed); nothing for anything else.
  std::optional<std::string> Read(const std::filesystem::path& name) const;
  // Read(), or empty when there is no regular file.
  std::string Get(const std::filesystem::path& name) const { return Read(name).value_or(""); }
  // True when an entry of any kind, a dangling link included, stands there.
  bool Exists(const std::filesystem::path& name) const;
  Tree Snapshot() const { return SnapshotTree(root_); }
  // Removes everything below Root(), even entries a test made read-only.
  void Clear() const;

 private:
  std::filesystem::path base_;
  std::filesystem::path root_;
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_FOLDER_H
