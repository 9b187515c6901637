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
    static constexpr char kBefore[] = "分配 ";
    static constexpr char kAfter[] = " 字节内存失败!";
    char message[sizeof kBefore + 20 + sizeof kAfter];  // 20 digits hold any size
    std::memcpy(message, kBefore, sizeof kBefore - 1);
    char* end = std::to_chars(message + sizeof kBefore - 1, message + sizeof message - sizeof kAfter, size).ptr;
    std::memcpy(end, kAfter, sizeof kAfter);
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
