// Support for the install tests: an installer started from a current folder
// other than its own, the message boxes it shows, typing a path with real
// keys, and looking at files and folders as the tests see them.
#pragma once
#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/Wait.h"

namespace e2e::install {

// One run of the installer, copied into `programFolder` and started with
// `currentFolder` as its current folder (both created if missing), so that a
// test can tell the installer's own folder from the one it was started in.
// At the end a running installer is asked to close (its message boxes first);
// if it has not exited 5 s later it is terminated and the test fails.
class ElsewhereStartedInstaller {
 public:
  ElsewhereStartedInstaller(const std::string& installerPath, const std::string& programFolder,
                            const std::string& currentFolder);
  ~ElsewhereStartedInstaller();
  ElsewhereStartedInstaller(const ElsewhereStartedInstaller&) = delete;
  ElsewhereStartedInstaller& operator=(const ElsewhereStartedInstaller&) = delete;

  bool Started() const { return process_ != nullptr; }
  const std::string& StartError() const { return startError_; }
  DWORD ProcessId() const { return processId_; }
  bool Running() const;
  // The installer's visible main window, or null after `timeoutMs`.
  HWND WaitForWindow(DWORD timeoutMs = 20000);
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
  std::string startError_;
};

// A message box ("#32770" top-level window) of a process, as read off it.
struct MessageBoxSeen {
  HWND window = nullptr;
  std::string caption;                   // GBK
  std::string text;                      // GBK, the box's static text
  std::vector<std::string> buttonTexts;  // GBK, every button
  HWND okButton = nullptr;               // the button with ID IDOK
  HWND owner = nullptr;
};

// The visible "#32770" window of `processId`, or null.
HWND FindMessageBox(DWORD processId);
// Waits up to `timeoutMs` for a message box of `processId` and reads it.
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// Clicks the box's OK button with the mouse; true once the box is gone.
bool ClickOk(const MessageBoxSeen& box);

// Types ASCII `text` with real key strokes (KEYEVENTF_UNICODE characters)
// into whatever has the keyboard focus.
void TypeText(const std::string& text);
// The centre of `control` in screen coordinates.
POINT CentreOnScreen(HWND control);

// --- files and folders, all paths in the ANSI code page ---
std::optional<std::string> ReadWholeFile(const std::string& name);  // nothing if unreadable
bool WriteWholeFile(const std::string& name, const std::string& content);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);
// The names in `folder` (not "." and ".."), sorted.
std::vector<std::string> Entries(const std::string& folder);
// Deletes `path` (a file, or a folder with all it holds; read-only attributes
// are cleared first). True if nothing of that name is left.
bool RemoveAll(const std::string& path);

// Everything below some folders: full path -> content ("<folder>" for a
// folder). Comparing two shows what a step added, removed or changed.
using Tree = std::map<std::string, std::string>;
void AddTree(const std::string& folder, Tree& tree);
struct TreeChange {
  std::vector<std::string> added, removed, changed;  // full paths
};
TreeChange Compare(const Tree& before, const Tree& after);
// "added: ...; removed: ...; changed: ..." for a test message.
std::string Describe(const TreeChange& change);

}  // namespace e2e::install
