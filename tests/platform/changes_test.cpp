// The change journal behind the closing line: a name counts as changed when
// what stands there now is not what stood there at its first note.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "machine_fixture.h"
#include "platform/hosted/machine/changes.h"

namespace {

namespace fs = std::filesystem;
using platform::hosted::ForgetChanges;
using platform::hosted::MachineChanged;
using platform::hosted::NoteChangeAhead;
using platform::hosted::WatchChanges;

class ChangesTest : public MachineTest {
 protected:
  void TearDown() override {
    ForgetChanges();
    MachineTest::TearDown();
  }
};

TEST_F(ChangesTest, WhatStandsAtANoteNameNowDecides) {
  struct Case {
    const char* name;
    bool existsBefore;
    std::function<void(const fs::path&)> act;
    bool changed;
  };
  auto write = [this](const fs::path& path, const char* bytes) { Put(path, bytes); };
  const std::vector<Case> cases = {
      {"untouched file", true, [](const fs::path&) {}, false},
      {"untouched nothing", false, [](const fs::path&) {}, false},
      {"created", false, [&](const fs::path& p) { write(p, "new"); }, true},
      {"created and removed", false, [&](const fs::path& p) { write(p, "new"); fs::remove(p); }, false},
      {"removed", true, [](const fs::path& p) { fs::remove(p); }, true},
      {"rewritten, other size", true, [&](const fs::path& p) { write(p, "longer bytes"); }, true},
      {"replaced by another file", true,
       [&](const fs::path& p) {
         write(fs::path(p).replace_extension(".new"), "old");
         fs::rename(fs::path(p).replace_extension(".new"), p);
       },
       true},
      {"mode changed", true, [](const fs::path& p) { ::chmod(p.c_str(), 0400); }, true},
  };
  for (const Case& c : cases) {
    fs::path path = Root() / "c" / "file.txt";
    fs::remove(path);
    if (c.existsBefore) write(path, "old");
    ForgetChanges();
    WatchChanges();
    NoteChangeAhead(path.string());
    c.act(path);
    EXPECT_EQ(MachineChanged(), c.changed) << c.name;
  }
}

TEST_F(ChangesTest, TheFirstNoteOfANameKeepsWhatStoodThen) {
  fs::path path = Root() / "c" / "file.txt";
  WatchChanges();
  NoteChangeAhead(path.string());
  Put(path, "made");
  NoteChangeAhead(path.string());  // a later note must not take "made" as the start
  EXPECT_TRUE(MachineChanged());
  fs::remove(path);
  EXPECT_FALSE(MachineChanged());
}

TEST_F(ChangesTest, NothingIsNotedBeforeWatching) {
  fs::path path = Root() / "c" / "file.txt";
  NoteChangeAhead(path.string());
  Put(path, "made");
  EXPECT_FALSE(MachineChanged());
}

}  // namespace
