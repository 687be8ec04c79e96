#include "tally.h"

#include <cstdio>
#include <map>

namespace test_support {
namespace {

class Tallies {
 public:
  ~Tallies() {
    for (const auto& [what, count] : counts_) std::printf("tally: %s: %ld\n", what.c_str(), count);
    std::fflush(stdout);
  }
  void Add(const std::string& what, long count) { counts_[what] += count; }

 private:
  std::map<std::string, long> counts_;
};

}  // namespace

void Tally(const std::string& what, long count) {
  static Tallies tallies;
  tallies.Add(what, count);
}

}  // namespace test_support
