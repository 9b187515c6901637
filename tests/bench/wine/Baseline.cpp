// BenchBaseline.exe: a plain popup window, centred, filled with one colour in
// WM_PAINT; WM_CLOSE or Esc closes it. What any Win32 program pays to put a
// window on the screen, for QuorvaneBench.exe to hold the installer against.
#include <windows.h>

#include "tests/bench/wine/Baseline.h"

namespace {

using namespace bench::baseline;

std::uint32_t fill = kFill;

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBRUSH brush = CreateSolidBrush(RGB((fill >> 16) & 0xFF, (fill >> 8) & 0xFF, fill & 0xFF));
      FillRect(dc, &paint.rcPaint, brush);
      DeleteObject(brush);
      EndPaint(window, &paint);
      return 0;
    }
    case WM_LBUTTONUP:
      fill = kClickedFill;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.lpszClassName = kWindowClass;
  if (RegisterClassExA(&windowClass) == 0) return 1;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kHeight) / 2;
  if (CreateWindowExA(0, kWindowClass, "", WS_POPUP | WS_VISIBLE, x, y, kWidth, kHeight, nullptr,
                      nullptr, instance, nullptr) == nullptr)
    return 1;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
