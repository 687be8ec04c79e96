// DOS text-mode streams, the same on every backend. Reading turns CR LF into
// LF, keeps a lone CR and stops at the first Ctrl-Z; writing turns LF into
// CR LF. Positions are byte offsets in the file as it stands on disk.
#ifndef CPUNINST_PLATFORM_TEXT_FILE_H
#define CPUNINST_PLATFORM_TEXT_FILE_H

#include <algorithm>
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

// The bytes a reader holds in its buffer, as they stand on disk up to a
// Ctrl-Z: data[0, filled) lie at disk offsets from `offset` on, and those
// from `read` on have not been read yet. Whole pieces there can be read
// without a call per piece (PieceAt, TextReader::Consume).
struct HeldBytes {
  char* data;
  std::size_t read;
  std::size_t filled;
  std::int64_t offset;
  bool last;  // a Ctrl-Z follows them: no byte after them is ever read
};

// A piece that lies whole in the held bytes.
struct HeldPiece {
  std::size_t length = 0;  // as shown; 0: it does not lie whole there
  std::size_t end = 0;     // where the piece after it starts
  bool crLf = false;       // ends with CR LF, shown as one line feed
  bool loneLf = false;     // ends with an LF alone
  bool watched = false;    // the byte `watch` occurs in it (or just after it)
};

// The piece that starts at held.data[at], as NextPiece would read it with
// maxLength (at most maxLength bytes as shown, up to and including a line
// feed), when it lies whole in the held bytes.
[[gnu::always_inline]] inline HeldPiece PieceAt(const HeldBytes& held, std::size_t at, std::size_t maxLength,
                                                char watch) {
  const char* text = held.data + at;
  const std::size_t count = held.filled - at;
  // A piece ending in CR LF takes one byte more on disk than it shows.
  const std::size_t span = std::min(count, maxLength + 1);
  const LineScan scan = ScanLine(text, span, count, watch);
  const std::size_t lineFeed = scan.lineFeed;
  if (lineFeed < span) {
    if (lineFeed > 0 && text[lineFeed - 1] == '\r') {
      return {lineFeed, at + lineFeed + 1, true, false, scan.watched};
    }
    if (lineFeed < maxLength) return {lineFeed + 1, at + lineFeed + 1, false, true, scan.watched};
    return {maxLength, at + maxLength, false, false, scan.watched};
  }
  if (count > maxLength) return {maxLength, at + maxLength, false, false, scan.watched};
  // Unless a Ctrl-Z ends it here, the piece may go on past what is held.
  if (held.last) return {count, held.filled, false, false, scan.watched};
  return {};
}

// Called before the bytes a reader holds move or go (a read that makes room
// for more, a seek away), for whoever copies straight out of them.
using BeforeHeldBytesGo = void (*)(void* context);

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
  void Close() { file_.Close(); }
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

  // The held bytes, each as it stands on disk (the last piece's CR LF, shown
  // as a line feed, is put back: that piece's view must not be used after
  // this). They stay where they are until the next read that needs room, a
  // seek away or a new Open.
  HeldBytes Held() {
    Unpatch();
    return {buffer_.data(), next_, filled_, bufferOffset_, ctrlZ_};
  }
  // The caller has read the held bytes up to data[to] (read <= to <= filled).
  void Consume(std::size_t to) { next_ = to; }
  // The fault seam's check for one piece the caller read from the held
  // bytes, as NextPiece makes it: false, and the reader has failed, when the
  // seam fails it.
  bool AdmitRead() {
    if (ShouldFail(FileOp::kRead, path_.data())) error_ = true;
    return !error_;
  }
  // Calls call(context) before held bytes move or go; null stops it.
  void Watch(BeforeHeldBytesGo call, void* context) {
    watcher_ = call;
    watcherContext_ = context;
  }

 private:
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
  // Held bytes are about to move or go.
  void LetGo() {
    if (watcher_ != nullptr) watcher_(watcherContext_);
  }

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
  BeforeHeldBytesGo watcher_ = nullptr;
  void* watcherContext_ = nullptr;
  OpenFailure failure_ = OpenFailure::kNone;
  bool ctrlZ_ = false;  // the bytes held end at a Ctrl-Z
  bool atEnd_ = false;
  bool error_ = false;
};

}  // namespace platform

#endif  // CPUNINST_PLATFORM_TEXT_FILE_H
