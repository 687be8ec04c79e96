// profctl end to end: the real binary is run in a scratch folder, and what it
// printed, its exit status and every file left in the folder are compared
// byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "child.h"
#include "param_name.h"
#include "folder_fixture.h"

namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;
using Args = std::vector<std::string>;

using Result = test_support::ChildResult;

constexpr int kUsageStatus = 64;
constexpr int kCannotRun = 127;
constexpr int kCannotStart = 126;
constexpr std::string_view kTryHelp = "Try 'profctl --help' for more information.\n";
constexpr std::string_view kMachineVariable = "WIN95_MACHINE";

class ProfctlTest : public test_support::FolderTest {
 protected:
  ProfctlTest() : FolderTest("work") {}

  // Every regular file below the folder, by its relative path.
  Files Folder() const {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(Root())) {
      if (entry.is_regular_file()) files[fs::relative(entry.path(), Root()).generic_string()] = Get(entry.path());
    }
    return files;
  }

  // Runs profctl in the folder with exactly these arguments (raw bytes, no
  // shell), WIN95_MACHINE unset unless given, standard output to a file of
  // the kit or to /dev/full. An unprivileged run drops root first.
  Result Run(const Args& args, const std::string& machine = {}, bool fullOutput = false,
             bool unprivileged = false) const {
    test_support::ChildLaunch launch;
    launch.program = PROFCTL_PATH;
    launch.arguments = args;
    launch.environment[std::string(kMachineVariable)] =
        machine.empty() ? std::nullopt : std::optional<std::string>(machine);
    launch.output = fullOutput ? test_support::Output::kFull : test_support::Output::kCaptured;
    launch.workingDirectory = Root();
    launch.unprivileged = unprivileged;
    Result result = test_support::RunChild(launch, Base() / "io");
    if (result.exitStatus == kCannotRun || result.exitStatus == kCannotStart) {
      ADD_FAILURE() << "cannot run " << PROFCTL_PATH;
    }
    return result;
  }

  // Lets an unprivileged run reach the folder and write its output.
  void OpenToEveryone() {
    fs::create_directories(Base() / "io");
    for (const fs::path& folder : {Base(), Root(), Base() / "io"}) {
      fs::permissions(folder, fs::perms::all, fs::perm_options::add);
    }
  }

  Result Help() const { return Run({"--help"}); }
};

// ---------------------------------------------------------------------------
// Usage errors: one line naming the problem and a pointer to --help on
// stderr (never the whole usage), nothing on stdout, exit 64, and the file
// named in the command line is never touched.

struct UsageCase {
  const char* name;
  Args args;
  std::string message;  // the line after "profctl: "
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class UsageErrorTest : public ProfctlTest, public ::testing::WithParamInterface<UsageCase> {};

constexpr const char* kSample = "[d]\r\nk=1\r\n";

TEST_P(UsageErrorTest, OneLineAndPointerToHelpExit64) {
  Put("a.ini", kSample);
  Result result = Run(GetParam().args);
  EXPECT_EQ(result.exitStatus, kUsageStatus);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "profctl: " + GetParam().message + "\n" + std::string(kTryHelp));
  EXPECT_EQ(Folder(), (Files{{"a.ini", kSample}}));
}

std::string BadNumber(const std::string& what, const std::string& text) {
  return what + ": not a 32-bit integer: '" + text + "'";
}

