#include "tests/e2e/Controls.h"

#include "tests/e2e/Input.h"
#include "tests/e2e/Wait.h"

namespace e2e::controls {

namespace {
// How long a control may take to answer a message before the harness stops
// waiting (a hung installer must fail a test, not stall it).
constexpr UINT kAnswerMs = 2000;

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
  // GetWindowTextA does not ask a window of another process: it returns the
  // caption Windows keeps, which an edit box leaves empty. So ask the
  // control itself, as GetWindowTextA would in the installer's own process.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_ABORTIFHUNG, kAnswerMs, &copied);
  text.resize(copied);
  return text;
}

std::string ClassName(HWND control) {
  char name[256] = {};
  const int length = GetClassNameA(control, name, sizeof name);
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

bool Visible(HWND control) { return IsWindowVisible(control) != FALSE; }

bool Checked(HWND control) {
  DWORD_PTR state = BST_UNCHECKED;
  SendMessageTimeoutA(control, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &state);
  return state == BST_CHECKED;
}

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

POINT CentreOnScreen(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

bool Click(HWND window, int id) {
  HWND control = Find(window, id);
  if (control == nullptr || !Visible(control)) return false;
  const POINT centre = CentreOnScreen(control);
  return input::ClickAt(centre.x, centre.y);
}

bool TypeInto(HWND window, int id, const std::string& text) {
  HWND edit = Find(window, id);
  // Keys go to the focus of the foreground window: the edit box may be its
  // own window's focus while another window is in front and takes the keys.
  const auto takesKeys = [&] { return GetForegroundWindow() == window && Focus(window) == edit; };
  bool focused = false;
  for (int attempt = 0; attempt < 3 && !focused; ++attempt) {
    if (attempt > 0) SetForegroundWindow(window);
    if (!Click(window, id)) return false;
    focused = WaitUntil(takesKeys, 2000);
  }
  if (!focused) return false;
  bool emptied = false;
  for (int attempt = 0; attempt < 3 && !emptied; ++attempt) {
    input::Tap(VK_HOME);
    input::Chord({VK_SHIFT, VK_END});
    input::Tap(VK_DELETE);
    emptied = WaitUntil([&] { return Text(edit).empty(); }, 1000);
  }
  if (!emptied) return false;
  input::TypeText(text);
  return WaitUntil([&] { return Text(edit) == text; }, 2000);
}

bool InstallAndShowCompletionPanel(HWND window, DWORD timeoutMs) {
  return Click(window, k安装) && WaitForCompletionPanel(window, timeoutMs);
}

bool WaitForCompletionPanel(HWND window, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        HWND installPanel = Find(window, k外形框1);
        HWND completionPanel = Find(window, k外形框2);
        return installPanel != nullptr && completionPanel != nullptr && !Visible(installPanel) &&
               Visible(completionPanel);
      },
      timeoutMs);
}

}  // namespace e2e::controls
