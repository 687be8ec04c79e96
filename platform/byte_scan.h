// Finding the end of a line without a call per line: lines are a few dozen
// bytes, where the call of a library search costs more than the search.
// Sixteen bytes are compared at a time where the target has SSE2, one at a
// time where it has none; both give the same answers.
#ifndef CPUNINST_PLATFORM_BYTE_SCAN_H
#define CPUNINST_PLATFORM_BYTE_SCAN_H

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

inline constexpr std::size_t kScanStep = 16;

#if defined(__SSE2__)
// Bit i is set where chunk[i] is `wanted`; the chunk holds kScanStep bytes.
[[gnu::always_inline]] inline unsigned MatchMask(const char* chunk, char wanted) {
  __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(wanted))));
}
#else
[[gnu::always_inline]] inline unsigned MatchMask(const char* chunk, char wanted) {
  unsigned mask = 0;
  for (std::size_t i = 0; i < kScanStep; ++i) mask |= static_cast<unsigned>(chunk[i] == wanted) << i;
  return mask;
}
#endif

// The same over twice the step, for line ends: most lines end within one.
inline constexpr std::size_t kLineStep = 2 * kScanStep;
[[gnu::always_inline]] inline std::uint32_t WideMatchMask(const char* chunk, char wanted) {
  return MatchMask(chunk, wanted) | (std::uint32_t{MatchMask(chunk + kScanStep, wanted)} << kScanStep);
}

struct LineScan {
  std::size_t lineFeed;  // offset of the first line feed, or the length
  bool watched;          // the watched byte occurs before it
};

// Looks for the first line feed in text[0, length) and notes whether the
// byte `watch` occurs before it. It may load bytes up to text[readable - 1]
// (readable >= length) to compare them in larger steps; nothing at or beyond
// length counts.
[[gnu::always_inline]] inline LineScan ScanLine(const char* text, std::size_t length,
                                                std::size_t readable, char watch) {
  bool watched = false;
  std::size_t at = 0;
  for (; at < length && at + kLineStep <= readable; at += kLineStep) {
    std::uint32_t lineFeeds = WideMatchMask(text + at, '\n');
    std::uint32_t watches = WideMatchMask(text + at, watch);
    if (length - at < kLineStep) {
      std::uint32_t inside = (std::uint32_t{1} << (length - at)) - 1;
      lineFeeds &= inside;
      watches &= inside;
    }
    if (lineFeeds != 0) {
      std::uint32_t before = (lineFeeds & (0u - lineFeeds)) - 1;
      return {at + static_cast<std::size_t>(std::countr_zero(lineFeeds)),
              watched || (watches & before) != 0};
    }
    watched = watched || watches != 0;
  }
  for (; at < length; ++at) {
    if (text[at] == '\n') return {at, watched};
    watched = watched || text[at] == watch;
  }
  return {length, watched};
}

// The offset of the first byte in text[0, length) that is `one` or `other`,
// or length.
inline std::size_t FindEither(const char* text, std::size_t length, char one, char other) {
  auto hitsAt = [&](std::size_t at) { return MatchMask(text + at, one) | MatchMask(text + at, other); };
  if (length < kScanStep) {
    for (std::size_t at = 0; at < length; ++at) {
      if (text[at] == one || text[at] == other) return at;
    }
    return length;
  }
  std::size_t at = 0;
  for (; at + kScanStep <= length; at += kScanStep) {
    if (unsigned hits = hitsAt(at); hits != 0) return at + static_cast<std::size_t>(std::countr_zero(hits));
  }
  if (at == length) return length;
  // The last bytes: one more step that ends at the end, without the bytes
  // already looked at.
  unsigned hits = hitsAt(length - kScanStep) >> (kScanStep - (length - at));
  return hits != 0 ? at + static_cast<std::size_t>(std::countr_zero(hits)) : length;
}

}  // namespace platform

#endif  // CPUNINST_PLATFORM_BYTE_SCAN_H
