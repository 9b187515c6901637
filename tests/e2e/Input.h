// Real input, as a user gives it: SendInput key strokes and mouse events,
// with a short pause after each so that Wine delivers them in order.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <string>

#include "tests/e2e/Wait.h"

namespace e2e::input {

inline constexpr DWORD kEventPauseMs = 40;

void KeyDown(WORD virtualKey);
void KeyUp(WORD virtualKey);
// Presses and releases one key.
void Tap(WORD virtualKey);
// Presses the keys in order and releases them in reverse: {VK_MENU, VK_F4}.
void Chord(std::initializer_list<WORD> virtualKeys);

void Escape();
void Enter();
void Space();
void Tab();
void ShiftTab();
void AltF4();
// Types ASCII `text` into whatever has the keyboard focus: one
// KEYEVENTF_UNICODE press and release per character, as an input method would.
void TypeText(const std::string& text);

// Moves the pointer to screen pixel (x, y); false if it did not get there.
bool MoveTo(int x, int y);
void LeftDown();
void LeftUp();
// Moves to (x, y), presses and releases the left button there.
bool ClickAt(int x, int y);

// Makes `window` the foreground window, the one that receives the keys:
// SetForegroundWindow, and if Wine does not follow, a real click on
// `emptySpot` (window-relative, a place where a click does nothing).
// False if the window is still not in the foreground.
bool BringToForeground(HWND window, POINT emptySpot);

}  // namespace e2e::input
