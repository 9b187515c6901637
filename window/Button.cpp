// Button: the system push button, caption centred both ways and allowed to
// break onto several lines; never the default button.
#include "window/ControlWindow.h"

namespace window::Button {

const ControlKindTraits kTraits{"BUTTON", BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE,
                                nullptr};

}  // namespace window::Button
