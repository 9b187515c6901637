// CheckBox: the system check box that turns itself on and off, box on the
// left, caption left-aligned and vertically centred.
#include "window/ControlWindow.h"

namespace window::CheckBox {

const ControlKindTraits kTraits{"BUTTON", BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE,
                                nullptr};

}  // namespace window::CheckBox
