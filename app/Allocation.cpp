// The program's own operator new and delete, on the process heap like every
// text. Nothing in the installer throws: a failed allocation ends the program
// with the fatal error a failed text allocation gives, and the nothrow forms
// give null instead. Replacing them keeps the C++ run time's throwing
// versions, and the exception machinery they bring, out of the program.
#include <cstddef>
#include <new>

#include "app/Texts.h"
#include "platform/Heap.h"

namespace {

void* Take(std::size_t size) { return app::AllocText(size == 0 ? 1 : size); }
void* TryTake(std::size_t size) noexcept { return platform::HeapTake(size == 0 ? 1 : size); }
void Release(void* block) noexcept {
  if (block != nullptr) platform::HeapRelease(block);
}

}  // namespace

void* operator new(std::size_t size) { return Take(size); }
void* operator new[](std::size_t size) { return Take(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return TryTake(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return TryTake(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
