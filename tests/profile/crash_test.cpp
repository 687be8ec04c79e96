// Crash points: every rewriting operation runs in a child process that dies
// on the spot (_exit, nothing cleaned up) at its 1st, 2nd, ... call of the
// file layer, for every N until a run completes, over a corpus of files.
// After each death the edited name holds exactly the old bytes or exactly the
// new ones, never anything else and never nothing, and no file but the
// edited one and its scratch file has changed.
#include <unistd.h>

#include <map>
#include <string>
#include <tuple>

#include "child.h"
#include "edit_operations.h"
#include "fault_plan.h"
#include "hostile_disk.h"
#include "profile_fixture.h"
#include "param_name.h"
#include "tally.h"

namespace {

using profile_test::EditOperation;
using profile_test::ProfileTest;
namespace fs = std::filesystem;

constexpr int kDied = 77;
constexpr int kCompleted = 78;
constexpr unsigned kSweepSeconds = 120;

struct CorpusFile {
  const char* name;
  std::string bytes;
};

void PrintTo(const CorpusFile& file, std::ostream* out) { *out << file.name; }

const std::string kLong(300, 'L');

const CorpusFile kCorpus[] = {
    {"CrLf", "; top\r\nwave=0\r\n[drivers]\r\nwave=a.drv\r\nmidi=m\r\n[other]\r\nk=1\r\n"},
    {"LineFeeds", "; top\nwave=0\n[drivers]\nwave=a.drv\nmidi=m\n[other]\nk=1\n"},
    {"LongLines", "[drivers]\r\nwave=" + kLong + "\r\nmidi=m\r\n" + kLong + "LLLL\r\n[other]\r\nk=1"},
    {"CtrlZ", "[drivers]\r\nwave=a\r\nmidi=m\r\n\x1a[other]\r\nwave=x\r\n"},
    {"Empty", ""},
    {"NoMatch", "[misc]\r\nx=1\r\n"},
};

class CrashPoints : public ProfileTest,
                    public ::testing::WithParamInterface<std::tuple<EditOperation, CorpusFile>> {
 protected:
  static constexpr const char* kNeighbour = "neighbour.ini";
  static constexpr const char* kNeighbourBytes = "[drivers]\r\nwave=a.drv\r\n";

  void Reset(const std::string& bytes) {
    Clear();
    Put("s.ini", bytes);
    Put(kNeighbour, kNeighbourBytes);
  }

  // Runs the operation in a child that dies at call n; the child's status.
  int RunDyingAt(const EditOperation& operation, int n) {
    return test_support::RunInChild([&] {
      // Ends the process where the nth call of the file layer would run.
      test_support::FaultPlan plan = test_support::FaultPlan::AnyOnce(n);
      plan.onFault = [] { ::_exit(kDied); };
      test_support::ScopedFaultHook hook(plan);
      operation.run(Path("s.ini").c_str());
      return kCompleted;
    });
  }
};

TEST_P(CrashPoints, TheNameHoldsTheOldOrTheNewBytes) {
  const auto& [operation, file] = GetParam();
  Reset(file.bytes);
  operation.run(Path("s.ini").c_str());
  const std::string expected = Get("s.ini");
  test_support::Watchdog watchdog(kSweepSeconds);

  int n = 1;
  for (;; ++n) {
    ASSERT_LT(n, 1000) << "the sweep does not end";
    SCOPED_TRACE("dying at call " + std::to_string(n));
    Reset(file.bytes);
    int status = RunDyingAt(operation, n);
    ASSERT_TRUE(status == kDied || status == kCompleted) << status;
    ASSERT_TRUE(Exists("s.ini")) << "the edited file went missing";
    std::string left = Get("s.ini");
    EXPECT_TRUE(left == file.bytes || left == expected) << left;
    EXPECT_EQ(Get(kNeighbour), kNeighbourBytes);
    for (const auto& name : Files()) EXPECT_TRUE(name == "s.ini" || name == "s.$$$" || name == kNeighbour) << name;
    if (status == kCompleted) {
      EXPECT_EQ(left, expected);
      break;
    }
  }
  test_support::Tally("crash points tried", n - 1);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CrashPoints,
                         ::testing::Combine(::testing::ValuesIn(profile_test::EditOperations()),
                                            ::testing::ValuesIn(kCorpus)),
                         test_support::NameOfParam());

}  // namespace
