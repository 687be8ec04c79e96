// Fault simulation: every operation is run again and again with the Nth call
// of the file layer failing, N = 1, 2, ... until a run meets no fault; once
// with that one call failing (one-shot), once with every call from the Nth on
// failing (persistent), so the clean-up after a first failure meets failures
// too; each with the one-step replace and without it (as on Windows 95).
// After each run the edited file is either untouched or exactly the
// fault-free result; it may be gone only without the one-step replace, and
// then only when the scratch file holds that result whole.
// And the seam is asked once per piece however the pieces are read.
#include <algorithm>
#include <functional>
#include <string>
#include <tuple>

#include "edit_operations.h"
#include "fault_plan.h"
#include "platform/text_file.h"
#include "profile/profile.h"
#include "profile_fixture.h"
#include "param_name.h"
#include "tally.h"

namespace {

using profile_test::EditOperation;
using profile_test::ProfileTest;
namespace fs = std::filesystem;

const std::string kLong(300, 'L');
const std::string kProfile = "; top\nwave=0\n[drivers]\r\nwave=a.drv\nmidi=m\n" + kLong +
                             "\n\n[other]\nk=1\n[drivers]\nWAVE = b\nlast";

struct SweepMode {
  const char* name;
  bool persistent;
  bool oneStep;
};
void PrintTo(const SweepMode& mode, std::ostream* out) { *out << mode.name; }

const SweepMode kModes[] = {
    {"OneShot", false, true},
    {"Persistent", true, true},
    {"OneShotWithoutOneStepMove", false, false},
    {"PersistentWithoutOneStepMove", true, false},
};

class FaultSweep : public ProfileTest,
                   public ::testing::WithParamInterface<std::tuple<EditOperation, SweepMode>> {};

TEST_P(FaultSweep, NoPartialFileEverReplacesTheEditedOne) {
  const auto& [operation, mode] = GetParam();
  const std::string path = Path("s.ini");
  Put("s.ini", kProfile);
  int cleanResult = operation.run(path.c_str());
  const std::string expected = Get("s.ini");
  ASSERT_EQ(Files(), std::set<std::string>{"s.ini"});

  int n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 1000) << "the sweep does not end";
    fs::remove(Root() / "s.$$$");
    Put("s.ini", kProfile);
    FailFromCall(n, mode.persistent, mode.oneStep);
    int result = operation.run(path.c_str());
    bool fired = plan_.Fired();
    NoFaults();
    SCOPED_TRACE("failing call " + std::to_string(n));
    EXPECT_NE(std::find(operation.codes.begin(), operation.codes.end(), result), operation.codes.end()) << result;
    if (!fired) {
      EXPECT_EQ(result, cleanResult);
      EXPECT_EQ(Get("s.ini"), expected);
      break;
    }
    if (result == 0) {
      EXPECT_EQ(Get("s.ini"), expected);
      EXPECT_FALSE(Exists("s.$$$"));
    } else if (Exists("s.ini")) {
      EXPECT_EQ(Get("s.ini"), kProfile);
    } else {
      EXPECT_FALSE(mode.oneStep) << "the edited file went missing";
      EXPECT_EQ(Get("s.$$$"), expected);
    }
    for (const auto& name : Files()) EXPECT_TRUE(name == "s.ini" || name == "s.$$$") << name;
  }
  EXPECT_GT(n, 4);
  test_support::Tally(std::string("fault points tried, ") + (mode.persistent ? "persistent" : "one-shot"), n - 1);
}

INSTANTIATE_TEST_SUITE_P(Operations, FaultSweep,
                         ::testing::Combine(::testing::ValuesIn(profile_test::EditOperations()),
                                            ::testing::ValuesIn(kModes)),
                         test_support::NameOfParam());

}  // namespace

namespace {

class SeamCalls : public ProfileTest {};

// Pieces read whole lines at a time still go through the seam one by one,
// as when each is read and written alone: a 2-byte buffer holds no line, so
// there every piece is read by itself.
TEST_F(SeamCalls, OnePerPieceReadAndWrittenHoweverTheyAreRead) {
  std::string profile = "[drivers]\r\n";
  for (int i = 0; i < 300; ++i) profile += "key" + std::to_string(i) + "=value\r\n";
  profile += std::string(300, 'L') + "\r\n[other]\r\nk=1\r\n";
  const int lines = 304;  // pieces of 127 bytes: the long line is 3; of 199: 2
  struct Row {
    const char* name;
    std::function<void(const char*)> run;
    int reads;
    int writes;
  };
  const Row rows[] = {
      {"GetString", [](const char* p) { IniGetString(p, nullptr, "absent", "d"); }, lines + 2 + 1, 0},
      {"LastSection", [](const char* p) { IniGetLastSection(p, "d"); }, lines + 2 + 1, 0},
      {"DeleteKey", [](const char* p) { IniDeleteKey(p, nullptr, "absent"); }, lines + 2 + 1, lines + 2},
      {"DeleteLine", [](const char* p) { std::string t = "absent"; FileDeleteLine(p, t.data(), 0); }, lines + 1 + 1, lines + 1},
      {"AddLine", [](const char* p) { IniAddLine(p, nullptr, "x=1"); }, lines + 2 + 1, lines + 2 + 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    for (std::size_t limit : {std::size_t{2}, std::size_t{0}}) {
      Put("s.ini", profile);
      test_support::FaultPlan count = test_support::FaultPlan::Counting();
      platform::SetStreamBufferLimit(limit);
      {
        test_support::ScopedFaultHook hook(count);
        row.run(Path("s.ini").c_str());
      }
      platform::SetStreamBufferLimit(0);
      EXPECT_EQ(count.Calls(platform::FileOp::kRead), row.reads) << "buffer limit " << limit;
      EXPECT_EQ(count.Calls(platform::FileOp::kWrite), row.writes) << "buffer limit " << limit;
    }
  }
}

}  // namespace
