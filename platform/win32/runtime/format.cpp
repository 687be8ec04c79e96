#include "format.h"

#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace runtime {
namespace {

enum class Length { kInt, kChar, kShort, kLong, kLongLong, kIntMax, kSize, kPtrDiff };

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alternate = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // none given
  Length length = Length::kInt;
  char conversion = '\0';
};

// A va_list travels by reference inside a struct: passing the list itself
// to a helper would not advance the caller's on every target.
struct Arguments {
  va_list list;
};

constexpr std::string_view kNullString = "(null)";
constexpr std::string_view kNullPointer = "(nil)";
constexpr std::string_view kLowerDigits = "0123456789abcdef";
constexpr std::string_view kUpperDigits = "0123456789ABCDEF";

class Writer {
 public:
  explicit Writer(FormatSink& sink) : sink_(sink) {}

  void Put(std::string_view bytes) {
    if (bytes.empty()) return;
    sink_.put(sink_, bytes.data(), bytes.size());
    count_ += bytes.size();
  }

  void Pad(char c, int count) {
    std::array<char, 16> run;
    run.fill(c);
    while (count > 0) {
      int step = count < static_cast<int>(run.size()) ? count : static_cast<int>(run.size());
      Put({run.data(), static_cast<std::size_t>(step)});
      count -= step;
    }
  }

  int Result() const { return count_ > INT_MAX ? -1 : static_cast<int>(count_); }

 private:
  FormatSink& sink_;
  std::size_t count_ = 0;
};

// A width or precision written out; false when it would not fit an int.
bool ReadCount(const char*& at, int& count) {
  count = 0;
  while (*at >= '0' && *at <= '9') {
    if (count > (INT_MAX - 9) / 10) return false;
    count = count * 10 + (*at++ - '0');
  }
  return true;
}

void ReadFlags(const char*& at, Directive& directive) {
  for (;; ++at) {
    switch (*at) {
      case '-': directive.left = true; break;
      case '+': directive.plus = true; break;
      case ' ': directive.space = true; break;
      case '#': directive.alternate = true; break;
      case '0': directive.zero = true; break;
      default: return;
    }
  }
}

Length ReadLength(const char*& at) {
  switch (*at) {
    case 'h':
      if (*++at != 'h') return Length::kShort;
      ++at;
      return Length::kChar;
    case 'l':
      if (*++at != 'l') return Length::kLong;
      ++at;
      return Length::kLongLong;
    case 'j': ++at; return Length::kIntMax;
    case 'z': ++at; return Length::kSize;
    case 't': ++at; return Length::kPtrDiff;
    default: return Length::kInt;
  }
}

// Reads the conversion after its '%'; false for one this runtime lacks.
bool ReadDirective(const char*& at, Arguments& args, Directive& directive) {
  ReadFlags(at, directive);
  if (*at == '*') {
    ++at;
    directive.width = va_arg(args.list, int);
    if (directive.width < 0) {
      if (directive.width == INT_MIN) return false;
      directive.left = true;
      directive.width = -directive.width;
    }
  } else if (!ReadCount(at, directive.width)) {
    return false;
  }
  if (*at == '.') {
    ++at;
    if (*at == '*') {
      ++at;
      directive.precision = va_arg(args.list, int);
      if (directive.precision < 0) directive.precision = -1;
    } else if (!ReadCount(at, directive.precision)) {
      return false;
    }
  }
  directive.length = ReadLength(at);
  directive.conversion = *at;
  if (directive.conversion != '\0') ++at;
  return std::string_view("diuoxXcsp%").find(directive.conversion) != std::string_view::npos &&
         directive.conversion != '\0';
}

struct Integer {
  std::uintmax_t magnitude = 0;
  bool negative = false;
};

Integer SignedArgument(Length length, Arguments& args) {
  std::intmax_t value;
  switch (length) {
    case Length::kChar: value = static_cast<signed char>(va_arg(args.list, int)); break;
    case Length::kShort: value = static_cast<short>(va_arg(args.list, int)); break;
    case Length::kLong: value = va_arg(args.list, long); break;
    case Length::kLongLong: value = va_arg(args.list, long long); break;
    case Length::kIntMax: value = va_arg(args.list, std::intmax_t); break;
    case Length::kSize:
    case Length::kPtrDiff: value = va_arg(args.list, std::ptrdiff_t); break;
    default: value = va_arg(args.list, int); break;
  }
  Integer integer;
  integer.negative = value < 0;
  integer.magnitude = integer.negative ? 0 - static_cast<std::uintmax_t>(value)
                                       : static_cast<std::uintmax_t>(value);
  return integer;
}

Integer UnsignedArgument(Length length, Arguments& args) {
  Integer integer;
  switch (length) {
    case Length::kChar:
      integer.magnitude = static_cast<unsigned char>(va_arg(args.list, unsigned));
      break;
    case Length::kShort:
      integer.magnitude = static_cast<unsigned short>(va_arg(args.list, unsigned));
      break;
    case Length::kLong: integer.magnitude = va_arg(args.list, unsigned long); break;
    case Length::kLongLong: integer.magnitude = va_arg(args.list, unsigned long long); break;
    case Length::kIntMax: integer.magnitude = va_arg(args.list, std::uintmax_t); break;
    case Length::kSize:
    case Length::kPtrDiff: integer.magnitude = va_arg(args.list, std::size_t); break;
    default: integer.magnitude = va_arg(args.list, unsigned); break;
  }
  return integer;
}

