#include "platform/hosted/machine/regedit4.h"

#include <array>

#include "platform/ascii.h"

namespace platform::hosted {
namespace {

constexpr std::string_view kFirstLine = "REGEDIT4";
constexpr std::array<std::string_view, 6> kRoots = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE",
    "HKEY_USERS",        "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

// One to `maxDigits` hex digits and nothing else.
bool ParseHexNumber(std::string_view digits, std::size_t maxDigits, std::uint32_t& value) {
  if (digits.empty() || digits.size() > maxDigits) return false;
  value = 0;
  for (char c : digits) {
    int digit = ascii::HexDigitValue(c);
    if (digit < 0) return false;
    value = value << 4 | static_cast<std::uint32_t>(digit);
  }
  return true;
}

// Lines with CR LF or LF ends, numbered from 1.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : text_(text) {}

  // The next line without its line end; false past the last line.
  bool Next(std::string_view& line, std::size_t& begin) {
    if (next_ >= text_.size()) return false;
    begin = next_;
    std::size_t end = text_.find('\n', next_);
    next_ = end == std::string_view::npos ? text_.size() : end + 1;
    line = text_.substr(begin, (end == std::string_view::npos ? text_.size() : end) - begin);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number_;
    return true;
  }
  std::size_t Number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t next_ = 0;
  std::size_t number_ = 0;
};

// A quoted text with its \\ and \" escapes, taken off the front of rest.
bool ParseQuoted(std::string_view& rest, std::string& out, std::string& reason) {
  out.clear();
  for (std::size_t i = 1; i < rest.size(); ++i) {
    char c = rest[i];
    if (c == '"') {
      rest.remove_prefix(i + 1);
      return true;
    }
    if (c == '\\') {
      char escaped = i + 1 < rest.size() ? rest[i + 1] : '\0';
      if (escaped != '\\' && escaped != '"') {
        reason = "unknown escape in a quoted text (only \\\\ and \\\" are allowed)";
        return false;
      }
      c = escaped;
      ++i;
    }
    out += c;
  }
  reason = "a quoted text has no closing quote";
  return false;
}

// Bytes written as hex pairs separated by commas (blanks allowed around them).
bool ParseHexBytes(std::string_view list, std::string& out, std::string& reason) {
  out.clear();
  list = ascii::Trim(list);
  while (!list.empty()) {
    std::size_t comma = list.find(',');
    std::string_view byte = ascii::Trim(list.substr(0, comma));
    std::uint32_t value = 0;
    if (!ParseHexNumber(byte, 2, value)) {
      reason = "a hex byte must be one or two hex digits";
      return false;
    }
    out += static_cast<char>(value);
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (ascii::Trim(list).empty()) {
      reason = "a hex list ends with a comma";
      return false;
    }
  }
  return true;
}

// The data after "name"=.
bool ParseData(std::string_view rest, RegistryValue& value, std::string& reason) {
  constexpr std::string_view kDword = "dword:";
  constexpr std::string_view kHex = "hex:";
  constexpr std::string_view kHexTyped = "hex(";
  if (!rest.empty() && rest.front() == '"') {
    if (!ParseQuoted(rest, value.data, reason)) return false;
    if (!ascii::Trim(rest).empty()) {
      reason = "text after the closing quote";
      return false;
    }
    value.type = kRegString;
    value.data += '\0';
    return true;
  }
  if (ascii::StartsIgnoringCase(rest, kDword)) {
    std::uint32_t number = 0;
    if (!ParseHexNumber(ascii::Trim(rest.substr(kDword.size())), 8, number)) {
      reason = "dword: needs one to eight hex digits";
      return false;
    }
    value.type = kRegDword;
    value.data.clear();
    for (int shift = 0; shift < 32; shift += 8) value.data += static_cast<char>(number >> shift & 0xFF);
    return true;
  }
  if (ascii::StartsIgnoringCase(rest, kHex)) {
    value.type = kRegBinary;
    return ParseHexBytes(rest.substr(kHex.size()), value.data, reason);
  }
  if (ascii::StartsIgnoringCase(rest, kHexTyped)) {
    std::size_t close = rest.find(')');
    if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':' ||
        !ParseHexNumber(rest.substr(kHexTyped.size(), close - kHexTyped.size()), 8, value.type)) {
      reason = "hex(N): needs a hex type number";
      return false;
    }
    return ParseHexBytes(rest.substr(close + 2), value.data, reason);
  }
  reason = "unknown value data (a quoted text, dword:, hex: or hex(N): is expected)";
  return false;
}

