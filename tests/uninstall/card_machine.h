// The machine with the card installed (examples/machine) and what the
// uninstall must leave of it (tests/data/card: the files it rewrites or
// writes, and lists of those it deletes), read from those files so that the
// hosted tests, the Wine tests and the demo share one machine; and the
// registry key blocks the registry tests build their variants from.
#ifndef CPUNINST_TESTS_UNINSTALL_CARD_MACHINE_H
#define CPUNINST_TESTS_UNINSTALL_CARD_MACHINE_H

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "machine.h"

namespace uninstall_test {

// Answer lines for the two boxes.
inline constexpr std::string_view kOkThenNo = "ok\nno\n";
inline constexpr std::string_view kOkThenYes = "ok\nyes\n";

inline constexpr std::string_view kSystemIni = "c/WINDOWS/system.ini";
inline constexpr std::string_view kConfigSys = "c/config.sys";
inline constexpr std::string_view kAutoexecBat = "c/autoexec.bat";
inline constexpr std::string_view kWininitIni = "c/WINDOWS/wininit.ini";
inline constexpr std::string_view kWininitBak = "c/WINDOWS/wininit.bak";
inline constexpr std::string_view kRegistry = "registry.reg";

// A card machine kept as files: the installed machine folder, and a folder
// with what the uninstall leaves of it (uninstalled/ and restarted/: the
// files it rewrites or writes; uninstalled.deleted and restarted.deleted:
// the files it deletes at once and at the restart, one a line).
struct CardFiles {
  std::filesystem::path installed;
  std::filesystem::path changes;
};
// examples/machine, with the default directories C:\WINDOWS and
// C:\WINDOWS\SYSTEM: the card most tests use.
const CardFiles& ExampleCard();
// The card as the Wine tests install it, with Wine's directories
// C:\windows and C:\windows\system32 named in its machine.ini.
const CardFiles& WineCard();

// The card's files, relative to the machine folder.
const std::vector<std::string>& DeletedAtOnce(const CardFiles& card = ExampleCard());
// Scheduled in wininit.ini and not deleted at once.
const std::vector<std::string>& DeletedAtRestart(const CardFiles& card = ExampleCard());

// One registry key block: its path below HKEY_LOCAL_MACHINE and its value
// lines (LF-separated here, CR LF on disk).
struct Key {
  std::string path;
  std::string values;
};
// A REGEDIT4 text of the blocks in order, each followed by a blank line.
std::string Registry(const std::vector<Key>& keys);

// The registry keys of the installed card and of other software.
inline constexpr std::string_view kUninstallEntry =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installCP";
inline constexpr std::string_view kEnumKey = "Enum\\PCMCIA\\VELMORA-ORVANEL-4E7A";
inline constexpr std::string_view kInstanceKey = "Enum\\PCMCIA\\VELMORA-ORVANEL-4E7A\\0";
inline constexpr std::string_view kClassKey = "System\\CurrentControlSet\\Services\\Class\\MEDIA";

// Keys that the uninstall never touches.
std::vector<Key> OtherSoftwareKeys();
// The MEDIA class key and its subkeys 0000 to 0004 (0003 with a subkey).
std::vector<Key> ClassKeys();
// Just those of ClassKeys() that are not the subkey (or below it).
std::vector<Key> ClassKeysWithout(std::string_view subkey);

// The whole machine: before, after OK then No, and after OK then Yes (the
// restart carried out).
Tree InstalledTree(const CardFiles& card = ExampleCard());
Tree UninstalledTree(const CardFiles& card = ExampleCard());
Tree RestartedTree(const CardFiles& card = ExampleCard());

// The profile, boot files and registry of those machines.
struct CardTexts {
  std::string systemIni, configSys, autoexecBat, registry;
};
CardTexts InstalledTexts();
CardTexts UninstalledTexts();

// Writes the installed machine.
void InstallCard(Machine& machine, const CardFiles& card = ExampleCard());

// The nine lines of the boot-time deletion list for these directories, CR LF.
std::string BootList(std::string_view windowsDir, std::string_view systemDir);

}  // namespace uninstall_test

#endif  // CPUNINST_TESTS_UNINSTALL_CARD_MACHINE_H