UsageCase BadValue(const char* name, const std::string& text) {
  return {name, {"add-int", "-s", "d", "a.ini", "n", text}, "add-int: " + BadNumber("VALUE", text)};
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, UsageErrorTest,
    ::testing::Values(
        UsageCase{"NoArguments", {}, "missing subcommand"},
        UsageCase{"UnknownSubcommand", {"frob", "a.ini"}, "unknown subcommand 'frob'"},
        UsageCase{"OptionInPlaceOfSubcommand", {"-s", "d"}, "missing subcommand before '-s'"},
        UsageCase{"QuietBeforeSubcommand",
                  {"-q", "get", "a.ini", "k"},
                  "missing subcommand before '-q'"},
        UsageCase{"VersionAsSubcommand", {"version"}, "unknown subcommand 'version'"},
        UsageCase{"UnknownOption", {"get", "-x", "a.ini", "k"}, "get: unknown option '-x'"},
        // A single dash takes letters: -s with the value "ection".
        UsageCase{"SingleDashLongName",
                  {"delete-key", "-section", "d", "a.ini", "k"},
                  "delete-key: unexpected argument 'k'"},
        UsageCase{"FileLooksLikeOption",
                  {"delete-key", "-a.ini", "k"},
                  "delete-key: unknown option '-a'"},
        UsageCase{"UnknownLetterInCluster",
                  {"get", "-qx", "a.ini", "k"},
                  "get: unknown option '-x'"},
        UsageCase{"UnknownLetterAfterLongOption",
                  {"get", "--section=d", "-xq", "a.ini", "k"},
                  "get: unknown option '-x'"},
        UsageCase{"UnknownLongOption",
                  {"get", "--sections", "d", "a.ini", "k"},
                  "get: unknown option '--sections'"},
        UsageCase{"UnknownLongOptionWithValue",
                  {"get", "--colour=never", "a.ini", "k"},
                  "get: unknown option '--colour'"},
        UsageCase{"ValueForTrace",
                  {"walk", "-s", "d", "--trace=1", "a.ini"},
                  "walk: option '--trace' takes no value"},
        UsageCase{"ValueForQuiet",
                  {"get", "--quiet=yes", "a.ini", "k"},
                  "get: option '--quiet' takes no value"},
        UsageCase{"ValueForVersion",
                  {"get", "--version=2", "a.ini", "k"},
                  "get: option '--version' takes no value"},
        UsageCase{"SectionForDeleteLine",
                  {"delete-line", "-s", "d", "a.ini", "k=1"},
                  "delete-line: option '-s' does not apply here"},
        UsageCase{"SectionForLastSection",
                  {"last-section", "--section", "d", "a.ini", "x"},
                  "last-section: option '--section' does not apply here"},
        UsageCase{"TraceForGet",
                  {"get", "--trace", "a.ini", "k"},
                  "get: option '--trace' does not apply here"},
        UsageCase{"WalkOptionsForDeleteKey",
                  {"delete-key", "-o", "1", "a.ini", "k"},
                  "delete-key: option '-o' does not apply here"},
        UsageCase{"WalkWithoutSection", {"walk", "a.ini"}, "walk: missing -s SECTION"},
        UsageCase{"TraceWalkWithoutSection",
                  {"walk", "--trace", "-p", "0", "a.ini"},
                  "walk: missing -s SECTION"},
        UsageCase{"SectionWithoutName", {"get", "-s"}, "get: option '-s' needs SECTION"},
        UsageCase{"ClusteredSectionWithoutName",
                  {"get", "-qs"},
                  "get: option '-s' needs SECTION"},
        UsageCase{"LongSectionWithoutName",
                  {"get", "--section"},
                  "get: option '--section' needs SECTION"},
        UsageCase{"AbbreviatedSectionWithoutName",
                  {"get", "--sec"},
                  "get: option '--section' needs SECTION"},
        UsageCase{
            "PositionWithoutValue", {"walk", "-s", "d", "-p"}, "walk: option '-p' needs POSITION"},
        UsageCase{"SectionTwice",
                  {"delete-key", "-s", "a", "--section", "b", "a.ini", "k"},
                  "delete-key: option '--section' given twice"},
        UsageCase{"GluedSectionTwice",
                  {"delete-key", "--section=a", "-sb", "a.ini", "k"},
                  "delete-key: option '-s' given twice"},
        UsageCase{"PositionTwice",
                  {"walk", "-s", "d", "-p", "1", "-p", "2", "a.ini"},
                  "walk: option '-p' given twice"},
        UsageCase{"MissingFile", {"delete-key"}, "delete-key: missing FILE"},
        UsageCase{"MissingKey", {"delete-key", "-s", "d", "a.ini"}, "delete-key: missing KEY"},
        UsageCase{"MissingPattern", {"delete-line", "a.ini"}, "delete-line: missing PATTERN"},
        UsageCase{"MissingLine", {"add-line", "-s", "d", "a.ini"}, "add-line: missing LINE"},
        UsageCase{"MissingHexValue", {"add-hex", "a.ini", "k"}, "add-hex: missing VALUE"},
        UsageCase{"MissingSetHexValue", {"set-hex", "a.ini", "k"}, "set-hex: missing VALUE"},
        UsageCase{"MissingHexDefault", {"get-hex", "a.ini", "k"}, "get-hex: missing DEFAULT"},
        UsageCase{"MissingUnsignedDefault",
                  {"get-unsigned", "a.ini", "k"},
                  "get-unsigned: missing DEFAULT"},
        UsageCase{"MissingLastSectionDefault",
                  {"last-section", "a.ini"},
                  "last-section: missing DEFAULT"},
        UsageCase{"MissingWalkFile", {"walk", "-s", "d"}, "walk: missing FILE"},
        UsageCase{"OnlyEndOfOptions", {"get", "--"}, "get: missing FILE"},
        UsageCase{"ExtraArgument",
                  {"delete-key", "a.ini", "k", "x"},
                  "delete-key: unexpected argument 'x'"},
        UsageCase{
            "ExtraAfterOptional", {"get", "a.ini", "k", "d", "e"}, "get: unexpected argument 'e'"},
        UsageCase{"ExtraWalkFile",
                  {"walk", "-s", "d", "a.ini", "b.ini"},
                  "walk: unexpected argument 'b.ini'"},
        UsageCase{"OptionAfterEnd",
                  {"get", "--", "-s", "d", "a.ini", "k"},
                  "get: unexpected argument 'k'"},
        UsageCase{"BadLineOptions",
                  {"delete-line", "a.ini", "k=1", "x"},
                  "delete-line: " + BadNumber("OPTIONS", "x")},
        UsageCase{"BadHexDefault",
                  {"get-hex", "a.ini", "k", "0x"},
                  "get-hex: " + BadNumber("DEFAULT", "0x")},
        UsageCase{"BadUnsignedDefault",
                  {"get-unsigned", "a.ini", "k", "-2147483649"},
                  "get-unsigned: " + BadNumber("DEFAULT", "-2147483649")},
        UsageCase{"BadSetUnsigned",
                  {"set-unsigned", "a.ini", "k", "4294967296"},
                  "set-unsigned: " + BadNumber("VALUE", "4294967296")},
        UsageCase{"BadWalkOptions",
                  {"walk", "-s", "d", "-o", "one", "a.ini"},
                  "walk: " + BadNumber("-o OPTIONS", "one")},
        UsageCase{"BadWalkPosition",
                  {"walk", "-s", "d", "-p", "1.5", "a.ini"},
                  "walk: " + BadNumber("-p POSITION", "1.5")},
        BadValue("Word", "abc"), BadValue("Empty", ""), BadValue("TrailingJunk", "12x"),
        BadValue("SignOnly", "-"), BadValue("PlusOnly", "+"), BadValue("TwoSigns", "--1"),
        BadValue("UnsignedOverflow", "4294967296"), BadValue("SignedUnderflow", "-2147483649"),
        BadValue("HexOverflow", "0x100000000"), BadValue("HexBadDigit", "0x1g"),
        BadValue("OctalBadDigit", "08"), BadValue("LeadingBlank", " 1"),
        BadValue("TrailingBlank", "1 "), BadValue("Suffix", "1u"), BadValue("Binary", "0b1"),
        BadValue("Exponent", "1e3"), BadValue("Huge", "99999999999999999999"),
        BadValue("NegativeHugeHex", "-0xFFFFFFFF")),
    test_support::NameOfParam());

TEST_F(ProfctlTest, HelpPrintsUsageOnStdout) {
  Result help = Help();
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.err, "");
  EXPECT_EQ(help.out.rfind("usage: profctl ", 0), 0u) << help.out;
  for (const char* synopsis :
       {"profctl delete-line FILE PATTERN [OPTIONS]\n",
        "profctl delete-key [-s SECTION] FILE KEY\n",
        "profctl replace-key [-s SECTION] FILE KEY [LINE]\n",
        "profctl add-line [-s SECTION] FILE LINE\n",
        "profctl add-hex [-s SECTION] FILE KEY VALUE\n",
        "profctl add-int [-s SECTION] FILE KEY VALUE\n",
        "profctl set [-s SECTION] FILE KEY [VALUE]\n",
        "profctl set-unsigned [-s SECTION] FILE KEY VALUE\n",
        "profctl set-hex [-s SECTION] FILE KEY VALUE\n",
        "profctl get [-s SECTION] FILE KEY [DEFAULT]\n",
        "profctl get-hex [-s SECTION] FILE KEY DEFAULT\n",
        "profctl get-unsigned [-s SECTION] FILE KEY DEFAULT\n",
        "profctl last-section FILE DEFAULT\n",
        "profctl walk -s SECTION [-o OPTIONS] [-p POSITION] [--trace] FILE\n"}) {
    EXPECT_NE(help.out.find(synopsis), std::string::npos) << synopsis;
  }
}

// Every way of asking for the usage or the version answers on stdout, exit
// 0, whatever follows, and touches nothing.
TEST_F(ProfctlTest, HelpAndVersionInEveryPlace) {
  Put("a.ini", kSample);
  const std::string usage = Help().out;
  const std::string version = std::string("profctl ") + PROFCTL_VERSION + "\n";
  struct Ask {
    Args args;
    const std::string& out;
  };
  for (const Ask& ask : {Ask{{"-h"}, usage}, Ask{{"help"}, usage}, Ask{{"help", "get"}, usage},
                         Ask{{"get", "--help"}, usage}, Ask{{"get", "-h", "a.ini", "k"}, usage},
                         Ask{{"walk", "-s", "d", "--help", "a.ini"}, usage},
                         Ask{{"delete-key", "-qh", "a.ini", "k"}, usage},
                         Ask{{"delete-key", "--he"}, usage}, Ask{{"--version"}, version},
                         Ask{{"set", "--version", "a.ini", "k", "2"}, version},
                         Ask{{"get", "-s", "d", "--version"}, version}}) {
    Result result = Run(ask.args);
    EXPECT_EQ(result.exitStatus, 0) << ask.args[0];
    EXPECT_EQ(result.out, ask.out) << ask.args[0];
    EXPECT_EQ(result.err, "") << ask.args[0];
  }
  EXPECT_EQ(Folder(), (Files{{"a.ini", kSample}}));
}

