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
#include <string_view>

#include "platform/ascii.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

inline constexpr std::size_t kScanStep = 16;

#if defined(__SSE2__)
// Bit i is set where chunk[i], with the bits `anyOf` set as well, is
// `wanted`; the chunk holds kScanStep bytes.
[[gnu::always_inline]] inline unsigned MatchMask(const char* chunk, char wanted, char anyOf = 0) {
  __m128i bytes = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chunk)), _mm_set1_epi8(anyOf));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(wanted))));
}
#else
[[gnu::always_inline]] inline unsigned MatchMask(const char* chunk, char wanted, char anyOf = 0) {
  unsigned mask = 0;
  for (std::size_t i = 0; i < kScanStep; ++i) {
    mask |= static_cast<unsigned>(static_cast<char>(chunk[i] | anyOf) == wanted) << i;
  }
  return mask;
}
#endif

// Four steps in one mask.
inline constexpr std::size_t kBlock = 4 * kScanStep;
[[gnu::always_inline]] inline std::uint64_t BlockMask(const char* block, char wanted) {
  std::uint64_t mask = 0;
  for (std::size_t step = 0; step < kBlock; step += kScanStep) {
    mask |= std::uint64_t{MatchMask(block + step, wanted)} << step;
  }
  return mask;
}

// The number of bits set, without a call where the target has no
// instruction for it.
constexpr unsigned CountBits(std::uint64_t bits) {
  bits = bits - ((bits >> 1) & 0x5555555555555555u);
  bits = (bits & 0x3333333333333333u) + ((bits >> 2) & 0x3333333333333333u);
  bits = (bits + (bits >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<unsigned>((bits * 0x0101010101010101u) >> 56);
}

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

// The offset of the first place in text[0, length) where `needle` stands,
// with A-Z folded onto a-z on both sides when fold is set; length when it
// stands nowhere. An empty needle stands at 0.
inline std::size_t FindText(const char* text, std::size_t length, std::string_view needle, bool fold) {
  const std::size_t size = needle.size();
  if (size == 0) return 0;
  if (size > length) return length;
  auto folded = [fold](char c) { return fold ? ascii::Lower(c) : c; };
  auto standsAt = [&](std::size_t at) {
    for (std::size_t i = 0; i < size; ++i) {
      if (folded(text[at + i]) != folded(needle[i])) return false;
    }
    return true;
  };
  // A letter is looked for in both cases at once: with bit 0x20 set, 'A'
  // reads as 'a'.
  auto letterBit = [fold](char c) {
    return fold && ascii::IsLetter(c) ? char{0x20} : char{0};
  };
  const char firstBit = letterBit(needle[0]);
  const char lastBit = letterBit(needle[size - 1]);
  const char first = static_cast<char>(needle[0] | firstBit);
  const char last = static_cast<char>(needle[size - 1] | lastBit);
  // Candidates hold the needle's first and last bytes in place, sixteen
  // starts at a time; each is then compared whole.
  const std::size_t starts = length - size + 1;
  std::size_t at = 0;
  for (; at + kScanStep <= starts; at += kScanStep) {
    unsigned candidates = MatchMask(text + at, first, firstBit) & MatchMask(text + at + size - 1, last, lastBit);
    for (; candidates != 0; candidates &= candidates - 1) {
      std::size_t start = at + static_cast<std::size_t>(std::countr_zero(candidates));
      if (standsAt(start)) return start;
    }
  }
  for (; at < starts; ++at) {
    if (standsAt(at)) return at;
  }
  return length;
}

}  // namespace platform

#endif  // CPUNINST_PLATFORM_BYTE_SCAN_H
