// The installer's run from start to end: COM and the current folder, the
// window built from its definition, the message loop, and the end.
#pragma once
#include <windows.h>

namespace app {

// Returns the exit code: the code carried by WM_QUIT.
int RunInstaller(HINSTANCE instance);

}  // namespace app
