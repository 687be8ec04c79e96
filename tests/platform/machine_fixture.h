// A machine folder of its own for each test (the kit's folder, "machine"
// below it, with drive C:), named by WIN95_MACHINE while the test runs.
// Base() holds the machine and what lies outside it.
#ifndef CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H
#define CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H

#include <filesystem>

#include "folder_fixture.h"

class MachineTest : public test_support::FolderTest {
 protected:
  MachineTest() : FolderTest("machine") { std::filesystem::create_directories(Root() / "c"); }

 private:
  test_support::MachineVariable machineVariable_{Root()};
};

#endif  // CPUNINST_TESTS_PLATFORM_MACHINE_FIXTURE_H
