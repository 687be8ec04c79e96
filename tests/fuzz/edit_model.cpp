#include "edit_model.h"

#include "text_model.h"

namespace fuzz {
namespace {

constexpr int kWalkBlankLines = 1;
constexpr int kWalkFromPosition = 2;

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

std::string WithLineEnd(std::string_view line) { return std::string(line) + '\n'; }

bool Heads(std::string_view ruleText, std::string_view section) {
  OptionalText name = HeaderName(ruleText);
  return name && ascii::EqualIgnoringCase(*name, section);
}

// A line end first, unless the text is empty or ends with one.
void EndLastLine(std::string& text) {
  if (!text.empty() && text.back() != '\n') text += '\n';
}

}  // namespace

OptionalText HeaderName(std::string_view text) {
  std::size_t open = text.find('[');
  if (open == std::string_view::npos) return std::nullopt;
  std::size_t start = open + 1;
  while (start < text.size() && ascii::IsBlank(text[start])) ++start;
  if (start == text.size()) return std::nullopt;
  std::size_t close = text.rfind(']');
  if (close == std::string_view::npos) return std::nullopt;
  if (close < start) return text.substr(start);
  std::size_t end = close;
  while (end > start + 1 && ascii::IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

std::size_t HeadersOf(std::string_view text, std::string_view section) {
  std::size_t count = 0;
  for (std::string_view line : Lines(text)) count += Heads(RuleText(line), section) ? 1 : 0;
  return count;
}

Removal RemoveLines(std::string_view text, std::string_view pattern, int options) {
  Removal removal;
  std::string wanted = Normalised(pattern, options);
  for (std::string_view line : Lines(text)) {
    std::string seen = Normalised(line, options);
    bool matches = (options & 4) ? seen.find(wanted) != std::string::npos : seen == wanted;
    if (matches) removal.removedAny = true;
    else removal.kept += line;
  }
  return removal;
}

KeyEdit EditKeyLines(std::string_view text, OptionalText section, std::string_view key,
                     OptionalText newLine) {
  KeyEdit edit;
  bool inSection = !section;
  for (std::string_view line : Lines(text)) {
    std::string_view rule = RuleText(line);
    if (!inSection) {
      edit.text += line;
      inSection = Heads(rule, *section);
      continue;
    }
    std::string_view lineKey = SplitKeyLine(rule).key;
    if (!lineKey.empty() && ascii::EqualIgnoringCase(lineKey, key)) {
      edit.changed = true;
      if (newLine) edit.text += WithLineEnd(*newLine);
    } else {
      edit.text += line;
    }
    // A bracket line ends the section; it is not looked at as a header.
    if (section && !lineKey.empty() && lineKey.front() == '[') inSection = false;
  }
  return edit;
}

std::string AddLine(std::string_view text, OptionalText section, std::string_view line) {
  std::string out;
  bool inSection = !section;
  bool found = !section;
  for (std::string_view current : Lines(text)) {
    std::string_view rule = RuleText(current);
    if (!inSection) {
      out += current;
      inSection = Heads(rule, *section);
      found = found || inSection;
      continue;
    }
    if (section && rule.find('[') != std::string_view::npos) {
      out += WithLineEnd(line);
      inSection = false;
    }
    out += current;
  }
  if (inSection || !found) EndLastLine(out);
  if (!found) out += "[" + std::string(*section) + "]\n";
  if (inSection || !found) out += WithLineEnd(line);
  return out;
}

bool IsKeyEditOf(std::string_view in, std::string_view out, std::string_view key, OptionalText newLine) {
  std::vector<std::string_view> after = Lines(out);
  std::string replacement = newLine ? WithLineEnd(*newLine) : std::string();
  std::size_t i = 0;
  // Keeping a line that is still there is always a safe choice: a line of
  // the key that stayed equal could as well have been replaced by itself.
  for (std::string_view line : Lines(in)) {
    if (i < after.size() && after[i] == line) {
      ++i;
      continue;
    }
    if (!HasKey(line, key)) return false;
    if (!newLine) continue;
    if (i >= after.size() || after[i] != replacement) return false;
    ++i;
  }
  return i == after.size();
}

bool IsAdditionOf(std::string_view in, std::string_view out, std::string_view line, OptionalText section) {
  std::vector<std::string_view> before = Lines(in);
  std::string added = WithLineEnd(line);
  std::string header = section ? "[" + std::string(*section) + "]\n" : std::string();
  std::size_t j = 0;
  std::size_t additions = 0;
  std::size_t headers = 0;
  for (std::string_view now : Lines(out)) {
    bool gainedEnd = j + 1 == before.size() && before[j].back() != '\n' && now == WithLineEnd(before[j]);
    if (j < before.size() && (now == before[j] || gainedEnd)) ++j;
    else if (now == added) ++additions;
    else if (section && now == header) ++headers;
    else return false;
  }
  return j == before.size() && additions > 0 && headers <= 1;
}

OptionalText LookUp(std::string_view text, OptionalText section, std::string_view key) {
  bool inSection = !section;
  for (std::string_view line : Lines(text)) {
    for (std::string_view piece : Pieces(line)) {
      std::string_view rule = UpToNul(piece);
      if (!inSection) {
        inSection = Heads(rule, *section);
        continue;
      }
      KeyLine split = SplitKeyLine(rule);
      if (split.key.empty()) continue;
      if (section && split.key.front() == '[') return std::nullopt;
      if (!ascii::EqualIgnoringCase(split.key, key)) continue;
      if (!split.hasValue) return std::nullopt;
      return TrimmedEnd(split.value);
    }
  }
  return std::nullopt;
}

OptionalText LastHeader(std::string_view text) {
  OptionalText last;
  for (std::string_view line : Lines(text)) {
    for (std::string_view piece : Pieces(line)) {
      if (OptionalText name = HeaderName(UpToNul(piece))) last = name;
    }
  }
  return last;
}

std::vector<WalkStep> Walk(std::string_view bytes, std::string_view section, std::int32_t position,
                           int options) {
  // A refused (negative) position leaves the walk at the start.
  std::size_t start = (options & kWalkFromPosition) && position >= 0 ? static_cast<std::size_t>(position) : 0;
  std::string_view rest = bytes.substr(std::min(start, bytes.size()));
  std::string text = DosText(rest);
  std::vector<std::size_t> ends = DosOffsets(rest);
  std::vector<std::string_view> pieces;
  for (std::string_view line : Lines(text)) {
    for (std::string_view piece : Pieces(line)) pieces.push_back(piece);
  }

  std::vector<WalkStep> steps;
  WalkStep step;
  step.position = position;
  std::size_t next = 0;
  // Every read counts, the one that meets the end too.
  auto read = [&]() -> OptionalText {
    ++step.lineNumber;
    return next < pieces.size() ? OptionalText(pieces[next++]) : std::nullopt;
  };
  for (;;) {
    OptionalText piece = read();
    if (!piece) {
      steps.push_back(step);
      return steps;
    }
    if (Heads(UpToNul(*piece), section)) break;
  }
  for (;;) {
    step.line.reset();
    while (OptionalText piece = read()) {
      if (piece->front() == ';') continue;
      std::string_view rule = UpToNul(*piece);
      std::size_t visible = 0;
      while (visible < rule.size() && IsWhiteSpace(rule[visible])) ++visible;
      if (visible == rule.size() && !(options & kWalkBlankLines)) continue;
      if (visible < rule.size() && rule[visible] == '[') break;
      step.line = std::string(TrimmedEnd(rule));
      std::size_t end = static_cast<std::size_t>(piece->data() + piece->size() - text.data());
      step.position = static_cast<std::int64_t>(start + ends[end - 1]);
      break;
    }
    steps.push_back(step);
    if (!step.line) return steps;
  }
}

}  // namespace fuzz
