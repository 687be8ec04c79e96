#include "profile/piece_reader.h"

namespace profile {

bool PieceReader::Open(const char* path) {
  startsLine_ = endsLine_ = true;
  failed_ = false;
  return text_.Open(path);
}

std::string_view PieceReader::Next(std::span<char> buffer) {
  std::size_t length = text_.ReadPiece(buffer.data(), buffer.size() - 1);
  if (length == 0) return {};
  startsLine_ = endsLine_;
  endsLine_ = buffer[length - 1] == '\n';
  return {buffer.data(), length};
}

bool PieceReader::Seek(std::int64_t offset) {
  if (!text_.Seek(offset)) return false;
  startsLine_ = endsLine_ = true;
  return true;
}

}  // namespace profile
