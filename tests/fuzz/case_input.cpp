#include "case_input.h"

#include <algorithm>
#include <vector>

#include "platform/ascii.h"

namespace fuzz {
namespace {

constexpr char kFieldSeparator = '|';
constexpr char kEscape = '\\';
constexpr std::string_view kNull = "-";
constexpr std::size_t kFields = 6;  // OP|NUMBER|SECTION|KEY|TEXT|SETTINGS

// The header's fields: split at every separator that is not escaped.
std::vector<std::string_view> Fields(std::string_view header) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  std::size_t i = 0;
  while (i < header.size()) {
    if (header[i] == kEscape) {
      i += 2;
    } else if (header[i] == kFieldSeparator) {
      fields.push_back(header.substr(start, i - start));
      start = ++i;
    } else {
      ++i;
    }
  }
  fields.push_back(header.substr(std::min(start, header.size())));
  return fields;
}

std::string_view NextWord(std::string_view& rest) {
  rest = ascii::TrimLeft(rest);
  std::size_t end = 0;
  while (end < rest.size() && !ascii::IsBlank(rest[end])) ++end;
  std::string_view word = rest.substr(0, end);
  rest.remove_prefix(end);
  return word;
}

}  // namespace

std::optional<std::string> DecodeText(std::string_view field) {
  if (field == kNull) return std::nullopt;
  std::string text;
  for (std::size_t i = 0; i < field.size(); ++i) {
    char c = field[i];
    if (c == kEscape && i + 1 < field.size()) {
      char code = field[++i];
      switch (code) {
        case 'n': c = '\n'; break;
        case 'r': c = '\r'; break;
        case 't': c = '\t'; break;
        case 'x': {
          int high = i + 1 < field.size() ? ascii::HexDigitValue(field[i + 1]) : -1;
          int low = i + 2 < field.size() ? ascii::HexDigitValue(field[i + 2]) : -1;
          if (high < 0 || low < 0) {
            c = code;
            break;
          }
          c = static_cast<char>(high * 16 + low);
          i += 2;
          break;
        }
        default: c = code;
      }
    }
    if (c == '\0') break;
    text += c;
  }
  return text;
}

std::uint32_t ParseNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  std::uint32_t base = 10;
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  std::uint32_t value = 0;
  for (char c : text) {
    int digit = ascii::HexDigitValue(c);
    if (digit < 0 || static_cast<std::uint32_t>(digit) >= base) break;
    value = value * base + static_cast<std::uint32_t>(digit);
  }
  return negative ? 0u - value : value;
}

CaseInput SplitCase(std::string_view input) {
  CaseInput in;
  std::size_t lineEnd = input.find('\n');
  std::string_view header = input.substr(0, lineEnd);
  in.file = lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1);

  std::vector<std::string_view> fields = Fields(header);
  fields.resize(std::max<std::size_t>(fields.size(), kFields), kNull);
  in.op = fields[0];
  in.number = ParseNumber(fields[1]);
  in.section = DecodeText(fields[2]);
  in.key = DecodeText(fields[3]);
  in.text = DecodeText(fields[4]);
  in.settings = fields[5] == kNull ? std::string_view() : fields[5];
  return in;
}

std::optional<std::string_view> Setting(std::string_view settings, std::string_view name) {
  while (!settings.empty()) {
    std::string_view word = NextWord(settings);
    if (word.size() > name.size() && word.substr(0, name.size()) == name && word[name.size()] == '=') {
      return word.substr(name.size() + 1);
    }
  }
  return std::nullopt;
}

bool HasSetting(std::string_view settings, std::string_view word) {
  while (!settings.empty()) {
    if (NextWord(settings) == word) return true;
  }
  return false;
}

}  // namespace fuzz
