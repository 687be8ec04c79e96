// The C++ helpers the compiler and the library headers call. With
// exceptions off, what would be thrown ends the program with its message.
#include <cstdarg>

#include "format.h"
#include "runtime.h"

namespace {

constexpr std::size_t kMessage = 256;

}  // namespace

namespace std {

[[noreturn]] void __throw_bad_alloc() { runtime::Fail("out of memory"); }
[[noreturn]] void __throw_length_error(const char* what) { runtime::Fail(what); }
[[noreturn]] void __throw_logic_error(const char* what) { runtime::Fail(what); }
[[noreturn]] void __throw_out_of_range(const char* what) { runtime::Fail(what); }

[[noreturn]] void __throw_out_of_range_fmt(const char* format, ...) {
  char message[kMessage];
  va_list args;
  va_start(args, format);
  runtime::FormatToBuffer(message, sizeof(message), format, args);
  va_end(args);
  runtime::Fail(message);
}

}  // namespace std

extern "C" {

[[noreturn]] void __cxa_throw_bad_array_new_length() { runtime::Fail("bad array new length"); }
[[noreturn]] void __cxa_pure_virtual() { runtime::Fail("pure virtual function called"); }

}  // extern "C"
