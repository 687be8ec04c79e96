// DOS text-mode streams, the same on every backend. Reading turns CR LF into
// LF, keeps a lone CR and stops at the first Ctrl-Z; writing turns LF into
// CR LF. Positions are byte offsets in the file as it stands on disk.
#ifndef CPUNINST_PLATFORM_TEXT_FILE_H
#define CPUNINST_PLATFORM_TEXT_FILE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/byte_scan.h"
#include "platform/fault.h"
#include "platform/native_file.h"

namespace platform {

inline constexpr std::size_t kStreamBufferSize = 64 * 1024;

// The first read after opening asks for this much, and every further read
// twice as much, up to the buffer: a walk that wants one line pays for a
// small read, a whole-file pass soon reads whole buffers.
inline constexpr std::size_t kFirstReadSize = 512;

// How a line feed goes on disk.
inline constexpr std::string_view kDosLineEnd = "\r\n";

// Makes every reader opened from now on use only the first `bytes` bytes of
// its buffer (at least 2; 0 restores the whole buffer), so that tests can
// put any byte of a file on a buffer boundary.
void SetStreamBufferLimit(std::size_t bytes);

// The stream's own copy of its path, for the fault seam (callers may reuse
// the buffer they opened it from). Long paths are cut; the hook only looks.
using FaultPath = std::array<char, 512>;

class TextReader;

class TextWriter {
 public:
  TextWriter() = default;
  ~TextWriter() { Close(); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  // Creates the file as a new file: whatever stood at the name is removed as
  // a name first, never emptied or written through (NativeFile::Mode::kCreate).
  // With `like`, the new file takes that file's permissions. On failure,
  // Failure() says why.
  bool Create(const char* path, const TextReader* like = nullptr);
  bool IsOpen() const { return file_.IsOpen(); }
  OpenFailure Failure() const { return failure_; }

  // Writes text, each line feed as CR LF. False once any write has failed.
  bool Write(std::string_view text) { return Admit() && Put(text); }
  // One write call's check through the fault seam, without the writing:
  // false (and every later write refused) once a write has failed.
  bool Admit() {
    if (error_ || !file_.IsOpen()) return false;
    if (ShouldFail(FileOp::kWrite, path_.data())) error_ = true;
    return !error_;
  }
  // Writes admitted text, each line feed as CR LF.
  bool Put(std::string_view text);
  // Writes admitted bytes exactly as they go on disk. Bytes admitted before
  // a later failure still go in, as buffered ones do.
  void PutDos(std::string_view bytes);
  // Puts everything written so far on stable storage.
  bool Flush();
  // Writes out what is buffered and closes. False when any write, flush or
  // the close failed.
  bool Close();

  bool Error() const { return error_; }

 private:
  bool Drain();

  NativeFile file_;
  FaultPath path_{};
  std::array<char, kStreamBufferSize> buffer_;
  std::size_t filled_ = 0;
  OpenFailure failure_ = OpenFailure::kNone;
  bool error_ = false;
};

class TextReader {
 public:
  TextReader() = default;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Opens an existing regular file; anything else fails at once. On failure,
  // Failure() says why.
  bool Open(const char* path);
  bool IsOpen() const { return file_.IsOpen(); }
  OpenFailure Failure() const { return failure_; }
  // Hands what was passed on to the writer first.
  void Close();
  const NativeFile& File() const { return file_; }

  // Reads one line piece: up to and including the next line feed, at most
  // maxLength bytes, or up to the end of the file. Returns a view of it that
  // stays valid until the next call on this reader: into the stream buffer
  // when the piece lies there whole, else a copy in spare (which holds
  // maxLength + 1 bytes). Empty when nothing could be read (end of file or a
  // read error).
  std::string_view NextPiece(char* spare, std::size_t maxLength);
  // The same piece copied into out (maxLength + 1 bytes) and NUL-terminated;
  // returns its length.
  std::size_t ReadPiece(char* out, std::size_t maxLength);

  bool AtEnd() const { return atEnd_; }
  bool Error() const { return error_; }

  // Offset on disk of the first byte not yet read. A Ctrl-Z that ends the
  // file is never consumed, so at that end this is the Ctrl-Z's own offset.
  std::int64_t Tell() const { return bufferOffset_ + static_cast<std::int64_t>(next_); }
  // Moves to a byte offset. False (and the position unchanged) for a
  // negative offset or when the system refuses.
  bool Seek(std::int64_t offset);

