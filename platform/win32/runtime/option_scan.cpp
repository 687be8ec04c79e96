#include "option_scan.h"

#include <cstring>
#include <string_view>

namespace runtime {
namespace {

constexpr int kUnknown = '?';
constexpr int kMissingValue = ':';
constexpr int kDone = -1;

// The answer for a missing value: ':' when the option text asks for it.
int MissingValue(const char* shortOptions) {
  return shortOptions[0] == ':' ? kMissingValue : kUnknown;
}

// The long option named by `name` (up to '=' or the end): an exact match,
// else the one option it abbreviates. Null with `ambiguous` set when it
// abbreviates several that differ.
const option* FindLong(const option* longOptions, std::string_view name, int& found,
                       bool& ambiguous) {
  ambiguous = false;
  for (int i = 0; longOptions[i].name != nullptr; ++i) {
    if (name == longOptions[i].name) {
      found = i;
      return &longOptions[i];
    }
  }
  const option* match = nullptr;
  for (int i = 0; longOptions[i].name != nullptr; ++i) {
    const option& candidate = longOptions[i];
    if (!std::string_view(candidate.name).starts_with(name)) continue;
    if (match == nullptr) {
      match = &candidate;
      found = i;
    } else if (match->has_arg != candidate.has_arg || match->flag != candidate.flag ||
               match->val != candidate.val) {
      ambiguous = true;
    }
  }
  return ambiguous ? nullptr : match;
}

int ReadLong(OptionScan& scan, int argc, char* const* argv, const char* shortOptions,
             const option* longOptions, int* longIndex) {
  char* name = argv[scan.index] + 2;
  char* equals = std::strchr(name, '=');
  std::string_view written(name, equals == nullptr ? std::strlen(name)
                                                   : static_cast<std::size_t>(equals - name));
  ++scan.index;
  int found = -1;
  bool ambiguous = false;
  const option* match = FindLong(longOptions, written, found, ambiguous);
  if (match == nullptr) {
    scan.unknown = 0;
    return kUnknown;
  }
  if (equals != nullptr) {
    if (match->has_arg == no_argument) {
      scan.unknown = match->val;
      return kUnknown;
    }
    scan.value = equals + 1;
  } else if (match->has_arg == required_argument) {
    if (scan.index >= argc) {
      scan.unknown = match->val;
      return MissingValue(shortOptions);
    }
    scan.value = argv[scan.index++];
  }
  if (longIndex != nullptr) *longIndex = found;
  if (match->flag != nullptr) {
    *match->flag = match->val;
    return 0;
  }
  return match->val;
}

int ReadShort(OptionScan& scan, int argc, char* const* argv, const char* shortOptions) {
  char letter = *scan.cluster++;
  const bool lastInCluster = *scan.cluster == '\0';
  if (lastInCluster) ++scan.index;
  const char* form = letter == ':' ? nullptr : std::strchr(shortOptions, letter);
  if (form == nullptr) {
    scan.unknown = static_cast<unsigned char>(letter);
    return kUnknown;
  }
  if (form[1] != ':') return static_cast<unsigned char>(letter);
  const bool optional = form[2] == ':';
  if (!lastInCluster) {
    scan.value = scan.cluster;  // the rest of the cluster is the value
    ++scan.index;
  } else if (!optional) {
    if (scan.index >= argc) {
      scan.unknown = static_cast<unsigned char>(letter);
      scan.cluster = nullptr;
      return MissingValue(shortOptions);
    }
    scan.value = argv[scan.index++];
  }
  scan.cluster = nullptr;
  return static_cast<unsigned char>(letter);
}

}  // namespace

int NextOption(OptionScan& scan, int argc, char* const* argv, const char* shortOptions,
               const option* longOptions, int* longIndex) {
  scan.value = nullptr;
  if (shortOptions[0] == '+') ++shortOptions;
  if (scan.cluster == nullptr || *scan.cluster == '\0') {
    scan.cluster = nullptr;
    if (scan.index >= argc) return kDone;
    const char* word = argv[scan.index];
    if (word[0] != '-' || word[1] == '\0') return kDone;  // an operand, or "-"
    if (word[1] == '-') {
      if (word[2] == '\0') {
        ++scan.index;  // "--" ends the options
        return kDone;
      }
      if (longOptions != nullptr) {
        return ReadLong(scan, argc, argv, shortOptions, longOptions, longIndex);
      }
    }
    scan.cluster = argv[scan.index] + 1;
  }
  return ReadShort(scan, argc, argv, shortOptions);
}

}  // namespace runtime