TEST_F(ProfctlTest, VersionIsThreeNumbers) {
  Result result = Run({"--version"});
  EXPECT_TRUE(std::regex_match(result.out, std::regex("profctl [0-9]+\\.[0-9]+\\.[0-9]+\n")))
      << result.out;
}

// The section and quiet options in every spelling getopt_long knows.
TEST_F(ProfctlTest, OptionSpellingsAgree) {
  Put("a.ini", "[d]\r\nk=1\r\n[e]\r\nk=2\r\n");
  for (const Args& args :
       {Args{"get", "-s", "e", "a.ini", "k"}, Args{"get", "-se", "a.ini", "k"},
        Args{"get", "--section", "e", "a.ini", "k"}, Args{"get", "--section=e", "a.ini", "k"},
        Args{"get", "--sect=e", "a.ini", "k"}, Args{"get", "-qse", "a.ini", "k"},
        Args{"get", "-q", "-s", "e", "--", "a.ini", "k"},
        Args{"get", "--quiet", "-q", "--section=e", "a.ini", "k"}}) {
    Result result = Run(args);
    EXPECT_EQ(result.out, "2\n") << args[1];
    EXPECT_EQ(result.exitStatus, 0) << args[1];
  }
  // An empty section name is a name: it matches the header [].
  Put("b.ini", "k=0\r\n[]\r\nk=3\r\n");
  EXPECT_EQ(Run({"get", "--section=", "b.ini", "k"}).out, "3\n");
  EXPECT_EQ(Run({"get", "-s", "", "b.ini", "k"}).out, "3\n");
}

// ---------------------------------------------------------------------------
// Number literals: the 32-bit pattern each one stands for, seen through a
// default that comes back unchanged when the file is missing.

struct NumberCase {
  const char* literal;
  const char* unsignedText;
  const char* hexText;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.literal; }

class NumberLiteralTest : public ProfctlTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(NumberLiteralTest, TakenAs32BitPattern) {
  Result asUnsigned = Run({"get-unsigned", "missing.ini", "k", GetParam().literal});
  EXPECT_EQ(asUnsigned.exitStatus, 0) << asUnsigned.err;
  EXPECT_EQ(asUnsigned.out, std::string(GetParam().unsignedText) + "\n");
  Result asHex = Run({"get-hex", "missing.ini", "k", GetParam().literal});
  EXPECT_EQ(asHex.exitStatus, 0) << asHex.err;
  EXPECT_EQ(asHex.out, std::string(GetParam().hexText) + "\n");
  EXPECT_EQ(Folder(), Files{});
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, NumberLiteralTest,
    ::testing::Values(NumberCase{"0", "0", "0x0000"}, NumberCase{"42", "42", "0x002A"},
                      NumberCase{"+42", "42", "0x002A"}, NumberCase{"-0", "0", "0x0000"},
                      NumberCase{"-1", "4294967295", "0xFFFFFFFF"},
                      NumberCase{"4294967295", "4294967295", "0xFFFFFFFF"},
                      NumberCase{"2147483648", "2147483648", "0x80000000"},
                      NumberCase{"-2147483648", "2147483648", "0x80000000"},
                      NumberCase{"2147483647", "2147483647", "0x7FFFFFFF"},
                      NumberCase{"0x220", "544", "0x0220"},
                      NumberCase{"0XffffFFFF", "4294967295", "0xFFFFFFFF"},
                      NumberCase{"-0x10", "4294967280", "0xFFFFFFF0"},
                      NumberCase{"0x0000000001", "1", "0x0001"}, NumberCase{"010", "8", "0x0008"},
                      NumberCase{"-010", "4294967288", "0xFFFFFFF8"},
                      NumberCase{"00", "0", "0x0000"}));

// ---------------------------------------------------------------------------
// Rewriting subcommands: the code printed, the exit status, and the file.

struct EditCase {
  const char* name;
  std::string before;
  Args args;  // they edit a.ini
  const char* out;
  std::string after;
  std::string reason = {};  // the diagnostic after "profctl: a.ini: ", for a non-zero code
};

// The one line on stderr that says why, or nothing.
std::string Diagnostic(const std::string& file, const std::string& reason) {
  return reason.empty() ? "" : "profctl: " + file + ": " + reason + "\n";
}

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class EditTest : public ProfctlTest, public ::testing::WithParamInterface<EditCase> {};

TEST_P(EditTest, PrintsCodeAndLeavesFile) {
  Put("a.ini", GetParam().before);
  Result result = Run(GetParam().args);
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(result.exitStatus, result.out == "0\n" ? 0 : 1);
  EXPECT_EQ(result.err, Diagnostic("a.ini", GetParam().reason));
  // Also proves that no scratch file stays behind.
  EXPECT_EQ(Folder(), (Files{{"a.ini", GetParam().after}}));
}

const std::string kKey100(100, 'K');
const std::string kDrivers = "[drivers]\r\nwave=x.drv\r\nmidi=y.drv\r\n";
const std::string kTwoSections = "[A]\r\nk=1\r\nx=2\r\nK = 3\r\n[B]\r\nk=4\r\n";

