// kill -9 at random moments while profctl edits a large file: the file at
// its name must be the old bytes or the new bytes every time, never missing
// and never anything else. CPUNINST_KILL_MB and CPUNINST_KILLS make a larger
// run by hand (the defaults keep the suite quick).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "child.h"
#include "folder.h"
#include "tally.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr long kDefaultMegabytes = 24;
constexpr long kDefaultKills = 6;

long Setting(const char* name, long fallback) {
  const char* text = std::getenv(name);
  long value = text != nullptr ? std::atol(text) : 0;
  return value > 0 ? value : fallback;
}

// A profile of about `megabytes` MB: many small sections, each with a wave key.
std::string BigProfile(long megabytes) {
  std::string text;
  text.reserve(static_cast<std::size_t>(megabytes) << 20);
  for (long i = 0; text.size() < (static_cast<std::size_t>(megabytes) << 20); ++i) {
    std::string n = std::to_string(i);
    text += "[s" + n + "]\r\nwave=w" + n + ".drv\r\nmidi=m" + n + ".drv\r\n";
  }
  return text;
}

TEST(KillNine, TheFileIsTheOldOrTheNewBytesAtEveryKill) {
  long megabytes = Setting("CPUNINST_KILL_MB", kDefaultMegabytes);
  long kills = Setting("CPUNINST_KILLS", kDefaultKills);
  test_support::TempFolder folder;
  const fs::path& dir = folder.Root();
  const std::string oldBytes = BigProfile(megabytes);
  auto restore = [&] {
    fs::remove(dir / "big.$$$");
    // On disk before the run, so every run's timing is like the clean one's.
    int fd = ::open((dir / "big.ini").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, oldBytes.data(), oldBytes.size()), static_cast<ssize_t>(oldBytes.size()));
    ::fsync(fd);
    ::close(fd);
  };
  test_support::ChildLaunch run;
  run.program = PROFCTL_PATH;
  run.arguments = {"delete-key", "big.ini", "wave"};
  run.workingDirectory = dir;
  const fs::path io = dir / "io";

  restore();
  auto started = Clock::now();
  test_support::ChildResult clean = test_support::RunChild(run, io);
  auto cleanTime = Clock::now() - started;
  ASSERT_EQ(clean.out, "0\n");
  const std::string newBytes = folder.Get("big.ini");
  ASSERT_NE(newBytes, oldBytes);

  std::random_device device;
  unsigned seed = device();
  std::mt19937 random(seed);
  // Anywhere in the run, and as often around its end, where the file is replaced.
  long cleanMillis = std::chrono::duration_cast<std::chrono::milliseconds>(cleanTime).count();
  std::uniform_int_distribution<long> anywhere(0, cleanMillis);
  std::uniform_int_distribution<long> nearTheEnd(cleanMillis * 7 / 10, cleanMillis * 15 / 10);
  int sawOld = 0;
  int sawNew = 0;
  for (long kill = 0; kill < kills; ++kill) {
    restore();
    // The time limit is the moment of the kill: SIGKILL, as kill -9.
    run.timeLimit = std::chrono::milliseconds(kill % 2 == 0 ? anywhere(random) : nearTheEnd(random));
    test_support::RunChild(run, io);
    SCOPED_TRACE("kill " + std::to_string(kill) + ", seed " + std::to_string(seed));
    ASSERT_TRUE(fs::exists(dir / "big.ini")) << "the file went missing";
    std::string left = folder.Get("big.ini");
    ASSERT_TRUE(left == oldBytes || left == newBytes) << "the file holds " << left.size() << " other bytes";
    ++(left == oldBytes ? sawOld : sawNew);
  }
  std::printf("kill -9: %ld kills on a %ld MB file over a %ld ms edit (seed %u): %d left the old bytes, %d the new\n",
              kills, megabytes, cleanMillis, seed, sawOld, sawNew);
  test_support::Tally("kills at random moments", kills);
}

}  // namespace
