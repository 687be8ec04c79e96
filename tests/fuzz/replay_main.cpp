// Runs a fuzz target's checks over saved inputs without libFuzzer: the seeds
// (and every finding kept as a seed) in the ordinary test suites, built by
// any compiler. Each argument is a file or a folder of files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!fs::is_directory(argv[i])) {
      inputs.push_back(argv[i]);
      continue;
    }
    for (const auto& entry : fs::directory_iterator(argv[i])) inputs.push_back(entry.path().string());
  }
  std::sort(inputs.begin(), inputs.end());
  for (const std::string& input : inputs) {
    std::optional<std::string> bytes = fuzz::ReadFile(input);
    fuzz::Check(bytes.has_value(), "a saved input can be read", input);
    std::printf("%s\n", input.c_str());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size());
  }
  std::printf("%zu inputs, every property held\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
