#include "profile/line_rules.h"

#include "profile/text_class.h"

namespace profile {
namespace {

constexpr bool IsKeySeparator(char c) { return c == ' ' || c == '\t' || c == '='; }

}  // namespace

std::string_view TextOf(std::string_view piece) { return piece.substr(0, piece.find('\0')); }

std::optional<std::string_view> SectionName(std::string_view piece) {
  piece = TextOf(piece);
  auto open = piece.find('[');
  if (open == std::string_view::npos) return std::nullopt;
  std::size_t start = open + 1;
  while (start < piece.size() && IsBlank(piece[start])) ++start;
  if (start == piece.size()) return std::nullopt;
  auto close = piece.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  // A ']' before the '[' cuts nothing: the name runs to the piece's end.
  if (close < start) return piece.substr(start);
  std::size_t end = close;
  while (end > start + 1 && IsBlank(piece[end - 1])) --end;
  return piece.substr(start, end - start);
}

bool IsHeaderOf(std::string_view piece, std::string_view wanted) {
  auto name = SectionName(piece);
  return name && EqualFolded(*name, wanted);
}

KeySplit SplitKey(std::string_view piece) {
  piece = TextOf(piece);
  std::size_t start = 0;
  while (start < piece.size() && IsKeySeparator(piece[start])) ++start;
  std::size_t end = start;
  while (end < piece.size() && !IsKeySeparator(piece[end])) ++end;
  return {piece.substr(start, end - start), end, end + 1 < piece.size()};
}

std::optional<char> FirstVisible(std::string_view piece) {
  for (char c : TextOf(piece)) {
    if (!IsWhiteSpace(c)) return c;
  }
  return std::nullopt;
}

}  // namespace profile

