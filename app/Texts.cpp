#include "app/Texts.h"

#include <charconv>
#include <cstring>

#include "app/FatalError.h"
#include "platform/Heap.h"

namespace app {

char* AllocText(std::size_t size) {
  void* block = platform::HeapTake(size);
  if (block == nullptr) {
    // The message itself needs no heap: it is put together on the stack.
    char number[24] = {};  // 20 digits hold any size
    std::to_chars(number, number + sizeof number - 1, size);
    char message[64];
    JoinTextInto(message, sizeof message, {"分配 ", number, " 字节内存失败!"});
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
  JoinTextInto(joined, total + 1, texts);
  return joined;
}

void JoinTextInto(char* out, std::size_t capacity, std::initializer_list<const char*> texts) {
  if (capacity == 0) return;
  std::size_t used = 0;
  for (const char* text : texts)
    for (const char* next = text == nullptr ? "" : text; *next != '\0' && used + 1 < capacity; ++next)
      out[used++] = *next;
  out[used] = '\0';
}

}  // namespace app
