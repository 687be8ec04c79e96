#include "harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace fuzz {
namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderVariable = "CPUNINST_FUZZ_DIR";
constexpr const char* kRamDisk = "/dev/shm";
constexpr std::size_t kShownLimit = 600;

void RemoveFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

std::string& Folder() {
  static std::string folder;
  return folder;
}

void RemoveScratchFolder() { RemoveFolder(Folder()); }

}  // namespace

void Fail(std::string_view property, std::string_view detail) {
  std::fprintf(stderr, "\n*** property broken: %.*s\n", static_cast<int>(property.size()), property.data());
  if (!detail.empty()) std::fprintf(stderr, "    %.*s\n", static_cast<int>(detail.size()), detail.data());
  std::fflush(stderr);
  std::abort();
}

std::string Shown(std::string_view bytes) {
  std::string out = "\"";
  for (std::size_t i = 0; i < bytes.size() && i < kShownLimit; ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += bytes.size() > kShownLimit ? "\"..." : "\"";
  return out;
}

const std::string& ScratchFolder() {
  std::string& folder = Folder();
  if (!folder.empty()) return folder;
  const char* chosen = std::getenv(kFolderVariable);
  fs::path root = chosen != nullptr && *chosen != '\0' ? fs::path(chosen)
                  : fs::is_directory(kRamDisk)         ? fs::path(kRamDisk)
                                                       : fs::temp_directory_path();
  folder = (root / ("cpuninst-fuzz-" + std::to_string(::getpid()))).string();
  ResetFolder(folder);
  std::atexit(RemoveScratchFolder);
  return folder;
}

void ResetFolder(const std::string& folder) {
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    fs::create_directories(folder, error);
    Check(!error, "the harness can make its folders", folder);
    return;
  }
  for (const auto& entry : fs::directory_iterator(folder, error)) fs::remove_all(entry.path(), error);
  Check(!error, "the harness can empty its folders", folder);
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(static_cast<bool>(out.flush()), "the harness can write its files", path);
}

std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(folder, ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

int OpenDescriptors() {
  int count = 0;
  std::error_code ignored;
  // The iterator's own descriptor is counted every time, so it cancels out.
  for (auto it = fs::directory_iterator("/proc/self/fd", ignored); it != fs::directory_iterator();
       it.increment(ignored)) {
    ++count;
  }
  return count;
}

}  // namespace fuzz
