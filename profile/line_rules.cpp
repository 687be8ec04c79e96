#include "line_rules.h"

#include <array>
#include <cstring>

#include "platform/ascii.h"
#include "platform/byte_scan.h"
#include "text_class.h"

namespace profile {
namespace {

// The bytes a key runs up to: a separator, or the NUL that ends the text.
constexpr std::array<bool, 256> kKeyStops = [] {
  std::array<bool, 256> stops{};
  for (int c = 0; c < 256; ++c) stops[c] = c == 0 || IsKeySeparator(static_cast<char>(c));
  return stops;
}();

constexpr bool EndsKey(char c) { return kKeyStops[static_cast<unsigned char>(c)]; }

}  // namespace

std::string_view TextOf(std::string_view piece) { return piece.substr(0, piece.find('\0')); }

std::optional<std::string_view> SectionName(std::string_view piece) {
  // Most pieces hold no '[' at all: they are turned away without a look for
  // their NUL.
  auto open = piece.find('[');
  if (open == std::string_view::npos) return std::nullopt;
  piece = TextOf(piece);
  if (open >= piece.size()) return std::nullopt;
  std::size_t start = open + 1;
  while (start < piece.size() && ascii::IsBlank(piece[start])) ++start;
  if (start == piece.size()) return std::nullopt;
  auto close = piece.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  // A ']' before the '[' cuts nothing: the name runs to the piece's end.
  if (close < start) return piece.substr(start);
  std::size_t end = close;
  while (end > start + 1 && ascii::IsBlank(piece[end - 1])) --end;
  return piece.substr(start, end - start);
}

bool IsHeaderOf(std::string_view piece, std::string_view wanted) {
  auto name = SectionName(piece);
  return name && ascii::EqualIgnoringCase(*name, wanted);
}

// One walk over the piece that stops at its first NUL, as TextOf would.
KeySplit SplitKey(std::string_view piece) {
  const char* text = piece.data();
  const std::size_t size = piece.size();
  std::size_t start = 0;
  while (start < size && IsKeySeparator(text[start])) ++start;
  std::size_t end = start;
  while (end < size && !EndsKey(text[end])) ++end;
  // A value needs a byte of text after the separator that ended the key.
  bool hasValue = end + 1 < size && text[end] != '\0' && text[end + 1] != '\0';
  return {std::string_view(text + start, end - start), end, hasValue};
}

std::optional<char> FirstVisible(std::string_view piece) {
  for (char c : piece) {
    if (c == '\0') break;
    if (!IsWhiteSpace(c)) return c;
  }
  return std::nullopt;
}

std::size_t FindBracket(const char* text, std::size_t from, std::size_t to) {
  const void* bracket = std::memchr(text + from, '[', to - from);
  return bracket != nullptr ? static_cast<std::size_t>(static_cast<const char*>(bracket) - text) : to;
}

// A key's token ends before a separator or at the piece's end, so a line
// feed can only be its last byte, which stands on disk as LF or CR LF.
KeyFinder::KeyFinder(std::string_view wanted, bool sectionEnds)
    : needle_(!wanted.empty() && wanted.back() == '\n' ? wanted.substr(0, wanted.size() - 1) : wanted),
      keyCanStand_(!wanted.empty() && needle_.find('\n') == std::string_view::npos),
      sectionEnds_(sectionEnds) {}

std::size_t KeyFinder::operator()(const char* text, std::size_t from, std::size_t to) const {
  std::size_t place = to;
  if (keyCanStand_) place = from + platform::FindText(text + from, to - from, needle_, true);
  if (sectionEnds_) place = FindBracket(text, from, place);
  return place;
}

bool EndsSectionByBracket(std::string_view piece) {
  auto open = piece.find('[');
  return open != std::string_view::npos && TextOf(piece.substr(0, open)).size() == open;
}

}  // namespace profile