INSTANTIATE_TEST_SUITE_P(
    Subcommands, EditTest,
    ::testing::Values(
        EditCase{"DeleteLineLoose",
                 "DEVICE=vkt617.386\r\nfiles=30\r\ndevice = VKT617.386\nkeep\r\ndevice=vkt617.386 "
                 ";old\r\n",
                 {"delete-line", "a.ini", "device=vkt617.386\n", "3"},
                 "0\n",
                 "files=30\r\nkeep\r\ndevice=vkt617.386 ;old\r\n"},
        EditCase{"DeleteLineDefaultOptionsExact",
                 "files=30\r\nfiles=30",
                 {"delete-line", "a.ini", "files=30"},
                 "0\n",
                 "files=30\r\n"},
        EditCase{"DeleteLinePatternWithLineFeed",
                 "files=30\r\nx\nfiles=30",
                 {"delete-line", "a.ini", "files=30\n", "0"},
                 "0\n",
                 "x\r\nfiles=30"},
        EditCase{"DeleteLineContainsHexOptions",
                 "rem mscdex\r\nMSCDEX /d\r\nc:\\dos\\mscdex.exe /d:x\r\n",
                 {"delete-line", "a.ini", "mscdex", "0x4"},
                 "0\n",
                 "MSCDEX /d\r\n"},
        EditCase{"DeleteLineBlankPatternContains",
                 "a\r\nb\r\n",
                 {"delete-line", "a.ini", " \t", "5"},
                 "0\n",
                 ""},
        EditCase{"DeleteLineNoMatch",
                 "a\r\n",
                 {"delete-line", "a.ini", "b"},
                 "1\n",
                 "a\r\n",
                 "no line matches the pattern"},
        EditCase{"DeleteKeyInSection",
                 "[drivers]\r\nwave=a.drv\r\nWAVE = "
                 "a.drv\r\nwaveout=b.drv\r\n;wave=a.drv\r\n[other]\r\nwave=c.drv\r\n",
                 {"delete-key", "-s", "drivers", "a.ini", "wave"},
                 "0\n",
                 "[drivers]\r\nwaveout=b.drv\r\n;wave=a.drv\r\n[other]\r\nwave=c.drv\r\n"},
        EditCase{"DeleteKeyLongSectionOption",
                 "[Drivers]\nmidi=x\nwave=y\n",
                 {"delete-key", "--section", "DRIVERS", "a.ini", "midi"},
                 "0\n",
                 "[Drivers]\r\nwave=y\r\n"},
        EditCase{"DeleteKeyWholeFile",
                 "wave=0\r\n[a]\r\nwave=1\r\n[b]\r\nWave=2\r\nk=3\r\n",
                 {"delete-key", "a.ini", "wave"},
                 "0\n",
                 "[a]\r\n[b]\r\nk=3\r\n"},
        EditCase{"DeleteKeyEmptySectionName",
                 "[x]\r\nk=1\r\n[]\r\nk=2\r\n",
                 {"delete-key", "-s", "", "a.ini", "k"},
                 "0\n",
                 "[x]\r\nk=1\r\n[]\r\n"},
        EditCase{"DeleteKeyNoSection",
                 kDrivers,
                 {"delete-key", "-s", "other", "a.ini", "wave"},
                 "1\n",
                 kDrivers,
                 "section other not found"},
        EditCase{"ReplaceKey",
                 kTwoSections,
                 {"replace-key", "-s", "A", "a.ini", "k", "k=new"},
                 "0\n",
                 "[A]\r\nk=new\r\nx=2\r\nk=new\r\n[B]\r\nk=4\r\n"},
        EditCase{"ReplaceKeyWithoutLineRemoves",
                 kTwoSections,
                 {"replace-key", "-s", "A", "a.ini", "k"},
                 "0\n",
                 "[A]\r\nx=2\r\n[B]\r\nk=4\r\n"},
        EditCase{"ReplaceKeyWithEmptyLine",
                 kTwoSections,
                 {"replace-key", "-s", "B", "a.ini", "k", ""},
                 "0\n",
                 "[A]\r\nk=1\r\nx=2\r\nK = 3\r\n[B]\r\n\r\n"},
        EditCase{"ReplaceKeyMissing",
                 kTwoSections,
                 {"replace-key", "-s", "B", "a.ini", "x", "x=1"},
                 "1\n",
                 kTwoSections,
                 "key x not found"},
        EditCase{"AddLineBeforeNextSection",
                 "[A]\r\nk=1\r\n[B]",
                 {"add-line", "-s", "A", "a.ini", "n=2"},
                 "0\n",
                 "[A]\r\nk=1\r\nn=2\r\n[B]"},
        EditCase{"AddLineNewSection",
                 "[A]\r\nk=1\r\n",
                 {"add-line", "-s", "C", "a.ini", "c=1"},
                 "0\n",
                 "[A]\r\nk=1\r\n[C]\r\nc=1\r\n"},
        EditCase{
            "AddLineWholeFile", "k=1\n", {"add-line", "a.ini", "end"}, "0\n", "k=1\r\nend\r\n"},
        EditCase{"AddHex",
                 "[io]\r\n",
                 {"add-hex", "-s", "io", "a.ini", "Port", "0x220"},
                 "0\n",
                 "[io]\r\nPort=0x0220\r\n"},
        EditCase{"AddHexAllBits",
                 "[io]\r\n",
                 {"add-hex", "-s", "io", "a.ini", "Mask", "-1"},
                 "0\n",
                 "[io]\r\nMask=0xFFFFFFFF\r\n"},
        EditCase{"AddInt",
                 "[io]\r\nVol=1\r\n",
                 {"add-int", "-s", "io", "a.ini", "Vol", "-5"},
                 "0\n",
                 "[io]\r\nVol=1\r\nVol=-5\r\n"},
        EditCase{"AddIntUnsignedPattern",
                 "[io]\r\n",
                 {"add-int", "-s", "io", "a.ini", "n", "4294967295"},
                 "0\n",
                 "[io]\r\nn=-1\r\n"},
        EditCase{"AddIntLongKey",
                 "[io]\r\n",
                 {"add-int", "-s", "io", "a.ini", kKey100, "-2147483648"},
                 "0\n",
                 "[io]\r\n" + kKey100 + "=-2147483648\r\n"},
        EditCase{"SetReplaces",
                 kDrivers,
                 {"set", "-s", "drivers", "a.ini", "wave", "a.drv"},
                 "0\n",
                 "[drivers]\r\nwave=a.drv\r\nmidi=y.drv\r\n"},
        EditCase{"SetAddsAtSectionEnd",
                 "[drivers]\r\nmidi=y.drv\r\n\r\n[other]\r\n",
                 {"set", "-s", "drivers", "a.ini", "wave", "a.drv"},
                 "0\n",
                 "[drivers]\r\nmidi=y.drv\r\n\r\nwave=a.drv\r\n[other]\r\n"},
        EditCase{"SetWithoutValueRemoves",
                 "[drivers]\r\nwave=x\r\nwave=y\r\nmidi=z\r\n",
                 {"set", "-s", "drivers", "a.ini", "wave"},
                 "0\n",
                 "[drivers]\r\nmidi=z\r\n"},
        EditCase{"SetWithoutValueMissingKey",
                 kDrivers,
                 {"set", "-s", "drivers", "a.ini", "mixer"},
                 "1\n",
                 kDrivers,
                 "key mixer not found"},
        EditCase{"SetEmptyValue",
                 kDrivers,
                 {"set", "-s", "drivers", "a.ini", "midi", ""},
                 "0\n",
                 "[drivers]\r\nwave=x.drv\r\nmidi=\r\n"},
        EditCase{"SetUnsigned",
                 "[s]\r\nk=0\r\n",
                 {"set-unsigned", "-s", "s", "a.ini", "k", "-1"},
                 "0\n",
                 "[s]\r\nk=4294967295\r\n"},
        EditCase{"SetHex",
                 "[s]\r\nk=0\r\n",
                 {"set-hex", "-s", "s", "a.ini", "k", "0x1F"},
                 "0\n",
                 "[s]\r\nk=0x001F\r\n"},
        EditCase{"SetHexAllBits",
                 "[s]\r\n",
                 {"set-hex", "-s", "s", "a.ini", "k", "-1"},
                 "0\n",
                 "[s]\r\nk=0xFFFFFFFF\r\n"},
        EditCase{"RawBytesInArguments",
                 "[\xe4]\r\nk\xff=1\r\n",
                 {"set", "-s", "\xe4", "a.ini", "k\xff", "\x01\x80 \t"},
                 "0\n",
                 "[\xe4]\r\nk\xff=\x01\x80 \t\r\n"}),
    test_support::NameOfParam());

