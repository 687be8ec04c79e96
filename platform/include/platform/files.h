// Whole-file operations of the platform, through the fault seam, and the one
// commit by which a new version of a file takes its place.
#ifndef CPUNINST_PLATFORM_FILES_H
#define CPUNINST_PLATFORM_FILES_H

namespace platform {

class TextWriter;

// Deletes a file. False when it does not exist, is read-only or in use.
bool RemoveFile(const char* path);
// Renames a file. Never replaces an existing file.
bool RenameFile(const char* from, const char* to);

enum class ReplaceResult {
  kReplaced,
  kNotDeletable,  // the old file is missing, read-only or in use: both stay
  kMoveFailed,    // the new file stays under its own name
};

// Puts the file `from` in the place of the file `to`. Where the system can,
// in one step, so that `to` always names the old or the new file; where it
// cannot (Windows 95), by deleting `to` and renaming `from`. Either way `to`
// must be a file that could be deleted.
ReplaceResult ReplaceFile(const char* from, const char* to);

// How a new file takes its target's name.
enum class Placing {
  kReplace,  // over the target, as ReplaceFile puts it
  kNewName,  // only where nothing stands: never over a file
};

// What a failed commit does with the new file.
enum class Leftover {
  kKeep,    // stays under its own name (the caller says where the new text is)
  kRemove,  // goes, unless it is the only copy of the text left
};

enum class CommitResult {
  kCommitted,
  kWriteFailed,   // a write, the flush or the close failed: the target is as it was
  kNotDeletable,  // kReplace: the target is missing, read-only or in use, and stays
  kMoveFailed,    // the new file could not take the name
};

// The one commit. `writer` holds the new text in `scratch`, a new file
// created beside `target` (TextWriter::Create, lent the target's
// permissions when it replaces one). The commit puts the text on stable
// storage, closes the file and puts it at the target's name as `placing`
// says (the hosted build then syncs the folder). The fault seam sees each
// step once: the writes, the flush, and the delete, replace and rename of
// the placing. On failure the new file stays or goes as `leftover` says; when
// the target went and the move failed, it always stays.
CommitResult CommitNewFile(TextWriter& writer, const char* scratch, const char* target, Placing placing,
                           Leftover leftover);

// A new file that is not wanted after all: closed and removed.
void DropNewFile(TextWriter& writer, const char* scratch);

}  // namespace platform

#endif  // CPUNINST_PLATFORM_FILES_H
