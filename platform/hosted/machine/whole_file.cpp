#include "platform/hosted/machine/whole_file.h"

#include <array>

#include "platform/hosted/posix_io.h"

namespace platform::hosted {

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

}  // namespace platform::hosted
