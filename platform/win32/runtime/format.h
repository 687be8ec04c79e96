// printf's formatting, for the Windows programs' own runtime: the integer,
// character and string conversions (d i u o x X c s p %) with the flags
// - + space # 0, width and precision (also *), and the length modifiers hh h
// l ll j z t. There is no floating point: a conversion outside this set
// makes the whole call fail with -1, so it cannot pass unnoticed. Plain code
// over bytes, so the host tests it against its own C library.
#ifndef CPUNINST_PLATFORM_WIN32_RUNTIME_FORMAT_H
#define CPUNINST_PLATFORM_WIN32_RUNTIME_FORMAT_H

#include <cstdarg>
#include <cstddef>

namespace runtime {

// Where formatted bytes go: a stream, a buffer, or nowhere (counting).
struct FormatSink {
  void (*put)(FormatSink& sink, const char* bytes, std::size_t size);
};

// The number of bytes formatted, or -1 for a conversion it does not know.
int FormatTo(FormatSink& sink, const char* format, va_list args);

// The C library's vsnprintf: at most size - 1 bytes and a NUL into buffer
// (nothing when size is 0); returns the length of the whole text.
int FormatToBuffer(char* buffer, std::size_t size, const char* format, va_list args);

}  // namespace runtime

#endif  // CPUNINST_PLATFORM_WIN32_RUNTIME_FORMAT_H
