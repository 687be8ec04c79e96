// Reading a file in line pieces, as every operation does: one piece at a
// time, or a run of pieces in one step where a rule passes them over (Skip).
// The reader knows whether a piece starts a line, so the rules look only at
// a line's first piece.
#ifndef CPUNINST_PROFILE_LINE_READER_H
#define CPUNINST_PROFILE_LINE_READER_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/text_file.h"

namespace profile {

// The byte the rules look out for: a piece without '[' is no header and
// ends no section.
inline constexpr char kBracket = '[';

// What a run hands on as it reads: an edit copies it through to its scratch
// file (EditScan), a reader nothing.
struct NoCopy {
  static constexpr bool kCopies = false;
  bool Admit() { return true; }
  void Pass(std::size_t, std::size_t, bool) {}
};

class LineReader {
 public:
  bool Open(const char* path);
  void Close() { text_.Close(); }
  platform::TextReader& Text() { return text_; }

  // Reads the next piece, at most buffer.size() - 1 bytes, and shows it
  // read-only until the next call; buffer holds it when it must be copied.
  // Empty at the end of the file or after a read error.
  std::string_view Next(std::span<char> buffer);

  // About the piece last read.
  bool StartsLine() const { return startsLine_; }
  bool EndsLine() const { return endsLine_; }

  // A read error, or a piece that could not be read again.
  bool Error() const { return failed_ || text_.Error(); }
  void MarkFailed() { failed_ = true; }
  std::int64_t Tell() const { return text_.Tell(); }
  // Moves to an offset taken to be the start of a line. False, with the
  // position unchanged, when the stream refuses.
  bool Seek(std::int64_t offset);

  // Reads on over the pieces that plain(piece, startsLine, holdsBracket)
  // turns away, each as Next would read it, and stops before the first one
  // it does not, before one that does not lie whole in the read buffer, at
  // the end and at a failure. holdsBracket tells whether '[' occurs in the
  // piece (it may also be the byte just after it). Returns how many pieces
  // it read; copy hands each on (see NoCopy).
  //
  // find(text, from, to) names the first place in text[from, to) where a
  // piece that matters may start (to: none); the whole lines before that
  // place's line are read in one step, without plain, when each is one
  // short piece (and, copying, none ends with an LF alone). Every piece
  // there must be one plain would turn away. With Count::kNone (and nothing
  // copied, no fault hook) those lines are not even looked at: the count
  // leaves them out and StartsLine() is not known after it.
  enum class Count { kPieces, kNone };
  template <typename Plain, typename Find, typename Copy = NoCopy>
  std::size_t Skip(std::span<char> buffer, Plain plain, Find find, Count counting = Count::kPieces,
                   Copy copy = {});

 private:
  // Whole lines read in one step: how many pieces, where reading stopped,
  // and whether a failure stopped it.
  struct LineRun {
    std::size_t pieces = 0;
    std::size_t end = 0;
    bool failed = false;
  };
  template <typename Copy>
  LineRun ReadLines(const platform::HeldBytes& held, std::size_t from, std::size_t to, std::size_t maxLength,
                    Copy& copy);

  platform::TextReader text_;
  bool startsLine_ = true;
  bool endsLine_ = true;
  bool failed_ = false;
};

// How many lines held.data[from, to) holds (it ends just after a line feed)
// when each is one piece of at most maxLength bytes and, when lone LFs count,
// each ends with CR LF; 0 otherwise.
std::size_t CountShortLines(const platform::HeldBytes& held, std::size_t from, std::size_t to,
                            std::size_t maxLength, bool loneLfs);

template <typename Plain, typename Find, typename Copy>
std::size_t LineReader::Skip(std::span<char> buffer, Plain plain, Find find, Count counting, Copy copy) {
  const std::size_t maxLength = buffer.size() - 1;
  const platform::HeldBytes held = text_.Held();
  if (text_.AtEnd() || text_.Error() || maxLength == 0) return 0;
  std::size_t count = 0;
  std::size_t at = held.read;
  bool starts = startsLine_;
  bool ends = endsLine_;
  bool looked = false;
  std::size_t place = at;
  while (at < held.filled) {
    if (ends && (!looked || at > place)) {
      // The lines before the place find names go in one step.
      looked = true;
      place = find(held.data, at, held.filled);
      std::size_t lastLineFeed = std::string_view(held.data + at, place - at).rfind('\n');
      if (lastLineFeed != std::string_view::npos) {
        const std::size_t end = at + lastLineFeed + 1;
        const bool unseen = counting == Count::kNone && !Copy::kCopies && !platform::FaultHookInstalled();
        LineRun run = unseen ? LineRun{0, end, false} : ReadLines(held, at, end, maxLength, copy);
        const bool moved = run.end > at;
        count += run.pieces;
        at = run.end;
        if (run.failed) break;
        if (moved) {
          starts = ends = true;
          continue;
        }
      }
    }
    platform::HeldPiece piece = platform::PieceAt(held, at, maxLength, kBracket);
    if (piece.length == 0) break;
    char* text = held.data + at;
    // The rule sees the piece as Next shows it.
    if (piece.crLf) text[piece.length - 1] = '\n';
    bool turnedAway = plain(std::string_view(text, piece.length), ends, piece.watched);
    if (piece.crLf) text[piece.length - 1] = '\r';
    if (!turnedAway || !text_.AdmitRead()) break;
    ++count;
    starts = ends;
    ends = piece.crLf || piece.loneLf;
    if constexpr (Copy::kCopies) {
      if (!copy.Admit()) {
        at = piece.end;
        break;
      }
      copy.Pass(at, piece.end, piece.loneLf);
    }
    at = piece.end;
  }
  startsLine_ = starts;
  endsLine_ = ends;
  text_.Consume(at);
  return count;
}

template <typename Copy>
LineReader::LineRun LineReader::ReadLines(const platform::HeldBytes& held, std::size_t from, std::size_t to,
                                          std::size_t maxLength, Copy& copy) {
  const std::size_t lines = CountShortLines(held, from, to, maxLength, Copy::kCopies);
  if (lines == 0) return {0, from, false};
  // Where the piece after `pieces` whole lines starts.
  auto after = [&](std::size_t pieces) {
    std::size_t at = from;
    for (; pieces > 0; --pieces) at = std::string_view(held.data, to).find('\n', at) + 1;
    return at;
  };
  const bool seamWatches = platform::FaultHookInstalled();
  for (std::size_t piece = 0; piece < lines; ++piece) {
    const bool readFails = !text_.AdmitRead();
    if (readFails || !copy.Admit()) {
      // The pieces before this one were read (and handed on); this one was
      // read only when its write failed.
      copy.Pass(from, after(piece), false);
      const std::size_t read = readFails ? piece : piece + 1;
      return {read, after(read), true};
    }
    // Unwatched, the seam and the writer answer every piece as the first.
    if (!seamWatches) break;
  }
  copy.Pass(from, to, false);
  return {lines, to, false};
}

}  // namespace profile

#endif  // CPUNINST_PROFILE_LINE_READER_H
