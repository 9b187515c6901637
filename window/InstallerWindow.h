// The installer's one window, built from the window definition: creation,
// stacking, painting of the background, the keyboard rules, the services
// that the handlers use, and the close on request.
#pragma once
#include <windows.h>

#include <array>

#include "app/WindowServices.h"
#include "window/Banner.h"
#include "window/ControlWindow.h"
#include "window/WindowDefinition.h"

namespace window {

// Where the window's bound events go (the program's event routing).
class EventSink {
 public:
  virtual void Raise(Binding binding, int x, int y, int keyState) = 0;

 protected:
  ~EventSink() = default;
};

class InstallerWindow final : public app::WindowServices {
 public:
  static constexpr char kClassName[] = "QuorvaneInstaller";
  static constexpr UINT kCloseMessage = 0x8065;
  static constexpr int kFirstControlId = 101;  // then in definition order

  InstallerWindow(HINSTANCE instance, EventSink& events);
  InstallerWindow(const InstallerWindow&) = delete;
  InstallerWindow& operator=(const InstallerWindow&) = delete;
  ~InstallerWindow();

  // Creates the window and its controls, stacked and shown, the window
  // itself still hidden. False when the window cannot be created.
  bool Build(const WindowDefinition& definition);
  void Show();
  bool Exists() const { return hwnd_ != nullptr; }
  // Once set, the destruction of the window ends the message loop.
  void SetLoopRunning() { loopRunning_ = true; }

  // The message loop's pre-translation: true when the window claims the
  // message (its keys); raises the release event on the exit link.
  bool PreTranslate(const MSG& message);

  // Called by the shape boxes for their children.
  void RouteNotification(HWND child, UINT code);
  HBRUSH ChildColours(HWND child, HDC dc);

  // app::WindowServices
  char* ReadContent(Control editBox) override;
  int ReadChecked(Control checkBox) override;
  void SetVisible(Control control, bool visible) override;
  void ScheduleClose() override;

 private:
  static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  template <typename Owner, HWND Owner::*handle>
  static Owner* OwnerOf(HWND hwnd, UINT message, LPARAM lParam);
  bool RegisterClasses();
  bool CreateControl(int index);
  void StackControls();
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void PaintBackground();
  ControlWindow* Find(HWND hwnd);

  // Keyboard.
  bool CanTakeFocus(HWND control) const;
  void MoveFocus(bool backwards);
  void FocusFirst();
  void RestoreFocus();

  HINSTANCE instance_;
  EventSink& events_;
  const WindowDefinition* definition_ = nullptr;
  HWND hwnd_ = nullptr;
  std::array<ControlWindow, kControlCount> controls_;
  ControlList keyboardOrder_;
  HWND lastFocus_ = nullptr;
  bool closeMark_ = false;
  bool loopRunning_ = false;
  bool pictureTried_ = false;
  Picture picture_;
};

}  // namespace window
