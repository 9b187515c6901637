#include "app/Texts.h"

#include <cstdio>
#include <cstring>

#include "app/FatalError.h"
#include "platform/Heap.h"

namespace app {

char* AllocText(std::size_t size) {
  void* block = platform::HeapTake(size);
  if (block == nullptr) {
    // The message itself needs no heap: it is formatted on the stack.
    char message[64];
    std::snprintf(message, sizeof message, "分配 %zu 字节内存失败!", size);
    ReportFatalError(message, 0);
  }
  return static_cast<char*>(block);
}

void FreeText(const char* text) {
  if (text == nullptr || platform::IsProgramConstant(text)) return;
  platform::HeapRelease(const_cast<char*>(text));
}

std::size_t TextLength(const char* text) { return text == nullptr ? 0 : std::strlen(text); }

char* JoinText(std::initializer_list<const char*> texts) {
  std::size_t total = 0;
  for (const char* text : texts) total += TextLength(text);
  char* joined = AllocText(total + 1);
  char* end = joined;
  for (const char* text : texts) {
    const std::size_t length = TextLength(text);
    std::memcpy(end, text == nullptr ? "" : text, length);
    end += length;
  }
  *end = '\0';
  return joined;
}

}  // namespace app
