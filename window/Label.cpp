// Label: a caption on one line, centred, over its background colour.
#include "window/ControlWindow.h"

namespace window::Label {
namespace {

LRESULT Procedure(ControlWindow& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // painted whole in WM_PAINT
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(control.hwnd, &paint);
      PaintCaption(control, dc, control.definition->text);
      EndPaint(control.hwnd, &paint);
      return 0;
    }
    default:
      return DefWindowProcA(control.hwnd, message, wParam, lParam);
  }
}

}  // namespace

const ControlKindTraits kTraits{"QuorvaneLabel", 0, Procedure};

}  // namespace window::Label
