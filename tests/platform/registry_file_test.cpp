// The REGEDIT4 text: what parses into which values, what does not parse and
// at which line, and what removing a key leaves of the text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hosted/machine/regedit4.h"

namespace {

using platform::hosted::RegistryError;
using platform::hosted::RegistryFile;
using platform::hosted::RegistryValue;

constexpr const char* kLm = "HKEY_LOCAL_MACHINE";

RegistryFile Parsed(const std::string& text) {
  RegistryFile file;
  RegistryError error;
  EXPECT_TRUE(file.Parse(text, error)) << "line " << error.line << ": " << error.reason << "\n" << text;
  return file;
}

TEST(RegistryFileTest, ValueLinesGiveTheirTypesAndBytes) {
  struct Case {
    const char* line;
    const char* name;
    std::uint32_t type;
    std::string data;
  };
  const std::vector<Case> cases = {
      {R"("Driver"="MEDIA\\0003")", "Driver", 1, std::string("MEDIA\\0003\0", 11)},
      {R"("q"="say \"hi\"")", "q", 1, std::string("say \"hi\"\0", 9)},
      {R"("e"="")", "e", 1, std::string("\0", 1)},
      {R"("tail"="C:\\")", "tail", 1, std::string("C:\\\0", 4)},
      {R"("na\"me"="x")", "na\"me", 1, std::string("x\0", 2)},
      {R"(@="default")", "", 1, std::string("default\0", 8)},
      {R"("n"=dword:0000000a)", "n", 4, std::string("\x0a\0\0\0", 4)},
      {R"("n"=DWORD:FFfe0102)", "n", 4, std::string("\x02\x01\xfe\xff", 4)},
      {R"("n"=dword:1)", "n", 4, std::string("\x01\0\0\0", 4)},
      {R"("b"=hex:01,02,ff)", "b", 3, std::string("\x01\x02\xff", 3)},
      {R"("b"=hex: 0a , b ,00)", "b", 3, std::string("\x0a\x0b\x00", 3)},
      {R"("b"=hex:)", "b", 3, ""},
      {R"("m"=hex(7):41,00,00)", "m", 7, std::string("A\0\0", 3)},
      {R"("x"=hex(2):25,00)", "x", 2, std::string("%\0", 2)},
      {R"("big"=hex(b):01)", "big", 11, "\x01"},
      {"  \"indented\"=\"v\"   ", "indented", 1, std::string("v\0", 2)},
  };
  for (const Case& c : cases) {
    RegistryFile file = Parsed(std::string("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n") + c.line + "\r\n");
    const RegistryValue* value = file.FindValue(kLm, "K", c.name);
    ASSERT_NE(value, nullptr) << c.line;
    EXPECT_EQ(value->type, c.type) << c.line;
    EXPECT_EQ(value->data, c.data) << c.line;
  }
}

TEST(RegistryFileTest, ABackslashAtTheEndContinuesTheLine) {
  RegistryFile file = Parsed(
      "REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n"
      "\"b\"=hex:01,02,\\\n"
      "  03,04,\\\r\n"
      "\t05\n"
      "\"after\"=\"x\"\n");
  const RegistryValue* value = file.FindValue(kLm, "K", "b");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->data, std::string("\x01\x02\x03\x04\x05"));
  EXPECT_NE(file.FindValue(kLm, "K", "after"), nullptr);
}

TEST(RegistryFileTest, NamesCompareIgnoringCaseAndTheLastSettingWins) {
  RegistryFile file = Parsed(
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\Dev\\0]\n\"Driver\"=\"first\"\n"
      "\n[hkey_local_machine\\ENUM\\pcmcia\\DEV\\0]\n\"DRIVER\"=\"second\"\n");
  const RegistryValue* value = file.FindValue(kLm, "enum\\Pcmcia\\dev\\0", "driver");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->data, std::string("second\0", 7));
  EXPECT_EQ(file.FindValue(kLm, "enum\\Pcmcia\\dev", "driver"), nullptr);
  EXPECT_EQ(file.FindValue("HKEY_CURRENT_USER", "Enum\\PCMCIA\\Dev\\0", "Driver"), nullptr);
}

TEST(RegistryFileTest, AKeyExistsThroughTheBlocksBelowIt) {
  RegistryFile file = Parsed("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\n\n[HKEY_CURRENT_USER\\X]\n");
  EXPECT_TRUE(file.KeyExists(kLm, "A"));
  EXPECT_TRUE(file.KeyExists(kLm, "a\\b"));
  EXPECT_TRUE(file.KeyExists(kLm, "A\\B\\C"));
  EXPECT_TRUE(file.KeyExists(kLm, ""));
  EXPECT_FALSE(file.KeyExists(kLm, "A\\B\\C\\D"));
  EXPECT_FALSE(file.KeyExists(kLm, "A\\B\\"));
  EXPECT_FALSE(file.KeyExists(kLm, "A\\Bx"));
  EXPECT_FALSE(file.KeyExists(kLm, "X"));
  EXPECT_TRUE(file.KeyExists("HKEY_CURRENT_USER", "x"));
}

