#include "window/InstallerWindow.h"

#include "app/Texts.h"

namespace window {
namespace {

constexpr ControlKind kOwnKinds[] = {ControlKind::ShapeBox, ControlKind::Label, ControlKind::HyperLinker};

bool Register(const WNDCLASSEXA& windowClass) {
  return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HICON LoadProgramIcon(HINSTANCE instance, int size) {
  return static_cast<HICON>(LoadImageA(instance, "DEFAULT_ICON", IMAGE_ICON, size, size, LR_SHARED));
}

HFONT CreateControlFont(const Font& font) {
  if (font.face == nullptr) return nullptr;
  return CreateFontA(-font.height, 0, 0, 0, font.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, font.face);
}

int KeyState() {
  return (GetKeyState(VK_CONTROL) < 0 ? 1 : 0) + (GetKeyState(VK_SHIFT) < 0 ? 2 : 0) +
         (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// True when a visible sibling stacked above `hwnd` covers it wholly.
bool CoveredBySibling(HWND hwnd) {
  RECT own;
  GetWindowRect(hwnd, &own);
  for (HWND above = GetWindow(hwnd, GW_HWNDPREV); above != nullptr; above = GetWindow(above, GW_HWNDPREV)) {
    if (!IsWindowVisible(above)) continue;
    RECT theirs, common;
    GetWindowRect(above, &theirs);
    if (IntersectRect(&common, &own, &theirs) && EqualRect(&common, &own)) return true;
  }
  return false;
}

}  // namespace

InstallerWindow::InstallerWindow(HINSTANCE instance, EventSink& events)
    : instance_(instance), events_(events) {}

InstallerWindow::~InstallerWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool InstallerWindow::RegisterClasses() {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadProgramIcon(instance_, 32);
  windowClass.hIconSm = LoadProgramIcon(instance_, 16);
  windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  windowClass.hbrBackground = nullptr;  // the picture is the background
  windowClass.lpszClassName = kClassName;
  if (!Register(windowClass)) return false;
  for (ControlKind kind : kOwnKinds) {
    WNDCLASSEXA controlClass{};
    controlClass.cbSize = sizeof controlClass;
    controlClass.lpfnWndProc = ControlProcedure;
    controlClass.hInstance = instance_;
    controlClass.hCursor = windowClass.hCursor;
    controlClass.lpszClassName = TraitsOf(kind).className;
    if (!Register(controlClass)) return false;
  }
  return true;
}

bool InstallerWindow::Build(const WindowDefinition& definition) {
  definition_ = &definition;
  if (!RegisterClasses()) return false;
  const WindowSettings& settings = definition.window;
  const Point origin = CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                       settings.width, settings.height);
  if (CreateWindowExA(0, kClassName, settings.title, WS_POPUP | WS_CLIPCHILDREN, origin.x, origin.y,
                      settings.width, settings.height, nullptr, nullptr, instance_, this) == nullptr)
    return false;
  // From the last control to the first, so that every shape box exists
  // before the controls that it holds.
  for (int index = kControlCount - 1; index >= 0; --index)
    if (!CreateControl(index)) return false;
  StackControls();
  for (ControlWindow& control : controls_)
    if (control.visible) ShowWindow(control.hwnd, SW_SHOWNA);
  keyboardOrder_ = KeyboardOrder(definition);
  return true;
}

bool InstallerWindow::CreateControl(int index) {
  ControlWindow& control = controls_[index];
  const ControlDefinition& definition = definition_->controls[index];
  control.definition = &definition;
  control.owner = this;
  const ControlKindTraits& traits = TraitsOf(definition.kind);
  const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | traits.style | (definition.tabStop ? WS_TABSTOP : 0);
  HWND parent = definition.parent == kInWindow ? hwnd_ : controls_[definition.parent].hwnd;
  const auto id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + index));
  control.hwnd = CreateWindowExA(0, traits.className, definition.caption == nullptr ? "" : definition.caption,
                                 style, definition.left, definition.top, definition.width,
                                 definition.height, parent, id, instance_, &control);
  if (control.hwnd == nullptr) return false;
  control.font = platform::GdiObject<HFONT>(CreateControlFont(definition.font));
  if (traits.procedure == nullptr) {
    HGDIOBJ font = control.font.get() != nullptr ? control.font.get() : GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(control.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (definition.kind == ControlKind::CheckBox)
    SendMessageA(control.hwnd, BM_SETCHECK, definition.checked ? BST_CHECKED : BST_UNCHECKED, 0);
  if (definition.kind == ControlKind::EditBox) SendMessageA(control.hwnd, EM_SETSEL, 0, 0);
  return true;
}

void InstallerWindow::StackControls() {
  // Each control goes directly beneath its nearest earlier sibling in the
  // definition; one without such a sibling goes to the top.
  for (int index = 0; index < kControlCount; ++index) {
    HWND above = HWND_TOP;
    for (int earlier = index - 1; earlier >= 0; --earlier) {
      if (definition_->controls[earlier].parent == definition_->controls[index].parent) {
        above = controls_[earlier].hwnd;
        break;
      }
    }
    SetWindowPos(controls_[index].hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void InstallerWindow::Show() { ShowWindow(hwnd_, SW_SHOW); }

ControlWindow* InstallerWindow::Find(HWND hwnd) {
  for (ControlWindow& control : controls_)
    if (control.hwnd == hwnd && hwnd != nullptr) return &control;
  return nullptr;
}

bool InstallerWindow::PreTranslate(const MSG& message) {
  if (hwnd_ == nullptr || (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) return false;
  if (message.message == WM_KEYDOWN) {
    switch (message.wParam) {
      case VK_ESCAPE:
        if (!definition_->window.escCloses) return false;
        SendMessageA(hwnd_, WM_CLOSE, 0, 0);  // as a close request from the system
        return true;
      case VK_TAB:
        MoveFocus(GetKeyState(VK_SHIFT) < 0);
        return true;
      case VK_RETURN:
        return true;  // no default button, no focus move
      default:
        return false;
    }
  }
  if (message.message == WM_LBUTTONUP) {
    // Raised before the release is dispatched; the pointer and keys as now.
    ControlWindow* control = Find(message.hwnd);
    if (control != nullptr && control->definition->kind == ControlKind::HyperLinker &&
        control->definition->binding != Binding::None)
      events_.Raise(control->definition->binding, LOWORD(message.lParam), HIWORD(message.lParam),
                    KeyState());
  }
  return false;
}

void InstallerWindow::RouteNotification(HWND child, UINT code) {
  ControlWindow* control = Find(child);
  if (control != nullptr && control->definition->kind == ControlKind::Button && code == BN_CLICKED &&
      control->definition->binding != Binding::None)
    events_.Raise(control->definition->binding, 0, 0, 0);
}

HBRUSH InstallerWindow::ChildColours(HWND child, HDC dc) {
  ControlWindow* control = Find(child);
  if (control == nullptr) return GetSysColorBrush(COLOR_BTNFACE);
  SetTextColor(dc, ToColorRef(control->definition->text));
  SetBkColor(dc, ToColorRef(control->definition->background));
  return BrushFor(*control, control->definition->background);
}

char* InstallerWindow::ReadContent(Control editBox) {
  HWND hwnd = controls_[IndexOf(editBox)].hwnd;
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return nullptr;
  char* text = app::AllocText(static_cast<std::size_t>(length) + 1);
  const int copied = GetWindowTextA(hwnd, text, length + 1);
  text[copied < 0 ? 0 : copied] = '\0';
  return text;
}

int InstallerWindow::ReadChecked(Control checkBox) {
  return SendMessageA(controls_[IndexOf(checkBox)].hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void InstallerWindow::SetVisible(Control name, bool visible) {
  ControlWindow& control = controls_[IndexOf(name)];
  control.visible = visible;
  if (control.hwnd == nullptr) return;
  ShowWindow(control.hwnd, visible ? SW_SHOWNA : SW_HIDE);
  // The focus may have gone with the hidden panel: give it to the first
  // control that can be seen, so the keyboard keeps working.
  HWND focus = GetFocus();
  if (GetActiveWindow() == hwnd_ && (focus == nullptr || focus == hwnd_ || !CanTakeFocus(focus))) FocusFirst();
}

void InstallerWindow::ScheduleClose() {
  closeMark_ = true;
  PostMessageA(hwnd_, kCloseMessage, 0, 0);
}

bool InstallerWindow::CanTakeFocus(HWND control) const {
  if (!IsWindowVisible(control) || !IsWindowEnabled(control)) return false;
  // A control that cannot be seen takes no focus: neither it nor any of its
  // containers may lie wholly under a visible sibling.
  for (HWND hwnd = control; hwnd != nullptr && hwnd != hwnd_; hwnd = GetParent(hwnd))
    if (CoveredBySibling(hwnd)) return false;
  return true;
}

void InstallerWindow::MoveFocus(bool backwards) {
  const int count = static_cast<int>(keyboardOrder_.size());
  if (count == 0) return;
  HWND focus = GetFocus();
  int current = backwards ? 0 : -1;
  for (int i = 0; i < count; ++i)
    if (controls_[keyboardOrder_[i]].hwnd == focus) current = i;
  for (int step = 1; step <= count; ++step) {
    const int next = ((current + (backwards ? -step : step)) % count + count) % count;
    HWND candidate = controls_[keyboardOrder_[next]].hwnd;
    if (CanTakeFocus(candidate)) {
      SetFocus(candidate);
      return;
    }
  }
}

void InstallerWindow::FocusFirst() {
  for (int index : keyboardOrder_) {
    if (CanTakeFocus(controls_[index].hwnd)) {
      SetFocus(controls_[index].hwnd);
      return;
    }
  }
}

void InstallerWindow::RestoreFocus() {
  if (lastFocus_ != nullptr && IsWindow(lastFocus_) && CanTakeFocus(lastFocus_))
    SetFocus(lastFocus_);
  else
    FocusFirst();
}

void InstallerWindow::PaintBackground() {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  if (!pictureTried_) {
    pictureTried_ = true;
    const EmbeddedBytes banner = BannerBytes();
    DecodePicture(banner.bytes, banner.size, picture_);
  }
  RECT client;
  GetClientRect(hwnd_, &client);
  if (picture_.width > 0 && picture_.height > 0) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture_.width;
    info.bmiHeader.biHeight = -picture_.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    for (int y = 0; y < client.bottom; y += picture_.height)
      for (int x = 0; x < client.right; x += picture_.width)
        SetDIBitsToDevice(dc, x, y, static_cast<DWORD>(picture_.width), static_cast<DWORD>(picture_.height),
                          0, 0, 0, static_cast<UINT>(picture_.height), picture_.pixels.data(), &info,
                          DIB_RGB_COLORS);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(hwnd_, &paint);
}

LRESULT InstallerWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the picture covers the whole client area in WM_PAINT
    case WM_PAINT:
      PaintBackground();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
      } else {
        RestoreFocus();
      }
      return 0;
    case WM_SETFOCUS:
      RestoreFocus();
      return 0;
    case kCloseMessage:
      if (closeMark_) {
        closeMark_ = false;
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      for (ControlWindow& control : controls_) {
        control.font = platform::GdiObject<HFONT>();
        control.background = platform::GdiObject<HBRUSH>();
        control.hwnd = nullptr;
      }
      if (loopRunning_) PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd_, message, wParam, lParam);
  }
}

// The object a window was created for, taken from WM_NCCREATE's creation
// parameter and kept in the window's user data; null before that, and for
// a window that is no longer the object's own.
template <typename Owner, HWND Owner::*handle>
Owner* InstallerWindow::OwnerOf(HWND hwnd, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* owner = static_cast<Owner*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    owner->*handle = hwnd;
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  return owner != nullptr && owner->*handle == hwnd ? owner : nullptr;
}

LRESULT CALLBACK InstallerWindow::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  InstallerWindow* self = OwnerOf<InstallerWindow, &InstallerWindow::hwnd_>(hwnd, message, lParam);
  return self == nullptr ? DefWindowProcA(hwnd, message, wParam, lParam) : self->Handle(message, wParam, lParam);
}

LRESULT CALLBACK InstallerWindow::ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ControlWindow* control = OwnerOf<ControlWindow, &ControlWindow::hwnd>(hwnd, message, lParam);
  if (control == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return TraitsOf(control->definition->kind).procedure(*control, message, wParam, lParam);
}

}  // namespace window
