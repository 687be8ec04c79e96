#include "record_model.h"

#include "text_model.h"

namespace fuzz {
namespace {

constexpr char kCtrlZ = 0x1A;

enum class Kind { kSkipped, kHeader, kBadHeader, kKey, kOther };

struct RecordLine {
  Kind kind = Kind::kSkipped;
  std::string_view name;
  std::string_view value;
};

RecordLine Classify(std::string_view line) {
  line = WithoutLineEnd(line);
  std::string_view body = ascii::Trim(line);
  if (body.empty() || body.front() == ';') return {};
  if (body.front() == '[') {
    std::size_t close = body.find(']');
    if (close == std::string_view::npos) return {Kind::kBadHeader, {}, {}};
    return {Kind::kHeader, ascii::Trim(body.substr(1, close - 1)), {}};
  }
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {Kind::kOther, {}, {}};
  return {Kind::kKey, ascii::Trim(line.substr(0, equals)), line.substr(equals + 1)};
}

std::vector<std::string_view> RecordLines(std::string_view text) {
  return Lines(text.substr(0, text.find(kCtrlZ)));
}

}  // namespace

std::vector<RecordKeyLine> RecordKeyLines(std::string_view text, std::string_view section) {
  std::vector<RecordKeyLine> keys;
  bool inSection = false;
  for (std::string_view raw : RecordLines(text)) {
    RecordLine line = Classify(raw);
    if (line.kind == Kind::kHeader || line.kind == Kind::kBadHeader) {
      inSection = line.kind == Kind::kHeader && ascii::EqualIgnoringCase(line.name, section);
    } else if (line.kind == Kind::kKey && inSection) {
      keys.push_back({line.name, line.value});
    }
  }
  return keys;
}

MachineIniModel ReadMachineIni(std::string_view text) {
  MachineIniModel ini;
  bool inDirectories = false;
  bool windowsSeen = false;
  bool systemSeen = false;
  std::size_t number = 0;
  for (std::string_view raw : RecordLines(text)) {
    ++number;
    RecordLine line = Classify(raw);
    bool refused = line.kind == Kind::kBadHeader || line.kind == Kind::kOther;
    if (line.kind == Kind::kHeader) inDirectories = ascii::EqualIgnoringCase(line.name, "directories");
    if (line.kind == Kind::kKey && inDirectories) {
      if (ascii::EqualIgnoringCase(line.name, "windows")) {
        if (!windowsSeen) ini.windows = ascii::Trim(line.value);
        windowsSeen = true;
      } else if (ascii::EqualIgnoringCase(line.name, "system")) {
        if (!systemSeen) ini.system = ascii::Trim(line.value);
        systemSeen = true;
      } else {
        refused = true;
      }
    }
    if (refused) {
      ini.parses = false;
      ini.errorLine = number;
      return ini;
    }
  }
  return ini;
}

bool IsDriveDirectoryText(std::string_view text) {
  if (text.size() < 3 || !ascii::IsLetter(text[0]) || text[1] != ':' || text[2] != '\\') return false;
  for (char c : text.substr(3)) {
    if (static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace fuzz
