#include "platform/text_file.h"

#include <algorithm>
#include <cstring>

#include "platform/fault.h"

namespace platform {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr std::size_t kSmallestBuffer = 2;  // a CR and the byte after it

std::size_t bufferLimit = 0;  // 0: the whole buffer

void KeepPath(FaultPath& kept, const char* path) {
  std::size_t length = std::min(std::strlen(path), kept.size() - 1);
  std::memcpy(kept.data(), path, length);
  kept[length] = '\0';
}

}  // namespace

void SetStreamBufferLimit(std::size_t bytes) {
  bufferLimit = bytes == 0 ? 0 : std::clamp(bytes, kSmallestBuffer, kStreamBufferSize);
}

bool TextReader::Open(const char* path) {
  Close();
  LetGo();
  capacity_ = bufferLimit == 0 ? buffer_.size() : bufferLimit;
  readSize_ = kFirstReadSize;
  next_ = filled_ = 0;
  bufferOffset_ = 0;
  patched_ = kNone;
  ctrlZ_ = atEnd_ = error_ = false;
  KeepPath(path_, path);
  failure_ = OpenFailure::kOther;
  if (ShouldFail(FileOp::kOpen, path)) return false;
  bool opened = file_.Open(path, NativeFile::Mode::kRead);
  failure_ = file_.Failure();
  return opened;
}

bool TextReader::ReadMore() {
  if (ctrlZ_) atEnd_ = true;
  if (atEnd_ || error_ || !file_.IsOpen()) return false;
  if (filled_ == capacity_) {
    // Make room: what was read goes, the unread rest moves to the front.
    LetGo();
    std::size_t rest = filled_ - next_;
    std::memmove(buffer_.data(), buffer_.data() + next_, rest);
    bufferOffset_ += static_cast<std::int64_t>(next_);
    next_ = 0;
    filled_ = rest;
  }
  char* fresh = buffer_.data() + filled_;
  std::int64_t got = file_.Read(fresh, std::min(readSize_, capacity_ - filled_));
  if (got < 0) {
    error_ = true;
    return false;
  }
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  readSize_ = std::min(readSize_ * 2, buffer_.size());
  // Nothing from a Ctrl-Z on is ever read, so it is never held.
  std::size_t count = static_cast<std::size_t>(got);
  if (const void* stop = std::memchr(fresh, kCtrlZ, count)) {
    count = static_cast<std::size_t>(static_cast<const char*>(stop) - fresh);
    ctrlZ_ = true;
  }
  filled_ += count;
  if (count == 0) atEnd_ = true;
  return count > 0;
}

std::string_view TextReader::NextPiece(char* spare, std::size_t maxLength) {
  Unpatch();
  if (atEnd_ || error_) return {};
  if (!AdmitRead()) return {};
  if (maxLength == 0 || !Fill()) return {};

  // The common road: the piece lies whole in the buffer and is shown there.
  HeldPiece piece = PieceAt(Held(), next_, maxLength, '\n');
  if (piece.length == 0) return CopyPiece(spare, maxLength);
  const char* text = buffer_.data() + next_;
  if (piece.crLf) {
    patched_ = next_ + piece.length - 1;
    buffer_[patched_] = '\n';
  }
  next_ = piece.end;
  return {text, piece.length};
}

std::string_view TextReader::CopyPiece(char* out, std::size_t maxLength) {
  std::size_t length = 0;
  while (length < maxLength) {
    if (!Fill()) break;
    // Copy the run of plain bytes in one go.
    const char* start = buffer_.data() + next_;
    std::size_t room = std::min(filled_ - next_, maxLength - length);
    std::size_t run = 0;
    while (run < room && start[run] != '\n' && start[run] != '\r') ++run;
    std::memcpy(out + length, start, run);
    length += run;
    next_ += run;
    if (run == room) continue;

    if (buffer_[next_] == '\n') {
      ++next_;
      out[length++] = '\n';
      break;
    }
    // A CR: one line feed when an LF follows, itself otherwise.
    if (next_ + 1 == filled_) ReadMore();
    if (next_ + 1 < filled_ && buffer_[next_ + 1] == '\n') {
      next_ += 2;
      out[length++] = '\n';
      break;
    }
    ++next_;
    out[length++] = '\r';
    if (error_) break;
  }
  return {out, length};
}

std::size_t TextReader::ReadPiece(char* out, std::size_t maxLength) {
  std::string_view piece = NextPiece(out, maxLength);
  if (!piece.empty() && piece.data() != out) std::memcpy(out, piece.data(), piece.size());
  out[piece.size()] = '\0';
  return piece.size();
}

bool TextReader::Seek(std::int64_t offset) {
  Unpatch();
  if (offset < 0 || !file_.IsOpen()) return false;
  std::int64_t end = bufferOffset_ + static_cast<std::int64_t>(filled_);
  if (offset >= bufferOffset_ && offset <= end && !error_) {
    next_ = static_cast<std::size_t>(offset - bufferOffset_);
    atEnd_ = false;
    return true;
  }
  LetGo();
  if (!file_.Seek(offset)) return false;
  bufferOffset_ = offset;
  next_ = filled_ = 0;
  ctrlZ_ = atEnd_ = error_ = false;
  return true;
}

bool TextWriter::Create(const char* path, const TextReader* like) {
  Close();
  filled_ = 0;
  error_ = false;
  KeepPath(path_, path);
  failure_ = OpenFailure::kOther;
  if (ShouldFail(FileOp::kOpen, path)) return false;
  bool created = file_.Open(path, NativeFile::Mode::kCreate, like != nullptr ? &like->File() : nullptr);
  failure_ = file_.Failure();
  return created;
}

bool TextWriter::Drain() {
  if (filled_ == 0) return !error_;
  if (!file_.Write(buffer_.data(), filled_)) error_ = true;
  filled_ = 0;
  return !error_;
}

bool TextWriter::Put(std::string_view text) {
  if (!file_.IsOpen()) return false;
  while (!text.empty()) {
    // Room for a CR LF pair is always kept.
    if (buffer_.size() - filled_ < 2 && !Drain()) return false;
    std::size_t room = buffer_.size() - filled_ - 1;
    std::size_t take = std::min(room, text.size());
    const char* lineFeed = static_cast<const char*>(std::memchr(text.data(), '\n', take));
    std::size_t run = lineFeed ? static_cast<std::size_t>(lineFeed - text.data()) : take;
    std::memcpy(buffer_.data() + filled_, text.data(), run);
    filled_ += run;
    text.remove_prefix(run);
    if (lineFeed) {
      buffer_[filled_++] = '\r';
      buffer_[filled_++] = '\n';
      text.remove_prefix(1);
    }
  }
  return !error_;
}

void TextWriter::PutDos(std::string_view bytes) {
  if (!file_.IsOpen()) return;
  // A large run goes to the file straight from where it lies.
  if (bytes.size() >= buffer_.size() / 2) {
    Drain();
    if (!file_.Write(bytes.data(), bytes.size())) error_ = true;
    return;
  }
  if (bytes.size() > buffer_.size() - filled_) Drain();
  std::memcpy(buffer_.data() + filled_, bytes.data(), bytes.size());
  filled_ += bytes.size();
}

bool TextWriter::Flush() {
  if (!file_.IsOpen()) return false;
  if (!Drain()) return false;
  if (ShouldFail(FileOp::kFlush, path_.data()) || !file_.Sync()) error_ = true;
  return !error_;
}

bool TextWriter::Close() {
  if (!file_.IsOpen()) return !error_;
  Drain();
  if (!file_.Close()) error_ = true;
  return !error_;
}

}  // namespace platform
