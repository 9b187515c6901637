// The one heap that every text block comes from, and the test that tells a
// block from the program's own constant data. Win32: the process heap and the
// executable's image (HeapWin32.cpp). The host tests bring a counting heap.
#pragma once
#include <cstddef>

namespace platform {

// Null when the heap cannot give the block.
void* HeapTake(std::size_t size);
void HeapRelease(void* block);
// True for a pointer into the program's own image (string literals, tables).
bool IsProgramConstant(const void* pointer);

}  // namespace platform
