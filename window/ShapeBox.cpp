// ShapeBox: a rectangle in the button-face colour with a one-pixel outline on
// its outermost rows and columns. It holds other controls, so it receives
// their notifications and colour requests and hands them on.
#include "window/ControlWindow.h"
#include "window/InstallerWindow.h"

namespace window::ShapeBox {
namespace {

void Paint(ControlWindow& control) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(control.hwnd, &paint);
  RECT box;
  GetClientRect(control.hwnd, &box);
  FillRect(dc, &box, BrushFor(control, control.definition->background));
  platform::GdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, ToColorRef(control.definition->outline)));
  platform::Selection selectedPen(dc, pen.get());
  platform::Selection selectedBrush(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, box.left, box.top, box.right, box.bottom);
  EndPaint(control.hwnd, &paint);
}

LRESULT Procedure(ControlWindow& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      Paint(control);
      return 0;
    case WM_COMMAND:
      // A child's notification goes back to that child (a button's click).
      control.owner->RouteNotification(reinterpret_cast<HWND>(lParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<LRESULT>(
          control.owner->ChildColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)));
    default:
      return DefWindowProcA(control.hwnd, message, wParam, lParam);
  }
}

}  // namespace

const ControlKindTraits kTraits{"QuorvaneShapeBox", WS_CLIPCHILDREN, Procedure};

}  // namespace window::ShapeBox
