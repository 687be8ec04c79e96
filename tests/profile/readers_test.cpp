// The value readers and the section walk: the key rule's value forms, the
// first-section-only lookup, number conversions at their edges, and the walk's
// lines, positions and line count.
#include <cstdint>
#include <string>
#include <vector>

#include "profile/profile.h"
#include "profile_fixture.h"

namespace {

using platform::FileOp;
using profile_test::ProfileTest;

class Readers : public ProfileTest {
 protected:
  std::string File() const { return Path("s.ini"); }
  // The value of key port in section s, or "<default>".
  std::string Value(const std::string& bytes, const char* section = "s", const char* key = "port") {
    Put("s.ini", bytes);
    const char* value = IniGetString(File().c_str(), section, key, "<default>");
    return value ? value : "<null>";
  }
};

struct ValueCase {
  const char* name;
  const char* bytes;
  const char* section;
  const char* value;
};

const ValueCase kValues[] = {
    {"Plain", "[s]\nPort=220\n", "s", "220"},
    {"BlanksAroundEqualsStay", "[s]\nPort = 220\n", "s", "= 220"},
    {"EmptyValueWithLineEnd", "[s]\nPort=\n", "s", ""},
    {"EmptyValueUnterminated", "[s]\nPort=", "s", "<default>"},
    {"KeyAloneDoesNotMatch", "[s]\nPort\n", "s", "<default>"},
    {"KeyAloneUnterminated", "[s]\nPort", "s", "<default>"},
    {"CaseFolded", "[S]\nPORT=7\n", "s", "7"},
    {"TrailingSpaceTrimmed", "[s]\nPort=a b  \t\n", "s", "a b"},
    {"TabSeparator", "[s]\nport\t 5\n", "s", " 5"},
    {"FirstLineWins", "[s]\nport=1\nport=2\n", "s", "1"},
    {"OnlyTheFirstSection", "[s]\nx=1\n[t]\n[s]\nport=5\n", "s", "<default>"},
    {"SectionEndsAtKeyToken", "[s]\n  [t]\nport=5\n", "s", "<default>"},
    {"CommentBracketDoesNotEnd", "[s]\n; [t]\nport=5\n", "s", "5"},
    {"NoSectionBeforeTheFirstHeader", "port=0\n[s]\nport=5\n", nullptr, "0"},
    {"NoSectionAnywhere", "[a]\nx=1\n[b]\nport=9\n", nullptr, "9"},
    {"NoSectionHeaderLinesPassOver", "[port]\nport=3\n", nullptr, "3"},
    {"MissingSection", "[t]\nport=1\n", "s", "<default>"},
    {"LoneCrStaysInTheValue", "[s]\nport=a\rb\n", "s", "a\rb"},
    {"CrLfIsOneLineEnd", "[s]\r\nport=4\r\n", "s", "4"},
    {"NothingAfterCtrlZ", "[s]\n\x1Aport=4\n", "s", "<default>"},
};

class GetString : public Readers, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(GetString, Value) {
  const ValueCase& c = GetParam();
  EXPECT_EQ(Value(c.bytes, c.section), c.value);
}

INSTANTIATE_TEST_SUITE_P(Cases, GetString, ::testing::ValuesIn(kValues),
                         test_support::NameOfParam());

TEST_F(Readers, DefaultPointerComesBackItself) {
  Put("s.ini", "[s]\n");
  const char* fallback = "dflt";
  EXPECT_EQ(IniGetString(File().c_str(), "s", "k", fallback), fallback);
  EXPECT_EQ(IniGetString(Path("missing.ini").c_str(), "s", "k", fallback), fallback);
  EXPECT_EQ(IniGetString(File().c_str(), "s", "k", nullptr), nullptr);
}

TEST_F(Readers, LongKeyLineValueEndsWithTheFirstPiece) {
  std::string line = "k=" + std::string(198, 'v') + "\n";
  EXPECT_EQ(Value("[s]\n" + line, "s", "k"), std::string(125, 'v'));
}

TEST_F(Readers, ReadErrorGivesTheDefault) {
  Put("s.ini", "[s]\nport=1\n");
  FailNth(FileOp::kRead, 2);
  EXPECT_STREQ(IniGetString(File().c_str(), "s", "port", "d"), "d");
}

TEST_F(Readers, Hex) {
  struct Case {
    const char* value;
    std::int32_t expected;
  };
  const Case cases[] = {
      {"0x1A", 26}, {"1a", 26}, {"x1A", 26}, {"0X1a", 26}, {"1x2", 1}, {" 1A", 0}, {"", 0},
      {"123456789", 0x23456789}, {"FFFFFFFF", -1}, {"12g4", 0x12}, {"-5", 0},
  };
  for (const auto& c : cases) {
    Put("s.ini", std::string("[s]\nk=") + c.value + "\n");
    EXPECT_EQ(IniGetHex(File().c_str(), "s", "k", 7), c.expected) << c.value;
  }
  Put("s.ini", "[s]\nPort = 0x10\n");
  EXPECT_EQ(IniGetHex(File().c_str(), "s", "port", 7), 0);
  for (std::int32_t fallback : {0x220, 0, -1, INT32_MIN, 0x7FFFFFFF, 0x10}) {
    EXPECT_EQ(IniGetHex(File().c_str(), "s", "missing", fallback), fallback);
    EXPECT_EQ(IniGetHex(Path("missing.ini").c_str(), "s", "k", fallback), fallback);
  }
}

TEST_F(Readers, Unsigned) {
  struct Case {
    const char* value;
    std::uint32_t expected;
  };
  const Case cases[] = {
      {"42", 42}, {" 42", 42}, {"42abc", 42}, {"abc", 0}, {"", 0}, {"= 42", 0}, {"+7", 7},
      {"-1", 4294967295u}, {"4294967295", 4294967295u}, {"4294967296", 0}, {"-", 0}, {"\t\v9", 9},
  };
  for (const auto& c : cases) {
    Put("s.ini", std::string("[s]\nk=") + c.value + "\n");
    EXPECT_EQ(IniGetUnsigned(File().c_str(), "s", "k", 7), c.expected) << c.value;
  }
  for (std::uint32_t fallback : {0u, 1u, 4294967295u, 2147483648u}) {
    EXPECT_EQ(IniGetUnsigned(File().c_str(), "s", "missing", fallback), fallback);
  }
}

TEST_F(Readers, LastSection) {
  struct Case {
    const char* bytes;
    const char* expected;
  };
  const Case cases[] = {
      {"[A]\nx=1\n[ B ]\n", "B"},
      {"x=1\n", "dflt"},
      {"", "dflt"},
      {"[A]\npath=[x]\n", "x"},
      {"[A]\n[]\n", ""},
      {"[A]\n[b\n", "A"},
      {"[A]\n]x[y\n", "y\n"},
      {"[ a b ]\n", "a b"},
      {"[A]\n\x1A[B]\n", "A"},
  };
  for (const auto& c : cases) {
    Put("s.ini", c.bytes);
    EXPECT_STREQ(IniGetLastSection(File().c_str(), "dflt"), c.expected) << c.bytes;
  }
  EXPECT_STREQ(IniGetLastSection(Path("missing.ini").c_str(), "dflt"), "dflt");
}

// The readers pass over lines before a match without looking at them; a key
// or header that stands at the start of a later piece of a long line is
// still found, as when every piece is read.
TEST_F(Readers, PiecesInsideLongLinesCountAfterLinesPassedOver) {
  std::string passed;
  for (int i = 0; i < 2000; ++i) passed += "key" + std::to_string(i) + "=value\r\n";
  const std::string piece(127, 'x');
  struct Case {
    std::string bytes;
    const char* section;
    const char* value;
    const char* lastSection;
  };
  const Case cases[] = {
      {"[s]\r\n" + passed + piece + "port=8\r\n", "s", "8", "s"},
      {passed + piece + "port=8\r\n", nullptr, "8", "dflt"},
      {"[t]\r\n" + passed + piece + "[s]\r\nport=9\r\n", "s", "9", "s"},
      {"[s]\r\n" + passed + piece + "[t]\r\nport=9\r\n", "s", "<default>", "t"},
      {"[s]\r\n" + passed + piece.substr(1) + "port=8\r\n", "s", "<default>", "s"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.substr(c.bytes.size() - 20));
    EXPECT_EQ(Value(c.bytes, c.section), c.value);
    EXPECT_STREQ(IniGetLastSection(File().c_str(), "dflt"), c.lastSection);
  }
}

TEST_F(Readers, ANulEndsTheTextTheRulesSee) {
  // "[a" is no header: the last-section reader and the lookup agree on it.
  Put("s.ini", std::string("[b]\nk=1\n[a\0]\nk=2\n", 17));
  EXPECT_STREQ(IniGetLastSection(File().c_str(), "dflt"), "b");
  EXPECT_EQ(IniGetString(File().c_str(), "a", "k", nullptr), nullptr);
  EXPECT_STREQ(IniGetString(File().c_str(), "b", "k", "d"), "1");
}

TEST_F(Readers, LastSectionDefaultIsCutTo127Bytes) {
  std::string fallback(300, 'd');
  const char* result = IniGetLastSection(Path("missing.ini").c_str(), fallback.c_str());
  EXPECT_EQ(std::string(result), std::string(127, 'd'));
}

// A walk as profctl shows it: each line with IniLineNumber and the position.
struct Step {
  std::string line;
  std::int32_t number;
  std::int32_t position;
  bool operator==(const Step&) const = default;
  friend void PrintTo(const Step& step, std::ostream* out) {
    *out << '"' << step.line << "\" " << step.number << ' ' << step.position;
  }
};

class Walk : public Readers {
 protected:
  std::vector<Step> Run(const char* section, int options, std::int32_t start = 0) {
    std::vector<Step> steps;
    std::int32_t position = start;
    const char* line = IniFirstSectionLine(File().c_str(), section, &position, options);
    while (line != nullptr) {
      steps.push_back({line, IniLineNumber, position});
      line = IniNextSectionLine(File().c_str(), &position, options);
    }
    steps.push_back({"<end>", IniLineNumber, position});
    return steps;
  }
};

TEST_F(Walk, SkipsCommentsAndBlankLines) {
  Put("s.ini", "[A]\n;note\n\n  k=v  \n[B]\n");
  EXPECT_EQ(Run("A", 0), (std::vector<Step>{{"  k=v", 4, 19}, {"<end>", 5, 19}}));
}

TEST_F(Walk, BlankLinesUnderOptionOne) {
  Put("s.ini", "[A]\n;note\n\n  k=v  \n[B]\n");
  EXPECT_EQ(Run("A", 1), (std::vector<Step>{{"", 3, 11}, {"  k=v", 4, 19}, {"<end>", 5, 19}}));
}

TEST_F(Walk, PositionsAreOffsetsOnDisk) {
  Put("s.ini", "[A]\r\nx=1\r\ny=2\nz=3");
  EXPECT_EQ(Run("A", 0), (std::vector<Step>{{"x=1", 2, 10}, {"y=2", 3, 14}, {"z=3", 4, 17},
                                            {"<end>", 5, 17}}));
}

TEST_F(Walk, WhatEndsAndWhatDoesNot) {
  Put("s.ini", "[A]\n ; x\n; [B]\nk=[v]\n  [B]\nafter\n");
  EXPECT_EQ(Run("A", 0), (std::vector<Step>{{" ; x", 2, 9}, {"k=[v]", 4, 21}, {"<end>", 5, 21}}));
}

TEST_F(Walk, CommentHeaderStartsTheWalk) {
  Put("s.ini", ";[A]\nk=1\n");
  EXPECT_EQ(Run("A", 0), (std::vector<Step>{{"k=1", 2, 9}, {"<end>", 3, 9}}));
}

TEST_F(Walk, LongLineIsTwoWalkLines) {
  std::string line(200, 'w');
  Put("s.ini", "[A]\n" + line + "\n");
  EXPECT_EQ(Run("A", 0), (std::vector<Step>{{line.substr(0, 127), 2, 131},
                                            {line.substr(127), 3, 205},
                                            {"<end>", 4, 205}}));
}

TEST_F(Walk, FromPositionFindsTheNextSection) {
  Put("s.ini", "[A]\nk=1\n[B]\n[A]\nk=2\n");
  std::vector<Step> first = Run("A", 0);
  EXPECT_EQ(first, (std::vector<Step>{{"k=1", 2, 8}, {"<end>", 3, 8}}));
  EXPECT_EQ(Run("A", 2, first.back().position),
            (std::vector<Step>{{"k=2", 3, 20}, {"<end>", 4, 20}}));
  EXPECT_EQ(Run("A", 2, 20), (std::vector<Step>{{"<end>", 1, 20}}));
}

TEST_F(Walk, NextAfterTheEndStaysAtTheEnd) {
  Put("s.ini", "[A]\nk=1\n[B]\n");
  std::int32_t position = 0;
  ASSERT_STREQ(IniFirstSectionLine(File().c_str(), "A", &position, 0), "k=1");
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(IniNextSectionLine(File().c_str(), &position, 0), nullptr);
    EXPECT_EQ(position, 8);
  }
  EXPECT_EQ(IniLineNumber, 5);
}