// ---------------------------------------------------------------------------
// Readers: what is printed and the exit status; the file never changes.

struct ReadCase {
  const char* name;
  std::string file;
  Args args;  // they read a.ini
  std::string out;
  int status;
  std::string reason = {};  // for exit status 1
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class ReadTest : public ProfctlTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTest, PrintsValue) {
  Put("a.ini", GetParam().file);
  Result result = Run(GetParam().args);
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(result.exitStatus, GetParam().status);
  EXPECT_EQ(result.err, Diagnostic("a.ini", GetParam().reason));
  EXPECT_EQ(Folder(), (Files{{"a.ini", GetParam().file}}));
}

const std::string kWalkFile = "[A]\r\n;note\r\n\r\n  k=v  \r\n[B]\r\n";
const std::string kRepeated = "[A]\r\nk=1\r\n[B]\r\n[A]\r\nk=2\r\n";
const std::string kLong(200, 'x');

INSTANTIATE_TEST_SUITE_P(
    Subcommands, ReadTest,
    ::testing::Values(
        ReadCase{"Get", "[s]\r\nPort=220\r\n", {"get", "-s", "s", "a.ini", "port"}, "220\n", 0},
        ReadCase{"GetBlankSeparator",
                 "[s]\r\nPort = 220\r\n",
                 {"get", "-s", "s", "a.ini", "Port"},
                 "= 220\n",
                 0},
        ReadCase{
            "GetEmptyValue", "[s]\r\nPort=\r\n", {"get", "-s", "s", "a.ini", "Port", "d"}, "\n", 0},
        ReadCase{"GetUnterminatedEmptyValue",
                 "[s]\r\nPort=",
                 {"get", "-s", "s", "a.ini", "Port", "d"},
                 "d\n",
                 0},
        ReadCase{"GetNothingWithoutDefault",
                 "[s]\r\nPort=1\r\n",
                 {"get", "-s", "s", "a.ini", "Irq"},
                 "",
                 1,
                 "key Irq not found"},
        ReadCase{"GetNothingInMissingSection",
                 "[s]\r\nIrq=1\r\n",
                 {"get", "-s", "t", "a.ini", "Irq"},
                 "",
                 1,
                 "section t not found"},
        // The readers search the first section of the name only.
        ReadCase{"GetNothingInFirstSection",
                 "[s]\r\nDma=1\r\n[t]\r\n[s]\r\nIrq=1\r\n",
                 {"get", "-s", "s", "a.ini", "Irq"},
                 "",
                 1,
                 "key Irq not found"},
        ReadCase{"GetNothingInWholeFile",
                 "[s]\r\nIrq=1\r\n",
                 {"get", "a.ini", "Dma"},
                 "",
                 1,
                 "key Dma not found"},
        ReadCase{"GetKeyWithoutValue",
                 "[s]\r\nIrq=",
                 {"get", "-s", "s", "a.ini", "Irq"},
                 "",
                 1,
                 "key Irq has no value"},
        ReadCase{"GetNothingQuietly",
                 "[s]\r\n",
                 {"get", "-q", "-s", "s", "a.ini", "Irq"},
                 "",
                 1},
        ReadCase{"GetEmptyDefault", "[s]\r\n", {"get", "-s", "s", "a.ini", "Irq", ""}, "\n", 0},
        ReadCase{"GetFirstSectionOnly",
                 "[A]\r\nx=1\r\n[B]\r\n[A]\r\nPort=5\r\n",
                 {"get", "-s", "A", "a.ini", "Port", "none"},
                 "none\n",
                 0},
        ReadCase{"GetWholeFile", "[A]\r\n[B]\r\nPort=5\r\n", {"get", "a.ini", "Port"}, "5\n", 0},
        ReadCase{"GetRawBytes",
                 "[s]\r\nk=\xff\x01"
                 "a\rb\t \r\n",
                 {"get", "-s", "s", "a.ini", "k"},
                 "\xff\x01"
                 "a\rb\n",
                 0},
        ReadCase{"GetHex",
                 "[s]\r\nPort=0x1A\r\n",
                 {"get-hex", "-s", "s", "a.ini", "Port", "0"},
                 "0x001A\n",
                 0},
        ReadCase{"GetHexStopsAtX",
                 "[s]\r\nPort=1x2\r\n",
                 {"get-hex", "-s", "s", "a.ini", "Port", "0"},
                 "0x0001\n",
                 0},
        ReadCase{"GetHexLastEightDigits",
                 "[s]\r\nPort=123456789\r\n",
                 {"get-hex", "-s", "s", "a.ini", "Port", "0"},
                 "0x23456789\n",
                 0},
        ReadCase{"GetHexDefault",
                 "[s]\r\n",
                 {"get-hex", "-s", "s", "a.ini", "Port", "-1"},
                 "0xFFFFFFFF\n",
                 0},
        ReadCase{"GetUnsigned",
                 "[s]\r\nn=42abc\r\n",
                 {"get-unsigned", "-s", "s", "a.ini", "n", "7"},
                 "42\n",
                 0},
        ReadCase{"GetUnsignedNoNumber",
                 "[s]\r\nn=abc\r\n",
                 {"get-unsigned", "-s", "s", "a.ini", "n", "7"},
                 "0\n",
                 0},
        ReadCase{"GetUnsignedDefault",
                 "[s]\r\n",
                 {"get-unsigned", "a.ini", "n", "4294967295"},
                 "4294967295\n",
                 0},
        ReadCase{
            "LastSection", "[A]\r\nx=1\r\n[ B ]\r\n", {"last-section", "a.ini", "none"}, "B\n", 0},
        ReadCase{"LastSectionDefault", "x=1\r\n", {"last-section", "a.ini", "none"}, "none\n", 0},
        ReadCase{"Walk", kWalkFile, {"walk", "-s", "A", "a.ini"}, "  k=v\n", 0},
        ReadCase{"WalkTrace",
                 kWalkFile,
                 {"walk", "-s", "A", "--trace", "a.ini"},
                 "4\t23\t  k=v\nend\t5\t23\n",
                 0},
        ReadCase{"WalkBlankLinesTrace",
                 kWalkFile,
                 {"walk", "-s", "A", "-o", "1", "--trace", "a.ini"},
                 "3\t14\t\n4\t23\t  k=v\nend\t5\t23\n",
                 0},
        ReadCase{"WalkEndsAtNextSection",
                 kRepeated,
                 {"walk", "--trace", "-s", "A", "a.ini"},
                 "2\t10\tk=1\nend\t3\t10\n",
                 0},
        ReadCase{"WalkFromPosition",
                 kRepeated,
                 {"walk", "-s", "A", "-o", "2", "-p", "10", "--trace", "a.ini"},
                 "3\t25\tk=2\nend\t4\t25\n",
                 0},
        ReadCase{"WalkFromPositionWithBlankLines",
                 "[A]\r\nk=1\r\n[B]\r\n[A]\r\n\r\nk=2\r\n",
                 {"walk", "-s", "A", "-o", "3", "-p", "0xA", "a.ini"},
                 "\nk=2\n",
                 0},
        ReadCase{"WalkPositionKeptWhenNothingFound",
                 kRepeated,
                 {"walk", "-s", "Z", "-p", "77", "--trace", "a.ini"},
                 "end\t6\t77\n",
                 0},
        ReadCase{"WalkNegativePosition",
                 kRepeated,
                 {"walk", "-s", "Z", "-p", "-1", "--trace", "a.ini"},
                 "end\t6\t-1\n",
                 0},
        ReadCase{"WalkLongLineInPieces",
                 "[A]\r\n" + kLong + "\r\n[B]\r\n",
                 {"walk", "-s", "A", "--trace", "a.ini"},
                 "2\t132\t" + kLong.substr(0, 127) + "\n3\t207\t" + kLong.substr(127) +
                     "\nend\t4\t207\n",
                 0},
        ReadCase{"WalkLineFeedOnly",
                 "[A]\nk=1\nj=2\n",
                 {"walk", "-s", "A", "--trace", "a.ini"},
                 "2\t8\tk=1\n3\t12\tj=2\nend\t4\t12\n",
                 0},
        ReadCase{"WalkCommentsAndBrackets",
                 "[A]\r\n ; x\r\n; [B]\r\nk=[v]\r\n  [B]\r\nz=1\r\n",
                 {"walk", "-s", "A", "a.ini"},
                 " ; x\nk=[v]\n",
                 0},
        ReadCase{"WalkRawBytes",
                 "[A]\r\n\x80\xfe=\x01\r\n",
                 {"walk", "-s", "A", "a.ini"},
                 "\x80\xfe=\x01\n",
                 0},
        ReadCase{"WalkNoSection", kRepeated, {"walk", "-s", "Z", "a.ini"}, "", 0}),
    test_support::NameOfParam());

