// DOS text-mode streams, the same on every backend. Reading turns CR LF into
// LF, keeps a lone CR and stops at the first Ctrl-Z; writing turns LF into
// CR LF. Positions are byte offsets in the file as it stands on disk.
#ifndef CPUNINST_PLATFORM_TEXT_FILE_H
#define CPUNINST_PLATFORM_TEXT_FILE_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/native_file.h"

namespace platform {

inline constexpr std::size_t kStreamBufferSize = 64 * 1024;

// The stream's own copy of its path, for the fault seam (callers may reuse
// the buffer they opened it from). Long paths are cut; the hook only looks.
using FaultPath = std::array<char, 512>;

class TextReader {
 public:
  TextReader() = default;
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  // Opens an existing regular file; anything else fails at once.
  bool Open(const char* path);
  bool IsOpen() const { return file_.IsOpen(); }
  void Close() { file_.Close(); }
  const NativeFile& File() const { return file_; }

  // Reads one line piece into out (which holds maxLength + 1 bytes): up to and
  // including the next line feed, at most maxLength bytes, or up to the end
  // of the file. The piece is NUL-terminated. Returns its length; 0 when
  // nothing could be read (end of file or a read error).
  std::size_t ReadPiece(char* out, std::size_t maxLength);

  bool AtEnd() const { return atEnd_; }
  bool Error() const { return error_; }

  // Offset on disk of the first byte not yet read. A Ctrl-Z that ends the
  // file is never consumed, so at that end this is the Ctrl-Z's own offset.
  std::int64_t Tell() const { return bufferOffset_ + static_cast<std::int64_t>(next_); }
  // Moves to a byte offset. False (and the position unchanged) for a
  // negative offset or when the system refuses.
  bool Seek(std::int64_t offset);

 private:
  // Makes at least one unread byte available. False at the end or on error.
  bool Fill();

  NativeFile file_;
  FaultPath path_{};
  std::array<char, kStreamBufferSize> buffer_{};
  std::size_t next_ = 0;   // first unread byte in buffer_
  std::size_t filled_ = 0; // bytes held in buffer_
  std::int64_t bufferOffset_ = 0;  // disk offset of buffer_[0]
  bool atEnd_ = false;
  bool error_ = false;
};

class TextWriter {
 public:
  TextWriter() = default;
  ~TextWriter() { Close(); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  // Creates the file as a new file: whatever stood at the name is removed as
  // a name first, never emptied or written through (NativeFile::Mode::kCreate).
  // With `like`, the new file takes that file's permissions.
  bool Create(const char* path, const TextReader* like = nullptr);
  bool IsOpen() const { return file_.IsOpen(); }

  // Writes text, each line feed as CR LF. False once any write has failed.
  bool Write(std::string_view text);
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
  std::array<char, kStreamBufferSize> buffer_{};
  std::size_t filled_ = 0;
  bool error_ = false;
};

}  // namespace platform

#endif  // CPUNINST_PLATFORM_TEXT_FILE_H
