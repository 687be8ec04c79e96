#include "diagnosis.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace profctl {
namespace {

// What a reason names besides its words.
enum class Subject { kNone, kSection, kKey, kScratch };

struct Message {
  ProfileResult result;
  std::string_view words;
  Subject subject = Subject::kNone;
  std::string_view after = {};
};

constexpr std::array kMessages{
    Message{PROFILE_NO_FILE, "no such file"},
    Message{PROFILE_NOT_REGULAR, "not a regular file"},
    Message{PROFILE_DENIED, "permission denied"},
    Message{PROFILE_REFUSED_PATH, "refused in the machine folder (a link, or a name no FAT disk holds)"},
    Message{PROFILE_NO_DOT, "the name has no '.'"},
    Message{PROFILE_SCRATCH_TOO_LONG, "its scratch name is too long"},
    Message{PROFILE_IS_SCRATCH, "the name is a scratch name (.$$$)"},
    Message{PROFILE_LINE_TOO_LONG, "the line to write is longer than 127 bytes"},
    Message{PROFILE_NO_SECTION, "section ", Subject::kSection, " not found"},
    Message{PROFILE_NO_KEY, "key ", Subject::kKey, " not found"},
    Message{PROFILE_NO_VALUE, "key ", Subject::kKey, " has no value"},
    Message{PROFILE_NO_MATCH, "no line matches the pattern"},
    Message{PROFILE_SCRATCH_NOT_CREATED, "the scratch file ", Subject::kScratch, " cannot be created"},
    Message{PROFILE_WRITE_FAILED, "writing ", Subject::kScratch, " failed; the file is unchanged"},
    Message{PROFILE_NOT_REPLACED, "the file could not be replaced and the new text is in ", Subject::kScratch},
};

// Any other reason: what an edit or a reader could not do.
constexpr std::string_view kEditFailed = "the edit failed; the file is unchanged";
constexpr std::string_view kNotRead = "the file could not be read";

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

// The scratch name the library gives the file.
std::string ScratchOf(const char* path) {
  std::string scratch(std::strlen(path) + sizeof(".$$$"), '\0');
  MakeTempName(scratch.data(), path);
  scratch.resize(std::strlen(scratch.c_str()));
  return scratch;
}

std::string Named(Subject subject, const Call& call) {
  switch (subject) {
    case Subject::kSection: return Shown(call.section != nullptr ? call.section : "");
    case Subject::kKey: return Shown(call.key != nullptr ? call.key : "");
    case Subject::kScratch: return Shown(ScratchOf(call.path));
    case Subject::kNone: break;
  }
  return {};
}

std::string Reason(const Call& call, ProfileResult result) {
  for (const Message& message : kMessages) {
    if (message.result == result) {
      return std::string(message.words) + Named(message.subject, call) + std::string(message.after);
    }
  }
  return std::string(call.edit ? kEditFailed : kNotRead);
}

}  // namespace

std::string DiagnosticLine(std::string_view program, const Call& call, ProfileResult result) {
  return std::string(program) + ": " + Shown(call.path) + ": " + Reason(call, result) + "\n";
}

}  // namespace profctl