// ---------------------------------------------------------------------------
// Missing files: every subcommand answers as its operation does, and neither
// the file nor a scratch file is created.

struct MissingCase {
  const char* name;
  Args args;  // they name missing.ini
  std::string out;
  int status;  // 1 comes with "no such file" on stderr
};

void PrintTo(const MissingCase& c, std::ostream* os) { *os << c.name; }

class MissingFileTest : public ProfctlTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(MissingFileTest, CreatesNothing) {
  Result result = Run(GetParam().args);
  EXPECT_EQ(result.out, GetParam().out);
  EXPECT_EQ(result.exitStatus, GetParam().status);
  EXPECT_EQ(result.err, GetParam().status == 1 ? "profctl: missing.ini: no such file\n" : "");
  EXPECT_EQ(Folder(), Files{});
}

INSTANTIATE_TEST_SUITE_P(
    Subcommands, MissingFileTest,
    ::testing::Values(
        MissingCase{"DeleteLine", {"delete-line", "missing.ini", "x"}, "2\n", 1},
        MissingCase{"DeleteKey", {"delete-key", "-s", "s", "missing.ini", "k"}, "1\n", 1},
        MissingCase{"ReplaceKey", {"replace-key", "-s", "s", "missing.ini", "k", "k=1"}, "1\n", 1},
        MissingCase{"AddLine", {"add-line", "-s", "s", "missing.ini", "k=1"}, "1\n", 1},
        MissingCase{"AddHex", {"add-hex", "-s", "s", "missing.ini", "k", "1"}, "1\n", 1},
        MissingCase{"AddInt", {"add-int", "-s", "s", "missing.ini", "k", "1"}, "1\n", 1},
        MissingCase{"Set", {"set", "-s", "s", "missing.ini", "k", "v"}, "1\n", 1},
        MissingCase{"SetRemove", {"set", "-s", "s", "missing.ini", "k"}, "1\n", 1},
        MissingCase{"SetUnsigned", {"set-unsigned", "-s", "s", "missing.ini", "k", "1"}, "1\n", 1},
        MissingCase{"SetHex", {"set-hex", "-s", "s", "missing.ini", "k", "1"}, "1\n", 1},
        MissingCase{"Get", {"get", "-s", "s", "missing.ini", "k", "d"}, "d\n", 0},
        MissingCase{"GetNull", {"get", "missing.ini", "k"}, "", 1},
        MissingCase{"GetHex", {"get-hex", "missing.ini", "k", "0x220"}, "0x0220\n", 0},
        MissingCase{"GetUnsigned", {"get-unsigned", "missing.ini", "k", "7"}, "7\n", 0},
        MissingCase{"LastSection", {"last-section", "missing.ini", "none"}, "none\n", 0},
        // A default longer than the result buffer is cut, never overrun.
        MissingCase{"LastSectionLongDefault",
                    {"last-section", "missing.ini", std::string(200, 'd')},
                    std::string(127, 'd') + "\n",
                    0},
        MissingCase{"Walk", {"walk", "-s", "s", "missing.ini"}, "", 0},
        MissingCase{"WalkTrace",
                    {"walk", "-s", "s", "-p", "5", "--trace", "missing.ini"},
                    "end\t0\t5\n",
                    0}),
    test_support::NameOfParam());

// ---------------------------------------------------------------------------
// Argument handling that reaches the library.

TEST_F(ProfctlTest, DoubleDashEndsOptions) {
  Put("-s.ini", "[d]\r\nk=1\r\nj=2\r\n");
  Result got = Run({"get", "-s", "d", "--", "-s.ini", "k"});
  EXPECT_EQ(got.out, "1\n");
  EXPECT_EQ(got.exitStatus, 0);
  Result deleted = Run({"delete-key", "--", "-s.ini", "k"});
  EXPECT_EQ(deleted.out, "0\n");
  EXPECT_EQ(deleted.exitStatus, 0);
  EXPECT_EQ(Folder(), (Files{{"-s.ini", "[d]\r\nj=2\r\n"}}));
}

TEST_F(ProfctlTest, OptionsOnlyRightAfterSubcommand) {
  Put("a.ini", kSample);
  // After the first operand, "-s" is the default text itself.
  Result result = Run({"get", "a.ini", "missing", "-s"});
  EXPECT_EQ(result.out, "-s\n");
  EXPECT_EQ(result.exitStatus, 0);
  // A value in option place is taken as it is, even when it looks like one.
  Put("b.ini", "[--]\r\nk=2\r\n");
  Result dashes = Run({"get", "-s", "--", "b.ini", "k"});
  EXPECT_EQ(dashes.out, "2\n");
  // A lone "-" is an operand, not an option.
  Result lone = Run({"get", "-", "k", "d"});
  EXPECT_EQ(lone.out, "d\n");
  EXPECT_EQ(lone.exitStatus, 0);
  EXPECT_EQ(Folder(), (Files{{"a.ini", kSample}, {"b.ini", "[--]\r\nk=2\r\n"}}));
}