  // Copying through to a writer: a piece passed on reaches the writer's file
  // exactly as writing its text would put it there, but unchanged runs of
  // pieces go straight from the stream buffer, without a line-end round trip.
  // The caller admits each piece with the writer's fault seam first; what is
  // passed on lies in the stream buffer until the next read needs the room,
  // a seek, FlushPassed() or Close().
  void PassTo(TextWriter* writer) { sink_ = writer; }
  // Passes on the piece last read. The view must not be used after this.
  void Pass(std::string_view piece) {
    if (sink_ == nullptr) return;
    if (pieceStart_ == kNone) return PassCopy(piece);
    Unpatch();
    PassWhole(pieceStart_, next_, pieceLoneLf_);
    pieceStart_ = kNone;
  }
  // Whether the bytes from a disk offset up to the position are still held.
  bool Holds(std::int64_t offset) const { return offset >= bufferOffset_ && offset <= Tell(); }
  // Passes on the bytes between two offsets that lie behind the position:
  // whole pieces of one line. False when they are no longer held.
  bool PassRange(std::int64_t from, std::int64_t to);
  void FlushPassed();

  // Where a run of pieces meets a rule: reads on over the pieces that
  // plain(piece, startsLine, watched) turns away, each as NextPiece would
  // read it and, with pass, as Pass would hand it on, through the same fault
  // seam. startsLine tells whether the piece before ended a line; watched
  // whether the byte `watch` occurs in the piece (it may also be the byte
  // just after it). Stops before the first piece plain does not turn away,
  // before one that does not lie whole in the buffer, at the end and at a
  // failure. Returns how many pieces it read; lines tells whether the last
  // of them started and ended a line.
  //
  // find(text, from, to) speeds it up: it names the first place in
  // text[from, to) where a piece that matters to the caller may start (to:
  // none), and the whole lines before that place's line are read in one
  // step, without plain, when each is one short piece (and, passing, none
  // ends with an LF alone). Every piece there must be one the caller passes
  // over; NoFinder names every place. Without counted (and without pass and
  // a fault hook), those lines are not even looked at: the count returned
  // leaves them out and lines.starts is not known, which only edits ask.
  struct LineEnds {
    bool starts;
    bool ends;
  };
  template <typename Plain, typename Find>
  std::size_t Skip(std::size_t maxLength, bool pass, char watch, LineEnds& lines, Plain plain, Find find,
                   bool counted = true);
  static constexpr auto NoFinder = [](const char*, std::size_t from, std::size_t) { return from; };