// "name"=data or @=data.
bool ParseValueLine(std::string_view line, RegistryValue& value, std::string& reason) {
  std::string_view rest = line;
  if (rest.front() == '@') {
    value.name.clear();
    rest.remove_prefix(1);
  } else if (rest.front() == '"') {
    if (!ParseQuoted(rest, value.name, reason)) return false;
    if (value.name.empty()) {
      reason = "an empty value name (the default value is written @)";
      return false;
    }
  } else {
    reason = "a value line must start with a quoted name or @";
    return false;
  }
  if (rest.empty() || rest.front() != '=') {
    reason = "'=' expected after the value name";
    return false;
  }
  return ParseData(rest.substr(1), value, reason);
}

// [ROOT] or [ROOT\path].
bool ParseHeader(std::string_view line, RegistryBlock& block, std::string& reason) {
  if (line.back() != ']') {
    reason = "a key line must end with ']'";
    return false;
  }
  std::string_view name = line.substr(1, line.size() - 2);
  if (!name.empty() && name.front() == '-') {
    reason = "key removal lines ([-...]) are not supported";
    return false;
  }
  std::size_t slash = name.find('\\');
  std::string_view root = name.substr(0, slash);
  block.root.clear();
  for (std::string_view known : kRoots) {
    if (ascii::EqualIgnoringCase(root, known)) block.root = known;
  }
  if (block.root.empty()) {
    reason = "unknown root key";
    return false;
  }
  block.path = slash == std::string_view::npos ? std::string() : std::string(name.substr(slash + 1));
  if (slash != std::string_view::npos &&
      (block.path.empty() || block.path.front() == '\\' || block.path.back() == '\\' ||
       block.path.find("\\\\") != std::string::npos)) {
    reason = "an empty key name in the path";
    return false;
  }
  return true;
}

}  // namespace

bool IsKeyOrBelow(std::string_view blockPath, std::string_view path) {
  if (path.empty()) return true;
  if (!ascii::StartsIgnoringCase(blockPath, path)) return false;
  return blockPath.size() == path.size() || blockPath[path.size()] == '\\';
}

bool RegistryFile::Parse(std::string_view text, RegistryError& error) {
  blocks_.clear();
  LineCursor cursor(text);
  std::string_view line;
  std::size_t begin = 0;
  auto fail = [&](std::size_t number, std::string reason) {
    blocks_.clear();
    error.line = number;
    error.reason = std::move(reason);
    return false;
  };
  if (!cursor.Next(line, begin) || ascii::TrimRight(line) != kFirstLine) {
    return fail(1, "the first line must be REGEDIT4");
  }
  std::string reason;
  std::string logical;
  while (cursor.Next(line, begin)) {
    std::string_view body = ascii::Trim(line);
    if (body.empty() || body.front() == ';') continue;
    if (body.front() == '[') {
      if (!blocks_.empty()) blocks_.back().end = begin;
      RegistryBlock block;
      block.begin = begin;
      block.line = cursor.Number();
      if (!ParseHeader(body, block, reason)) return fail(cursor.Number(), reason);
      blocks_.push_back(std::move(block));
      continue;
    }
    std::size_t first = cursor.Number();
    if (blocks_.empty()) return fail(first, "a value line before the first key line");
    // A backslash at the end continues the line; the next one's indent goes.
    logical = body;
    while (logical.back() == '\\') {
      logical.pop_back();
      if (!cursor.Next(line, begin)) return fail(first, "the last line ends with a continuing '\\'");
      logical += ascii::Trim(line);
      if (logical.empty()) break;
    }
    RegistryValue value;
    if (logical.empty() || !ParseValueLine(logical, value, reason)) {
      return fail(first, logical.empty() ? "an empty continued line" : reason);
    }
    blocks_.back().values.push_back(std::move(value));
  }
  if (!blocks_.empty()) blocks_.back().end = text.size();
  return true;
}

bool RegistryFile::KeyExists(std::string_view root, std::string_view path) const {
  if (path.empty()) return true;
  for (const RegistryBlock& block : blocks_) {
    if (block.root == root && IsKeyOrBelow(block.path, path)) return true;
  }
  return false;
}

const RegistryValue* RegistryFile::FindValue(std::string_view root, std::string_view path,
                                             std::string_view name) const {
  const RegistryValue* found = nullptr;
  for (const RegistryBlock& block : blocks_) {
    if (block.root != root || !ascii::EqualIgnoringCase(block.path, path)) continue;
    for (const RegistryValue& value : block.values) {
      if (ascii::EqualIgnoringCase(value.name, name)) found = &value;
    }
  }
  return found;
}

bool RegistryFile::RemoveKey(std::string_view text, std::string_view root, std::string_view path,
                             std::string& result) const {
  result.clear();
  std::size_t kept = 0;
  bool removed = false;
  for (const RegistryBlock& block : blocks_) {
    if (block.root != root || !IsKeyOrBelow(block.path, path)) continue;
    result.append(text.substr(kept, block.begin - kept));
    kept = block.end;
    removed = true;
  }
  result.append(text.substr(kept));
  return removed;
}

}  // namespace platform::hosted