TEST_F(ProfctlTest, ValuesWrittenReadBack) {
  Put("a.ini", "[s]\r\n");
  EXPECT_EQ(Run({"set-hex", "-s", "s", "a.ini", "Port", "0xBEEF"}).out, "0\n");
  EXPECT_EQ(Run({"get-hex", "-s", "s", "a.ini", "port", "0"}).out, "0xBEEF\n");
  EXPECT_EQ(Run({"set-unsigned", "-s", "s", "a.ini", "Port", "3000000000"}).out, "0\n");
  EXPECT_EQ(Run({"get-unsigned", "-s", "s", "a.ini", "Port", "0"}).out, "3000000000\n");
  EXPECT_EQ(Folder(), (Files{{"a.ini", "[s]\r\nPort=3000000000\r\n"}}));
}

// ---------------------------------------------------------------------------
// Failures of the commit and unsafe names: the code the library returns is
// what is printed, and the files are as the library leaves them.

TEST_F(ProfctlTest, StaleScratchFileIsReplaced) {
  Put("a.ini", kSample);
  Put("a.$$$", "left over");
  Result result = Run({"delete-key", "-s", "d", "a.ini", "k"});
  EXPECT_EQ(result.out, "0\n");
  EXPECT_EQ(Folder(), (Files{{"a.ini", "[d]\r\n"}}));
}

// ---------------------------------------------------------------------------
// Failures: the code the library returns is printed, the files are as the
// library leaves them, and one line on stderr says why.

struct FailureCase {
  const char* name;
  Files before;
  std::vector<std::string> folders;   // created empty
  std::vector<std::string> readOnly;  // no write bit
  Args args;
  std::string out;
  std::string file;  // as the diagnostic names it
  std::string reason;
  Files after;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }

class FailureTest : public ProfctlTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(FailureTest, SaysWhyOnStderr) {
  const FailureCase& c = GetParam();
  for (const auto& [name, bytes] : c.before) Put(name, bytes);
  for (const std::string& folder : c.folders) fs::create_directories(Root() / folder);
  for (const std::string& name : c.readOnly) {
    fs::permissions(Root() / name, fs::perms::owner_write | fs::perms::group_write |
                                     fs::perms::others_write, fs::perm_options::remove);
  }
  Result result = Run(c.args);
  EXPECT_EQ(result.out, c.out);
  EXPECT_EQ(result.exitStatus, 1);
  EXPECT_EQ(result.err, Diagnostic(c.file, c.reason));
  EXPECT_EQ(Folder(), c.after);
  // -q keeps everything else as it was and says nothing.
  Args quiet = c.args;
  quiet.insert(quiet.begin() + 1, "-q");
  Result silent = Run(quiet);
  EXPECT_EQ(silent.out, c.out);
  EXPECT_EQ(silent.exitStatus, 1);
  EXPECT_EQ(silent.err, "");
}

const std::string kReplaced = "the file could not be replaced and the new text is in a.$$$";
const std::string kLongName = std::string(130, 'n') + ".ini";

INSTANTIATE_TEST_SUITE_P(
    Reasons, FailureTest,
    ::testing::Values(
        FailureCase{"ReadOnlyKeyRemoval", {{"a.ini", kSample}}, {}, {"a.ini"},
                    {"delete-key", "-s", "d", "a.ini", "k"}, "-1\n", "a.ini", kReplaced,
                    {{"a.ini", kSample}, {"a.$$$", "[d]\r\n"}}},
        FailureCase{"ReadOnlyLineRemoval", {{"a.ini", kSample}}, {}, {"a.ini"},
                    {"delete-line", "a.ini", "k=1", "1"}, "2\n", "a.ini", kReplaced,
                    {{"a.ini", kSample}, {"a.$$$", "[d]\r\n"}}},
        FailureCase{"ReadOnlySet", {{"a.ini", kSample}}, {}, {"a.ini"},
                    {"set", "-s", "d", "a.ini", "k", "2"}, "-1\n", "a.ini", kReplaced,
                    {{"a.ini", kSample}, {"a.$$$", "[d]\r\nk=2\r\n"}}},
        FailureCase{"ReadOnlyAddition", {{"a.ini", kSample}}, {}, {"a.ini"},
                    {"add-line", "a.ini", "x=1"}, "-1\n", "a.ini", kReplaced,
                    {{"a.ini", kSample}, {"a.$$$", "[d]\r\nk=1\r\nx=1\r\n"}}},
        // Nothing to change in a read-only file is not a failure to replace it.
        FailureCase{"ReadOnlyNothingToRemove", {{"a.ini", kSample}}, {}, {"a.ini"},
                    {"delete-key", "-s", "d", "a.ini", "j"}, "1\n", "a.ini", "key j not found",
                    {{"a.ini", kSample}}},
        FailureCase{"ScratchNameIsFolder", {{"a.ini", kSample}}, {"a.$$$"}, {},
                    {"delete-key", "-s", "d", "a.ini", "k"}, "1\n", "a.ini",
                    "the scratch file a.$$$ cannot be created", {{"a.ini", kSample}}},
        FailureCase{"ScratchNameIsFolderForLineRemoval", {{"a.ini", kSample}}, {"a.$$$"}, {},
                    {"delete-line", "a.ini", "k=1", "1"}, "2\n", "a.ini",
                    "the scratch file a.$$$ cannot be created", {{"a.ini", kSample}}},
        FailureCase{"FileIsFolder", {}, {"a.ini"}, {}, {"add-line", "a.ini", "x=1"}, "1\n",
                    "a.ini", "not a regular file", {}},
        FailureCase{"FileIsFolderForLineRemoval", {}, {"a.ini"}, {},
                    {"delete-line", "a.ini", "x"}, "2\n", "a.ini", "not a regular file", {}},
        FailureCase{"FolderOnTheWayMissing", {}, {}, {}, {"set", "no/a.ini", "k", "v"}, "1\n",
                    "no/a.ini", "no such file", {}},
        FailureCase{"NameWithoutDot", {{"noext", kSample}}, {}, {},
                    {"delete-key", "noext", "k"}, "1\n", "noext", "the name has no '.'",
                    {{"noext", kSample}}},
        FailureCase{"NameWithoutDotForLineRemoval", {{"noext", kSample}}, {}, {},
                    {"delete-line", "noext", "k=1\n"}, "2\n", "noext", "the name has no '.'",
                    {{"noext", kSample}}},
        FailureCase{"NameWithoutDotForSet", {{"noext", kSample}}, {}, {},
                    {"set", "noext", "k", "2"}, "1\n", "noext", "the name has no '.'",
                    {{"noext", kSample}}},
        FailureCase{"ScratchNameItself", {{"a.$$$", kSample}}, {}, {},
                    {"delete-key", "a.$$$", "k"}, "1\n", "a.$$$",
                    "the name is a scratch name (.$$$)", {{"a.$$$", kSample}}},
        FailureCase{"ScratchNameItselfForLineRemoval", {{"a.$$$", kSample}}, {}, {},
                    {"delete-line", "a.$$$", "k=1\n"}, "2\n", "a.$$$",
                    "the name is a scratch name (.$$$)", {{"a.$$$", kSample}}},
        // 130 + 4 bytes and a NUL fit line removal's 200 bytes, not the 128 of the others.
        FailureCase{"ScratchNameTooLong", {{kLongName, kSample}}, {}, {},
                    {"delete-key", kLongName, "k"}, "1\n", kLongName,
                    "its scratch name is too long", {{kLongName, kSample}}},
        FailureCase{"ScratchNameFitsLineRemoval", {{kLongName, kSample}}, {}, {},
                    {"delete-line", kLongName, "x"}, "1\n", kLongName,
                    "no line matches the pattern", {{kLongName, kSample}}},
        FailureCase{"SetLineTooLong", {{"a.ini", kSample}}, {}, {},
                    {"set", "a.ini", std::string(100, 'k'), std::string(27, 'v')}, "1\n", "a.ini",
                    "the line to write is longer than 127 bytes", {{"a.ini", kSample}}},
        FailureCase{"AddIntLineTooLong", {{"a.ini", kSample}}, {}, {},
                    {"add-int", "a.ini", std::string(116, 'k'), "-2147483648"}, "1\n", "a.ini",
                    "the line to write is longer than 127 bytes", {{"a.ini", kSample}}},
        FailureCase{"SetHexLineTooLong", {{"a.ini", kSample}}, {}, {},
                    {"set-hex", "a.ini", std::string(121, 'k'), "1"}, "1\n", "a.ini",
                    "the line to write is longer than 127 bytes", {{"a.ini", kSample}}},
        // Control bytes in a name cannot break the diagnostic's line.
        FailureCase{"ControlBytesShown", {{"a.ini", kSample}}, {}, {},
                    {"delete-key", "-s", "d\n\x1b", "a.ini", "k"}, "1\n", "a.ini",
                    "section d\\x0A\\x1B not found", {{"a.ini", kSample}}}),
    test_support::NameOfParam());

