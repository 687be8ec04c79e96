// The composing writers: a key line built from a number or a text, added with
// the line addition or set through the key replacement.
#include <array>
#include <cstdint>
#include <cstdio>

#include "key_edit.h"
#include "last_result.h"
#include "line_buffers.h"
#include "profile/profile.h"

namespace {

constexpr std::size_t kValueBuffer = 16;
constexpr int kRefused = 1;

using Line = std::array<char, profile::kLineBuffer>;

// Composes into the fixed buffer; false when the text would not fit it.
template <std::size_t N, typename... Args>
bool Compose(std::array<char, N>& out, const char* format, Args... args) {
  int length = std::snprintf(out.data(), out.size(), format, args...);
  return length >= 0 && static_cast<std::size_t>(length) < out.size();
}

// Composes the line KEY=VALUE; false, with the reason kept, when there is no
// key or the line would not fit.
template <typename... Args>
bool ComposeLine(Line& out, const char* format, const char* key, Args... args) {
  if (key == nullptr) {
    profile::SetLastResult(PROFILE_INVALID_ARGUMENT);
    return false;
  }
  if (!Compose(out, format, key, args...)) {
    profile::SetLastResult(PROFILE_LINE_TOO_LONG);
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

int IniAddHex(const char* path, const char* section, const char* key, int32_t value) {
  Line line;
  if (!ComposeLine(line, "%s=0x%04X", key, static_cast<unsigned>(value))) return kRefused;
  return IniAddLine(path, section, line.data());
}

int IniAddInt(const char* path, const char* section, const char* key, int32_t value) {
  Line line;
  if (!ComposeLine(line, "%s=%d", key, static_cast<int>(value))) return kRefused;
  return IniAddLine(path, section, line.data());
}

int IniSetString(const char* path, const char* section, const char* key, const char* value) {
  using profile::KeyEdit;
  if (value == nullptr) return IniReplaceKey(path, section, key, nullptr);
  Line line;
  if (!ComposeLine(line, "%s=%s", key, value)) return kRefused;
  Line pieceBuffer;
  KeyEdit replaced = profile::EditKeyLines(path, section, key, line.data(), pieceBuffer);
  // Only a key (or section) that is not there is added; a failed replacement
  // must not leave the old line and a new one side by side.
  if (replaced != KeyEdit::kNotFound) return profile::KeyEditCode(replaced);
  return IniAddLine(path, section, line.data());
}

int IniSetUnsigned(const char* path, const char* section, const char* key, uint32_t value) {
  std::array<char, kValueBuffer> text;
  Compose(text, "%u", static_cast<unsigned>(value));
  return IniSetString(path, section, key, text.data());
}

int IniSetHex(const char* path, const char* section, const char* key, uint32_t value) {
  std::array<char, kValueBuffer> text;
  Compose(text, "0x%04X", static_cast<unsigned>(value));
  return IniSetString(path, section, key, text.data());
}

}  // extern "C"
