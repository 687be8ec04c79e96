// A machine folder of its own for each test (the kit's folder, "machine"
// below it, with drive C:), opened as the machine in use while the test
// runs. Base() holds the machine and what lies outside it.
#ifndef CPUNINST_TESTS_SUPPORT_MACHINE_FIXTURE_H
#define CPUNINST_TESTS_SUPPORT_MACHINE_FIXTURE_H

#include <filesystem>

#include "folder_fixture.h"
#include "machine_in_use.h"

class MachineTest : public test_support::FolderTest {
 protected:
  MachineTest() : FolderTest("machine") { std::filesystem::create_directories(Root() / "c"); }

  platform::hosted::Machine& TheMachine() { return machine_.Get(); }
  // For a test that changes a record: the next run's machine reads it anew.
  void Reopen() { machine_.Reopen(); }

 private:
  test_support::MachineInUse machine_{Root()};
};

#endif  // CPUNINST_TESTS_SUPPORT_MACHINE_FIXTURE_H
