#include "app/FatalError.h"

#include <charconv>

#include "app/Texts.h"

namespace app {

char* ComposeFatalErrorText(const char* message, int code, char* out, unsigned capacity) {
  char number[16] = {};
  std::to_chars(number, number + sizeof number - 1, code);
  const bool withCode = code != 0;
  const bool withMessage = message != nullptr && message[0] != '\0';
  JoinTextInto(out, capacity,
               {"运行时出错!\r\n\r\n", withCode ? "错误代码：" : nullptr, withCode ? number : nullptr,
                withCode ? "\r\n\r\n" : nullptr, withMessage ? "错误信息：" : nullptr,
                message, withMessage ? "\r\n" : nullptr});
  return out;
}

}  // namespace app
