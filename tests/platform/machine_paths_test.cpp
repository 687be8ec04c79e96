// Where drive paths and host paths lie: the machine folder's path rules.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "machine_fixture.h"
#include "platform/files.h"
#include "platform/hosted/machine/paths.h"
#include "platform/text_file.h"

namespace {

namespace fs = std::filesystem;
using platform::hosted::PathUse;
using platform::hosted::ResolvePath;

class MachinePathsTest : public MachineTest {
 protected:
  // The resolved path relative to the machine folder, or "<none>".
  std::string Where(const char* path, PathUse use = PathUse::kExisting) {
    std::string host;
    if (!ResolvePath(path, use, host)) return "<none>";
    std::string prefix = Root().string() + "/";
    if (host.rfind(prefix, 0) == 0) return host.substr(prefix.size());
    return "host:" + host;
  }
};

TEST_F(MachinePathsTest, NamesMatchIgnoringCaseExactFirst) {
  Put("c/WINDOWS/System.ini", "x");
  Put("c/WINDOWS/SYSTEM/Vkt617.386", "x");
  Put("d/Data.txt", "x");
  struct Case {
    const char* path;
    PathUse use;
    const char* where;
  };
  const std::vector<Case> cases = {
      {"C:\\WINDOWS\\SYSTEM.INI", PathUse::kExisting, "c/WINDOWS/System.ini"},
      {"c:\\windows\\system.ini", PathUse::kExisting, "c/WINDOWS/System.ini"},
      {"c:/Windows/system/VKT617.386", PathUse::kExisting, "c/WINDOWS/SYSTEM/Vkt617.386"},
      {"c:\\windows/SYSTEM\\vkt617.386", PathUse::kExisting, "c/WINDOWS/SYSTEM/Vkt617.386"},
      {"D:\\DATA.TXT", PathUse::kExisting, "d/Data.txt"},
      {"c:\\windows\\missing.ini", PathUse::kExisting, "<none>"},
      // A new file keeps the case given, in the folder as it exists.
      {"c:\\windows\\New.INI", PathUse::kCreate, "c/WINDOWS/New.INI"},
      {"c:\\windows\\system.ini", PathUse::kCreate, "c/WINDOWS/System.ini"},
      // Its folders must exist.
      {"c:\\nowhere\\new.ini", PathUse::kCreate, "<none>"},
      {"c:\\windows\\system.ini\\x", PathUse::kCreate, "<none>"},
      // A drive with no folder does not exist.
      {"E:\\x.txt", PathUse::kCreate, "<none>"},
  };
  for (const Case& c : cases) EXPECT_EQ(Where(c.path, c.use), c.where) << c.path;
}

// A folder with two names equal but for case is no FAT disk: neither twin,
// nor anything below them, is reached under any spelling or for any use.
TEST_F(MachinePathsTest, TwinNamesAreRefused) {
  Put("c/readme.txt", "lower");
  Put("c/README.TXT", "upper");
  Put("c/win/a.ini", "x");
  Put("c/WIN/b.ini", "x");
  Put("c/solo.txt", "x");
  const std::vector<std::pair<const char*, PathUse>> refused = {
      {"C:\\README.TXT", PathUse::kExisting}, {"C:\\readme.txt", PathUse::kExisting},
      {"C:\\ReadMe.txt", PathUse::kCreate},   {"C:\\readme.txt", PathUse::kNewName},
      {"C:\\win\\a.ini", PathUse::kExisting}, {"C:\\WIN\\new.ini", PathUse::kCreate},
  };
  for (const auto& [path, use] : refused) EXPECT_EQ(Where(path, use), "<none>") << path;
  EXPECT_EQ(Where("C:\\SOLO.TXT"), "c/solo.txt");

  platform::TextReader reader;
  EXPECT_FALSE(reader.Open("C:\\readme.txt"));
  EXPECT_FALSE(platform::RemoveFile("C:\\readme.txt"));
  EXPECT_FALSE(platform::RenameFile("C:\\solo.txt", "C:\\README.TXT"));
  EXPECT_FALSE(platform::RenameFile("C:\\readme.txt", "C:\\other.txt"));
  EXPECT_EQ(Get(Root() / "c/readme.txt"), "lower");
  EXPECT_EQ(Get(Root() / "c/README.TXT"), "upper");
  EXPECT_TRUE(Exists("c/solo.txt"));
}

TEST_F(MachinePathsTest, DotsAndEmptyNamesNeverClimbOutOfTheDrive) {
  Put("c/a/b.txt", "x");
  Put("secret.txt", "outside the drive");
  fs::create_directories(Root() / "d");
  const std::vector<std::pair<const char*, const char*>> cases = {
      {"C:\\\\a\\\\b.txt", "c/a/b.txt"},
      {"C:\\.\\a\\.\\b.txt", "c/a/b.txt"},
      {"C:\\a\\..\\a\\b.txt", "c/a/b.txt"},
      {"C:\\..\\a\\b.txt", "c/a/b.txt"},
      {"C:\\..\\..\\..\\a\\b.txt", "c/a/b.txt"},
      {"C:\\..\\secret.txt", "<none>"},
      {"C:\\..\\d\\..\\..\\secret.txt", "<none>"},
      {"C:a\\b.txt", "c/a/b.txt"},
      {"C:\\", "c"},
      {"C:\\..", "c"},
      {"C:\\a\\b.txt\\", "c/a/b.txt"},
  };
  for (const auto& [path, where] : cases) EXPECT_EQ(Where(path), where) << path;
}

TEST_F(MachinePathsTest, SymbolicLinksInsideADriveAreRefused) {
  Put(Base() / "outside" / "victim.txt", "keep");
  fs::create_directory_symlink(Base() / "outside", Root() / "c" / "Escape");
  fs::create_symlink(Base() / "outside" / "victim.txt", Root() / "c" / "file.txt");
  fs::create_symlink(Base() / "outside" / "new.txt", Root() / "c" / "dangling.txt");
  Put("c/real/inner.txt", "x");
  fs::create_directory_symlink(Root() / "c" / "real", Root() / "c" / "inside");

  for (const char* path : {"C:\\Escape\\victim.txt", "C:\\escape\\victim.txt", "C:\\FILE.TXT",
                           "C:\\inside\\inner.txt"}) {
    EXPECT_EQ(Where(path), "<none>") << path;
  }
  EXPECT_EQ(Where("C:\\escape\\created.txt", PathUse::kCreate), "<none>");
  EXPECT_EQ(Where("C:\\dangling.txt", PathUse::kCreate), "<none>");
  EXPECT_EQ(Where("C:\\Dangling.TXT", PathUse::kCreate), "<none>");

  // Through the file layer: nothing outside is read, written or deleted.
  platform::TextReader reader;
  EXPECT_FALSE(reader.Open("C:\\file.txt"));
  EXPECT_FALSE(platform::RemoveFile("C:\\Escape\\victim.txt"));
  EXPECT_FALSE(platform::RemoveFile("C:\\file.txt"));
  EXPECT_FALSE(platform::RenameFile("C:\\real\\inner.txt", "C:\\escape\\moved.txt"));
  platform::TextWriter writer;
  EXPECT_FALSE(writer.Create("C:\\escape\\created.txt"));
  // A new file at a link's name removes the link itself, never its target.
  for (const char* path : {"C:\\dangling.txt", "C:\\file.txt"}) {
    ASSERT_TRUE(writer.Create(path)) << path;
    EXPECT_TRUE(writer.Write("inside\n"));
    EXPECT_TRUE(writer.Close());
  }
  EXPECT_EQ(Get(Root() / "c" / "dangling.txt"), "inside\r\n");
  EXPECT_EQ(Get(Root() / "c" / "file.txt"), "inside\r\n");
  EXPECT_FALSE(fs::is_symlink(Root() / "c" / "file.txt"));
  EXPECT_EQ(Get(Base() / "outside" / "victim.txt"), "keep");
  EXPECT_FALSE(fs::exists(Base() / "outside" / "new.txt"));
  EXPECT_FALSE(fs::exists(Base() / "outside" / "moved.txt"));
  EXPECT_FALSE(fs::exists(Base() / "outside" / "created.txt"));
}

TEST_F(MachinePathsTest, ADriveFolderThatIsALinkIsRefused) {
  Put(Base() / "elsewhere" / "x.txt", "x");
  fs::create_directory_symlink(Base() / "elsewhere", Root() / "d");
  EXPECT_EQ(Where("D:\\x.txt"), "<none>");
}

TEST_F(MachinePathsTest, NamesNoFatDiskHoldsAreRefused) {
  Put("c/a.txt", "x");
  for (const char* path : {"C:\\a.txt:stream", "C:\\a?.txt", "C:\\a*", "C:\\\"a\".txt", "C:\\a\x01"}) {
    EXPECT_EQ(Where(path, PathUse::kCreate), "<none>") << path;
  }
}

TEST_F(MachinePathsTest, WithoutAMachineFolderADrivePathIsMissing) {
  Put("c/a.txt", "x");
  test_support::MachineInUse none("");
  EXPECT_EQ(Where("C:\\a.txt"), "<none>");
  EXPECT_EQ(Where("C:\\b.txt", PathUse::kCreate), "<none>");
  platform::TextReader reader;
  EXPECT_FALSE(reader.Open("C:\\a.txt"));
}

TEST_F(MachinePathsTest, OtherPathsAreHostPathsUsedAsTheyAre) {
  const std::vector<const char*> paths = {"relative.txt", "/tmp/x/../y.txt", "sub\\name.txt", "1:\\x",
                                          ":\\x", "ab:\\x"};
  for (const char* path : paths) EXPECT_EQ(Where(path), std::string("host:") + path) << path;
  EXPECT_EQ(Where(""), "<none>");
  // A host path is used even with no machine folder.
  test_support::MachineInUse none("");
  EXPECT_EQ(Where("plain.txt"), "host:plain.txt");
}

TEST_F(MachinePathsTest, FilesOpenThroughDrivePaths) {
  Put("c/WINDOWS/SYSTEM.INI", "[drivers]\r\nwave=x\r\n");
  platform::TextReader reader;
  ASSERT_TRUE(reader.Open("c:\\windows\\system.ini"));
  char piece[128];
  EXPECT_EQ(reader.ReadPiece(piece, 127), 10u);
  EXPECT_STREQ(piece, "[drivers]\n");
  reader.Close();
  EXPECT_TRUE(platform::RenameFile("c:\\windows\\system.ini", "C:\\Windows\\System.$$$"));
  EXPECT_EQ(Get(Root() / "c/WINDOWS/System.$$$"), "[drivers]\r\nwave=x\r\n");
  EXPECT_TRUE(platform::RemoveFile("C:\\WINDOWS\\SYSTEM.$$$"));
  EXPECT_FALSE(Exists("c/WINDOWS/System.$$$"));
}

}  // namespace
