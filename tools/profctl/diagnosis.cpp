#include "tools/profctl/diagnosis.h"

#include <array>
#include <cstdio>
#include <optional>
#include <span>

#include "profile/key_search.h"
#include "profile/line_buffers.h"
#include "profile/line_rules.h"
#include "profile/piece_reader.h"
#include "profile/scratch_name.h"
#include "tools/profctl/file_facts.h"

namespace profctl {
namespace {

constexpr std::string_view kNoSuchFile = "no such file";
constexpr std::string_view kNotRegular = "not a regular file";
constexpr std::string_view kDenied = "permission denied";
constexpr std::string_view kRefusedPath =
    "refused in the machine folder (a link, or a name no FAT disk holds)";
constexpr std::string_view kNoDot = "the name has no '.'";
constexpr std::string_view kScratchTooLong = "its scratch name is too long";
constexpr std::string_view kIsScratch = "the name is a scratch name (.$$$)";
constexpr std::string_view kLineTooLong = "the line to write is longer than 127 bytes";
constexpr std::string_view kNoMatch = "no line matches the pattern";
constexpr std::string_view kUnknownFailure = "the edit failed; the file is unchanged";
constexpr std::string_view kNotRead = "the file could not be read";

// The library's failure code for "the file could not be replaced"; line
// removal has only the one failure code for everything.
constexpr int kNotReplaced = -1;
constexpr int kLineRemovalFailed = 2;
constexpr int kNothingDone = 1;

// The name as a line of text: control bytes as \xNN.
std::string Shown(std::string_view name) {
  std::string shown;
  for (char c : name) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      std::array<char, 5> escaped{};
      std::snprintf(escaped.data(), escaped.size(), "\\x%02X", byte);
      shown += escaped.data();
    } else {
      shown += c;
    }
  }
  return shown;
}

std::string Replaced(std::string_view scratch) {
  return "the file could not be replaced and the new text is in " + Shown(scratch);
}

std::string NotCreated(std::string_view scratch) {
  return "the scratch file " + Shown(scratch) + " cannot be created";
}

std::string NotWritten(std::string_view scratch) {
  return "writing " + Shown(scratch) + " failed; the file is unchanged";
}

std::string SectionMissing(const char* section) { return "section " + Shown(section) + " not found"; }
std::string KeyMissing(const char* key) { return "key " + Shown(key) + " not found"; }
std::string KeyEmpty(const char* key) { return "key " + Shown(key) + " has no value"; }

// The file's own state, when that alone explains the failure.
std::optional<std::string> FileReason(const FileFacts& file) {
  switch (file.presence) {
    case Presence::kMissing: return std::string(kNoSuchFile);
    case Presence::kOther: return std::string(kNotRegular);
    case Presence::kDenied: return std::string(kDenied);
    case Presence::kRefused: return std::string(kRefusedPath);
    case Presence::kRegular: break;
  }
  if (!file.readable) return std::string(kDenied);
  return std::nullopt;
}

std::optional<std::string> NameReason(profile::ScratchName name) {
  switch (name) {
    case profile::ScratchName::kNoDot: return std::string(kNoDot);
    case profile::ScratchName::kTooLong: return std::string(kScratchTooLong);
    case profile::ScratchName::kIsScratch: return std::string(kIsScratch);
    case profile::ScratchName::kBuilt: break;
  }
  return std::nullopt;
}

enum class Lookup { kNoSection, kNoKey, kKey, kUnreadable };

// The first section of the name, as the readers see it, and whether a line
// of the key stands in it (by the library's own header and key rules).
Lookup LookUp(const char* path, const char* section, const char* key) {
  profile::PieceReader reader;
  if (!reader.Open(path)) return Lookup::kUnreadable;
  std::array<char, profile::kLineBuffer> buffer{};
  switch (profile::FindKeyLine(reader, buffer, section, key).result) {
    case profile::KeySearch::kFound: return Lookup::kKey;
    case profile::KeySearch::kNoSection: return Lookup::kNoSection;
    case profile::KeySearch::kNoKey: break;
  }
  return Lookup::kNoKey;
}

// A reader that found nothing, or an edit that had nothing to change.
std::string NothingFound(const Call& call) {
  switch (LookUp(call.path, call.section, call.key)) {
    case Lookup::kNoSection: return SectionMissing(call.section);
    case Lookup::kNoKey: return KeyMissing(call.key);
    case Lookup::kKey:
      // The key is there: a reader found no value, an edit failed early.
      if (call.edit == Edit::kNone) return KeyEmpty(call.key);
      break;
    case Lookup::kUnreadable: break;
  }
  return std::string(call.edit == Edit::kNone ? kNotRead : kUnknownFailure);
}

// After a rewrite: what the scratch file left beside the file says.
std::optional<std::string> ScratchReason(const Call& call, const FileFacts& file,
                                         std::string_view scratch) {
  FileFacts facts = LookAt(scratch.data());
  switch (facts.presence) {
    case Presence::kMissing:
      if (!facts.folderWritable) return std::string(kDenied);
      return std::nullopt;
    case Presence::kRegular: break;
    default: return NotCreated(scratch);
  }
  // Line removal's one failure code: a read-only file is what keeps the new
  // text from replacing it.
  if (call.edit == Edit::kLineRemoval && call.code == kLineRemovalFailed && file.readOnly) {
    return Replaced(scratch);
  }
  if (facts.readOnly) return NotCreated(scratch);
  return NotWritten(scratch);
}

std::string EditReason(const Call& call) {
  std::size_t buffer =
      call.edit == Edit::kLineRemoval ? profile::kLineRemovalBuffer : profile::kLineBuffer;
  std::array<char, profile::kLineRemovalBuffer> scratchName{};
  auto name = profile::BuildScratchName(std::span<char>(scratchName.data(), buffer), call.path);
  if (auto reason = NameReason(name)) return *reason;
  std::string_view scratch(scratchName.data());

  // Only a commit that could not replace the file answers -1; the file may
  // even be gone (deleted before a rename that failed).
  if (call.code == kNotReplaced && LookAt(scratch.data()).presence == Presence::kRegular) {
    return Replaced(scratch);
  }
  FileFacts file = LookAt(call.path);
  if (auto reason = FileReason(file)) return *reason;
  if (call.composedLength >= profile::kLineBuffer) return std::string(kLineTooLong);
  if (auto reason = ScratchReason(call, file, scratch)) return *reason;
  if (call.code == kNothingDone && call.edit == Edit::kLineRemoval) return std::string(kNoMatch);
  if (call.code == kNothingDone && call.edit == Edit::kKeyEdit) return NothingFound(call);
  return std::string(kUnknownFailure);
}

}  // namespace

std::string Reason(const Call& call) {
  if (call.edit != Edit::kNone) return EditReason(call);
  if (auto reason = FileReason(LookAt(call.path))) return *reason;
  return NothingFound(call);
}

std::string DiagnosticLine(std::string_view program, const Call& call) {
  return std::string(program) + ": " + Shown(call.path) + ": " + Reason(call) + "\n";
}

}  // namespace profctl
