// Fuzz target: every operation of the profile library on arbitrary file
// bytes, sections, keys, patterns and options (see case_input.h for the
// input's shape). Each run compares the result code, the file on disk and
// the returned text with the model of edit_model.h, and checks that no
// file stays open and that no scratch file or other file is left behind.
// With a fault setting the edit runs again with file calls failing, and
// the file must then hold either its old bytes or exactly the new ones.
#include <array>
#include <cstdint>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "case_input.h"
#include "edit_model.h"
#include "fault_plan.h"
#include "harness.h"
#include "platform/fault.h"
#include "platform/hosted/machine/machine.h"
#include "profile/profile.h"
#include "text_model.h"

namespace {

using namespace fuzz;

enum class Op {
  kDeleteLine, kDeleteKey, kReplaceKey, kAddLine, kAddHex, kAddInt, kSet, kSetUnsigned,
  kSetHex, kGet, kGetHex, kGetUnsigned, kLastSection, kWalk
};

constexpr std::array<std::string_view, 14> kOpNames = {
    "delete-line", "delete-key", "replace-key", "add-line", "add-hex", "add-int", "set",
    "set-unsigned", "set-hex", "get", "get-hex", "get-unsigned", "last-section", "walk"};

constexpr int kRefused = 1;  // the writers' code for a line too long to compose
constexpr std::size_t kMostPadding = 200000;
constexpr std::string_view kPadLine = "; padding\r\n";
constexpr std::string_view kHostName = "f.ini";
constexpr std::string_view kDriveName = "system.ini";
constexpr const char* kDrivePath = "C:\\WINDOWS\\SYSTEM.INI";
constexpr const char* kDefault = "(default)";

Op PickOp(std::string_view name) {
  for (std::size_t i = 0; i < kOpNames.size(); ++i) {
    if (name == kOpNames[i]) return static_cast<Op>(i);
  }
  unsigned char first = name.empty() ? 0 : static_cast<unsigned char>(name.front());
  return static_cast<Op>(first % kOpNames.size());
}

bool IsEdit(Op op) { return op <= Op::kSetHex; }

// Where the edited file lies: a host path, or a drive path in a machine
// folder (matched ignoring case, so the name on disk may change case).
struct Place {
  std::string folder;
  std::string name;  // lower case
  std::string path;  // as the library is given it
};

const std::string& MachineFolder() {
  static const std::string folder = ScratchFolder() + "/machine";
  return folder;
}

Place MakePlace(bool drive) {
  Place place;
  if (drive) {
    place.folder = MachineFolder() + "/c/windows";
    place.name = kDriveName;
    place.path = kDrivePath;
  } else {
    place.folder = ScratchFolder() + "/host";
    place.name = kHostName;
    place.path = place.folder + "/" + place.name;
  }
  ResetFolder(place.folder);
  return place;
}

// The edited file (under whatever case its name now has) and the names of
// everything else in its folder.
struct Left {
  std::optional<std::string> file;
  std::vector<std::string> others;
};

Left WhatIsLeft(const Place& place) {
  Left left;
  for (const std::string& name : FolderNames(place.folder)) {
    if (ascii::Lowered(name) == place.name && !left.file) left.file = ReadFile(place.folder + "/" + name);
    else left.others.push_back(name);
  }
  return left;
}

std::string Padding(std::string_view settings) {
  auto pad = Setting(settings, "pad");
  std::size_t size = pad ? std::min<std::size_t>(ParseNumber(*pad), kMostPadding) : 0;
  std::string bytes;
  while (bytes.size() < size) bytes += kPadLine;
  bytes.resize(size);
  return bytes;
}

const char* Pointer(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

std::string Hex4(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
  return text;
}

// ---- Edits ----

struct EditRun {
  int result = 0;
  std::string pattern;  // line removal's pattern after the call
};

EditRun RunEdit(Op op, const CaseInput& in, const char* path) {
  const char* section = Pointer(in.section);
  const char* key = Pointer(in.key);
  const char* text = Pointer(in.text);
  EditRun run;
  switch (op) {
    case Op::kDeleteLine: {
      std::string pattern = in.text.value_or("");
      run.result = FileDeleteLine(path, in.text ? pattern.data() : nullptr, static_cast<int>(in.number));
      run.pattern = pattern.c_str();
      break;
    }
    case Op::kDeleteKey: run.result = IniDeleteKey(path, section, key); break;
    case Op::kReplaceKey: run.result = IniReplaceKey(path, section, key, text); break;
    case Op::kAddLine: run.result = IniAddLine(path, section, text); break;
    case Op::kAddHex: run.result = IniAddHex(path, section, key, static_cast<std::int32_t>(in.number)); break;
    case Op::kAddInt: run.result = IniAddInt(path, section, key, static_cast<std::int32_t>(in.number)); break;
    case Op::kSet: run.result = IniSetString(path, section, key, text); break;
    case Op::kSetUnsigned: run.result = IniSetUnsigned(path, section, key, in.number); break;
    case Op::kSetHex: run.result = IniSetHex(path, section, key, in.number); break;
    default: Fail("RunEdit is given edits only");
  }
  return run;
}

// The line a writer composes, or nothing for the ones that take it as given.
std::optional<std::string> ComposedLine(Op op, const CaseInput& in) {
  if (!in.key) return std::nullopt;
  const std::string& key = *in.key;
  switch (op) {
    case Op::kAddHex: return key + "=" + Hex4(in.number);
    case Op::kAddInt: return key + "=" + std::to_string(static_cast<std::int32_t>(in.number));
    case Op::kSet: return in.text ? std::optional(key + "=" + *in.text) : std::nullopt;
    case Op::kSetUnsigned: return key + "=" + std::to_string(in.number);
    case Op::kSetHex: return key + "=" + Hex4(in.number);
    default: return std::nullopt;
  }
}

// The expected outcome of an edit: the code and the file's text afterwards
// (nothing: the file must stay byte for byte as it was).
struct Expected {
  int result = 0;
  std::optional<std::string> text;
};

Expected Changed(int code, bool changed, std::string text) {
  return changed ? Expected{0, std::move(text)} : Expected{code, std::nullopt};
}

Expected ExpectedEdit(Op op, const CaseInput& in, std::string_view text) {
  OptionalText section = in.section ? OptionalText(*in.section) : std::nullopt;
  switch (op) {
    case Op::kDeleteLine: {
      if (!in.text) return {2, std::nullopt};
      Removal removal = RemoveLines(text, *in.text, static_cast<int>(in.number));
      return Changed(1, removal.removedAny, std::move(removal.kept));
    }
    case Op::kDeleteKey:
    case Op::kReplaceKey: {
      if (!in.key) return {1, std::nullopt};
      OptionalText newLine = op == Op::kReplaceKey && in.text ? OptionalText(*in.text) : std::nullopt;
      KeyEdit edit = EditKeyLines(text, section, *in.key, newLine);
      return Changed(1, edit.changed, std::move(edit.text));
    }
    case Op::kAddLine:
      if (!in.text) return {1, std::nullopt};
      return {0, AddLine(text, section, *in.text)};
    default: break;
  }
  std::optional<std::string> line = ComposedLine(op, in);
  if (op == Op::kSet && in.key && !in.text) {
    KeyEdit edit = EditKeyLines(text, section, *in.key, std::nullopt);
    return Changed(1, edit.changed, std::move(edit.text));
  }
  if (!line || line->size() > kPiece) return {kRefused, std::nullopt};
  if (op == Op::kAddHex || op == Op::kAddInt) return {0, AddLine(text, section, *line)};
  // Setting replaces the key's lines and adds the line only when there were none.
  KeyEdit edit = EditKeyLines(text, section, *in.key, *line);
  if (edit.changed) return {0, std::move(edit.text)};
  return {0, AddLine(text, section, *line)};
}

bool HasNo(std::string_view text, std::string_view bytes) {
  return text.find_first_of(bytes) == std::string_view::npos;
}

// The plain properties, checked beside the model: what an edit may do to
// the lines at all.
void CheckEditShape(Op op, const CaseInput& in, std::string_view before, std::string_view after) {
  // A text that holds a line end or a Ctrl-Z does not come back as one line.
  auto plain = [](const std::optional<std::string>& t) { return !t || HasNo(*t, "\n\x1a"); };
  if (!plain(in.section) || !plain(in.key) || !plain(in.text)) return;
  OptionalText section = in.section ? OptionalText(*in.section) : std::nullopt;
  switch (op) {
    case Op::kDeleteKey:
      Check(IsKeyEditOf(before, after, *in.key, std::nullopt), "key removal removes only lines of the key");
      Check(Lines(after).size() < Lines(before).size(), "key removal that reports success removes a line");
      break;
    case Op::kReplaceKey:
      Check(IsKeyEditOf(before, after, *in.key, in.text ? OptionalText(*in.text) : std::nullopt),
            "key replacement replaces only lines of the key");
      break;
    case Op::kAddLine:
      Check(IsAdditionOf(before, after, *in.text, section), "line addition only adds the line");
      break;
    case Op::kAddHex:
    case Op::kAddInt: {
      std::string line = *ComposedLine(op, in);
      Check(IsAdditionOf(before, after, line, section), "a composed line is only added");
      break;
    }
    default: break;
  }
}

// The key set and read back gives the value, where that is well defined:
// a key of one plain word, a one-line value without trailing white space,
// a file whose lines are one piece each, and at most one section of the name.
void CheckReadBack(Op op, const CaseInput& in, std::string_view before, const char* path) {
  std::optional<std::string> line = ComposedLine(op, in);
  if (!line || line->size() + 1 > kPiece) return;
  const std::string& key = *in.key;
  std::string value = line->substr(key.size() + 1);
  if (key.empty() || !HasNo(key, " \t=\n[]\x1a")) return;
  if (!HasNo(value, "\n\x1a") || (!value.empty() && IsWhiteSpace(value.back()))) return;
  for (std::string_view l : Lines(before)) {
    if (l.size() > kPiece) return;
  }
  if (in.section) {
    const std::string& s = *in.section;
    if (!HasNo(s, "\n\x1a[]") || (!s.empty() && (s.front() == ' ' || s.front() == '\t' ||
                                                  s.back() == ' ' || s.back() == '\t'))) {
      return;
    }
    // A header that does not fit one piece is not seen by the lookup.
    if (HeadersOf(before, s) > 1 || s.size() + 3 > kPiece) return;
  }
  const char* got = IniGetString(path, Pointer(in.section), key.c_str(), kDefault);
  Check(got != kDefault && value == got, "a key set is read back with its value",
        "read " + Shown(got) + ", set " + Shown(value));
  if (op == Op::kSetUnsigned) {
    Check(IniGetUnsigned(path, Pointer(in.section), key.c_str(), ~in.number) == in.number,
          "an unsigned value set is read back");
  }
  if (op == Op::kSetHex) {
    Check(static_cast<std::uint32_t>(IniGetHex(path, Pointer(in.section), key.c_str(),
                                               static_cast<std::int32_t>(~in.number))) == in.number,
          "a hex value set is read back");
  }
}

// ---- Faults ----

using test_support::FaultPlan;

// The fault named by the case: the letter of one file operation (or 'a' for
// any), upper case to fail every such call from the nth on, then n.
std::optional<FaultPlan> ParseFault(std::string_view settings) {
  auto fault = Setting(settings, "fault");
  if (!fault || fault->empty()) return std::nullopt;
  constexpr std::string_view kLetters = "orwfda";
  char letter = (*fault)[0];
  char lower = ascii::Lowered(fault->substr(0, 1)).front();
  std::size_t which = kLetters.find(lower);
  if (which == std::string_view::npos) return std::nullopt;
  FaultPlan plan;
  constexpr std::array<platform::FileOp, 5> kOps = {platform::FileOp::kOpen, platform::FileOp::kRead,
                                                    platform::FileOp::kWrite, platform::FileOp::kFlush,
                                                    platform::FileOp::kDelete};
  if (lower != 'a') plan.op = kOps[which];
  plan.mode = letter != lower ? FaultPlan::Mode::kPersistent : FaultPlan::Mode::kOnce;
  plan.failAt = static_cast<int>(std::min<std::uint32_t>(ParseNumber(fault->substr(1)), 1000));
  plan.failAt = std::max(plan.failAt, 1);
  return plan;
}

// The edit again with calls failing: the file holds its old bytes or exactly
// the new ones, a code of 0 means the new ones, and a scratch file stays only
// after a failed write, flush, delete or rename.
void CheckUnderFault(Op op, const CaseInput& in, const Place& place, const std::string& original,
                     int cleanResult, const std::string& cleanBytes, FaultPlan plan) {
  ResetFolder(place.folder);
  WriteFile(place.folder + "/" + place.name, original);
  int descriptors = OpenDescriptors();
  int result = 0;
  {
    test_support::ScopedFaultHook hook(plan);
    result = RunEdit(op, in, place.path.c_str()).result;
  }
  Check(OpenDescriptors() == descriptors, "no file stays open after a failed call");
  Left left = WhatIsLeft(place);
  Check(left.file.has_value(), "the edited file is never missing after a failed call");
  Check(*left.file == original || *left.file == cleanBytes, "a failed edit leaves the old or the new bytes",
        "left " + Shown(*left.file));
  if (result == 0) {
    Check(cleanResult == 0 && *left.file == cleanBytes, "an edit that reports success holds the new bytes");
  } else {
    Check(*left.file == original, "an edit that reports failure leaves the old bytes", "left " + Shown(*left.file));
  }
  Check(left.others.size() <= 1, "a failed edit leaves at most its scratch file");
  if (!left.others.empty()) {
    bool writeSideFailed = plan.Failed(platform::FileOp::kWrite) || plan.Failed(platform::FileOp::kFlush) ||
                           plan.Failed(platform::FileOp::kDelete) || plan.Failed(platform::FileOp::kRename);
    Check(writeSideFailed, "the scratch file goes unless a write, flush, delete or rename failed",
          "left " + left.others.front());
  }
}

void CheckEdit(Op op, const CaseInput& in, const Place& place, const std::string& original) {
  std::string before = DosText(original);
  Expected expected = ExpectedEdit(op, in, before);
  int descriptors = OpenDescriptors();
  EditRun run = RunEdit(op, in, place.path.c_str());
  Check(OpenDescriptors() == descriptors, "no file stays open after an edit");
  Left left = WhatIsLeft(place);
  Check(left.others.empty(), "an edit leaves no scratch file and no other file",
        left.others.empty() ? "" : left.others.front());
  Check(left.file.has_value(), "the edited file is never missing");
  Check(run.result == expected.result, "the result code is the model's",
        "got " + std::to_string(run.result) + ", expected " + std::to_string(expected.result));
  if (!expected.text) {
    Check(*left.file == original, "an edit that changes nothing leaves every byte");
  } else {
    Check(*left.file == DosBytes(*expected.text), "the edited file is the model's, byte for byte",
          "got " + Shown(*left.file) + "\n    expected " + Shown(DosBytes(*expected.text)));
    CheckEditShape(op, in, before, DosText(*left.file));
  }
  if (op == Op::kDeleteLine && in.text) {
    Check(run.pattern == Normalised(*in.text, static_cast<int>(in.number) & 3),
          "line removal leaves the pattern normalised");
  }
  if (run.result == 0 && (op == Op::kSet || op == Op::kSetUnsigned || op == Op::kSetHex)) {
    CheckReadBack(op, in, before, place.path.c_str());
  }
  if (auto plan = ParseFault(in.settings)) {
    CheckUnderFault(op, in, place, original, run.result, *left.file, *plan);
  }
}

// ---- Readers ----

void CheckRead(Op op, const CaseInput& in, const Place& place, const std::string& original) {
  std::string text = DosText(original);
  const char* path = place.path.c_str();
  const char* section = Pointer(in.section);
  OptionalText wanted = in.section ? OptionalText(*in.section) : std::nullopt;
  int descriptors = OpenDescriptors();
  switch (op) {
    case Op::kGet:
    case Op::kGetHex:
    case Op::kGetUnsigned: {
      if (!in.key) {
        Check(IniGetString(path, section, nullptr, kDefault) == kDefault, "a lookup without a key gives the default");
        break;
      }
      const char* got = IniGetString(path, section, in.key->c_str(), kDefault);
      OptionalText model = LookUp(text, wanted, *in.key);
      if (!model) {
        Check(got == kDefault, "a missing value gives the default pointer itself", "got " + Shown(got));
        Check(IniGetHex(path, section, in.key->c_str(), static_cast<std::int32_t>(in.number)) ==
                  static_cast<std::int32_t>(in.number),
              "a missing hex value gives the default unchanged");
        Check(IniGetUnsigned(path, section, in.key->c_str(), in.number) == in.number,
              "a missing unsigned value gives the default unchanged");
      } else {
        Check(got != kDefault && *model == got, "the value read is the model's",
              "got " + Shown(got == kDefault ? "(default)" : got) + ", expected " + Shown(*model));
        Check(std::strlen(got) < kPiece, "a value is never longer than a piece");
      }
      break;
    }
    case Op::kLastSection: {
      const char* fallback = Pointer(in.text);
      const char* got = IniGetLastSection(path, fallback);
      OptionalText model = LastHeader(text);
      std::string expected = model ? std::string(*model) : std::string(fallback ? fallback : "");
      if (!model) expected.resize(std::min(expected.size(), kPiece));
      Check(got == expected, "the last section is the model's", "got " + Shown(got) + ", expected " + Shown(expected));
      break;
    }
    case Op::kWalk: {
      if (!in.section) {
        std::int32_t position = 0;
        Check(IniFirstSectionLine(path, nullptr, &position, 0) == nullptr, "a walk without a section is null");
        break;
      }
      int options = static_cast<int>(in.number & 3);
      std::int32_t position = static_cast<std::int32_t>(in.number) >> 2;
      std::vector<WalkStep> model = Walk(original, *in.section, position, options);
      // Every step either returns a line and moves the position on, or ends the walk.
      for (std::size_t i = 0; i < model.size(); ++i) {
        std::int32_t before = position;
        const char* line = i == 0 ? IniFirstSectionLine(path, section, &position, options)
                                  : IniNextSectionLine(path, &position, options);
        const WalkStep& step = model[i];
        Check((line != nullptr) == step.line.has_value(), "the walk returns a line where the model does",
              "step " + std::to_string(i) + ": " + (line ? Shown(line) : "null"));
        Check(IniLineNumber == step.lineNumber, "IniLineNumber counts every read",
              std::to_string(IniLineNumber) + " vs " + std::to_string(step.lineNumber));
        if (line == nullptr) {
          Check(position == before, "a walk that ends leaves the position");
          Check(i == 0 || IniNextSectionLine(path, &position, options) == nullptr, "an ended walk stays ended");
          break;
        }
        Check(*step.line == line, "the walk returns the model's line", Shown(line) + " vs " + Shown(*step.line));
        Check(std::strlen(line) <= kPiece, "a walk line is never longer than a piece");
        Check(position == step.position, "the walk's position is just after the line",
              std::to_string(position) + " vs " + std::to_string(step.position));
        Check(i == 0 || position > before, "walk positions only grow");
      }
      break;
    }
    default: Fail("CheckRead is given readers only");
  }
  Check(OpenDescriptors() == descriptors, "no file stays open after a read");
  Left left = WhatIsLeft(place);
  Check(left.others.empty() && left.file == original, "a reader changes nothing on disk");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Drive paths lie in this machine folder, opened once for the whole run.
  std::filesystem::create_directories(MachineFolder());
  static platform::hosted::Machine machine(MachineFolder());
  static platform::hosted::Machine::Use use(machine);
  Check(ScratchFolder().size() < 80, "the scratch folder's path leaves room for scratch names", ScratchFolder());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  CaseInput in = SplitCase(std::string_view(reinterpret_cast<const char*>(data), size));
  Op op = PickOp(in.op);
  Place place = MakePlace(HasSetting(in.settings, "drive"));
  std::string original = Padding(in.settings) + std::string(in.file);
  WriteFile(place.folder + "/" + place.name, original);
  if (IsEdit(op)) CheckEdit(op, in, place, original);
  else CheckRead(op, in, place, original);
  return 0;
}