// Pads `body` (after its prefix and leading zeros) to the directive's width.
void PutPadded(Writer& out, const Directive& directive, std::string_view prefix, int zeros,
               std::string_view body) {
  int length = static_cast<int>(prefix.size() + body.size()) + zeros;
  int padding = directive.width > length ? directive.width - length : 0;
  if (!directive.left) out.Pad(' ', padding);
  out.Put(prefix);
  out.Pad('0', zeros);
  out.Put(body);
  if (directive.left) out.Pad(' ', padding);
}

void PutInteger(Writer& out, const Directive& directive, Integer value) {
  unsigned base = 10;
  if (directive.conversion == 'o') base = 8;
  if (std::string_view("xXp").find(directive.conversion) != std::string_view::npos) base = 16;
  std::string_view digitSet = directive.conversion == 'X' ? kUpperDigits : kLowerDigits;

  std::array<char, 24> digits;  // 64 bits in octal
  std::size_t first = digits.size();
  for (std::uintmax_t rest = value.magnitude; rest != 0; rest /= base) {
    digits[--first] = digitSet[rest % base];
  }
  int count = static_cast<int>(digits.size() - first);
  // Zero has one digit, or none at precision 0.
  if (count == 0 && directive.precision != 0) {
    digits[--first] = '0';
    count = 1;
  }

  std::string_view prefix;
  bool isSigned = directive.conversion == 'd' || directive.conversion == 'i';
  if (isSigned && value.negative) prefix = "-";
  else if (isSigned && directive.plus) prefix = "+";
  else if (isSigned && directive.space) prefix = " ";
  else if (directive.alternate && base == 16 && value.magnitude != 0) {
    prefix = directive.conversion == 'X' ? "0X" : "0x";
  }
  int zeros = directive.precision > count ? directive.precision - count : 0;
  if (directive.precision < 0 && directive.zero && !directive.left) {
    int length = static_cast<int>(prefix.size()) + count;
    zeros = directive.width > length ? directive.width - length : 0;
  }
  // The alternate octal form always starts with a zero.
  if (directive.alternate && base == 8 && zeros == 0 && (count == 0 || digits[first] != '0')) {
    zeros = 1;
  }
  PutPadded(out, directive, prefix, zeros,
            {digits.data() + first, static_cast<std::size_t>(count)});
}

void PutString(Writer& out, const Directive& directive, const char* text) {
  if (text == nullptr) {
    text = directive.precision < 0 || directive.precision >= static_cast<int>(kNullString.size())
               ? kNullString.data()
               : "";
  }
  std::size_t length = 0;
  while ((directive.precision < 0 || length < static_cast<std::size_t>(directive.precision)) &&
         text[length] != '\0') {
    ++length;
  }
  PutPadded(out, directive, {}, 0, {text, length});
}

void PutConversion(Writer& out, Directive& directive, Arguments& args) {
  switch (directive.conversion) {
    case 'd':
    case 'i': PutInteger(out, directive, SignedArgument(directive.length, args)); break;
    case 'u':
    case 'o':
    case 'x':
    case 'X': PutInteger(out, directive, UnsignedArgument(directive.length, args)); break;
    case 'c': {
      char c = static_cast<char>(va_arg(args.list, int));
      PutPadded(out, directive, {}, 0, {&c, 1});
      break;
    }
    case 's': PutString(out, directive, va_arg(args.list, const char*)); break;
    case 'p': {
      auto pointer = reinterpret_cast<std::uintptr_t>(va_arg(args.list, void*));
      if (pointer == 0) {
        PutPadded(out, directive, {}, 0, kNullPointer);
        break;
      }
      directive.alternate = true;
      PutInteger(out, directive, {pointer, false});
      break;
    }
    default: out.Put("%"); break;
  }
}

struct BufferSink : FormatSink {
  char* buffer;
  std::size_t room;  // bytes that may still be stored
};

void PutInBuffer(FormatSink& sink, const char* bytes, std::size_t size) {
  auto& into = static_cast<BufferSink&>(sink);
  std::size_t take = size < into.room ? size : into.room;
  if (take == 0) return;  // also no buffer at all
  std::memcpy(into.buffer, bytes, take);
  into.buffer += take;
  into.room -= take;
}

}  // namespace

int FormatTo(FormatSink& sink, const char* format, va_list list) {
  Writer out(sink);
  Arguments args;
  va_copy(args.list, list);
  bool known = true;
  for (const char* at = format; *at != '\0' && known;) {
    const char* literal = at;
    while (*at != '\0' && *at != '%') ++at;
    out.Put({literal, static_cast<std::size_t>(at - literal)});
    if (*at == '\0') break;
    ++at;
    Directive directive;
    known = ReadDirective(at, args, directive);
    if (known) PutConversion(out, directive, args);
  }
  va_end(args.list);
  return known ? out.Result() : -1;
}

int FormatToBuffer(char* buffer, std::size_t size, const char* format, va_list args) {
  BufferSink sink{{&PutInBuffer}, buffer, size == 0 ? 0 : size - 1};
  int length = FormatTo(sink, format, args);
  if (size != 0) *sink.buffer = '\0';
  return length;
}

}  // namespace runtime
