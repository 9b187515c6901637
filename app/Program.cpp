#include "app/Program.h"

#include "app/Com.h"
#include "app/EventGate.h"
#include "app/FatalError.h"
#include "app/Handlers.h"
#include "platform/Win32Operations.h"
#include "window/InstallerWindow.h"

namespace app {
namespace {

// Before anything can load a DLL on demand: look for DLLs in the system
// folder only. An installer is run from folders that anyone can drop files
// into (Downloads), and a DLL planted beside it must never be loaded.
void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryA("");  // and never the current folder, where the call above is missing
}

// Makes the executable's folder the current one, so that a relative path
// typed by the user refers to it.
void EnterOwnFolder() {
  char path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  char* lastBackslash = nullptr;
  for (char* p = path; *p != '\0'; p = CharNextA(p))  // never inside a double-byte character
    if (*p == '\\') lastBackslash = p;
  if (lastBackslash == nullptr) return;
  *lastBackslash = '\0';
  SetCurrentDirectoryA(path);
}

// Routes the window's bound events to their handlers, through the gate.
class Events final : public window::EventSink {
 public:
  void Attach(window::InstallerWindow& window) { window_ = &window; }

  void Raise(window::Binding binding, int x, int y, int keyState) override {
    if (!EventGate::IsOpen() || window_ == nullptr) return;
    HandlerContext context{*window_, system_};
    switch (binding) {
      case window::Binding::None: break;
      case window::Binding::InstallClicked: OnInstallClicked(context); break;
      case window::Binding::FinishClicked: OnFinishClicked(context); break;
      case window::Binding::ExitLinkReleased: OnExitLinkReleased(context, x, y, keyState); break;
    }
  }

  void RaiseCreated() {
    if (!EventGate::IsOpen() || window_ == nullptr) return;
    HandlerContext context{*window_, system_};
    OnWindowCreated(context);
  }

 private:
  window::InstallerWindow* window_ = nullptr;
  platform::Win32Operations system_;
};

int RunMessageLoop(window::InstallerWindow& window) {
  MSG message{};
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) return 0;
    if (window.PreTranslate(message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

}  // namespace

int RunInstaller(HINSTANCE instance) {
  RestrictDllSearch();
  // A path on a drive without media must give the installer's own message,
  // not a system box that blocks it.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  StartCom();
  EnterOwnFolder();

  const window::WindowDefinition& definition = window::InstallerWindowDefinition();
  if (!window::CheckDefinition(definition)) ReportFatalError("载入窗口模板数据段出错!", 0);

  Events events;
  window::InstallerWindow window(instance, events);
  EventGate::Raise();
  const bool built = window.Build(definition);
  EventGate::Lower();
  if (!built) ReportFatalError("载入启动窗口失败", 0);
  events.Attach(window);
  events.RaiseCreated();
  window.Show();

  int exitCode = 0;
  if (window.Exists()) {
    window.SetLoopRunning();
    exitCode = RunMessageLoop(window);
  }
  EventGate::RaiseForGood();
  EndCom();
  return exitCode;
}

}  // namespace app
