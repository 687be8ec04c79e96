// Times the rewriting and reading operations on a large generated profile
// file. Usage: profile_bench [MEGABYTES] [FOLDER]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "profile/profile.h"

namespace {

// A profile of many sections, CR LF line ends, with one card key per section
// and a device line every so often: the shape the uninstaller meets, scaled.
void MakeProfile(const std::string& path, long long bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::perror(path.c_str());
    std::exit(1);
  }
  long long written = 0;
  for (int section = 0; written < bytes; ++section) {
    written += std::fprintf(out, "[section%d]\r\n", section);
    for (int key = 0; key < 40; ++key) {
      written += std::fprintf(out, "key%d=value number %d of section %d\r\n", key, key, section);
    }
    written += std::fprintf(out, "wave=kt617.drv\r\n");
    if (section % 16 == 0) written += std::fprintf(out, "device = VKT617.386\r\n");
  }
  std::fclose(out);
}

template <typename Operation>
void Time(const char* name, double megabytes, Operation operation) {
  auto start = std::chrono::steady_clock::now();
  int result = operation();
  double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%-28s result %3d  %7.3f s  %8.1f MB/s\n", name, result, seconds,
              megabytes / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  long long megabytes = argc > 1 ? std::atoll(argv[1]) : 100;
  std::string folder = argc > 2 ? argv[2] : "/tmp";
  std::string path = folder + "/bench.ini";
  double size = static_cast<double>(megabytes);

  MakeProfile(path, megabytes * 1024 * 1024);
  Time("IniGetString (miss)", size, [&] {
    return IniGetString(path.c_str(), nullptr, "absent", nullptr) == nullptr ? 0 : 1;
  });
  Time("FileDeleteLine (no match)", size, [&] {
    char pattern[] = "no such line\n";
    return FileDeleteLine(path.c_str(), pattern, 0);
  });
  Time("FileDeleteLine options 3", size, [&] {
    char pattern[] = "device=vkt617.386\n";
    return FileDeleteLine(path.c_str(), pattern, 3);
  });
  Time("IniDeleteKey (whole file)", size,
       [&] { return IniDeleteKey(path.c_str(), nullptr, "wave"); });
  Time("IniAddLine (new section)", size,
       [&] { return IniAddLine(path.c_str(), "bench", "k=v"); });
  std::remove(path.c_str());
  return 0;
}
