// A machine folder of its own for each test, named by WIN95_MACHINE while the
// test runs, with helpers that write and read whole files byte for byte.
#ifndef CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H
#define CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

class MachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() /
            ("machine_test_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(root_);
    machine_ = root_ / "machine";
    std::filesystem::create_directories(machine_ / "c");
    ::setenv("WIN95_MACHINE", machine_.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("WIN95_MACHINE");
    std::filesystem::remove_all(root_);
  }

  // Writes a file below the machine folder (creating its folders).
  std::string Put(const std::string& relative, const std::string& bytes) {
    std::filesystem::path path = machine_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  static std::string Get(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  bool Exists(const std::string& relative) const {
    return std::filesystem::exists(std::filesystem::symlink_status(machine_ / relative));
  }

  std::filesystem::path root_;     // holds the machine and what lies outside it
  std::filesystem::path machine_;  // the machine folder
};

#endif  // CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H
