#include "line_reader.h"

#include <algorithm>
#include <bit>

#include "platform/byte_scan.h"

namespace profile {

bool LineReader::Open(const char* path) {
  startsLine_ = endsLine_ = true;
  failed_ = false;
  return text_.Open(path);
}

std::string_view LineReader::Next(std::span<char> buffer) {
  std::string_view piece = text_.NextPiece(buffer.data(), buffer.size() - 1);
  if (piece.empty()) return {};
  startsLine_ = endsLine_;
  endsLine_ = piece.back() == '\n';
  return piece;
}

bool LineReader::Seek(std::int64_t offset) {
  if (!text_.Seek(offset)) return false;
  startsLine_ = endsLine_ = true;
  return true;
}

std::size_t CountShortLines(const platform::HeldBytes& held, std::size_t from, std::size_t to,
                            std::size_t maxLength, bool loneLfs) {
  using platform::kBlock;
  // Lines between two line feeds of one block are shorter than a block;
  // the first line that ends in a block is measured.
  if (maxLength < kBlock) return 0;
  const char* bytes = held.data;
  std::size_t lines = 0;
  std::size_t lineStart = from;
  std::uint64_t crBefore = 0;  // 1: the byte before the block is a CR of the range
  for (std::size_t at = from; at < to; at += kBlock) {
    const std::size_t take = std::min(kBlock, to - at);
    std::uint64_t lineFeeds = 0;
    std::uint64_t carriageReturns = 0;
    if (at + kBlock <= held.filled) {
      lineFeeds = platform::BlockMask(bytes + at, '\n');
      if (loneLfs) carriageReturns = platform::BlockMask(bytes + at, '\r');
    } else {
      for (std::size_t i = 0; i < take; ++i) {
        lineFeeds |= std::uint64_t{bytes[at + i] == '\n'} << i;
        carriageReturns |= std::uint64_t{bytes[at + i] == '\r'} << i;
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
      lines += platform::CountBits(lineFeeds);
      lineStart = at + static_cast<std::size_t>(std::bit_width(lineFeeds));
    }
    crBefore = (carriageReturns >> (take - 1)) & 1u;
  }
  return lines;
}

}  // namespace profile
