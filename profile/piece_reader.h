// The one line-piece reader: every operation reads its file through it, one
// piece at a time into a fixed buffer. A piece ends just after a line feed,
// at the buffer's limit or at the end of the file; the reader also knows
// whether a piece starts a line or continues a longer one.
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

  // Reads the next piece into buffer (at most buffer.size() - 1 bytes, then
  // a NUL). Empty at the end of the file or after a read error.
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

 private:
  platform::TextReader text_;
  bool startsLine_ = true;
  bool endsLine_ = true;
  bool failed_ = false;
};

}  // namespace profile

#endif  // CPUNINST_PROFILE_PIECE_READER_H
