// Every operation over random profiles gives the same answer and leaves the
// same bytes whatever the size of the stream buffer. With a 2-byte buffer
// almost no piece lies whole in it, so each piece is copied and tested on
// its own: that run is the plain reference for the runs with larger buffers,
// where pieces are shown in place, skipped in runs and passed through.
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/text_file.h"
#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using profile_test::ProfileTest;

constexpr std::size_t kReferenceBuffer = 2;
constexpr int kRounds = 80;

// Profile-like files: headers, keys, comments, blank lines, long lines,
// every line end, and now and then a Ctrl-Z or a NUL.
std::string RandomProfile(std::mt19937& random) {
  static const std::vector<std::string> kLines = {
      "[drivers]", "[ Drivers ]", "[other]", "; [drivers] note", "wave=a.drv", "WAVE = b.drv",
      "  wave\tc.drv", "midi=m", "wave", "k=[v]", "", "   ", "device=vkt617.386",
      "DEVICE = VKT617.386", "x=1", "]y[z", std::string(150, 'w') + "=long",
      "wave=" + std::string(200, 'v'), std::string(1, '\0') + "wave=nul", "key=" + std::string(130, ' ')};
  static const std::vector<std::string> kEnds = {"\r\n", "\r\n", "\r\n", "\n", "\r", ""};
  std::uniform_int_distribution<std::size_t> line(0, kLines.size() - 1);
  std::uniform_int_distribution<std::size_t> end(0, kEnds.size() - 1);
  std::uniform_int_distribution<int> percent(0, 99);
  std::string bytes;
  int lines = std::uniform_int_distribution<int>(0, 60)(random);
  for (int i = 0; i < lines; ++i) bytes += kLines[line(random)] + kEnds[end(random)];
  if (percent(random) < 10) bytes.insert(std::uniform_int_distribution<std::size_t>(0, bytes.size())(random), "\x1a");
  return bytes;
}

class BufferBoundary : public ProfileTest {
 protected:
  void TearDown() override {
    platform::SetStreamBufferLimit(0);
    ProfileTest::TearDown();
  }

  // What one call did: its result, any text it returned and the file after it.
  struct Outcome {
    std::string result;
    std::string file;
    bool operator==(const Outcome&) const = default;
  };

  Outcome Run(const std::string& before, std::size_t bufferLimit,
              const std::function<std::string(const char*)>& call) {
    Put("p.ini", before);
    platform::SetStreamBufferLimit(bufferLimit);
    std::string result = call(Path("p.ini").c_str());
    platform::SetStreamBufferLimit(0);
    return {result, Get("p.ini") + (Exists("p.$$$") ? "+scratch" : "")};
  }

  std::mt19937 random_{7031};
};

std::string Text(const char* text) { return text != nullptr ? text : "(null)"; }

// The walk, step by step: each line, the position and the line count.
std::string Walk(const char* path, const char* section, int options) {
  std::string trace;
  std::int32_t position = 0;
  for (const char* line = IniFirstSectionLine(path, section, &position, options); line != nullptr;
       line = IniNextSectionLine(path, &position, options)) {
    trace += std::string(line) + "|" + std::to_string(position) + "|" + std::to_string(IniLineNumber) + "\n";
  }
  return trace + "end " + std::to_string(IniLineNumber);
}

TEST_F(BufferBoundary, EveryOperationGivesTheSameWithEveryBufferSize) {
  using Call = std::function<std::string(const char*)>;
  const std::vector<std::pair<std::string, Call>> calls = {
      {"delete-line 0", [](const char* p) { std::string t = "wave=a.drv\n"; return std::to_string(FileDeleteLine(p, t.data(), 0)); }},
      {"delete-line 3", [](const char* p) { std::string t = "device=vkt617.386"; return std::to_string(FileDeleteLine(p, t.data(), 3)); }},
      {"delete-line 5 long", [](const char* p) { std::string t = "vvvvv=x"; return std::to_string(FileDeleteLine(p, t.data(), 5)); }},
      {"delete-line 7", [](const char* p) { std::string t = "Wave = B"; return std::to_string(FileDeleteLine(p, t.data(), 7)); }},
      {"delete-line 1 long", [](const char* p) { std::string t = std::string(150, 'w') + "=long"; return std::to_string(FileDeleteLine(p, t.data(), 1)); }},
      {"delete-line 3 blank", [](const char* p) { std::string t = " \t "; return std::to_string(FileDeleteLine(p, t.data(), 3)); }},
      {"delete-key section", [](const char* p) { return std::to_string(IniDeleteKey(p, "drivers", "wave")); }},
      {"delete-key line feed", [](const char* p) { return std::to_string(IniDeleteKey(p, nullptr, "wave\n")); }},
      {"delete-key file", [](const char* p) { return std::to_string(IniDeleteKey(p, nullptr, "WAVE")); }},
      {"replace-key", [](const char* p) { return std::to_string(IniReplaceKey(p, "other", "x", "x=2")); }},
      {"add-line section", [](const char* p) { return std::to_string(IniAddLine(p, "drivers", "added=1")); }},
      {"add-line new section", [](const char* p) { return std::to_string(IniAddLine(p, "fresh", "added=1")); }},
      {"add-line end", [](const char* p) { return std::to_string(IniAddLine(p, nullptr, "added=1")); }},
      {"set", [](const char* p) { return std::to_string(IniSetString(p, "drivers", "midi", "n")); }},
      {"get section", [](const char* p) { return Text(IniGetString(p, "drivers", "wave", nullptr)); }},
      {"get file", [](const char* p) { return Text(IniGetString(p, nullptr, "key", "d")); }},
      {"get absent", [](const char* p) { return Text(IniGetString(p, nullptr, "absent", "d")); }},
      {"get line feed", [](const char* p) { return Text(IniGetString(p, "drivers", "wave\n", "d")); }},
      {"last-section", [](const char* p) { return Text(IniGetLastSection(p, "none")); }},
      {"walk", [](const char* p) { return Walk(p, "drivers", 0); }},
      {"walk blank", [](const char* p) { return Walk(p, "Drivers", INI_WALK_BLANK_LINES); }},
  };
  const std::size_t limits[] = {0, 3, 5, 17, 64, 130, 201, 512};
  int compared = 0;
  for (int round = 0; round < kRounds; ++round) {
    std::string before = RandomProfile(random_);
    for (const auto& [name, call] : calls) {
      Outcome reference = Run(before, kReferenceBuffer, call);
      std::size_t limit = limits[std::uniform_int_distribution<std::size_t>(0, std::size(limits) - 1)(random_)];
      ASSERT_EQ(Run(before, limit, call), reference)
          << name << " with a buffer of " << limit << " over:\n" << before;
      ++compared;
    }
  }
  EXPECT_EQ(compared, kRounds * static_cast<int>(calls.size()));
}

}  // namespace
