// What every fuzz target shares: a scratch folder of its own on a RAM disk,
// whole-file reads and writes, the count of open descriptors, and the check
// that turns a broken property into a finding libFuzzer keeps.
#ifndef CPUNINST_TESTS_FUZZ_HARNESS_H
#define CPUNINST_TESTS_FUZZ_HARNESS_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Reports the broken property (and what shows it) and aborts, so libFuzzer
// saves the input as a finding.
[[noreturn]] void Fail(std::string_view property, std::string_view detail = {});

inline void Check(bool holds, std::string_view property, std::string_view detail = {}) {
  if (!holds) Fail(property, detail);
}

// Bytes as a C string literal would show them, for the reports.
std::string Shown(std::string_view bytes);

// This process's folder: under $CPUNINST_FUZZ_DIR, else /dev/shm, else /tmp.
// Made on first use and removed when the process exits normally.
const std::string& ScratchFolder();

// Makes folder (and its parents) exist, with nothing in it.
void ResetFolder(const std::string& folder);

void WriteFile(const std::string& path, std::string_view bytes);
// The whole file, or nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderNames(const std::string& folder);

// Descriptors this process has open (read from /proc/self/fd).
int OpenDescriptors();

}  // namespace fuzz

#endif  // CPUNINST_TESTS_FUZZ_HARNESS_H
