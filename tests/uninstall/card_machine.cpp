#include "card_machine.h"

namespace uninstall_test {

const std::array<std::string_view, 8> kDeletedAtOnce = {
    "c/WINDOWS/kt617win.ini",        "c/WINDOWS/readmecp.txt",
    "c/WINDOWS/SYSTEM/vkt617.386",   "c/WINDOWS/SYSTEM/vkt617pnp.vxd",
    "c/WINDOWS/SYSTEM/kt617map.sys", "c/WINDOWS/SYSTEM/hmx220.sys",
    "c/WINDOWS/SYSTEM/hmx220xa.sys", "c/WINDOWS/cpuninst.exe",
};

const std::array<std::string_view, 5> kDeletedAtRestart = {
    "c/WINDOWS/SYSTEM/kt617.drv",    "c/WINDOWS/SYSTEM/kt617mp.drv",
    "c/WINDOWS/SYSTEM/kt617ui.dll",  "c/WINDOWS/SYSTEM/kt617pnp.vxd",
    "c/WINDOWS/SYSTEM/kt617mgr.386",
};

namespace {

// Files of Windows itself beside the card's; they must stay.
constexpr std::array<std::string_view, 3> kWindowsFiles = {
    "c/WINDOWS/SYSTEM/mmsystem.dll", "c/WINDOWS/SYSTEM/timer.drv", "c/WINDOWS/win.ini"};

constexpr std::string_view kInstalledSystemIni =
    "[boot]\n"
    "shell=Explorer.exe\n"
    "drivers=mmsystem.dll power.drv\n"
    "\n"
    "[386Enh]\n"
    "device=*vcd\n"
    "device=vkt617.386\n"
    "keyboard=*vkd\n"
    "\n"
    "[drivers]\n"
    "wave=kt617.drv\n"
    "timer=timer.drv\n"
    "midi=kt617mp.drv\n"
    "midimapper=midimap.drv\n"
    "midi2=kt617mp.drv\n"
    "mixer=kt617.drv\n"
    "msacm.imaadpcm=imaadp32.acm\n"
    "\n"
    "[kt617.drv]\n"
    "wave=1\n"
    "midi=330\n"
    "mixer=1\n";

constexpr std::string_view kUninstalledSystemIni =
    "[boot]\n"
    "shell=Explorer.exe\n"
    "drivers=mmsystem.dll power.drv\n"
    "\n"
    "[386Enh]\n"
    "device=*vcd\n"
    "keyboard=*vkd\n"
    "\n"
    "[drivers]\n"
    "timer=timer.drv\n"
    "midimapper=midimap.drv\n"
    "msacm.imaadpcm=imaadp32.acm\n"
    "\n"
    "[kt617.drv]\n"
    "wave=1\n"
    "midi=330\n"
    "mixer=1\n";

constexpr std::string_view kInstalledConfigSys =
    "DEVICE=C:\\WINDOWS\\HIMEM.SYS\n"
    "DOS=HIGH,UMB\n"
    "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\kt617map.sys\n"
    "DEVICEHIGH=C:\\WINDOWS\\SYSTEM\\hmx220.sys  /d:mscd001 /p:__KTXMGR /Q:10 /B:0x240\n"
    "FILES=40\n";

constexpr std::string_view kUninstalledConfigSys =
    "DEVICE=C:\\WINDOWS\\HIMEM.SYS\n"
    "DOS=HIGH,UMB\n"
    "FILES=40\n";

constexpr std::string_view kInstalledAutoexecBat =
    "@ECHO OFF\n"
    "PATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\n"
    "MSCDEX.EXE /D:MSCD001 /M:6 /V\n"
    "SET TEMP=C:\\WINDOWS\\TEMP\n";

constexpr std::string_view kUninstalledAutoexecBat =
    "@ECHO OFF\n"
    "PATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\n"
    "SET TEMP=C:\\WINDOWS\\TEMP\n";

std::vector<Key> CardKeys() {
  return {
      {std::string(kUninstallEntry),
       "\"DisplayName\"=\"Velmora Orvanel (TM) PC Card Audio\"\n"
       "\"UninstallString\"=\"C:\\\\WINDOWS\\\\cpuninst.exe\"\n"},
      {std::string(kEnumKey), ""},
      {std::string(kInstanceKey),
       "\"Class\"=\"MEDIA\"\n"
       "\"Driver\"=\"MEDIA\\\\0003\"\n"
       "\"ConfigFlags\"=hex:00,00,00,00\n"},
      {std::string(kInstanceKey) + "\\LogConfig", "\"0000\"=hex:00,04,00,00\n"},
  };
}

std::vector<Key> Concat(std::vector<Key> a, const std::vector<Key>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace

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

CardTexts InstalledTexts() {
  return {Dos(kInstalledSystemIni), Dos(kInstalledConfigSys), Dos(kInstalledAutoexecBat),
          Registry(Concat(Concat(OtherSoftwareKeys(), CardKeys()), ClassKeys()))};
}

CardTexts UninstalledTexts() {
  return {Dos(kUninstalledSystemIni), Dos(kUninstalledConfigSys), Dos(kUninstalledAutoexecBat),
          Registry(Concat(OtherSoftwareKeys(), ClassKeysWithout("0003")))};
}

void InstallCard(Machine& machine) {
  CardTexts texts = InstalledTexts();
  machine.Put(std::string(kSystemIni), texts.systemIni);
  machine.Put(std::string(kConfigSys), texts.configSys);
  machine.Put(std::string(kAutoexecBat), texts.autoexecBat);
  machine.Put(std::string(kRegistry), texts.registry);
  auto placeholder = [&machine](std::string_view file) {
    machine.Put(std::string(file), "placeholder " + std::string(file) + "\r\n");
  };
  for (std::string_view file : kDeletedAtOnce) placeholder(file);
  for (std::string_view file : kDeletedAtRestart) placeholder(file);
  for (std::string_view file : kWindowsFiles) placeholder(file);
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
