// The installer's controls, found by control ID among all of the window's
// descendants (controls sit inside shape boxes), and their state.
#pragma once
#include <windows.h>

#include <string>

namespace e2e::controls {

// The descendant of `window` whose control ID is `id`, or null.
HWND Find(HWND window, int id);

// The control's text in the ANSI code page (GBK), comparable with this
// harness's literals (WM_GETTEXT: GetWindowTextA would not ask the control).
std::string Text(HWND control);
std::string ClassName(HWND control);
bool Visible(HWND control);
// BM_GETCHECK == BST_CHECKED.
bool Checked(HWND control);
// The keyboard focus of `window`'s thread (null for none).
HWND Focus(HWND window);
// The control's rectangle relative to the top-level `window`'s top left.
RECT RectInWindow(HWND window, HWND control);

}  // namespace e2e::controls
