#include "platform/text_file.h"

#include <algorithm>
#include <cstring>

#include "platform/fault.h"

namespace platform {
namespace {

constexpr char kCtrlZ = 0x1A;

void KeepPath(FaultPath& kept, const char* path) {
  std::size_t length = std::min(std::strlen(path), kept.size() - 1);
  std::memcpy(kept.data(), path, length);
  kept[length] = '\0';
}

}  // namespace

bool TextReader::Open(const char* path) {
  file_.Close();
  next_ = filled_ = 0;
  bufferOffset_ = 0;
  atEnd_ = error_ = false;
  KeepPath(path_, path);
  if (ShouldFail(FileOp::kOpen, path)) return false;
  return file_.Open(path, NativeFile::Mode::kRead);
}

bool TextReader::Fill() {
  if (next_ < filled_) return true;
  if (atEnd_ || error_ || !file_.IsOpen()) return false;
  bufferOffset_ += static_cast<std::int64_t>(filled_);
  next_ = filled_ = 0;
  std::int64_t got = file_.Read(buffer_.data(), buffer_.size());
  if (got < 0) {
    error_ = true;
    return false;
  }
  if (got == 0) {
    atEnd_ = true;
    return false;
  }
  filled_ = static_cast<std::size_t>(got);
  return true;
}

std::size_t TextReader::ReadPiece(char* out, std::size_t maxLength) {
  std::size_t length = 0;
  out[0] = '\0';
  if (atEnd_ || error_) return 0;
  if (ShouldFail(FileOp::kRead, path_.data())) {
    error_ = true;
    return 0;
  }
  while (length < maxLength) {
    if (!Fill()) break;
    // Copy the run of plain bytes in one go.
    const char* start = buffer_.data() + next_;
    std::size_t room = std::min(filled_ - next_, maxLength - length);
    std::size_t run = 0;
    while (run < room && start[run] != '\n' && start[run] != '\r' && start[run] != kCtrlZ) ++run;
    std::memcpy(out + length, start, run);
    length += run;
    next_ += run;
    if (run == room) continue;

    char c = buffer_[next_];
    if (c == kCtrlZ) {
      atEnd_ = true;  // the Ctrl-Z stays unread: Tell() points at it
      break;
    }
    if (c == '\n') {
      ++next_;
      out[length++] = '\n';
      break;
    }
    // A CR: one line feed when an LF follows, itself otherwise.
    if (next_ + 1 == filled_) {
      // Keep the CR and look at the next block.
      bufferOffset_ += static_cast<std::int64_t>(next_);
      buffer_[0] = '\r';
      next_ = 0;
      filled_ = 1;
      std::int64_t got = file_.Read(buffer_.data() + 1, buffer_.size() - 1);
      if (got < 0) {
        error_ = true;
      } else {
        filled_ += static_cast<std::size_t>(got);
      }
    }
    if (next_ + 1 < filled_ && buffer_[next_ + 1] == '\n') {
      next_ += 2;
      out[length++] = '\n';
      break;
    }
    ++next_;
    out[length++] = '\r';
    if (error_) break;
  }
  out[length] = '\0';
  return length;
}

bool TextReader::Seek(std::int64_t offset) {
  if (offset < 0 || !file_.IsOpen()) return false;
  std::int64_t end = bufferOffset_ + static_cast<std::int64_t>(filled_);
  if (offset >= bufferOffset_ && offset <= end && !error_) {
    next_ = static_cast<std::size_t>(offset - bufferOffset_);
    atEnd_ = false;
    return true;
  }
  if (!file_.Seek(offset)) return false;
  bufferOffset_ = offset;
  next_ = filled_ = 0;
  atEnd_ = false;
  error_ = false;
  return true;
}

bool TextWriter::Create(const char* path, const TextReader* like) {
  Close();
  filled_ = 0;
  error_ = false;
  KeepPath(path_, path);
  if (ShouldFail(FileOp::kOpen, path)) return false;
  return file_.Open(path, NativeFile::Mode::kCreate, like != nullptr ? &like->File() : nullptr);
}

bool TextWriter::Drain() {
  if (filled_ == 0) return !error_;
  if (!file_.Write(buffer_.data(), filled_)) error_ = true;
  filled_ = 0;
  return !error_;
}

bool TextWriter::Write(std::string_view text) {
  if (error_ || !file_.IsOpen()) return false;
  if (ShouldFail(FileOp::kWrite, path_.data())) {
    error_ = true;
    return false;
  }
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
  return true;
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
