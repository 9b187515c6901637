// One built control of the installer window: its definition, its Win32
// window and what it owns. The kinds (ShapeBox.cpp, Label.cpp, ...) say how
// a control of their kind is created and, for the kinds that paint
// themselves, how it paints and reacts.
#pragma once
#include <windows.h>

#include "platform/Handles.h"
#include "window/WindowDefinition.h"

namespace window {

class InstallerWindow;

struct ControlWindow {
  const ControlDefinition* definition = nullptr;
  InstallerWindow* owner = nullptr;
  HWND hwnd = nullptr;
  bool visible = true;  // the control's visible setting
  bool hover = false;   // the pointer is over the link
  platform::GdiObject<HFONT> font;
  platform::GdiObject<HBRUSH> background;  // only for colours that are not system ones
};

// How a control kind becomes a window.
struct ControlKindTraits {
  const char* className;  // a system class, or one of the program's own
  DWORD style;            // besides WS_CHILD, WS_CLIPSIBLINGS and WS_TABSTOP
  // For the program's own classes: the kind's message handling.
  LRESULT (*procedure)(ControlWindow& control, UINT message, WPARAM wParam, LPARAM lParam);
};

const ControlKindTraits& TraitsOf(ControlKind kind);

namespace ShapeBox {
extern const ControlKindTraits kTraits;
}
namespace Label {
extern const ControlKindTraits kTraits;
}
namespace HyperLinker {
extern const ControlKindTraits kTraits;
}
namespace EditBox {
extern const ControlKindTraits kTraits;
}
namespace Button {
extern const ControlKindTraits kTraits;
}
namespace CheckBox {
extern const ControlKindTraits kTraits;
}

// Shared painting helpers.
COLORREF ToColorRef(Colour colour);
HBRUSH BrushFor(ControlWindow& control, Colour colour);
// Fills the control and draws its caption on one line, centred both ways.
void PaintCaption(ControlWindow& control, HDC dc, Colour text);

}  // namespace window
