// Key removal and key replacement: one scan over one section (or the whole
// file) that drops every line of the key or puts one new line in its place.
#ifndef CPUNINST_PROFILE_KEY_EDIT_H
#define CPUNINST_PROFILE_KEY_EDIT_H

#include <span>

namespace profile {

enum class KeyEdit {
  kDone,          // at least one line replaced or removed, file committed
  kNotFound,      // the section or the key is not there; file untouched
  kFailed,        // refused, not opened, not created, read or write failed
  kCommitFailed   // the edited file could not be deleted or replaced
};

// newLine null removes the key's lines. section null covers the whole file.
// The line buffer's size bounds the piece length and the scratch name; a
// piece that cannot be shown in the read buffer is copied there.
KeyEdit EditKeyLines(const char* path, const char* section, const char* key, const char* newLine,
                     std::span<char> line);

// The result code shared by key removal and replacement: 0, 1 or -1.
int KeyEditCode(KeyEdit result);

}  // namespace profile

#endif  // CPUNINST_PROFILE_KEY_EDIT_H
