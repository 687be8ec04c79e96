// ProfileLastResult where only the library's own seam or a direct call gets:
// failures the fault seam makes, and the readers profctl never explains.
// What profctl says for each reason is in tests/cases/diagnosis.cases.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "edit_operations.h"
#include "param_name.h"
#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using platform::FileOp;
using profile_test::EditOperation;
using profile_test::ProfileTest;
namespace fs = std::filesystem;

const char* const kFile = "[drivers]\r\nwave=a.drv\r\n";

struct ReasonRow {
  const char* name;
  std::function<int(const char*)> call;  // the code, or for a reader 1 when it answered nothing
  FileOp op;
  int nth;  // the call of op that fails; 0: none
  int code;
  ProfileResult result;
};
void PrintTo(const ReasonRow& row, std::ostream* out) { *out << row.name; }

int DeleteWave(const char* path) { return IniDeleteKey(path, "drivers", "wave"); }
int GetWave(const char* path) { return IniGetString(path, "drivers", "wave", nullptr) == nullptr; }

class LastResult : public ProfileTest, public ::testing::WithParamInterface<ReasonRow> {};

TEST_P(LastResult, SaysWhatStoppedTheCall) {
  const ReasonRow& row = GetParam();
  const std::string path = Put("s.ini", kFile);
  // A reason left by another call is never the answer.
  IniGetString(path.c_str(), "absent", "k", nullptr);
  if (row.nth > 0) FailNth(row.op, row.nth);
  EXPECT_EQ(row.call(path.c_str()), row.code);
  EXPECT_EQ(ProfileLastResult(), row.result);
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, LastResult,
    ::testing::Values(
        ReasonRow{"FileNotOpened", DeleteWave, FileOp::kOpen, 1, 1, PROFILE_NOT_OPENED},
        ReasonRow{"ScratchNotCreated", DeleteWave, FileOp::kOpen, 2, 1, PROFILE_SCRATCH_NOT_CREATED},
        ReasonRow{"ReadFailed", DeleteWave, FileOp::kRead, 2, 1, PROFILE_READ_ERROR},
        ReasonRow{"WriteFailedBeforeAChange", DeleteWave, FileOp::kWrite, 1, 1, PROFILE_WRITE_FAILED},
        ReasonRow{"FlushFailed", DeleteWave, FileOp::kFlush, 1, 1, PROFILE_WRITE_FAILED},
        ReasonRow{"NotDeletable", DeleteWave, FileOp::kDelete, 1, -1, PROFILE_NOT_REPLACED},
        ReasonRow{"Done", DeleteWave, FileOp::kOpen, 0, 0, PROFILE_OK},
        ReasonRow{"ReaderReadFailed", GetWave, FileOp::kRead, 1, 1, PROFILE_READ_ERROR},
        ReasonRow{"ReaderNotOpened", GetWave, FileOp::kOpen, 1, 1, PROFILE_NOT_OPENED},
        ReasonRow{"ValueFound", GetWave, FileOp::kOpen, 0, 0, PROFILE_OK},
        ReasonRow{"NoKeyGiven", [](const char* p) { return IniGetString(p, "drivers", nullptr, nullptr) == nullptr; },
                  FileOp::kOpen, 0, 1, PROFILE_INVALID_ARGUMENT},
        ReasonRow{"NoLineGiven", [](const char* p) { return IniAddLine(p, "drivers", nullptr); }, FileOp::kOpen, 0, 1,
                  PROFILE_INVALID_ARGUMENT},
        ReasonRow{"LastSectionReadFailed", [](const char* p) { return *IniGetLastSection(p, "") == '\0'; },
                  FileOp::kRead, 1, 1, PROFILE_READ_ERROR},
        ReasonRow{"LastSection", [](const char* p) { return *IniGetLastSection(p, "") == '\0'; }, FileOp::kOpen, 0, 0,
                  PROFILE_OK},
        ReasonRow{"WalkOfNoSection",
                  [](const char* p) {
                    std::int32_t position = 0;
                    return IniFirstSectionLine(p, "other", &position, 0) == nullptr;
                  },
                  FileOp::kOpen, 0, 1, PROFILE_NO_SECTION},
        // The end of a section is no failure.
        ReasonRow{"WalkToTheEnd",
                  [](const char* p) {
                    std::int32_t position = 0;
                    IniFirstSectionLine(p, "drivers", &position, 0);
                    return IniNextSectionLine(p, &position, 0) == nullptr;
                  },
                  FileOp::kOpen, 0, 1, PROFILE_OK}),
    test_support::NameOfParam());

// Whatever call of the file layer fails, an edit reports success exactly
// when its code does.
class LastResultSweep : public ProfileTest, public ::testing::WithParamInterface<EditOperation> {};

TEST_P(LastResultSweep, IsOkExactlyWhenTheCodeIs) {
  const std::string path = Path("s.ini");
  for (int n = 1;; ++n) {
    ASSERT_LT(n, 1000) << "the sweep does not end";
    fs::remove(Root() / "s.$$$");
    Put("s.ini", "; top\n[drivers]\r\nwave=a.drv\nmidi=m\n" + std::string(300, 'L') + "\n[other]\nk=1\n");
    FailFromCall(n, false, true);
    const int code = GetParam().run(path.c_str());
    const bool fired = plan_.Fired();
    NoFaults();
    EXPECT_EQ(code == 0, ProfileLastResult() == PROFILE_OK) << "failing call " << n << ", code " << code;
    if (!fired) break;
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, LastResultSweep, ::testing::ValuesIn(profile_test::EditOperations()),
                         test_support::NameOfParam());

}  // namespace