TEST(RegistryFileTest, LineEndsBlankLinesAndCommentsAreAccepted) {
  for (const char* text : {"REGEDIT4", "REGEDIT4\n", "REGEDIT4\r\n\r\n", "REGEDIT4  \r\n;comment\r\n\r\n",
                           "REGEDIT4\n[HKEY_LOCAL_MACHINE]\n@=\"root\"",
                           "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\K]   \r\n\r\n  ; note\r\n\"a\"=\"b\""}) {
    RegistryFile file;
    RegistryError error;
    EXPECT_TRUE(file.Parse(text, error)) << text << " -> line " << error.line << ": " << error.reason;
  }
}

TEST(RegistryFileTest, WhatDoesNotParseNamesItsLine) {
  const std::vector<std::pair<std::string, std::size_t>> cases = {
      {"", 1},
      {"REGEDIT5\n", 1},
      {"Windows Registry Editor Version 5.00\r\n", 1},
      {"\nREGEDIT4\n", 1},
      {"REGEDIT4\n\"a\"=\"b\"\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K\n", 2},
      {"REGEDIT4\n[HKEY_NOWHERE\\K]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\a\\\\b]\n", 2},
      {"REGEDIT4\n[-HKEY_LOCAL_MACHINE\\K]\n", 2},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"unterminated\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\n\"a\"=\"bad \\n escape\"\n", 4},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"x\" junk\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:123456789\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=dword:12g4\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:1,234\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:01,,02\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:01,\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex(z):01\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex(2)01\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=-\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\" = \"b\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"\"=\"b\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\nname=\"b\"\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=\"b\"\r\r\n", 3},
      // A value continued over lines is reported at its first line.
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:01,\\\n  zz\n", 3},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\K]\n\"a\"=hex:01,\\\n", 3},
  };
  for (const auto& [text, line] : cases) {
    RegistryFile file;
    RegistryError error;
    EXPECT_FALSE(file.Parse(text, error)) << text;
    EXPECT_EQ(error.line, line) << text;
    EXPECT_FALSE(error.reason.empty()) << text;
    EXPECT_TRUE(file.Blocks().empty()) << text;
  }
}

TEST(RegistryFileTest, RemovingAKeyCutsItsBlocksAndThoseBelowOnly) {
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA]\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\Card]\r\n"
      "\"a\"=\"1\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\CardX]\r\n"
      "\"keep\"=dword:00000001\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\ENUM\\pcmcia\\card\\0]\r\n"
      "\"Driver\"=\"MEDIA\\\\0003\"\r\n"
      "; a comment that goes with its block\r\n"
      "\r\n"
      "[HKEY_CURRENT_USER\\Enum\\PCMCIA\\Card]\r\n"
      "\"other root\"=\"stays\"\r\n"
      "\r\n"
      "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\Card\\1]\r\n"
      "\"b\"=hex:01,\\\r\n"
      "  02\r\n";
  RegistryFile file = Parsed(text);
  std::string result;
  ASSERT_TRUE(file.RemoveKey(text, kLm, "enum\\pcmcia\\CARD", result));
  EXPECT_EQ(result,
            "REGEDIT4\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA]\r\n"
            "\r\n"
            "[HKEY_LOCAL_MACHINE\\Enum\\PCMCIA\\CardX]\r\n"
            "\"keep\"=dword:00000001\r\n"
            "\r\n"
            "[HKEY_CURRENT_USER\\Enum\\PCMCIA\\Card]\r\n"
            "\"other root\"=\"stays\"\r\n"
            "\r\n");
  EXPECT_FALSE(file.RemoveKey(text, kLm, "Enum\\PCMCIA\\Car", result));
  EXPECT_EQ(result, text);
}

TEST(RegistryFileTest, RemovingTheLastBlockOfAFileWithoutALineEnd) {
  const std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n[HKEY_LOCAL_MACHINE\\B]\n\"y\"=\"2\"";
  RegistryFile file = Parsed(text);
  std::string result;
  ASSERT_TRUE(file.RemoveKey(text, kLm, "B", result));
  EXPECT_EQ(result, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\A]\n\"x\"=\"1\"\n");
  ASSERT_TRUE(file.RemoveKey(text, kLm, "A", result));
  EXPECT_EQ(result, "REGEDIT4\n[HKEY_LOCAL_MACHINE\\B]\n\"y\"=\"2\"");
}

}  // namespace
