// The one line-piece reader: every operation reads its file through it, one
// piece at a time. A piece ends just after a line feed, at the operation's
// buffer limit or at the end of the file; the reader also knows whether a
// piece starts a line or continues a longer one. Pieces are shown where they
// lie in the stream buffer whenever they can be, and copied into the
// operation's buffer only when they cannot.
#ifndef CPUNINST_PROFILE_PIECE_READER_H
#define CPUNINST_PROFILE_PIECE_READER_H

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/text_file.h"

namespace profile {

class PieceReader {
 public:
  bool Open(const char* path);
  void Close() { text_.Close(); }
  const platform::TextReader& Text() const { return text_; }

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
  // it does not; see platform::TextReader::Skip (holdsBracket may also be
  // true of a piece followed by '['). Returns how many pieces it read.
  // find names where such a piece may start, so that the lines before it
  // go in one step (see platform::TextReader::Skip).
  template <typename Plain, typename Find = decltype(platform::TextReader::NoFinder)>
  std::size_t Skip(std::span<char> buffer, Plain plain, Find find = platform::TextReader::NoFinder) {
    return SkipPieces(buffer, false, plain, find);
  }
  // The same for a caller that needs no count: lines before the place find
  // names are passed over unseen (see platform::TextReader::Skip).
  template <typename Plain, typename Find>
  void SkipUncounted(std::span<char> buffer, Plain plain, Find find) {
    SkipPieces(buffer, false, plain, find, false);
  }
  // The same, passing each piece read on to the writer (see Pass).
  template <typename Plain, typename Find>
  std::size_t SkipAndPass(std::span<char> buffer, Plain plain, Find find) {
    return SkipPieces(buffer, true, plain, find);
  }

  // Copying unchanged pieces through to a writer (see platform::TextReader).
  void PassTo(platform::TextWriter* writer) { text_.PassTo(writer); }
  void Pass(std::string_view piece) { text_.Pass(piece); }
  bool Holds(std::int64_t offset) const { return text_.Holds(offset); }
  bool PassRange(std::int64_t from, std::int64_t to) { return text_.PassRange(from, to); }
  void FlushPassed() { text_.FlushPassed(); }

 private:
  template <typename Plain, typename Find>
  std::size_t SkipPieces(std::span<char> buffer, bool pass, Plain plain, Find find, bool counted = true) {
    platform::TextReader::LineEnds lines{startsLine_, endsLine_};
    std::size_t count = text_.Skip(buffer.size() - 1, pass, '[', lines, plain, find, counted);
    startsLine_ = lines.starts;
    endsLine_ = lines.ends;
    return count;
  }

  platform::TextReader text_;
  bool startsLine_ = true;
  bool endsLine_ = true;
  bool failed_ = false;
};

}  // namespace profile

#endif  // CPUNINST_PROFILE_PIECE_READER_H