TEST_F(Walk, NegativePositionReadsFromTheStart) {
  Put("s.ini", "k=0\n[A]\nk=1\n");
  std::int32_t position = -5;
  EXPECT_STREQ(IniNextSectionLine(File().c_str(), &position, 0), "k=0");
  EXPECT_EQ(position, 4);
  position = -1;
  EXPECT_STREQ(IniFirstSectionLine(File().c_str(), "A", &position, 2), "k=1");
  EXPECT_EQ(position, 12);
}

TEST_F(Walk, MissingFileOrSectionLeavesThePosition) {
  std::int32_t position = 33;
  IniLineNumber = 9;
  EXPECT_EQ(IniFirstSectionLine(Path("missing.ini").c_str(), "A", &position, 0), nullptr);
  EXPECT_EQ(IniLineNumber, 9);
  EXPECT_EQ(IniNextSectionLine(Path("missing.ini").c_str(), &position, 0), nullptr);
  Put("s.ini", "[B]\nk=1\n");
  EXPECT_EQ(IniFirstSectionLine(File().c_str(), "A", &position, 0), nullptr);
  EXPECT_EQ(position, 33);
  EXPECT_EQ(IniLineNumber, 3);
}

TEST_F(Walk, ReturnedTextsLiveInSeparateBuffers) {
  Put("s.ini", "[A]\nfirst\nsecond\n");
  std::int32_t position = 0;
  const char* first = IniFirstSectionLine(File().c_str(), "A", &position, 0);
  const char* second = IniNextSectionLine(File().c_str(), &position, 0);
  EXPECT_STREQ(first, "first");
  EXPECT_STREQ(second, "second");
}

}  // namespace
