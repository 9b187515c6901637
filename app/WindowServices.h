// What the handlers may ask of the installer window. The Win32 window provides
// these; the host tests provide a fake.
#pragma once
#include "window/Control.h"

namespace app {

class WindowServices {
 public:
  // The edit box's content as a new text (release with FreeText), or the
  // missing text when the box is empty.
  virtual char* ReadContent(window::Control editBox) = 0;
  // 1 when the check box is checked, else 0.
  virtual int ReadChecked(window::Control checkBox) = 0;
  // Hides the control and, with it, its children.
  virtual void SetVisible(window::Control control, bool visible) = 0;
  // Closes the window once the running handler has returned.
  virtual void ScheduleClose() = 0;

 protected:
  ~WindowServices() = default;
};

}  // namespace app
