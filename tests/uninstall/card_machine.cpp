#include "card_machine.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace uninstall_test {
namespace {

namespace fs = std::filesystem;

// One path a line.
std::vector<std::string> ReadList(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(line);
  }
  if (lines.empty()) throw std::runtime_error("no paths in " + file.string());
  return lines;
}

// Every entry below root but the file that tells git to keep the bytes.
Tree MachineTree(const fs::path& root) {
  Tree tree = test_support::SnapshotTree(root);
  tree.erase(".gitattributes");
  return tree;
}

// The tree with the files below `changes` laid over it and `deleted` removed.
Tree Apply(Tree tree, const fs::path& changes, const std::vector<std::string>& deleted) {
  if (fs::is_directory(changes)) {
    for (auto& [path, bytes] : MachineTree(changes)) tree[path] = bytes;
  }
  for (const std::string& path : deleted) {
    if (tree.erase(path) == 0) throw std::runtime_error(path + " is not in the machine");
  }
  return tree;
}

// A list file of the card's, read once.
const std::vector<std::string>& ListOf(const CardFiles& card, const char* file) {
  static std::map<fs::path, std::vector<std::string>> lists;
  auto [at, added] = lists.try_emplace(card.changes / file);
  if (added) at->second = ReadList(at->first);
  return at->second;
}

CardTexts TextsOf(const Tree& tree) {
  return {tree.at(std::string(kSystemIni)), tree.at(std::string(kConfigSys)),
          tree.at(std::string(kAutoexecBat)), tree.at(std::string(kRegistry))};
}

}  // namespace

const CardFiles& ExampleCard() {
  static const CardFiles card{CPUNINST_EXAMPLE_MACHINE, CPUNINST_CARD_DATA};
  return card;
}

const CardFiles& WineCard() {
  static const CardFiles card{fs::path(CPUNINST_CARD_DATA) / "wine" / "installed",
                              fs::path(CPUNINST_CARD_DATA) / "wine"};
  return card;
}

const std::vector<std::string>& DeletedAtOnce(const CardFiles& card) {
  return ListOf(card, "uninstalled.deleted");
}

const std::vector<std::string>& DeletedAtRestart(const CardFiles& card) {
  return ListOf(card, "restarted.deleted");
}

Tree InstalledTree(const CardFiles& card) { return MachineTree(card.installed); }

Tree UninstalledTree(const CardFiles& card) {
  return Apply(InstalledTree(card), card.changes / "uninstalled", DeletedAtOnce(card));
}

// The restart carries out wininit.ini (the one the uninstall wrote) and
// keeps it as wininit.bak.
Tree RestartedTree(const CardFiles& card) {
  Tree tree = Apply(UninstalledTree(card), card.changes / "restarted", DeletedAtRestart(card));
  for (const auto& [path, bytes] : MachineTree(card.changes / "uninstalled")) {
    fs::path written(path);
    if (written.filename() != "wininit.ini") continue;
    tree[written.replace_filename("wininit.bak").generic_string()] = bytes;
    tree.erase(path);
  }
  return tree;
}

CardTexts InstalledTexts() { return TextsOf(InstalledTree()); }

CardTexts UninstalledTexts() { return TextsOf(UninstalledTree()); }

void InstallCard(Machine& machine, const CardFiles& card) {
  for (const auto& [path, bytes] : InstalledTree(card)) {
    if (bytes == "<dir>") machine.MakeFolder(path);
    else machine.Put(path, bytes);
  }
}

std::string Registry(const std::vector<Key>& keys) {
  std::string text = "REGEDIT4\n\n";
  for (const Key& key : keys) {
    text += "[HKEY_LOCAL_MACHINE\\" + key.path + "]\n" + key.values + "\n";
  }
  return Dos(text);
}

std::vector<Key> OtherSoftwareKeys() {
  return {
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", ""},
      {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\installCPx",
       "\"DisplayName\"=\"Another product\"\n"},
      {"Enum\\PCMCIA\\VELMORA-ORVANEL-4E7B\\0", "\"Driver\"=\"MEDIA\\\\0001\"\n"},
      {"System\\CurrentControlSet\\Services\\Class\\Modem\\0003", "\"DriverDesc\"=\"Modem\"\n"},
  };
}

std::vector<Key> ClassKeys() {
  return {
      {std::string(kClassKey), "@=\"Sound, video and game controllers\"\n"},
      {std::string(kClassKey) + "\\0000", "\"DriverDesc\"=\"Audio Codecs\"\n"},
      {std::string(kClassKey) + "\\0001", "\"DriverDesc\"=\"Legacy Audio Drivers\"\n"},
      {std::string(kClassKey) + "\\0002", "\"DriverDesc\"=\"MCI Multimedia Devices\"\n"},
      {std::string(kClassKey) + "\\0003", "\"DriverDesc\"=\"Velmora Orvanel (TM)\"\n"},
      {std::string(kClassKey) + "\\0003\\Drivers", "\"SubClasses\"=\"wave,midi,mixer\"\n"},
      {std::string(kClassKey) + "\\00030", "\"DriverDesc\"=\"Not the card\"\n"},
      {std::string(kClassKey) + "\\0004", "\"DriverDesc\"=\"Video Codecs\"\n"},
  };
}

std::vector<Key> ClassKeysWithout(std::string_view subkey) {
  std::string gone = std::string(kClassKey) + "\\" + std::string(subkey);
  std::vector<Key> kept;
  for (Key& key : ClassKeys()) {
    bool below = key.path == gone || key.path.rfind(gone + "\\", 0) == 0;
    if (!below) kept.push_back(key);
  }
  return kept;
}

std::string BootList(std::string_view windowsDir, std::string_view systemDir) {
  std::string win(windowsDir), sys(systemDir);
  return Dos("[rename]\n"
             "NUL=" + sys + "\\kt617.drv\n"
             "NUL=" + sys + "\\kt617mp.drv\n"
             "NUL=" + sys + "\\kt617ui.dll\n"
             "NUL=" + win + "\\kt617win.ini\n"
             "NUL=" + win + "\\cpuninst.exe\n"
             "NUL=" + sys + "\\kt617pnp.vxd\n"
             "NUL=" + sys + "\\vkt617.386\n"
             "NUL=" + sys + "\\kt617mgr.386\n");
}

}  // namespace uninstall_test
