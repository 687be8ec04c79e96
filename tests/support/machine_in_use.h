// A machine opened on a folder and in use for the object's life: the machine
// the hosted stand-ins and drive paths act on. Opened anew, it reads its
// records anew. (Header only: its users link the hosted internals.)
#ifndef CPUNINST_TESTS_SUPPORT_MACHINE_IN_USE_H
#define CPUNINST_TESTS_SUPPORT_MACHINE_IN_USE_H

#include <filesystem>
#include <optional>

#include "platform/hosted/machine/machine.h"

namespace test_support {

class MachineInUse {
 public:
  explicit MachineInUse(const std::filesystem::path& folder) : folder_(folder) { Reopen(); }

  platform::hosted::Machine& Get() { return machine_->machine; }
  // A new machine on the same folder, as a new run would open it.
  void Reopen() {
    machine_.reset();
    machine_.emplace(folder_);
  }

 private:
  struct Opened {
    explicit Opened(const std::filesystem::path& folder) : machine(folder.string()), use(machine) {}
    platform::hosted::Machine machine;
    platform::hosted::Machine::Use use;
  };
  std::filesystem::path folder_;
  std::optional<Opened> machine_;
};

}  // namespace test_support

#endif  // CPUNINST_TESTS_SUPPORT_MACHINE_IN_USE_H
