#include "tests/e2e/Controls.h"

namespace e2e::controls {

namespace {
struct IdSearch {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND control, LPARAM parameter) {
  auto& search = *reinterpret_cast<IdSearch*>(parameter);
  if (GetDlgCtrlID(control) == search.id) {
    search.found = control;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND Find(HWND window, int id) {
  IdSearch search{id, nullptr};
  EnumChildWindows(window, MatchId, reinterpret_cast<LPARAM>(&search));  // all descendants
  return search.found;
}

std::string Text(HWND control) {
  const int length = GetWindowTextLengthA(control);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

std::string ClassName(HWND control) {
  char name[256] = {};
  const int length = GetClassNameA(control, name, sizeof name);
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool Visible(HWND control) { return IsWindowVisible(control) != FALSE; }

bool Checked(HWND control) { return SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED; }

HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

RECT RectInWindow(HWND window, HWND control) {
  RECT frame{}, rect{};
  GetWindowRect(window, &frame);
  GetWindowRect(control, &rect);
  OffsetRect(&rect, -frame.left, -frame.top);
  return rect;
}

}  // namespace e2e::controls
