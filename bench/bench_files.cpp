// Writes the files scripts/bench measures with: profiles of a given size in
// the shape the uninstaller meets, scaled up; a profile whose one section
// holds a given number of lines; and filler sections appended to a file.
// Also makes, TIMES over, the system calls one step of a section walk cannot
// do without (open, the regular-file check, seek, one small read, close):
// the floor a walk's time is measured against.
//
//   bench_files profile PATH MEGABYTES
//   bench_files walk PATH LINES
//   bench_files pad PATH MEGABYTES
//   bench_files reopen PATH TIMES
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

constexpr long long kMegabyte = 1024 * 1024;
constexpr int kKeysPerSection = 40;
constexpr int kDeviceLineEvery = 16;  // sections
constexpr std::size_t kWalkRead = 512;  // a walk step's first read

int Usage() {
  std::fputs("usage: bench_files profile|pad PATH MEGABYTES | walk PATH LINES | reopen PATH TIMES\n",
             stderr);
  return 64;
}

// Sections of numbered keys, each with the card's wave key, and now and then
// the card's device line, written with CR LF until the file holds `bytes`.
void WriteSections(std::FILE* out, long long written, long long bytes) {
  for (int section = 0; written < bytes; ++section) {
    written += std::fprintf(out, "[section%d]\r\n", section);
    for (int key = 0; key < kKeysPerSection; ++key) {
      written += std::fprintf(out, "key%d=value number %d of section %d\r\n", key, key, section);
    }
    written += std::fprintf(out, "wave=kt617.drv\r\n");
    if (section % kDeviceLineEvery == 0) written += std::fprintf(out, "device = VKT617.386\r\n");
  }
}

void WriteWalk(std::FILE* out, long long lines) {
  std::fputs("[before]\r\nk=v\r\n[walk]\r\n", out);
  for (long long line = 0; line < lines; ++line) {
    std::fprintf(out, "line%lld=value %lld\r\n", line, line);
  }
  std::fputs("[after]\r\nk=v\r\n", out);
}

// Each time at the next line's offset, as a walk goes through the file.
int Reopen(const char* path, long long times) {
  std::array<char, kWalkRead> buffer;
  off_t offset = 0;
  for (long long time = 0; time < times; ++time) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      std::perror(path);
      return 1;
    }
    ::lseek(fd, offset, SEEK_SET);
    ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    offset = got > 0 ? offset + 20 : 0;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) return Usage();
  std::string_view kind = argv[1];
  long long amount = std::atoll(argv[3]);
  if (amount < 0 || (kind != "profile" && kind != "walk" && kind != "pad" && kind != "reopen")) {
    return Usage();
  }
  if (kind == "reopen") return Reopen(argv[2], amount);
  std::FILE* out = std::fopen(argv[2], kind == "pad" ? "ab" : "wb");
  if (out == nullptr) {
    std::perror(argv[2]);
    return 1;
  }
  if (kind == "walk") {
    WriteWalk(out, amount);
  } else {
    std::fseek(out, 0, SEEK_END);
    WriteSections(out, std::ftell(out), amount * kMegabyte);
  }
  if (std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}
