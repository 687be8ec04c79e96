// The library's rewriting operations as one table, for the tests that run
// every one of them the same way (fault sweeps, crash points, hostile disks).
#ifndef CPUNINST_TESTS_PROFILE_EDIT_OPERATIONS_H
#define CPUNINST_TESTS_PROFILE_EDIT_OPERATIONS_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "profile/profile.h"

namespace profile_test {

struct EditOperation {
  const char* name;
  std::function<int(const char* path)> run;
  std::vector<int> codes;  // every result the operation may give
  int failed;              // its code for a file it cannot open or a scratch file it cannot create
};

inline const std::vector<EditOperation>& EditOperations() {
  static const std::vector<EditOperation> operations = {
      {"DeleteLineExact", [](const char* p) { std::string pat = "midi=m\n"; return FileDeleteLine(p, pat.data(), 0); }, {0, 1, 2}, 2},
      {"DeleteLineLongKept", [](const char* p) { std::string pat = "zz"; return FileDeleteLine(p, pat.data(), 4 | 1); }, {1, 2}, 2},
      {"DeleteLineLongDropped", [](const char* p) { std::string pat = "LLLL"; return FileDeleteLine(p, pat.data(), 4); }, {0, 1, 2}, 2},
      {"DeleteKeyInSection", [](const char* p) { return IniDeleteKey(p, "drivers", "wave"); }, {0, 1, -1}, 1},
      {"DeleteKeyEverywhere", [](const char* p) { return IniDeleteKey(p, nullptr, "wave"); }, {0, 1, -1}, 1},
      {"ReplaceKey", [](const char* p) { return IniReplaceKey(p, "drivers", "wave", "wave=new"); }, {0, 1, -1}, 1},
      {"AddLineToSection", [](const char* p) { return IniAddLine(p, "drivers", "added=1"); }, {0, 1, -1}, 1},
      {"AddLineNewSection", [](const char* p) { return IniAddLine(p, "fresh", "added=1"); }, {0, 1, -1}, 1},
      {"AddLineAtEnd", [](const char* p) { return IniAddLine(p, nullptr, "added=1"); }, {0, 1, -1}, 1},
      {"SetStringReplaces", [](const char* p) { return IniSetString(p, "drivers", "midi", "x"); }, {0, 1, -1}, 1},
      {"SetStringAdds", [](const char* p) { return IniSetString(p, "other", "new", "x"); }, {0, 1, -1}, 1},
      {"SetHexAddsSection", [](const char* p) { return IniSetHex(p, "hex", "k", 0x1F); }, {0, 1, -1}, 1},
      {"AddInt", [](const char* p) { return IniAddInt(p, "other", "v", -5); }, {0, 1, -1}, 1},
  };
  return operations;
}

inline void PrintTo(const EditOperation& operation, std::ostream* out) { *out << operation.name; }

}  // namespace profile_test

#endif  // CPUNINST_TESTS_PROFILE_EDIT_OPERATIONS_H
