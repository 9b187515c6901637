// The text heap on a system without Win32: malloc, and the loaded image's
// bounds from the linker for the constant-data test.
#include <cstdlib>

#include "platform/Heap.h"

extern "C" const char __executable_start[];
extern "C" const char end[];

namespace platform {

void* HeapTake(std::size_t size) { return std::malloc(size == 0 ? 1 : size); }

void HeapRelease(void* block) { std::free(block); }

bool IsProgramConstant(const void* pointer) {
  const char* p = static_cast<const char*>(pointer);
  return p >= __executable_start && p < end;
}

}  // namespace platform
