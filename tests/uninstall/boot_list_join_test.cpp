// Joining the card's lines to a wininit.ini another program wrote: every
// byte of it stays, ours go into its first [rename] section once.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>

#include "uninstall/boot_list_join.h"

namespace {

constexpr std::array<std::string_view, 2> kOurs = {"NUL=C:\\W\\a.drv", "NUL=C:\\W\\b.vxd"};
constexpr std::string_view kOursAdded = "NUL=C:\\W\\a.drv\r\nNUL=C:\\W\\b.vxd\r\n";

struct JoinCase {
  const char* name;
  std::string before;
  std::string after;
};

std::string Joined(std::string_view list) {
  std::string out;
  uninstall::JoinPlan plan = uninstall::PlanJoin(list, kOurs);
  EXPECT_TRUE(uninstall::WriteJoined(list, kOurs, plan, [&](std::string_view bytes) {
    out.append(bytes);
    return true;
  }));
  return out;
}

class JoinTest : public testing::TestWithParam<JoinCase> {};

TEST_P(JoinTest, KeepsEveryByteAndAddsOursOnce) { EXPECT_EQ(Joined(GetParam().before), GetParam().after); }

const std::string kOther = "NUL=C:\\OTHER\\x.dll";

INSTANTIATE_TEST_SUITE_P(
    Shapes, JoinTest,
    testing::Values(
        JoinCase{"Empty", "", "[rename]\r\n" + std::string(kOursAdded)},
        JoinCase{"AfterTheLastLineOfTheSection",
                 "[rename]\r\n" + kOther + "\r\n\r\n[other]\r\nk=v\r\n",
                 "[rename]\r\n" + kOther + "\r\n" + std::string(kOursAdded) + "\r\n[other]\r\nk=v\r\n"},
        JoinCase{"HeaderWithoutCaseAndBlanks", " [ReName]\t\n" + kOther + "\n",
                 " [ReName]\t\n" + kOther + "\n" + std::string(kOursAdded)},
        JoinCase{"LastLineWithoutLineEnd", "[rename]\r\n" + kOther,
                 "[rename]\r\n" + kOther + "\r\n" + std::string(kOursAdded)},
        JoinCase{"OnlyTheFirstRenameSection", "[rename]\r\n[x]\r\n[rename]\r\nNUL=C:\\W\\a.drv\r\n",
                 "[rename]\r\n" + std::string(kOursAdded) + "[x]\r\n[rename]\r\nNUL=C:\\W\\a.drv\r\n"},
        JoinCase{"LinesAlreadyThereLeftOut", "[rename]\r\n  nul=c:\\w\\B.VXD \r\n",
                 "[rename]\r\n  nul=c:\\w\\B.VXD \r\nNUL=C:\\W\\a.drv\r\n"},
        JoinCase{"AllThereChangesNothing", "[rename]\r\nNUL=C:\\W\\a.drv\r\nNUL=C:\\W\\b.vxd",
                 "[rename]\r\nNUL=C:\\W\\a.drv\r\nNUL=C:\\W\\b.vxd"},
        JoinCase{"NoSectionAppendsOne", "[other]\r\nk=v",
                 "[other]\r\nk=v\r\n[rename]\r\n" + std::string(kOursAdded)},
        JoinCase{"OursOutsideTheSectionStillAdded", "[other]\r\nNUL=C:\\W\\a.drv\r\n",
                 "[other]\r\nNUL=C:\\W\\a.drv\r\n[rename]\r\n" + std::string(kOursAdded)},
        JoinCase{"CtrlZEndsTheText", "[x]\r\n\x1A[rename]\r\n",
                 "[x]\r\n[rename]\r\n" + std::string(kOursAdded) + "\x1A[rename]\r\n"}),
    [](const testing::TestParamInfo<JoinCase>& info) { return std::string(info.param.name); });

TEST(JoinPlanTest, AFailedPutStopsTheWrite) {
  int puts = 0;
  uninstall::JoinPlan plan = uninstall::PlanJoin("", kOurs);
  EXPECT_FALSE(uninstall::WriteJoined("", kOurs, plan, [&](std::string_view) { return ++puts < 3; }));
  EXPECT_EQ(puts, 3);
}

}  // namespace
