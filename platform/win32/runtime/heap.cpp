// operator new and delete, and the C allocation calls, over the process
// heap. Without exceptions a failed new cannot throw: it ends the program
// with a message, and the nothrow forms answer null.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "runtime.h"

namespace {

constexpr const char* kNoMemory = "out of memory";

void* Allocate(std::size_t size, DWORD flags = 0) {
  return HeapAlloc(GetProcessHeap(), flags, size == 0 ? 1 : size);
}

void Release(void* block) {
  if (block != nullptr) HeapFree(GetProcessHeap(), 0, block);
}

void* AllocateOrFail(std::size_t size) {
  void* block = Allocate(size);
  if (block == nullptr) runtime::Fail(kNoMemory);
  return block;
}

}  // namespace

namespace std {
const nothrow_t nothrow{};
}  // namespace std

void* operator new(std::size_t size) { return AllocateOrFail(size); }
void* operator new[](std::size_t size) { return AllocateOrFail(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

extern "C" {

void* malloc(std::size_t size) { return Allocate(size); }

void* calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
  return Allocate(count * size, HEAP_ZERO_MEMORY);
}

void* realloc(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size);
  return HeapReAlloc(GetProcessHeap(), 0, block, size == 0 ? 1 : size);
}

void free(void* block) { Release(block); }

}  // extern "C"
