#include "tests/e2e/Input.h"

#include <algorithm>
#include <vector>

namespace e2e::input {

namespace {

bool IsExtendedKey(WORD virtualKey) {
  switch (virtualKey) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_INSERT: case VK_DELETE: case VK_RMENU: case VK_RCONTROL:
      return true;
    default:
      return false;
  }
}

void SendKey(WORD virtualKey, bool release) {
  INPUT event{};
  event.type = INPUT_KEYBOARD;
  event.ki.wVk = virtualKey;
  event.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
  event.ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0u) |
                     (IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0u);
  SendInput(1, &event, sizeof event);
  Pause(kEventPauseMs);
}

void SendMouse(DWORD flags, LONG dx = 0, LONG dy = 0) {
  INPUT event{};
  event.type = INPUT_MOUSE;
  event.mi.dx = dx;
  event.mi.dy = dy;
  event.mi.dwFlags = flags;
  SendInput(1, &event, sizeof event);
  Pause(kEventPauseMs);
}

// Absolute mouse coordinates run 0..65535 over the primary screen; Windows
// and Wine map them back as value * size / 65536, rounding down, so round
// up here to land on the pixel itself.
LONG Normalised(int pixel, int screenSize) {
  const long long value = (static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize;
  return static_cast<LONG>(std::clamp(value, 0LL, 65535LL));
}

}  // namespace

void KeyDown(WORD virtualKey) { SendKey(virtualKey, false); }
void KeyUp(WORD virtualKey) { SendKey(virtualKey, true); }

void Tap(WORD virtualKey) {
  KeyDown(virtualKey);
  KeyUp(virtualKey);
}

void Chord(std::initializer_list<WORD> virtualKeys) {
  for (WORD key : virtualKeys) KeyDown(key);
  std::vector<WORD> reversed(virtualKeys);
  std::reverse(reversed.begin(), reversed.end());
  for (WORD key : reversed) KeyUp(key);
}

void Escape() { Tap(VK_ESCAPE); }
void Enter() { Tap(VK_RETURN); }
void Space() { Tap(VK_SPACE); }
void Tab() { Tap(VK_TAB); }
void ShiftTab() { Chord({VK_SHIFT, VK_TAB}); }
void AltF4() { Chord({VK_MENU, VK_F4}); }

void TypeText(const std::string& text) {
  for (const char character : text) {
    for (const bool release : {false, true}) {
      INPUT event{};
      event.type = INPUT_KEYBOARD;
      event.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(character));
      event.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0u);
      SendInput(1, &event, sizeof event);
      Pause(kEventPauseMs);
    }
  }
}

bool MoveTo(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE,
            Normalised(x, GetSystemMetrics(SM_CXSCREEN)),
            Normalised(y, GetSystemMetrics(SM_CYSCREEN)));
  return WaitUntil(
      [&] {
        POINT cursor{};
        return GetCursorPos(&cursor) && cursor.x == x && cursor.y == y;
      },
      1000);
}

void LeftDown() { SendMouse(MOUSEEVENTF_LEFTDOWN); }
void LeftUp() { SendMouse(MOUSEEVENTF_LEFTUP); }

bool ClickAt(int x, int y) {
  const bool arrived = MoveTo(x, y);
  LeftDown();
  LeftUp();
  return arrived;
}

bool BringToForeground(HWND window, POINT emptySpot) {
  const auto inFront = [&] { return GetForegroundWindow() == window; };
  SetForegroundWindow(window);
  if (WaitUntil(inFront, 2000)) return true;
  RECT frame{};
  GetWindowRect(window, &frame);
  ClickAt(frame.left + emptySpot.x, frame.top + emptySpot.y);
  return WaitUntil(inFront, 2000);
}

}  // namespace e2e::input
