#include "answer_stream.h"

#include <algorithm>

namespace fuzz {
namespace {

constexpr char kRepeat = '\xFF';
constexpr std::size_t kRepeatUnit = 4096;
// Far beyond the longest line kept; a run that would pass it is cut there.
constexpr std::size_t kMostStream = std::size_t{1} << 20;
constexpr std::size_t kMostLineEndRun = 64;

}  // namespace

std::vector<Run> ParseStream(std::string_view text) {
  std::vector<Run> runs;
  std::size_t total = 0;
  while (!text.empty()) {
    std::size_t mark = text.find(kRepeat);
    if (mark != 0) {
      runs.push_back({text.substr(0, mark), 0, 0});
      text.remove_prefix(std::min(mark, text.size()));
      continue;
    }
    if (text.size() < 3) break;
    std::size_t count = std::min(static_cast<unsigned char>(text[1]) * kRepeatUnit, kMostStream - total);
    if (text[2] == '\n') count = std::min(count, kMostLineEndRun);
    runs.push_back({{}, text[2], count});
    total += count;
    text.remove_prefix(3);
  }
  return runs;
}

RunStream::int_type RunStream::underflow() {
  std::size_t filled = 0;
  while (filled < chunk_.size() && run_ < runs_.size()) {
    const Run& run = runs_[run_];
    std::size_t length = run.count == 0 ? run.literal.size() : run.count;
    std::size_t take = std::min(chunk_.size() - filled, length - offset_);
    if (run.count == 0) std::copy_n(run.literal.data() + offset_, take, chunk_.data() + filled);
    else std::fill_n(chunk_.data() + filled, take, run.byte);
    filled += take;
    offset_ += take;
    if (offset_ == length) {
      ++run_;
      offset_ = 0;
    }
  }
  produced_ += filled;
  setg(chunk_.data(), chunk_.data(), chunk_.data() + filled);
  return filled == 0 ? traits_type::eof() : traits_type::to_int_type(chunk_[0]);
}

std::vector<std::optional<std::string>> StreamLines(const std::vector<Run>& runs, std::size_t maxLine) {
  std::vector<std::optional<std::string>> lines;
  std::string line;
  std::size_t length = 0;  // bytes before the LF, the CR included
  bool open = false;
  auto end = [&] {
    if (length > maxLine) {
      lines.emplace_back();
    } else {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.emplace_back(line);
    }
    line.clear();
    length = 0;
    open = false;
  };
  auto take = [&](char c, std::size_t count) {
    if (c == '\n') {
      for (std::size_t i = 0; i < count; ++i) end();
      return;
    }
    line.append(std::min(length < maxLine ? maxLine - length : 0, count), c);
    length += count;
    open = true;
  };
  for (const Run& run : runs) {
    if (run.count == 0) {
      for (char c : run.literal) take(c, 1);
    } else {
      take(run.byte, run.count);
    }
  }
  if (open) end();
  return lines;
}

}  // namespace fuzz
