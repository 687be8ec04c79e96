#include "text_model.h"

namespace fuzz {
namespace {

constexpr char kCtrlZ = 0x1A;

bool IsKeySeparator(char c) { return c == ' ' || c == '\t' || c == '='; }

// Calls take(byte, offset after it) for each byte DOS text mode reads.
template <typename Take>
void ReadDos(std::string_view bytes, Take take) {
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != kCtrlZ; ++i) {
    bool pair = bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
    i += pair ? 1 : 0;
    take(pair ? '\n' : bytes[i], i + 1);
  }
}

}  // namespace

std::string DosText(std::string_view bytes) {
  std::string text;
  ReadDos(bytes, [&](char c, std::size_t) { text += c; });
  return text;
}

std::vector<std::size_t> DosOffsets(std::string_view bytes) {
  std::vector<std::size_t> offsets;
  ReadDos(bytes, [&](char, std::size_t after) { offsets.push_back(after); });
  return offsets;
}

std::string DosBytes(std::string_view text) {
  std::string bytes;
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

std::string_view WithoutLineEnd(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::vector<std::string_view> Pieces(std::string_view line, std::size_t length) {
  std::vector<std::string_view> pieces;
  for (std::size_t at = 0; at < line.size(); at += length) pieces.push_back(line.substr(at, length));
  return pieces;
}

std::string_view RuleText(std::string_view line) {
  std::string_view first = line.substr(0, kPiece);
  return first.substr(0, first.find('\0'));
}

KeyLine SplitKeyLine(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && IsKeySeparator(text[start])) ++start;
  std::size_t end = start;
  while (end < text.size() && !IsKeySeparator(text[end])) ++end;
  KeyLine line;
  line.key = text.substr(start, end - start);
  line.hasValue = end + 1 < text.size();
  if (line.hasValue) line.value = text.substr(end + 1);
  return line;
}

bool HasKey(std::string_view line, std::string_view wanted) {
  std::string_view key = SplitKeyLine(RuleText(line)).key;
  return !key.empty() && ascii::EqualIgnoringCase(key, wanted);
}

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string Normalised(std::string_view text, int options) {
  std::string out;
  for (char c : text) {
    if ((options & 1) && IsWhiteSpace(c)) continue;
    out += (options & 2) ? ascii::Lower(c) : c;
  }
  return out;
}

std::string_view TrimmedEnd(std::string_view text) {
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace fuzz
