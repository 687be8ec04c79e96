// The public string and file-name primitives and the shared byte helpers.
#include <cstring>
#include <string_view>

#include "platform/ascii.h"
#include "profile/profile.h"
#include "scratch_name.h"
#include "text_class.h"

namespace profile {
namespace {

constexpr std::string_view kScratchExtension = ".$$$";

// Offset of the last '.' anywhere in the path (directories included).
std::string_view::size_type LastDot(std::string_view path) { return path.rfind('.'); }

}  // namespace

std::size_t RemoveSpacesIn(char* text, std::size_t length) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (!IsWhiteSpace(text[i])) text[kept++] = text[i];
  }
  text[kept] = '\0';
  return kept;
}

void LowerIn(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) text[i] = ascii::Lower(text[i]);
}

ScratchName BuildScratchName(std::span<char> out, const char* path) {
  std::string_view whole(path);
  auto dot = LastDot(whole);
  if (dot == std::string_view::npos) return ScratchName::kNoDot;
  if (whole.substr(dot) == kScratchExtension) return ScratchName::kIsScratch;
  if (dot + kScratchExtension.size() + 1 > out.size()) return ScratchName::kTooLong;
  std::memcpy(out.data(), path, dot);
  std::memcpy(out.data() + dot, kScratchExtension.data(), kScratchExtension.size());
  out[dot + kScratchExtension.size()] = '\0';
  return ScratchName::kBuilt;
}

}  // namespace profile

extern "C" {

char* TrimTrailingSpace(char* text) {
  std::size_t length = std::strlen(text);
  while (length > 0 && profile::IsWhiteSpace(text[length - 1])) --length;
  text[length] = '\0';
  return text;
}

char* RemoveSpaces(char* text) {
  profile::RemoveSpacesIn(text, std::strlen(text));
  return text;
}

int MakeTempName(char* out, const char* path) {
  std::size_t length = std::strlen(path);
  std::memmove(out, path, length + 1);
  auto dot = profile::LastDot(std::string_view(out, length));
  if (dot == std::string_view::npos) return 0;
  std::memcpy(out + dot, profile::kScratchExtension.data(), profile::kScratchExtension.size());
  out[dot + profile::kScratchExtension.size()] = '\0';
  return 1;
}

}  // extern "C"
