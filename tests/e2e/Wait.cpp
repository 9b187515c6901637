#include "tests/e2e/Wait.h"

namespace e2e {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < deadline) {
    if (condition()) return true;
    Sleep(pollMs);
  }
  return condition();
}

void Pause(DWORD milliseconds) { Sleep(milliseconds); }

}  // namespace e2e
