#include "platform/hosted/machine/whole_file.h"

#include <array>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/fault.h"
#include "platform/hosted/machine/changes.h"
#include "platform/hosted/posix_io.h"

namespace platform::hosted {
namespace {

// Whatever stands at the scratch name goes as a name: a stale file, a link
// (never written through) or a FIFO (never opened). A folder there stays and
// fails the creation below.
void ClearScratchName(const std::string& scratchPath) {
  struct stat info {};
  if (::lstat(scratchPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) ::unlink(scratchPath.c_str());
}

bool WriteScratch(const std::string& scratchPath, mode_t mode, std::string_view bytes) {
  if (ShouldFail(FileOp::kOpen, scratchPath.c_str())) return false;
  ClearScratchName(scratchPath);
  Descriptor scratch(CreateNewRetrying(scratchPath.c_str(), 0600));
  if (scratch.Get() < 0) return false;
  if (ShouldFail(FileOp::kWrite, scratchPath.c_str())) return false;
  if (!WriteAll(scratch.Get(), bytes.data(), bytes.size())) return false;
  // The replaced file keeps its permission bits.
  if (::fchmod(scratch.Get(), mode) != 0) return false;
  if (ShouldFail(FileOp::kFlush, scratchPath.c_str()) || ::fsync(scratch.Get()) != 0) return false;
  return scratch.Close();
}

}  // namespace

ReadResult ReadHostFile(const std::string& path, std::string& bytes, std::size_t maxBytes) {
  bytes.clear();
  // Not following a link keeps a copied tree from pointing a record outside;
  // not blocking lets a FIFO be seen for what it is instead of waiting on it.
  OpenedFile opened = OpenRegular(path.c_str(), false);
  switch (opened.found) {
    case Found::kRegular: break;
    case Found::kMissing: return ReadResult::kMissing;
    case Found::kNotRegular: return ReadResult::kNotRegular;
    case Found::kFailed: return ReadResult::kError;
  }
  Descriptor file(opened.fd);
  if (static_cast<std::uint64_t>(opened.size) > maxBytes) return ReadResult::kTooLarge;
  std::array<char, 64 * 1024> buffer{};
  while (true) {
    ssize_t got = ReadRetrying(file.Get(), buffer.data(), buffer.size());
    if (got < 0) return ReadResult::kError;
    if (got == 0) return ReadResult::kRead;
    // A file that grows while it is read is still held to the limit.
    if (static_cast<std::size_t>(got) > maxBytes - bytes.size()) return ReadResult::kTooLarge;
    bytes.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

std::string DescribeReadFailure(ReadResult result, std::size_t maxBytes) {
  switch (result) {
    case ReadResult::kRead: return "read";
    case ReadResult::kMissing: return "no such file";
    case ReadResult::kNotRegular: return "not a regular file (a folder, FIFO, device or symbolic link)";
    case ReadResult::kTooLarge: return "larger than " + std::to_string(maxBytes) + " bytes";
    case ReadResult::kError: break;
  }
  return "cannot be read";
}

ReplaceResult ReplaceHostFile(const std::string& path, const std::string& scratchPath, std::string_view bytes) {
  struct stat info {};
  mode_t mode = 0644;
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISREG(info.st_mode)) return ReplaceResult::kFailed;
    // No write bit is a read-only file, as on a FAT disk, even for root.
    if (!HasWriteBit(info.st_mode)) return ReplaceResult::kReadOnly;
    mode = info.st_mode & 07777;
  }
  NoteChangeAhead(scratchPath);
  NoteChangeAhead(path);
  bool renamed = WriteScratch(scratchPath, mode, bytes) && !ShouldFail(FileOp::kRename, scratchPath.c_str()) &&
                 std::rename(scratchPath.c_str(), path.c_str()) == 0;
  if (!renamed) {
    struct stat scratch {};
    if (::lstat(scratchPath.c_str(), &scratch) == 0 && S_ISREG(scratch.st_mode)) ::unlink(scratchPath.c_str());
    return ReplaceResult::kFailed;
  }
  SyncFolderOf(path);
  return ReplaceResult::kReplaced;
}

}  // namespace platform::hosted
