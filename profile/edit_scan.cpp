#include "edit_scan.h"

#include <functional>

namespace profile {
namespace {

// Whether text lies in the held bytes; a piece copied across two reads does
// not.
bool IsHeld(const platform::HeldBytes& held, const char* text) {
  return std::less_equal<const char*>()(held.data, text) && std::less<const char*>()(text, held.data + held.filled);
}

}  // namespace

bool EditScan::Write(std::string_view text) {
  if (writeFailed_) return false;
  FlushPassed();
  if (!writer_.Write(text)) writeFailed_ = true;
  return !writeFailed_;
}

bool EditScan::Keep(std::string_view piece) {
  if (writeFailed_) return false;
  if (!writer_.Admit()) return CheckWriter();
  const platform::HeldBytes held = reader_.Text().Held();
  if (IsHeld(held, piece.data())) {
    PassHeld(held, static_cast<std::size_t>(piece.data() - held.data), held.read);
  } else {
    FlushPassed();
    writer_.Put(piece);
  }
  return CheckWriter();
}

bool EditScan::KeepLine(std::int64_t start, std::size_t pieces, std::string_view last, std::span<char> line) {
  if (pieces == 1) return Keep(last);
  if (start < reader_.Text().Held().offset) return KeepAgain(start, pieces, line);
  for (std::size_t i = 0; i < pieces; ++i) {
    if (writeFailed_ || !writer_.Admit()) {
      // Every piece before it is whole: as long as a piece may be.
      PassRange(start, start + static_cast<std::int64_t>(i * (line.size() - 1)));
      writeFailed_ = true;
      return false;
    }
  }
  PassRange(start, reader_.Tell());
  return CheckWriter();
}

bool EditScan::KeepAgain(std::int64_t start, std::size_t pieces, std::span<char> line) {
  if (!reader_.Seek(start)) {
    reader_.MarkFailed();
    return false;
  }
  for (std::size_t i = 0; i < pieces; ++i) {
    std::string_view piece = reader_.Next(line);
    if (piece.empty()) {
      reader_.MarkFailed();
      return false;
    }
    if (!Keep(piece)) return false;
  }
  return true;
}

bool EditScan::Apply(const Decision& decision, std::int64_t start, std::size_t pieces, std::string_view last,
                     std::span<char> line) {
  switch (decision.fate) {
    case Fate::kDrop:
      lineKept_ = false;
      changed_ = true;
      return true;
    case Fate::kReplace:
      lineKept_ = false;
      if (!WriteLine(decision.text)) return false;
      changed_ = true;
      return true;
    case Fate::kInsertBefore:
      if (!WriteLine(decision.text)) return false;
      changed_ = true;
      break;
    case Fate::kKeep:
    case Fate::kUndecided:
      break;
  }
  lineKept_ = true;
  return KeepLine(start, pieces, last, line);
}

void EditScan::PassRange(std::int64_t from, std::int64_t to) {
  const platform::HeldBytes held = reader_.Text().Held();
  PassHeld(held, static_cast<std::size_t>(from - held.offset), static_cast<std::size_t>(to - held.offset));
}

void EditScan::PassHeld(const platform::HeldBytes& held, std::size_t begin, std::size_t end) {
  if (end == begin) return;
  // Whole pieces of one line: only the last can end with an LF alone.
  Pass(begin, end, held.data[end - 1] == '\n' && (end - 1 == begin || held.data[end - 2] != '\r'));
}

void EditScan::Pass(std::size_t from, std::size_t end, bool loneLf) {
  if (from != passEnd_) {
    FlushPassed();
    passStart_ = passEnd_ = from;
  }
  if (loneLf) {
    // An LF alone goes out as CR LF, as writing its line feed would.
    passEnd_ = end - 1;
    FlushPassed();
    passStart_ = end;
    writer_.PutDos(platform::kDosLineEnd);
  }
  passEnd_ = end;
}

void EditScan::FlushPassed() {
  if (passEnd_ > passStart_) {
    writer_.PutDos({reader_.Text().Held().data + passStart_, passEnd_ - passStart_});
  }
  passStart_ = passEnd_;
}

void EditScan::LetGoOfHeldBytes(void* scan) {
  auto* self = static_cast<EditScan*>(scan);
  self->FlushPassed();
  self->passStart_ = self->passEnd_ = 0;
}

bool EditScan::CheckWriter() {
  if (writer_.Error()) writeFailed_ = true;
  return !writeFailed_;
}

}  // namespace profile
