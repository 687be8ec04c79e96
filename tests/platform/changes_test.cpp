// The change notes behind the closing line: a wrapper around the host's
// name-changing calls, where a name counts as changed when what stands there
// now is not what stood there at its first note.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "machine_fixture.h"
#include "platform/files.h"
#include "platform/hosted/machine/change_notes.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;
using platform::hosted::ChangeNotes;
using platform::hosted::HostFiles;

class ChangesTest : public MachineTest {};

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
    ChangeNotes notes(HostFiles::Plain());
    notes.NoteAhead(path.string());
    c.act(path);
    EXPECT_EQ(notes.Changed(), c.changed) << c.name;
  }
}

TEST_F(ChangesTest, TheFirstNoteOfANameKeepsWhatStoodThen) {
  fs::path path = Root() / "c" / "file.txt";
  ChangeNotes notes(HostFiles::Plain());
  notes.NoteAhead(path.string());
  Put(path, "made");
  notes.NoteAhead(path.string());  // a later note must not take "made" as the start
  EXPECT_TRUE(notes.Changed());
  fs::remove(path);
  EXPECT_FALSE(notes.Changed());
}

// Installed on the machine, the wrapper sees every change the platform's
// files make, and only those: a scratch file made and removed is none.
TEST_F(ChangesTest, TheWrapperOnTheMachineSeesThePlatformsChanges) {
  Put("c/old.txt", "old");
  struct Case {
    const char* name;
    std::function<void()> act;
    bool changed;
  };
  auto create = [](const char* path) {
    platform::TextWriter writer;
    return writer.Create(path) && writer.Close();
  };
  const std::vector<Case> cases = {
      {"nothing", [] {}, false},
      {"scratch made and removed", [&] { create("C:\\probe.$$$"); platform::RemoveFile("C:\\probe.$$$"); }, false},
      {"created", [&] { create("C:\\new.txt"); }, true},
      {"removed", [] { platform::RemoveFile("C:\\old.txt"); }, true},
      {"renamed", [] { platform::RenameFile("C:\\old.txt", "C:\\moved.txt"); }, true},
  };
  for (const Case& c : cases) {
    Clear();
    Put("c/old.txt", "old");
    ChangeNotes notes(TheMachine().Files());
    TheMachine().SetFiles(&notes);
    c.act();
    TheMachine().SetFiles(nullptr);
    EXPECT_EQ(notes.Changed(), c.changed) << c.name;
  }
}

}  // namespace
