// The C library's memory and string functions. x86 reads and writes a word
// at any address, so the long runs go a word at a time. This file is built
// without the compiler's builtins and loop patterns, which would turn these
// loops into calls of the very functions they define.
#include <cstddef>
#include <cstdint>

namespace {

using Word = std::uintptr_t;
// A word at any address, allowed to alias any object.
typedef Word __attribute__((may_alias, aligned(1))) LooseWord;

constexpr std::size_t kWord = sizeof(Word);
constexpr Word kOnes = ~Word{0} / 0xFF;  // 0x01 in every byte
constexpr Word kHighs = kOnes << 7;      // 0x80 in every byte

constexpr bool HasZeroByte(Word word) { return ((word - kOnes) & ~word & kHighs) != 0; }

Word Load(const unsigned char* at) { return *reinterpret_cast<const LooseWord*>(at); }
void Store(unsigned char* at, Word word) { *reinterpret_cast<LooseWord*>(at) = word; }

bool IsAligned(const void* at) { return (reinterpret_cast<std::uintptr_t>(at) & (kWord - 1)) == 0; }

void CopyForward(unsigned char* to, const unsigned char* from, std::size_t size) {
  for (; size >= kWord; size -= kWord, to += kWord, from += kWord) Store(to, Load(from));
  while (size-- > 0) *to++ = *from++;
}

void CopyBackward(unsigned char* to, const unsigned char* from, std::size_t size) {
  to += size;
  from += size;
  for (; size >= kWord; size -= kWord) {
    to -= kWord;
    from -= kWord;
    Store(to, Load(from));
  }
  while (size-- > 0) *--to = *--from;
}

}  // namespace

extern "C" {

void* memcpy(void* __restrict__ to, const void* __restrict__ from, std::size_t size) {
  CopyForward(static_cast<unsigned char*>(to), static_cast<const unsigned char*>(from), size);
  return to;
}

void* memmove(void* to, const void* from, std::size_t size) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  // Overlapping with the source ahead: copy from the end.
  if (out > in && out < in + size) {
    CopyBackward(out, in, size);
  } else {
    CopyForward(out, in, size);
  }
  return to;
}

void* memset(void* to, int value, std::size_t size) {
  auto* out = static_cast<unsigned char*>(to);
  const Word word = kOnes * static_cast<unsigned char>(value);
  for (; size >= kWord; size -= kWord, out += kWord) Store(out, word);
  while (size-- > 0) *out++ = static_cast<unsigned char>(value);
  return to;
}

int memcmp(const void* left, const void* right, std::size_t size) {
  const auto* a = static_cast<const unsigned char*>(left);
  const auto* b = static_cast<const unsigned char*>(right);
  for (; size >= kWord && Load(a) == Load(b); size -= kWord, a += kWord, b += kWord) {
  }
  for (; size > 0; --size, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
  }
  return 0;
}

void* memchr(const void* text, int value, std::size_t size) {
  const auto* at = static_cast<const unsigned char*>(text);
  const auto wanted = static_cast<unsigned char>(value);
  const Word pattern = kOnes * wanted;
  for (; size > 0 && !IsAligned(at); --size, ++at) {
    if (*at == wanted) return const_cast<unsigned char*>(at);
  }
  for (; size >= kWord && !HasZeroByte(Load(at) ^ pattern); size -= kWord) at += kWord;
  for (; size > 0; --size, ++at) {
    if (*at == wanted) return const_cast<unsigned char*>(at);
  }
  return nullptr;
}

std::size_t strlen(const char* text) {
  const auto* start = reinterpret_cast<const unsigned char*>(text);
  const auto* at = start;
  for (; !IsAligned(at); ++at) {
    if (*at == 0) return static_cast<std::size_t>(at - start);
  }
  // An aligned word never crosses a page, so reading one past the end is safe.
  while (!HasZeroByte(Load(at))) at += kWord;
  while (*at != 0) ++at;
  return static_cast<std::size_t>(at - start);
}

int strcmp(const char* left, const char* right) {
  const auto* a = reinterpret_cast<const unsigned char*>(left);
  const auto* b = reinterpret_cast<const unsigned char*>(right);
  while (*a != 0 && *a == *b) ++a, ++b;
  return *a == *b ? 0 : (*a < *b ? -1 : 1);
}

int strncmp(const char* left, const char* right, std::size_t size) {
  const auto* a = reinterpret_cast<const unsigned char*>(left);
  const auto* b = reinterpret_cast<const unsigned char*>(right);
  for (; size > 0; --size, ++a, ++b) {
    if (*a != *b) return *a < *b ? -1 : 1;
    if (*a == 0) break;
  }
  return 0;
}

char* strchr(const char* text, int value) {
  const char wanted = static_cast<char>(value);
  for (;; ++text) {
    if (*text == wanted) return const_cast<char*>(text);
    if (*text == '\0') return nullptr;
  }
}

}  // extern "C"
