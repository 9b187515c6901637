// The installer's controls, found by control ID among all of the window's
// descendants (controls sit inside shape boxes), and their state.
#pragma once
#include <windows.h>

#include <string>

#include "window/Control.h"

namespace e2e {

// The installer numbers its controls 101, 102, ... in the order of its
// window definition; the names are the definition's own.
constexpr int IdOf(window::Control control) { return 101 + window::IndexOf(control); }
inline constexpr int k查看视频教程 = IdOf(window::Control::查看视频教程);
inline constexpr int k外形框5 = IdOf(window::Control::外形框5);
inline constexpr int k外形框4 = IdOf(window::Control::外形框4);
inline constexpr int k外形框3 = IdOf(window::Control::外形框3);
inline constexpr int k超级链接框1 = IdOf(window::Control::超级链接框1);
inline constexpr int k标签2 = IdOf(window::Control::标签2);
inline constexpr int k创建快捷方式 = IdOf(window::Control::创建快捷方式);
inline constexpr int k运行 = IdOf(window::Control::运行);
inline constexpr int k完成 = IdOf(window::Control::完成);
inline constexpr int k路径 = IdOf(window::Control::路径);
inline constexpr int k安装 = IdOf(window::Control::安装);
inline constexpr int k外形框1 = IdOf(window::Control::外形框1);
inline constexpr int k外形框2 = IdOf(window::Control::外形框2);

}  // namespace e2e

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
// The centre of `control` in screen coordinates.
POINT CentreOnScreen(HWND control);

// A real click at the centre of control `id` of `window`; false if there is
// no such visible control or the pointer did not get there.
bool Click(HWND window, int id);
// Replaces the text of edit box `id` with real keys: a click into it (again,
// with the window brought to the front, until the window is in front and the
// box has the focus), Home, Shift+End, Delete (repeated until the box is empty: under load the click
// may arrive after the keys), then `text` typed. True once the box shows
// exactly `text`.
bool TypeInto(HWND window, int id, const std::string& text);
// Waits until the install panel is hidden and the completion panel shown;
// false if that does not happen in `timeoutMs`.
bool WaitForCompletionPanel(HWND window, DWORD timeoutMs);
// A real click on 安装, then WaitForCompletionPanel.
bool InstallAndShowCompletionPanel(HWND window, DWORD timeoutMs = 20000);

}  // namespace e2e::controls
