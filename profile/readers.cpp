// The value readers and the section walk. They read in pieces and test every
// piece on its own; nothing is ever written.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <span>
#include <string_view>

#include "last_result.h"
#include "line_buffers.h"
#include "line_reader.h"
#include "line_rules.h"
#include "platform/ascii.h"
#include "profile/profile.h"
#include "text_class.h"

int32_t IniLineNumber = 0;

namespace profile {
namespace {

using LineBuffer = std::array<char, kLineBuffer>;

// The texts the readers return live here until the same reader runs again.
LineBuffer lastSectionResult;
LineBuffer getStringLine;
LineBuffer firstSectionLine;
LineBuffer nextSectionLine;

// The text may already lie in the buffer (a piece copied there).
void CopyCut(LineBuffer& out, std::string_view text) {
  std::size_t length = std::min(text.size(), out.size() - 1);
  std::memmove(out.data(), text.data(), length);
  out[length] = '\0';
}

// The walk counts every read; the count wraps rather than overflows.
void CountReads(std::size_t reads) {
  IniLineNumber = static_cast<std::int32_t>(static_cast<std::uint32_t>(IniLineNumber) +
                                            static_cast<std::uint32_t>(reads));
}
void CountRead() { CountReads(1); }

// Opens the file for a reader; false, with the reason kept, when it cannot.
bool OpenToRead(LineReader& reader, const char* path) {
  if (path == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return false;
  }
  if (reader.Open(path)) return true;
  SetLastResult(OpenResult(reader.Text().Failure()));
  return false;
}

// Why a reader found nothing: what was missing, unless a read error cut it short.
void SayMissing(const LineReader& reader, ProfileResult missing) {
  SetLastResult(reader.Error() ? PROFILE_READ_ERROR : missing);
}

constexpr auto NoBracket = [](std::string_view, bool, bool holdsBracket) { return !holdsBracket; };

// Reads pieces until one is the wanted header; false at the end.
bool SeekHeader(LineReader& reader, std::span<char> buffer, std::string_view section,
                bool countLines) {
  for (;;) {
    if (countLines) {
      CountReads(reader.Skip(buffer, NoBracket, FindBracket) + 1);
    } else {
      reader.Skip(buffer, NoBracket, FindBracket, LineReader::Count::kNone);
    }
    std::string_view piece = reader.Next(buffer);
    if (piece.empty()) return false;
    if (IsHeaderOf(piece, section)) return true;
  }
}

// The walk's next returnable piece from the reader, counting every read; null
// at the section's end or the file's.
const char* NextWalkLine(LineReader& reader, LineBuffer& buffer, int options,
                         std::int32_t* position) {
  // The section's end is no failure; a read error is.
  SetLastResult(PROFILE_OK);
  for (;;) {
    CountRead();
    std::string_view piece = reader.Next(buffer);
    if (piece.empty()) {
      SayMissing(reader, PROFILE_OK);
      return nullptr;
    }
    if (piece.front() == ';') continue;
    auto visible = FirstVisible(piece);
    if (!visible && !(options & INI_WALK_BLANK_LINES)) continue;
    if (visible == '[') return nullptr;
    // A position the caller's 32-bit variable cannot hold ends the walk.
    std::int64_t next = reader.Tell();
    if (next > INT32_MAX) return nullptr;
    *position = static_cast<std::int32_t>(next);
    CopyCut(buffer, piece);
    return TrimTrailingSpace(buffer.data());
  }
}

// IniGetHex's conversion: hex digits, an 'x' passed over while still zero.
std::uint32_t ParseHex(const char* text) {
  std::uint32_t result = 0;
  for (; *text != '\0'; ++text) {
    char c = *text;
    int digit = ascii::HexDigitValue(c);
    if (digit >= 0) result = result * 16 + static_cast<std::uint32_t>(digit);
    else if ((c == 'x' || c == 'X') && result == 0) continue;
    else break;
  }
  return result;
}

// The "%u" input conversion: white space, an optional sign, decimal digits,
// wrapping at 32 bits; 0 when there is no number.
std::uint32_t ParseUnsigned(const char* text) {
  while (IsWhiteSpace(*text)) ++text;
  bool negative = *text == '-';
  if (*text == '-' || *text == '+') ++text;
  std::uint32_t result = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    result = result * 10 + static_cast<std::uint32_t>(*text - '0');
  }
  return negative ? 0u - result : result;
}

enum class KeySearch { kFound, kNoSection, kNoKey };

struct KeyLine {
  KeySearch result = KeySearch::kNoKey;
  std::string_view piece;  // the key's piece (in buffer or the reader's), when found
  KeySplit split{};
};

// Reads from the reader's position: first to the section's header (a null
// section: the whole file is searched), then to the first piece whose key is
// the wanted one, stopping at the section's end.
KeyLine FindKeyLine(LineReader& reader, std::span<char> buffer, const char* section, std::string_view key) {
  if (section != nullptr && !SeekHeader(reader, buffer, section, false)) return {KeySearch::kNoSection, {}, {}};
  const bool sectionEnds = section != nullptr;
  const KeyFinder findKey(key, sectionEnds);
  auto plain = [&](std::string_view piece, bool, bool) { return !MayHoldKey(piece, key, sectionEnds); };
  for (;;) {
    reader.Skip(buffer, plain, findKey, LineReader::Count::kNone);
    std::string_view piece = reader.Next(buffer);
    if (piece.empty()) return {KeySearch::kNoKey, {}, {}};
    KeySplit split = SplitKey(piece);
    if (split.key.empty()) continue;
    if (sectionEnds && EndsSectionByKey(split)) return {KeySearch::kNoKey, {}, {}};
    if (HasKey(split, key)) return {KeySearch::kFound, piece, split};
  }
}

}  // namespace
}  // namespace profile

