// HyperLinker: a caption that turns to its hover colour while the pointer is
// over it. It holds the mouse capture while the pointer is over it, so that
// a button released over it reaches it wherever the press was made, and
// gives the capture up as soon as the pointer leaves its rectangle.
#include "window/ControlWindow.h"

namespace window::HyperLinker {
namespace {

void SetHover(ControlWindow& control, bool hover) {
  if (control.hover == hover) return;
  control.hover = hover;
  InvalidateRect(control.hwnd, nullptr, FALSE);
}

void SetPointer(const ControlWindow& control) {
  SetCursor(LoadCursorA(nullptr, control.definition->pointer == Pointer::Hand
                                     ? reinterpret_cast<LPCSTR>(IDC_HAND)
                                     : reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void TrackPointer(ControlWindow& control, LPARAM lParam) {
  RECT client;
  GetClientRect(control.hwnd, &client);
  const POINT pointer{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (PtInRect(&client, pointer)) {
    if (GetCapture() != control.hwnd) SetCapture(control.hwnd);
    SetHover(control, true);
    SetPointer(control);
  } else if (GetCapture() == control.hwnd) {
    ReleaseCapture();  // WM_CAPTURECHANGED turns the hover off
  }
}

LRESULT Procedure(ControlWindow& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(control.hwnd, &paint);
      PaintCaption(control, dc, control.hover ? control.definition->hover : control.definition->text);
      EndPaint(control.hwnd, &paint);
      return 0;
    }
    case WM_MOUSEMOVE:
      TrackPointer(control, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      SetHover(control, false);
      return 0;
    case WM_SETCURSOR:
      SetPointer(control);
      return TRUE;
    default:
      return DefWindowProcA(control.hwnd, message, wParam, lParam);
  }
}

}  // namespace

const ControlKindTraits kTraits{"QuorvaneHyperLinker", 0, Procedure};

}  // namespace window::HyperLinker
