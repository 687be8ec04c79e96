#include "piece_reader.h"

namespace profile {

bool PieceReader::Open(const char* path) {
  startsLine_ = endsLine_ = true;
  failed_ = false;
  return text_.Open(path);
}

std::string_view PieceReader::Next(std::span<char> buffer) {
  std::string_view piece = text_.NextPiece(buffer.data(), buffer.size() - 1);
  if (piece.empty()) return {};
  startsLine_ = endsLine_;
  endsLine_ = piece.back() == '\n';
  return piece;
}

bool PieceReader::Seek(std::int64_t offset) {
  if (!text_.Seek(offset)) return false;
  startsLine_ = endsLine_ = true;
  return true;
}

}  // namespace profile
