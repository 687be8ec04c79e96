// The Windows 95 machine kept in a folder, as one object: the folder (held
// open), its drive paths, its records (machine.ini and registry.reg, each
// read once, at first use, and the registry parsed again only after its own
// rewrite), the registry keys the program holds open and the restart it asked
// for. The Win32 stand-ins reach it through Machine::Current(), as code over
// a LevelDB Env reaches Env::Default(): the machine a program put in use, or
// else one opened at first need on the folder WIN95_MACHINE names. The
// machine says nothing itself: it keeps facts, and the program words them.
#ifndef CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_H
#define CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_H

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/hosted/host_files.h"
#include "platform/hosted/machine/machine_ini.h"
#include "platform/hosted/machine/paths.h"
#include "platform/hosted/machine/records.h"
#include "platform/hosted/posix_io.h"

namespace platform::hosted {

// The variable that names the machine folder.
inline constexpr const char* kMachineVariable = "WIN95_MACHINE";

// Why a machine cannot be worked on. The program words it.
struct MachineProblem {
  enum class Kind {
    kNone,
    kNotNamed,           // no folder given (WIN95_MACHINE unset or empty)
    kNotAFolder,         // folder names no folder
    kRecord,             // record: machine.ini or registry.reg cannot be had
    kNotADrivePath,      // machine.ini's key= holds text, which is no X:\... path
    kWindowsUnreachable, // the Windows directory (text) leads through a link or twins
    kWindowsNotAFolder,  // the Windows directory (text) is no folder on its drive
  };
  Kind kind = Kind::kNone;
  std::string folder;
  std::string key;
  std::string text;
  RecordProblem record;
};

// The registry keys the program holds open, one path (below
// HKEY_LOCAL_MACHINE) per slot; the registry calls make handles of the slots.
struct OpenKeys {
  static constexpr std::size_t kSlots = 64;
  std::array<std::optional<std::string>, kSlots> paths;
};

// What a run met that its user should hear of; the program words it.
struct MachineNotices {
  int boxesNotShown = 0;           // message boxes whose text could not be written
  bool registryReadOnly = false;   // a key deletion met a read-only registry.reg
  std::vector<std::string> keysKept;  // keys whose deletion could not be written
};

class Machine {
 public:
  // The machine kept in `folder` (a host path; empty: no machine, and every
  // drive path names nothing). Holds the folder open; reads no record yet.
  explicit Machine(std::string folder);
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  // The machine the stand-ins act on: the one in use, else the one
  // WIN95_MACHINE names, opened at first need (no machine, with an empty
  // folder, when it is unset or empty). The variable is read once per process.
  static Machine& Current();
  // The host's name-changing calls as the current machine makes them (the
  // host's own when no machine is in use).
  static HostFiles& CurrentFiles();

  // Puts a machine in use for the object's life (the program's start-up, a
  // test); the one in use before comes back after it.
  class Use {
   public:
    explicit Use(Machine& machine);
    ~Use();
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

   private:
    Machine* previous_;
  };

  // The start-up's checks, which change nothing: a folder, machine.ini
  // readable and well formed with drive-path directories, the Windows
  // directory a folder on its drive, registry.reg readable and well formed.
  // Reads both records (once: later uses take what was read here).
  MachineProblem Check();

  const std::string& Folder() const { return folder_; }
  bool Named() const { return !folder_.empty(); }

  // Where a drive path lies in the folder (see paths.h for the rules).
  PathLookup LookUp(const char* drivePath, PathUse use, std::string& hostPath) const;

  // machine.ini's directory texts, or null when it cannot be had (why: the
  // problem's record). The texts are not checked here (IsDriveDirectory).
  const MachineIni* Directories();
  const RecordProblem& DirectoriesProblem();

  // The registry as read (empty without a machine), or null when it cannot
  // be read or does not parse.
  const RegistryRecord* Registry();
  const RecordProblem& RegistryProblem();
  enum class Rewrite { kRewritten, kReadOnly, kFailed };
  // Puts `text` in registry.reg's place through the one commit; the record
  // then holds it, parsed anew. On failure the file and record stay as they were.
  Rewrite RewriteRegistry(std::string text);

  OpenKeys& Keys() { return keys_; }

  void RequestRestart() { restartRequested_ = true; }
  bool RestartRequested() const { return restartRequested_; }

  MachineNotices& Notices() { return notices_; }

  // The name-changing calls this machine's files go through: the host's own
  // unless a wrapper was set (null puts the host's own back).
  HostFiles& Files() { return *files_; }
  void SetFiles(HostFiles* files) { files_ = files != nullptr ? files : &HostFiles::Plain(); }

 private:
  std::string folder_;
  Descriptor folderFd_;
  std::optional<MachineIni> directories_;
  RecordProblem directoriesProblem_;
  bool directoriesRead_ = false;
  std::optional<RegistryRecord> registry_;
  RecordProblem registryProblem_;
  bool registryRead_ = false;
  OpenKeys keys_;
  bool restartRequested_ = false;
  MachineNotices notices_;
  HostFiles* files_ = &HostFiles::Plain();
};

}  // namespace platform::hosted

#endif  // CPUNINST_PLATFORM_HOSTED_MACHINE_MACHINE_H
