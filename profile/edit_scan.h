// The one edit scan. An edit copies the file into a new scratch file beside
// it, line by line, as a rule decides for each line: keep it, drop it, put a
// text in its place, or put a text before it. Lines the rule passes over go
// through in runs, straight from the read buffer; a line's later pieces share
// the fate of its first. At the end the scratch file takes the file's place
// only when something changed (Begin and Finish: scratch_file.cpp).
#ifndef CPUNINST_PROFILE_EDIT_SCAN_H
#define CPUNINST_PROFILE_EDIT_SCAN_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "line_buffers.h"
#include "line_reader.h"
#include "platform/text_file.h"
#include "profile/profile.h"

namespace profile {

enum class Fate {
  kKeep,
  kDrop,
  kReplace,       // the decision's text goes in the line's place
  kInsertBefore,  // the decision's text goes before the line, which is kept
  kUndecided,     // the rule must see the line's next piece
};

struct Decision {
  Fate fate = Fate::kKeep;
  std::string_view text = {};  // a line without its line end
};

// A rule is a type with
//   Find(text, from, to)         where a line the rule must see may start
//                                (LineReader::Skip);
//   Plain(piece, holdsBracket)   whether the line this first piece starts
//                                goes on unchanged: a quick test, true only
//                                where Decide would keep it;
//   Decide(piece, endsLine)      the line's fate from its first piece;
//   More(piece, endsLine)        only in a rule that answers kUndecided:
//                                the fate once the next piece is seen
//                                (empty: the file ended there).

enum class EditEnd {
  kCommitted,
  kUnchanged,    // nothing to change: scratch file deleted
  kReadFailed,   // the copy is incomplete: scratch file deleted
  kWriteFailed,  // a write or the flush failed: scratch file left
  kNotReplaced,  // the file could not be replaced: the new text is in the scratch file
};

class EditScan {
 public:
  static constexpr std::string_view kLineEnd = "\n";

  EditScan() = default;
  EditScan(const EditScan&) = delete;
  EditScan& operator=(const EditScan&) = delete;

  // Refuses a path whose scratch name is unsafe or does not fit lineBuffer
  // bytes (the operation's line buffer, NUL included), then opens the file
  // and creates the scratch file. False, with ProfileLastResult saying why,
  // when the edit cannot start.
  bool Begin(const char* path, std::size_t lineBuffer);

  // Copies the file through the rule, reading pieces into line, until the
  // end, a read error or a failed write.
  template <typename Rule>
  void Run(Rule& rule, std::span<char> line);

  // Drops the scratch file when nothing changed or the file could not be
  // read whole, leaves it after a failed write, and otherwise flushes it to
  // stable storage and puts it in the file's place (in one step where the
  // platform can, so the name never goes missing). Sets ProfileLastResult;
  // `unchanged` is the reason when nothing changed.
  EditEnd Finish(bool changed, ProfileResult unchanged);

  bool Changed() const { return changed_; }
  bool ReadFailed() const { return reader_.Error(); }
  bool WriteFailed() const { return writeFailed_; }

  // The scan's steps, for what a rule adds at the end and for tests.
  // Writes to the scratch file; false (and every later write refused) once a
  // write has failed.
  bool Write(std::string_view text);
  // A line the edit adds: the text, then a line end.
  bool WriteLine(std::string_view text) { return Write(text) && Write(kLineEnd); }
  // An added line never joins a last line that has no line end.
  bool EndLastLine() { return reader_.EndsLine() || Write(kLineEnd); }
  std::string_view Next(std::span<char> line) { return reader_.Next(line); }
  std::int64_t Tell() const { return reader_.Tell(); }
  // Keeps the piece last read, as Write would write it; it goes on from the
  // read buffer. The piece must not be used after this.
  bool Keep(std::string_view piece);
  // Keeps the pieces of one line read from the offset start so far (the
  // last of them `last`), as that many writes; reads them again when they
  // have left the read buffer.
  bool KeepLine(std::int64_t start, std::size_t pieces, std::string_view last, std::span<char> line);
  // Keeps the run of pieces plain turns away (LineReader::Skip); returns
  // how many it read.
  template <typename Plain, typename Find>
  std::size_t KeepRun(std::span<char> line, Plain plain, Find find);

