#include "app/FatalError.h"

#include <charconv>

namespace app {
namespace {

// Adds `text` after the `used` bytes of `out`, as much of it as fits before
// the terminating NUL.
void Append(char* out, unsigned capacity, unsigned& used, const char* text) {
  while (*text != '\0' && used + 1 < capacity) out[used++] = *text++;
  out[used] = '\0';
}

}  // namespace

char* ComposeFatalErrorText(const char* message, int code, char* out, unsigned capacity) {
  if (capacity == 0) return out;
  unsigned used = 0;
  Append(out, capacity, used, "运行时出错!\r\n\r\n");
  if (code != 0) {
    char number[16] = {};
    std::to_chars(number, number + sizeof number - 1, code);
    Append(out, capacity, used, "错误代码：");
    Append(out, capacity, used, number);
    Append(out, capacity, used, "\r\n\r\n");
  }
  if (message != nullptr && message[0] != '\0') {
    Append(out, capacity, used, "错误信息：");
    Append(out, capacity, used, message);
    Append(out, capacity, used, "\r\n");
  }
  return out;
}

}  // namespace app
