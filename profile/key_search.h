// The search for a key's line that IniGetString makes, shared with tools
// that must tell why a value was not found.
#ifndef CPUNINST_PROFILE_KEY_SEARCH_H
#define CPUNINST_PROFILE_KEY_SEARCH_H

#include <span>
#include <string_view>

#include "line_rules.h"
#include "piece_reader.h"

namespace profile {

enum class KeySearch { kFound, kNoSection, kNoKey };

struct KeyLine {
  KeySearch result = KeySearch::kNoKey;
  std::string_view piece;  // the key's piece (in buffer or the reader's), when found
  KeySplit split{};
};

// Reads from the reader's position: first to the section's header (a null
// section: the whole file is searched), then to the first piece whose key is
// the wanted one, stopping at the section's end.
KeyLine FindKeyLine(PieceReader& reader, std::span<char> buffer, const char* section,
                    std::string_view key);

}  // namespace profile

#endif  // CPUNINST_PROFILE_KEY_SEARCH_H
