#include "window/ControlWindow.h"

namespace window {

const ControlKindTraits& TraitsOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::ShapeBox: return ShapeBox::kTraits;
    case ControlKind::EditBox: return EditBox::kTraits;
    case ControlKind::Button: return Button::kTraits;
    case ControlKind::Label: return Label::kTraits;
    case ControlKind::CheckBox: return CheckBox::kTraits;
    case ControlKind::HyperLinker: return HyperLinker::kTraits;
  }
  return ShapeBox::kTraits;
}

COLORREF ToColorRef(Colour colour) {
  if (colour == kButtonFace) return GetSysColor(COLOR_BTNFACE);
  return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

HBRUSH BrushFor(ControlWindow& control, Colour colour) {
  if (colour == kButtonFace) return GetSysColorBrush(COLOR_BTNFACE);
  if (control.background.get() == nullptr)
    control.background = platform::GdiObject<HBRUSH>(CreateSolidBrush(ToColorRef(colour)));
  return control.background.get();
}

void PaintCaption(ControlWindow& control, HDC dc, Colour text) {
  RECT client;
  GetClientRect(control.hwnd, &client);
  FillRect(dc, &client, BrushFor(control, control.definition->background));
  HFONT font = control.font.get() != nullptr ? control.font.get()
                                             : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  platform::Selection selected(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(text));
  DrawTextA(dc, control.definition->caption, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

}  // namespace window
