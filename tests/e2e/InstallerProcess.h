// One run of the installer: started in a folder of the test's own, found by
// its window, and never left running after the test.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "tests/e2e/Wait.h"

namespace e2e {

inline constexpr char kInstallerWindowClass[] = "QuorvaneInstaller";

class InstallerProcess {
 public:
  // Copies the installer into `workFolder` (created if missing) unless it
  // already lies there, and starts it with `currentFolder` as its current
  // folder: by default its own, or another one (created if missing) to tell
  // the installer's folder from the one it was started in. Check Started().
  InstallerProcess(const std::string& installerPath, const std::string& workFolder,
                   const std::string& currentFolder = {});
  // If the installer still runs, terminates it and fails the test.
  ~InstallerProcess();
  InstallerProcess(const InstallerProcess&) = delete;
  InstallerProcess& operator=(const InstallerProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  // Why starting failed, for the test's message.
  const std::string& StartError() const { return startError_; }
  DWORD ProcessId() const { return processId_; }

  // The visible top-level window of class "QuorvaneInstaller" that belongs to
  // this process, or null once `timeoutMs` has passed (or the process ended).
  HWND WaitForWindow(DWORD timeoutMs = 20000);
  // The exit code, or nothing if the installer still runs after `timeoutMs`.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  bool Running() const;

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  std::string startError_;
};

// The visible top-level window of `windowClass` owned by process `processId`.
HWND FindTopLevelWindow(DWORD processId, const char* windowClass);
// The visible message box ("#32770" window) of process `processId`, or null.
HWND FindMessageBox(DWORD processId);

}  // namespace e2e