extern "C" {

const char* IniGetLastSection(const char* path, const char* defaultName) {
  using namespace profile;
  CopyCut(lastSectionResult, defaultName != nullptr ? defaultName : "");
  LineReader reader;
  if (!OpenToRead(reader, path)) return lastSectionResult.data();
  LineBuffer line;
  bool found = false;
  for (;;) {
    reader.Skip(line, NoBracket, FindBracket, LineReader::Count::kNone);
    std::string_view piece = reader.Next(line);
    if (piece.empty()) break;
    if (auto name = SectionName(piece)) {
      CopyCut(lastSectionResult, *name);
      found = true;
    }
  }
  SayMissing(reader, found ? PROFILE_OK : PROFILE_NO_SECTION);
  return lastSectionResult.data();
}

const char* IniGetString(const char* path, const char* section, const char* key,
                         const char* defaultValue) {
  using namespace profile;
  LineReader reader;
  if (key == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return defaultValue;
  }
  if (!OpenToRead(reader, path)) return defaultValue;
  KeyLine found = FindKeyLine(reader, getStringLine, section, key);
  switch (found.result) {
    case KeySearch::kNoSection: SayMissing(reader, PROFILE_NO_SECTION); return defaultValue;
    case KeySearch::kNoKey: SayMissing(reader, PROFILE_NO_KEY); return defaultValue;
    case KeySearch::kFound: break;
  }
  if (!found.split.hasValue) {
    SetLastResult(PROFILE_NO_VALUE);
    return defaultValue;
  }
  SetLastResult(PROFILE_OK);
  CopyCut(getStringLine, found.piece);
  TerminateKey(getStringLine.data(), found.split);
  return TrimTrailingSpace(getStringLine.data() + found.split.ValueStart());
}

int32_t IniGetHex(const char* path, const char* section, const char* key, int32_t defaultValue) {
  std::array<char, profile::kLineBuffer> text;
  std::snprintf(text.data(), text.size(), "%04x", static_cast<unsigned>(defaultValue));
  return static_cast<int32_t>(profile::ParseHex(IniGetString(path, section, key, text.data())));
}

uint32_t IniGetUnsigned(const char* path, const char* section, const char* key,
                        uint32_t defaultValue) {
  std::array<char, profile::kLineBuffer> text;
  std::snprintf(text.data(), text.size(), "%u", static_cast<unsigned>(defaultValue));
  return profile::ParseUnsigned(IniGetString(path, section, key, text.data()));
}

const char* IniFirstSectionLine(const char* path, const char* section, int32_t* position,
                                int options) {
  using namespace profile;
  LineReader reader;
  if (section == nullptr || position == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return nullptr;
  }
  if (!OpenToRead(reader, path)) return nullptr;
  // A refused position (a negative one) leaves the stream at the start.
  if (options & INI_WALK_FROM_POSITION) reader.Seek(*position);
  IniLineNumber = 0;
  if (!SeekHeader(reader, firstSectionLine, section, true)) {
    SayMissing(reader, PROFILE_NO_SECTION);
    return nullptr;
  }
  return NextWalkLine(reader, firstSectionLine, options, position);
}

const char* IniNextSectionLine(const char* path, int32_t* position, int options) {
  using namespace profile;
  LineReader reader;
  if (position == nullptr) {
    SetLastResult(PROFILE_INVALID_ARGUMENT);
    return nullptr;
  }
  if (!OpenToRead(reader, path)) return nullptr;
  reader.Seek(*position);
  return NextWalkLine(reader, nextSectionLine, options, position);
}

}  // extern "C"