 private:
  // What a run copies through: the pieces as they lie on disk.
  struct Copier {
    static constexpr bool kCopies = true;
    EditScan* scan;
    bool Admit() { return scan->writer_.Admit(); }
    void Pass(std::size_t from, std::size_t end, bool loneLf) { scan->Pass(from, end, loneLf); }
  };

  // The line whose first piece was decided: what its pieces read so far
  // become, and its later pieces follow.
  bool Apply(const Decision& decision, std::int64_t start, std::size_t pieces, std::string_view last,
             std::span<char> line);
  template <typename Rule>
  Decision ReadOn(Rule& rule, std::size_t& pieces, std::string_view& last, std::span<char> line);
  // KeepLine's slow road: the line's start has left the read buffer.
  bool KeepAgain(std::int64_t start, std::size_t pieces, std::span<char> line);

  // Hands on held bytes [from, end) of the read buffer, whole pieces with an
  // LF alone at their end written as CR LF; pieces that follow one another
  // go out as one run.
  void Pass(std::size_t from, std::size_t end, bool loneLf);
  // The same for held bytes [begin, end) of whole pieces of one line, and
  // for them by their disk offsets [from, to).
  void PassHeld(const platform::HeldBytes& held, std::size_t begin, std::size_t end);
  void PassRange(std::int64_t from, std::int64_t to);
  // Hands over what was passed on so far.
  void FlushPassed();
  // The read buffer is about to move or drop what it holds.
  static void LetGoOfHeldBytes(void* scan);
  // Notes a failed write of the passed bytes; false once a write failed.
  bool CheckWriter();

  LineReader reader_;
  platform::TextWriter writer_;
  const char* path_ = nullptr;
  std::array<char, kLineRemovalBuffer> scratch_{};
  std::size_t passStart_ = 0;  // passed on but not yet handed over
  std::size_t passEnd_ = 0;
  bool lineKept_ = true;  // the fate of the line being read
  bool changed_ = false;
  bool writeFailed_ = false;
};

template <typename Plain, typename Find>
std::size_t EditScan::KeepRun(std::span<char> line, Plain plain, Find find) {
  if (writeFailed_) return 0;
  const std::size_t pieces = reader_.Skip(line, plain, find, LineReader::Count::kPieces, Copier{this});
  CheckWriter();
  return pieces;
}

template <typename Rule>
void EditScan::Run(Rule& rule, std::span<char> line) {
  // Later pieces of a line follow its fate; a line the rule passes over is kept.
  auto plain = [&](std::string_view piece, bool startsLine, bool holdsBracket) {
    if (!startsLine) return lineKept_;
    if (!rule.Plain(piece, holdsBracket)) return false;
    lineKept_ = true;
    return true;
  };
  auto find = [&](const char* text, std::size_t from, std::size_t to) { return rule.Find(text, from, to); };
  for (;;) {
    KeepRun(line, plain, find);
    if (writeFailed_) return;
    const std::int64_t start = reader_.Tell();
    std::string_view piece = reader_.Next(line);
    if (piece.empty()) return;
    if (!reader_.StartsLine()) {
      if (lineKept_ && !Keep(piece)) return;
      continue;
    }
    std::size_t pieces = 1;
    Decision decision = rule.Decide(piece, reader_.EndsLine());
    if constexpr (requires { rule.More(piece, false); }) {
      if (decision.fate == Fate::kUndecided) decision = ReadOn(rule, pieces, piece, line);
    }
    if (reader_.Error() || !Apply(decision, start, pieces, piece, line)) return;
  }
}

template <typename Rule>
Decision EditScan::ReadOn(Rule& rule, std::size_t& pieces, std::string_view& last, std::span<char> line) {
  for (;;) {
    std::string_view more = reader_.Next(line);
    if (!more.empty()) {
      last = more;
      ++pieces;
    }
    Decision decision = rule.More(more, reader_.EndsLine());
    if (decision.fate != Fate::kUndecided) return decision;
  }
}

}  // namespace profile

#endif  // CPUNINST_PROFILE_EDIT_SCAN_H
