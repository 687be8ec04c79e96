// Standard output and error over WriteFile, and the stdio calls the
// programs make on them. Standard output is buffered and written when full,
// on fflush and at exit; on a console, and always for standard error, each
// call's text is written at its end. No text-mode translation: the bytes go
// out as given.
#include <fcntl.h>
#include <stdio.h>
#include <windows.h>

#include <array>
#include <cstring>

#include "format.h"
#include "runtime.h"

namespace runtime {
namespace {

constexpr std::size_t kBufferSize = 4096;
constexpr int kStreams = 3;  // standard input, output, error

class Stream {
 public:
  // Keeps the bytes; false when what had to be written out failed.
  bool Put(const char* bytes, std::size_t size) {
    bool written = true;
    if (size > buffer_.size() - used_) written = Flush();
    if (size >= buffer_.size()) return WriteOut(bytes, size) && written;
    std::memcpy(buffer_.data() + used_, bytes, size);
    used_ += size;
    return written;
  }

  bool Flush() {
    std::size_t used = used_;
    used_ = 0;
    return WriteOut(buffer_.data(), used);
  }

  // The end of one stdio call.
  bool EndCall() {
    Resolve();
    return !eachCall_ || Flush();
  }

  bool Failed() const { return failed_; }
  void ClearFailure() { failed_ = false; }

  void Attach(DWORD which, bool eachCall) {
    which_ = which;
    eachCall_ = eachCall;
  }

 private:
  // The handle is looked up at first use: a GUI program may have none.
  void Resolve() {
    if (resolved_) return;
    resolved_ = true;
    handle_ = GetStdHandle(which_);
    if (handle_ == INVALID_HANDLE_VALUE) handle_ = nullptr;
    if (handle_ != nullptr && GetFileType(handle_) == FILE_TYPE_CHAR) eachCall_ = true;
  }

  bool WriteOut(const char* bytes, std::size_t size) {
    Resolve();
    while (size > 0) {
      DWORD put = 0;
      DWORD step = size > kBufferSize ? static_cast<DWORD>(kBufferSize) : static_cast<DWORD>(size);
      if (handle_ == nullptr || !WriteFile(handle_, bytes, step, &put, nullptr) || put == 0) {
        failed_ = true;
        return false;
      }
      bytes += put;
      size -= put;
    }
    return true;
  }

  DWORD which_ = 0;
  bool eachCall_ = false;
  bool resolved_ = false;
  bool failed_ = false;
  HANDLE handle_ = nullptr;
  std::size_t used_ = 0;
  std::array<char, kBufferSize> buffer_{};
};

std::array<Stream, kStreams> streams;

Stream& Standard(int index) {
  static bool attached = false;
  if (!attached) {
    attached = true;
    streams[0].Attach(STD_INPUT_HANDLE, true);
    streams[1].Attach(STD_OUTPUT_HANDLE, false);
    streams[2].Attach(STD_ERROR_HANDLE, true);
  }
  return streams[index];
}

Stream& Of(FILE* file) { return *reinterpret_cast<Stream*>(file); }

FILE* StandardFile(unsigned index) {
  return index < kStreams ? reinterpret_cast<FILE*>(&Standard(static_cast<int>(index))) : nullptr;
}

int NumberOf(FILE* file) {
  for (int i = 0; i < kStreams; ++i) {
    if (file == reinterpret_cast<FILE*>(&streams[i])) return i;
  }
  return -1;
}

int SetMode(int number, int mode) {
  // Every stream is binary; only that mode can be had.
  return number >= 0 && number < kStreams && mode == _O_BINARY ? _O_BINARY : -1;
}

struct StreamSink : FormatSink {
  Stream* stream;
  bool written;
};

void PutInStream(FormatSink& sink, const char* bytes, std::size_t size) {
  auto& into = static_cast<StreamSink&>(sink);
  into.written = into.stream->Put(bytes, size) && into.written;
}

}  // namespace

void FlushStreams() {
  Standard(1).Flush();
  Standard(2).Flush();
}

void WriteFailure(const char* what) {
  Stream& error = Standard(2);
  error.Put(what, std::strlen(what));
  error.Put("\n", 1);
  error.Flush();
}

}  // namespace runtime

using runtime::Of;

extern "C" {

// The stdio header reaches the standard streams, _fileno and _setmode
// through the pointers a DLL import would fill in; these are those pointers.
extern FILE* (*const ImportedStandardFile)(unsigned)
    __asm__(RUNTIME_IMPORT_POINTER("__acrt_iob_func"));
FILE* (*const ImportedStandardFile)(unsigned) = &runtime::StandardFile;
extern int (*const ImportedFileNumber)(FILE*) __asm__(RUNTIME_IMPORT_POINTER("_fileno"));
int (*const ImportedFileNumber)(FILE*) = &runtime::NumberOf;
extern int (*const ImportedSetMode)(int, int) __asm__(RUNTIME_IMPORT_POINTER("_setmode"));
int (*const ImportedSetMode)(int, int) = &runtime::SetMode;

size_t fwrite(const void* data, size_t size, size_t count, FILE* file) {
  if (size == 0 || count == 0) return 0;
  runtime::Stream& stream = Of(file);
  bool written = stream.Put(static_cast<const char*>(data), size * count);
  written = stream.EndCall() && written;
  return written ? count : 0;
}

int fputs(const char* text, FILE* file) {
  std::size_t length = std::strlen(text);
  return fwrite(text, 1, length, file) == length ? 0 : EOF;
}

int fputc(int c, FILE* file) {
  char byte = static_cast<char>(c);
  return fwrite(&byte, 1, 1, file) == 1 ? static_cast<unsigned char>(byte) : EOF;
}

int fflush(FILE* file) {
  if (file == nullptr) {
    bool flushed = Of(runtime::StandardFile(1)).Flush();
    return Of(runtime::StandardFile(2)).Flush() && flushed ? 0 : EOF;
  }
  return Of(file).Flush() ? 0 : EOF;
}

int ferror(FILE* file) { return Of(file).Failed() ? 1 : 0; }

void clearerr(FILE* file) { Of(file).ClearFailure(); }

int __mingw_vfprintf(FILE* __restrict__ file, const char* __restrict__ format, va_list args) {
  runtime::StreamSink sink{{&runtime::PutInStream}, &Of(file), true};
  int length = runtime::FormatTo(sink, format, args);
  sink.written = Of(file).EndCall() && sink.written;
  return sink.written ? length : -1;
}

int __mingw_vsnprintf(char* __restrict__ buffer, size_t size, const char* __restrict__ format,
                      va_list args) {
  return runtime::FormatToBuffer(buffer, size, format, args);
}

}  // extern "C"
