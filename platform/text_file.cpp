#include "platform/text_file.h"

#include <algorithm>
#include <bit>
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
  capacity_ = bufferLimit == 0 ? buffer_.size() : bufferLimit;
  readSize_ = kFirstReadSize;
  next_ = filled_ = 0;
  bufferOffset_ = 0;
  patched_ = pieceStart_ = kNone;
  passStart_ = passEnd_ = 0;
  ctrlZ_ = atEnd_ = error_ = false;
  KeepPath(path_, path);
  failure_ = OpenFailure::kOther;
  if (ShouldFail(FileOp::kOpen, path)) return false;
  bool opened = file_.Open(path, NativeFile::Mode::kRead);
  failure_ = file_.Failure();
  return opened;
}

void TextReader::Close() {
  Unpatch();
  FlushPassed();
  file_.Close();
}

bool TextReader::ReadMore() {
  if (ctrlZ_) atEnd_ = true;
  if (atEnd_ || error_ || !file_.IsOpen()) return false;
  if (filled_ == capacity_) {
    // Make room: what was read goes, the unread rest moves to the front.
    FlushPassed();
    std::size_t rest = filled_ - next_;
    std::memmove(buffer_.data(), buffer_.data() + next_, rest);
    bufferOffset_ += static_cast<std::int64_t>(next_);
    next_ = 0;
    filled_ = rest;
    passStart_ = passEnd_ = 0;
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
  pieceStart_ = kNone;
  pieceLoneLf_ = false;
  if (atEnd_ || error_) return {};
  if (ShouldFail(FileOp::kRead, path_.data())) {
    error_ = true;
    return {};
  }
  if (maxLength == 0 || !Fill()) return {};

  // The common road: the piece lies whole in the buffer and is shown there.
  Located piece = Locate(next_, maxLength, '\n');
  if (piece.length == 0) return CopyPiece(spare, maxLength);
  const char* text = buffer_.data() + next_;
  pieceStart_ = next_;
  pieceLoneLf_ = piece.loneLf;
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
  pieceStart_ = kNone;
  if (offset < 0 || !file_.IsOpen()) return false;
  std::int64_t end = bufferOffset_ + static_cast<std::int64_t>(filled_);
  if (offset >= bufferOffset_ && offset <= end && !error_) {
    next_ = static_cast<std::size_t>(offset - bufferOffset_);
    atEnd_ = false;
    return true;
  }
  FlushPassed();
  if (!file_.Seek(offset)) return false;
  bufferOffset_ = offset;
  next_ = filled_ = 0;
  passStart_ = passEnd_ = 0;
  ctrlZ_ = atEnd_ = error_ = false;
  return true;
}

TextReader::LineRun TextReader::ReadLines(std::size_t from, std::size_t to, std::size_t maxLength,
                                          bool pass) {
  const std::size_t lines = CountShortLines(from, to, maxLength, pass);
  if (lines == 0) return {0, from, false};
  // Where the piece after `pieces` whole lines starts.
  auto after = [&](std::size_t pieces) {
    std::size_t at = from;
    for (; pieces > 0; --pieces) at = std::string_view(buffer_.data(), to).find('\n', at) + 1;
    return at;
  };
  const bool seamWatches = FaultHookInstalled();
  for (std::size_t piece = 0; piece < lines; ++piece) {
    const bool readFails = ShouldFail(FileOp::kRead, path_.data());
    if (readFails || (pass && !sink_->Admit())) {
      // The pieces before this one were read (and passed on); this one was
      // read only when its write failed.
      if (pass) PassWhole(from, after(piece), false);
      error_ = error_ || readFails;
      return {readFails ? piece : piece + 1, after(readFails ? piece : piece + 1), true};
    }
    // Unwatched, the seam and the writer answer every piece as the first.
    if (!seamWatches) break;
  }
  if (pass) PassWhole(from, to, false);
  return {lines, to, false};
}

std::size_t TextReader::CountShortLines(std::size_t from, std::size_t to, std::size_t maxLength,
                                        bool loneLfs) const {
  // Lines between two line feeds of one block are shorter than a block;
  // the first line that ends in a block is measured.
  if (maxLength < kBlock) return 0;
  std::size_t lines = 0;
  std::size_t lineStart = from;
  std::uint64_t crBefore = 0;  // 1: the byte before the block is a CR of the range
  for (std::size_t at = from; at < to; at += kBlock) {
    const std::size_t take = std::min(kBlock, to - at);
    std::uint64_t lineFeeds = 0;
    std::uint64_t carriageReturns = 0;
    if (at + kBlock <= filled_) {
      lineFeeds = BlockMask(buffer_.data() + at, '\n');
      if (loneLfs) carriageReturns = BlockMask(buffer_.data() + at, '\r');
    } else {
      for (std::size_t i = 0; i < take; ++i) {
        lineFeeds |= std::uint64_t{buffer_[at + i] == '\n'} << i;
        carriageReturns |= std::uint64_t{buffer_[at + i] == '\r'} << i;
      }
    }
    if (take < kBlock) {
      lineFeeds &= (std::uint64_t{1} << take) - 1;
      carriageReturns &= (std::uint64_t{1} << take) - 1;
    }
    if (lineFeeds == 0) {
      if (at + take - lineStart > maxLength) return 0;
    } else {
      // A line that fits a piece on disk fits one as shown.
      const std::size_t firstLineFeed = at + static_cast<std::size_t>(std::countr_zero(lineFeeds));
      if (firstLineFeed + 1 - lineStart > maxLength) return 0;
      if (loneLfs && (lineFeeds & ~((carriageReturns << 1) | crBefore)) != 0) return 0;
      lines += CountBits(lineFeeds);
      lineStart = at + static_cast<std::size_t>(std::bit_width(lineFeeds));
    }
    crBefore = (carriageReturns >> (take - 1)) & 1u;
  }
  return lines;
}

void TextReader::PassCopy(std::string_view piece) {
  FlushPassed();
  sink_->Put(piece);
}

bool TextReader::PassRange(std::int64_t from, std::int64_t to) {
  Unpatch();
  if (sink_ == nullptr || !Holds(from) || from > to || to > Tell()) return false;
  PassBytes(static_cast<std::size_t>(from - bufferOffset_), static_cast<std::size_t>(to - bufferOffset_));
  pieceStart_ = kNone;
  return true;
}

// The bytes of whole pieces of one line, which hold a line feed only at
// their end.
void TextReader::PassBytes(std::size_t from, std::size_t to) {
  if (from == to) return;
  bool loneLf = buffer_[to - 1] == '\n' && (to - 1 == from || buffer_[to - 2] != '\r');
  PassWhole(from, to, loneLf);
}

void TextReader::StartPassing(std::size_t from) {
  FlushPassed();
  passStart_ = passEnd_ = from;
}

void TextReader::FlushPassed() {
  if (passEnd_ > passStart_ && sink_ != nullptr) {
    sink_->PutDos({buffer_.data() + passStart_, passEnd_ - passStart_});
  }
  passStart_ = passEnd_;
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
