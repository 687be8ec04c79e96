// The one scratch-file commit. An edit opens the edited file and its scratch
// copy (always a new file, with the edited file's permissions), copies
// through it, and Finish() decides: drop the scratch file when nothing
// changed or the edited file could not be read whole, leave it after a
// failed write, otherwise flush it to stable storage and put it in the
// edited file's place (in one step where the platform can, so the name
// never goes missing).
#ifndef CPUNINST_PROFILE_SCRATCH_EDIT_H
#define CPUNINST_PROFILE_SCRATCH_EDIT_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "line_buffers.h"
#include "piece_reader.h"
#include "platform/text_file.h"

namespace profile {

enum class EditStart {
  kOpen,
  kRefused,       // no '.', too long for the line buffer, or already a scratch name
  kNotReadable,   // the edited file cannot be opened
  kNotCreatable   // the scratch file cannot be created
};

enum class EditEnd {
  kCommitted,
  kUnchanged,     // nothing to change: scratch file deleted
  kReadFailed,    // the copy is incomplete: scratch file deleted
  kWriteFailed,   // a write or the flush failed: scratch file left
  kDeleteFailed,  // the edited file could not be deleted: scratch file left
  kRenameFailed   // the new text is left under the scratch name
};

class ScratchEdit {
 public:
  static constexpr std::string_view kLineEnd = "\n";

  ScratchEdit() = default;
  ScratchEdit(const ScratchEdit&) = delete;
  ScratchEdit& operator=(const ScratchEdit&) = delete;

  // lineBuffer is the operation's line buffer size: the scratch name must
  // fit it with its NUL.
  EditStart Begin(const char* path, std::size_t lineBuffer);

  PieceReader& Reader() { return reader_; }

  // Writes to the scratch file; false (and every later write refused) once
  // a write has failed.
  bool Write(std::string_view text);
  // Writes the piece last read, unchanged, as Write would; it goes on from
  // the stream buffer. The piece must not be used after this.
  bool Keep(std::string_view piece);
  // Several pieces of one line kept at once: Admit() is the check each of
  // their writes makes, and KeepRange() then writes the admitted pieces
  // between two offsets (false when they have left the stream buffer).
  bool Admit();
  bool KeepRange(std::int64_t from, std::int64_t to);
  // Keeps the run of pieces that plain(piece, startsLine, holdsBracket)
  // turns away, as
  // Reader().Next() and Keep() would one by one (PieceReader::Skip); false
  // when a write failed.
  template <typename Plain, typename Find = decltype(platform::TextReader::NoFinder)>
  bool KeepPlain(std::span<char> buffer, Plain plain, Find find = platform::TextReader::NoFinder) {
    if (writeFailed_) return false;
    reader_.SkipAndPass(buffer, plain, find);
    if (writer_.Error()) writeFailed_ = true;
    return !writeFailed_;
  }
  // Writes a line the library adds: the text, then a line end.
  bool WriteLine(std::string_view text) { return Write(text) && EndLine(); }
  bool EndLine() { return Write(kLineEnd); }
  bool WriteFailed() const { return writeFailed_; }

  EditEnd Finish(bool changed);

 private:
  const char* path_ = nullptr;
  std::array<char, kLineRemovalBuffer> scratch_{};
  PieceReader reader_;
  platform::TextWriter writer_;
  bool writeFailed_ = false;
};

}  // namespace profile

#endif  // CPUNINST_PROFILE_SCRATCH_EDIT_H
