// The text heap on Win32: the process heap, and the executable's mapped image
// for the constant-data test.
#include <windows.h>

#include "platform/Heap.h"

namespace platform {
namespace {

struct ImageBounds {
  const char* begin;
  const char* end;
};

ImageBounds ProgramImage() {
  const auto* base = reinterpret_cast<const char*>(GetModuleHandleA(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return {base, base + nt->OptionalHeader.SizeOfImage};
}

}  // namespace

void* HeapTake(std::size_t size) { return HeapAlloc(GetProcessHeap(), 0, size); }

void HeapRelease(void* block) { HeapFree(GetProcessHeap(), 0, block); }

bool IsProgramConstant(const void* pointer) {
  static const ImageBounds image = ProgramImage();
  const char* p = static_cast<const char*>(pointer);
  return p >= image.begin && p < image.end;
}

}  // namespace platform
