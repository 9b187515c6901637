// Support for the tests of the completion panel (FinishTest.cpp): the
// shell link that pressing Finish leaves behind, a recorder that the
// shell runs to "open" a document, and the stand-in program it started.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e::finish {

// The window class of the stand-in product program (payload/standin).
inline constexpr char kStandInWindowClass[] = "VelkTestWindow";

// The lines of `text` split at "\r\n" (a final line end ends the last line).
std::vector<std::string> Lines(const std::string& text);

// --- shell -----------------------------------------------------------------

// The user's desktop folder (CSIDL_DESKTOPDIRECTORY, the folder the
// installer puts the shortcut in), or empty.
std::string DesktopFolder();

// What a shell link file holds, read back through IShellLinkA/IPersistFile.
struct ShellLink {
  std::string error;  // empty when the link was loaded and read
  std::string path;
  std::string arguments;
  std::string workingDirectory;
  std::string description;
  // GetShowCmd after Load. Wine (like the file format's rule) turns any
  // value other than 1, 3 and 7 into SW_SHOWNORMAL on loading.
  int loadedShowCommand = -1;
  // The ShowCommand field of the file's header as written (offset 0x3C).
  int headerShowCommand = -1;
  WORD hotkey = 0;
  std::string iconLocation;
};
// The calling thread must have initialised COM.
ShellLink ReadShellLink(const std::string& linkFile);

// Registers in HKCU\Software\Classes an "open" command for files ending in
// `extension` (".avi") that writes the opened file's name (%1) as one line
// to `recordFile`. Wine 8 does not merge HKCU\Software\Classes into
// HKEY_CLASSES_ROOT (the shell finds nothing there), so where the merged
// view does not show the registration it goes into HKLM\Software\Classes
// too. Restores what was there before on destruction.
class OpenRecorder {
 public:
  OpenRecorder(const std::string& extension, const std::string& recordFile);
  ~OpenRecorder();
  OpenRecorder(const OpenRecorder&) = delete;
  OpenRecorder& operator=(const OpenRecorder&) = delete;

  // Empty when registered and seen through HKEY_CLASSES_ROOT, else why not.
  const std::string& Error() const { return error_; }

 private:
  // What one root held before, to put back.
  struct Saved {
    HKEY root;
    bool extensionKeyExisted;
    std::optional<std::string> progId;
  };
  bool Register(HKEY root, const std::string& command);

  std::string extension_;
  std::vector<Saved> saved_;
  std::string error_;
};

// --- the started program -----------------------------------------------------

// Process IDs of the visible top-level windows of class `windowClass`.
std::vector<DWORD> ProcessesWithWindow(const char* windowClass);

// The full path of the main module of process `processId`, or empty.
std::string ProcessImage(DWORD processId);

// Ends every process that shows a window of `windowClass`: asks it to close
// (WM_CLOSE), and terminates it if it has not exited after `graceMs`.
// Returns how many processes there were.
int EndProcessesWithWindow(const char* windowClass, DWORD graceMs = 3000);

}  // namespace e2e::finish
