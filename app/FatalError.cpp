#include "app/FatalError.h"

#include <cstdio>

namespace app {

char* ComposeFatalErrorText(const char* message, int code, char* out, unsigned capacity) {
  int used = std::snprintf(out, capacity, "运行时出错!\r\n\r\n");
  if (code != 0 && used >= 0 && static_cast<unsigned>(used) < capacity)
    used += std::snprintf(out + used, capacity - used, "错误代码：%d\r\n\r\n", code);
  if (message != nullptr && message[0] != '\0' && used >= 0 && static_cast<unsigned>(used) < capacity)
    std::snprintf(out + used, capacity - used, "错误信息：%s\r\n", message);
  return out;
}

}  // namespace app