// The longest lines that still fit are written: the limit is exact.
TEST_F(ProfctlTest, LongestComposedLinesFit) {
  Put("a.ini", "");
  EXPECT_EQ(Run({"set", "a.ini", std::string(100, 'k'), std::string(26, 'v')}).out, "0\n");
  EXPECT_EQ(Run({"add-int", "a.ini", std::string(115, 'i'), "-2147483648"}).out, "0\n");
  EXPECT_EQ(Run({"set-hex", "a.ini", std::string(120, 'h'), "1"}).out, "0\n");
  EXPECT_EQ(Folder(), (Files{{"a.ini", std::string(100, 'k') + "=" + std::string(26, 'v') +
                                           "\r\n" + std::string(115, 'i') + "=-2147483648\r\n" +
                                           std::string(120, 'h') + "=0x0001\r\n"}}));
}

// Permissions count only for a user without root's privileges, so these run
// as nobody when the tests run as root.
TEST_F(ProfctlTest, PermissionDeniedIsSaid) {
  OpenToEveryone();
  Put("secret.ini", kSample);
  fs::permissions(Root() / "secret.ini", fs::perms::owner_write);
  Put("locked/a.ini", kSample);
  fs::permissions(Root() / "locked/a.ini", fs::perms::all);
  fs::permissions(Root() / "locked", fs::perms::owner_all | fs::perms::others_read |
                                       fs::perms::others_exec | fs::perms::group_read |
                                       fs::perms::group_exec);
  if (::geteuid() != 0) fs::permissions(Root() / "locked", fs::perms::owner_write, fs::perm_options::remove);
  struct Denied {
    Args args;
    std::string out;
    std::string file;
  };
  for (const Denied& d : {Denied{{"get", "secret.ini", "k"}, "", "secret.ini"},
                          Denied{{"delete-key", "secret.ini", "k"}, "1\n", "secret.ini"},
                          Denied{{"delete-line", "secret.ini", "k=1", "1"}, "2\n", "secret.ini"},
                          Denied{{"delete-key", "locked/a.ini", "k"}, "1\n", "locked/a.ini"},
                          Denied{{"set", "locked/a.ini", "k", "2"}, "1\n", "locked/a.ini"}}) {
    Result result = Run(d.args, {}, false, true);
    EXPECT_EQ(result.out, d.out) << d.args[0] << " " << d.file;
    EXPECT_EQ(result.exitStatus, 1) << d.args[0] << " " << d.file;
    EXPECT_EQ(result.err, Diagnostic(d.file, "permission denied")) << d.args[0];
  }
  fs::permissions(Root() / "secret.ini", fs::perms::owner_read, fs::perm_options::add);
  fs::permissions(Root() / "locked", fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(Folder(), (Files{{"secret.ini", kSample}, {"locked/a.ini", kSample}}));
}

// ---------------------------------------------------------------------------
// Paths and output.

TEST_F(ProfctlTest, DrivePathsLieInMachineFolder) {
  const std::string profile = "[drivers]\r\nwave=a.drv\r\nmidi=b.drv\r\n";
  Put("m/c/windows/system.ini", profile);
  std::string machine = (Root() / "m").string();
  Result result = Run({"delete-key", "-s", "drivers", "C:\\WINDOWS\\system.ini", "wave"}, machine);
  EXPECT_EQ(result.out, "0\n");
  EXPECT_EQ(Folder(), (Files{{"m/c/windows/system.ini", "[drivers]\r\nmidi=b.drv\r\n"}}));
  // Without a machine folder a drive path names no file.
  Result outside = Run({"get", "-s", "drivers", "C:\\WINDOWS\\system.ini", "midi", "none"});
  EXPECT_EQ(outside.out, "none\n");
  EXPECT_EQ(Run({"get", "C:\\WINDOWS\\system.ini", "midi"}).err,
            "profctl: C:\\WINDOWS\\system.ini: no such file\n");
}

TEST_F(ProfctlTest, DrivePathDiagnostics) {
  Put("m/c/windows/system.ini", "[drivers]\r\nmidi=b.drv\r\n");
  Put("outside.ini", "[drivers]\r\nmidi=x.drv\r\n");
  fs::create_symlink(Root() / "outside.ini", Root() / "m/c/windows/link.ini");
  std::string machine = (Root() / "m").string();
  struct Said {
    Args args;
    std::string err;
  };
  for (const Said& said :
       {Said{{"get", "C:\\WINDOWS\\SYSTEM.INI", "wave"},
             "profctl: C:\\WINDOWS\\SYSTEM.INI: key wave not found\n"},
        Said{{"delete-key", "c:/windows/win.ini", "wave"},
             "profctl: c:/windows/win.ini: no such file\n"},
        Said{{"delete-key", "D:\\x.ini", "wave"}, "profctl: D:\\x.ini: no such file\n"},
        Said{{"get", "C:\\WINDOWS\\link.ini", "midi"},
             "profctl: C:\\WINDOWS\\link.ini: refused in the machine folder (a link, or a "
             "name no FAT disk holds)\n"}}) {
    Result result = Run(said.args, machine);
    EXPECT_EQ(result.err, said.err);
    EXPECT_EQ(result.exitStatus, 1);
  }
}

TEST_F(ProfctlTest, OutputThatCannotBeWrittenIsAnError) {
  Put("a.ini", kSample);
  Result result = Run({"get", "-s", "d", "a.ini", "k"}, {}, true);
  EXPECT_EQ(result.exitStatus, 74);
  EXPECT_EQ(result.err, "profctl: cannot write the output\n");
}

}  // namespace
