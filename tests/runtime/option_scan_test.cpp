// getopt_long's scan in the Windows programs' runtime answers as the host's
// C library does, call by call (code, optind, optarg, optopt, the long
// option's index), for option texts that start with '+' (the C library
// then never reorders, and the runtime never does).
#include <getopt.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "option_scan.h"

namespace {

constexpr int kTrace = 0x100;
constexpr int kVersion = 0x101;

int flagged = 0;

const option kLongOptions[] = {
    {"section", required_argument, nullptr, 's'},
    {"quiet", no_argument, nullptr, 'q'},
    {"trace", no_argument, nullptr, kTrace},
    {"version", no_argument, nullptr, kVersion},
    {"verbose", no_argument, nullptr, 'v'},
    {"level", optional_argument, nullptr, 'l'},
    {"flag", no_argument, &flagged, 7},
    {"quit", no_argument, nullptr, 'q'},  // "--qui" abbreviates both alike
    {nullptr, 0, nullptr, 0},
};

// What one call answered, as text for a readable failure.
std::string Answer(int code, int index, const char* value, int unknown, int longIndex) {
  std::string text = std::to_string(code) + " optind=" + std::to_string(index);
  if (value != nullptr) text += " optarg=" + std::string(value);
  if (code == '?' || code == ':') text += " optopt=" + std::to_string(unknown);
  if (longIndex >= 0) text += " long=" + std::to_string(longIndex);
  if (code == 0) text += " flag=" + std::to_string(flagged);
  return text;
}

// Writable copies of the arguments, after a program name.
struct Argv {
  explicit Argv(const std::vector<std::string>& words) : texts{"prog"} {
    texts.insert(texts.end(), words.begin(), words.end());
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
  }
  int Count() const { return static_cast<int>(texts.size()); }
  std::vector<std::string> texts;
  std::vector<char*> pointers;
};

std::vector<std::string> Hosts(const char* shortOptions, const std::vector<std::string>& words) {
  Argv argv(words);
  std::vector<std::string> answers;
  optind = 0;
  opterr = 0;
  for (;;) {
    int longIndex = -1;
    flagged = 0;
    int code = getopt_long(argv.Count(), argv.pointers.data(), shortOptions, kLongOptions, &longIndex);
    answers.push_back(Answer(code, optind, optarg, optopt, longIndex));
    if (code == -1) return answers;
  }
}

std::vector<std::string> Ours(const char* shortOptions, const std::vector<std::string>& words) {
  Argv argv(words);
  std::vector<std::string> answers;
  runtime::OptionScan scan;
  for (;;) {
    int longIndex = -1;
    flagged = 0;
    int code = runtime::NextOption(scan, argv.Count(), argv.pointers.data(), shortOptions, kLongOptions,
                                   &longIndex);
    answers.push_back(Answer(code, scan.index, scan.value, scan.unknown, longIndex));
    if (code == -1) return answers;
  }
}

TEST(OptionScan, AnswersAsTheCLibrary) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"-s", "x", "file"},
      {"-sx", "file"},
      {"-qsx"},
      {"-qs", "x", "-q"},
      {"-q", "-s"},
      {"-x"},
      {"-qxq"},
      {"-:"},
      {"--section=a", "f"},
      {"--section", "a"},
      {"--section="},
      {"--section"},
      {"--sec", "a"},
      {"--ve"},
      {"--v"},
      {"--verb"},
      {"--qui"},
      {"--q"},
      {"--trace=1"},
      {"--colour=never", "x"},
      {"--=x"},
      {"--flag", "-q"},
      {"--level", "3"},
      {"--level=3"},
      {"-l", "3"},
      {"-l3"},
      {"--", "-q"},
      {"-q", "--"},
      {"-", "-q"},
      {"file", "-q"},
      {"-q", "-", "-s"},
      {"-o", "-p", "-p", "--"},
      {"-h", "--version", "--trace"},
  };
  for (const char* shortOptions : {"+:s:qhvl::o:p:", "+s:qhvl::o:p:"}) {
    for (const std::vector<std::string>& words : cases) {
      std::string shown = shortOptions;
      for (const std::string& word : words) shown += " " + word;
      SCOPED_TRACE(shown);
      EXPECT_EQ(Ours(shortOptions, words), Hosts(shortOptions, words));
    }
  }
}

}  // namespace