 private:
  // A piece that lies whole in the buffer.
  struct Located {
    std::size_t length = 0;  // as shown; 0: it does not lie whole there
    std::size_t end = 0;     // where the piece after it starts
    bool crLf = false;       // ends with CR LF, shown as one line feed
    bool loneLf = false;     // ends with an LF alone
    bool watched = false;    // the watched byte occurs in it (or just after it)
  };
  [[gnu::always_inline]] Located Locate(std::size_t at, std::size_t maxLength, char watch) const {
    const char* text = buffer_.data() + at;
    const std::size_t held = filled_ - at;
    // A piece ending in CR LF takes one byte more on disk than it shows.
    const std::size_t span = std::min(held, maxLength + 1);
    const LineScan scan = ScanLine(text, span, held, watch);
    const std::size_t lineFeed = scan.lineFeed;
    if (lineFeed < span) {
      if (lineFeed > 0 && text[lineFeed - 1] == '\r') {
        return {lineFeed, at + lineFeed + 1, true, false, scan.watched};
      }
      if (lineFeed < maxLength) return {lineFeed + 1, at + lineFeed + 1, false, true, scan.watched};
      return {maxLength, at + maxLength, false, false, scan.watched};
    }
    if (held > maxLength) return {maxLength, at + maxLength, false, false, scan.watched};
    // Unless a Ctrl-Z ends it here, the piece may go on past what is held.
    if (ctrlZ_) return {held, filled_, false, false, scan.watched};
    return {};
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Reads more bytes after those held, making room when the buffer is full.
  // False at the end of the file (or its Ctrl-Z) or on an error.
  bool ReadMore();
  // Makes at least one unread byte available.
  bool Fill() { return next_ < filled_ || ReadMore(); }
  // The piece's slow road: across reads, copied into out.
  std::string_view CopyPiece(char* out, std::size_t maxLength);
  // Shows the CR of a CR LF that ended the last piece again.
  void Unpatch() {
    if (patched_ == kNone) return;
    buffer_[patched_] = '\r';
    patched_ = kNone;
  }
  // Whole lines read in one step by Skip: how many pieces, where reading
  // stopped, and whether a failure stopped it.
  struct LineRun {
    std::size_t pieces = 0;
    std::size_t end = 0;
    bool failed = false;
  };
  LineRun ReadLines(std::size_t from, std::size_t to, std::size_t maxLength, bool pass);
  // How many lines buffer_[from, to) holds (it ends just after a line feed)
  // when each is one piece of at most maxLength bytes and, when lone LFs
  // count, each ends with CR LF; 0 otherwise.
  std::size_t CountShortLines(std::size_t from, std::size_t to, std::size_t maxLength, bool loneLfs) const;
  // A piece that was copied goes on as written text.
  void PassCopy(std::string_view piece);
  void PassBytes(std::size_t from, std::size_t to);
  // Hands on the bytes of a piece that lies whole in the buffer.
  void PassWhole(std::size_t from, std::size_t end, bool loneLf) {
    if (from != passEnd_) StartPassing(from);
    if (loneLf) {
      // An LF alone goes out as CR LF, as writing its line feed would.
      passEnd_ = end - 1;
      StartPassing(end);
      sink_->PutDos(kDosLineEnd);
    }
    passEnd_ = end;
  }
  // Hands over what was passed on so far; passing goes on from `from`.
  void StartPassing(std::size_t from);

  NativeFile file_;
  FaultPath path_{};
  // Not cleared: only bytes read into it are ever looked at.
  std::array<char, kStreamBufferSize> buffer_;
  std::size_t capacity_ = kStreamBufferSize;
  std::size_t readSize_ = kFirstReadSize;
  std::size_t next_ = 0;   // first unread byte in buffer_
  std::size_t filled_ = 0; // bytes held in buffer_ (up to a Ctrl-Z)
  std::int64_t bufferOffset_ = 0;  // disk offset of buffer_[0]
  std::size_t patched_ = kNone;    // a CR that shows as its piece's line feed
  std::size_t pieceStart_ = kNone; // where the last piece lies in buffer_, unless copied
  bool pieceLoneLf_ = false;       // the last piece ended with an LF alone
  std::size_t passStart_ = 0;      // passed on but not yet handed over
  std::size_t passEnd_ = 0;
  TextWriter* sink_ = nullptr;
  OpenFailure failure_ = OpenFailure::kNone;
  bool ctrlZ_ = false;  // the bytes held end at a Ctrl-Z
  bool atEnd_ = false;
  bool error_ = false;
};

template <typename Plain, typename Find>
std::size_t TextReader::Skip(std::size_t maxLength, bool pass, char watch, LineEnds& lines,
                             Plain plain, Find find, bool counted) {
  Unpatch();
  pieceStart_ = kNone;
  if (atEnd_ || error_ || maxLength == 0 || (pass && sink_ == nullptr)) return 0;
  std::size_t count = 0;
  std::size_t at = next_;
  LineEnds ends = lines;
  bool looked = false;
  std::size_t place = at;
  while (at < filled_) {
    if (ends.ends && (!looked || at > place)) {
      // The lines before the place find names go in one step.
      looked = true;
      place = find(buffer_.data(), at, filled_);
      std::size_t lastLineFeed = std::string_view(buffer_.data() + at, place - at).rfind('\n');
      if (lastLineFeed != std::string_view::npos) {
        const std::size_t end = at + lastLineFeed + 1;
        const bool unseen = !counted && !pass && !FaultHookInstalled();
        LineRun run = unseen ? LineRun{0, end, false} : ReadLines(at, end, maxLength, pass);
        const bool moved = run.end > at;
        count += run.pieces;
        at = run.end;
        if (run.failed) break;
        if (moved) {
          ends = {true, true};
          continue;
        }
      }
    }
    Located piece = Locate(at, maxLength, watch);
    if (piece.length == 0) break;
    char* text = buffer_.data() + at;
    // The rule sees the piece as NextPiece shows it.
    if (piece.crLf) text[piece.length - 1] = '\n';
    bool turnedAway = plain(std::string_view(text, piece.length), ends.ends, piece.watched);
    if (piece.crLf) text[piece.length - 1] = '\r';
    if (!turnedAway) break;
    if (ShouldFail(FileOp::kRead, path_.data())) {
      error_ = true;
      break;
    }
    ++count;
    ends.starts = ends.ends;
    ends.ends = piece.crLf || piece.loneLf;
    if (pass) {
      if (!sink_->Admit()) {
        at = piece.end;
        break;
      }
      PassWhole(at, piece.end, piece.loneLf);
    }
    at = piece.end;
  }
  lines = ends;
  next_ = at;
  return count;
}

}  // namespace platform

#endif  // CPUNINST_PLATFORM_TEXT_FILE_H
