// EditBox: the system edit control, one line, scrolling sideways, with the
// plain one-pixel border.
#include "window/ControlWindow.h"

namespace window::EditBox {

const ControlKindTraits kTraits{"EDIT", WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, nullptr};

}  // namespace window::EditBox
