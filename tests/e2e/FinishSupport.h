// Support for the tests of the completion panel (FinishTest.cpp): the
// installer's controls by ID, clicks on them and typed text, the files and
// the shell link that pressing Finish leaves behind, a recorder that the
// shell runs to "open" a document, and the stand-in program it started.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e::finish {

// Control IDs of the installer's controls (the first control is 101).
inline constexpr int kTutorialBox = 101;      // 查看视频教程
inline constexpr int kShortcutBox = 107;      // 创建快捷方式
inline constexpr int kRunBox = 108;           // 运行
inline constexpr int kFinishButton = 109;     // 完成
inline constexpr int kPathEdit = 110;         // 路径
inline constexpr int kInstallButton = 111;    // 安装
inline constexpr int kInstallPanel = 112;     // 外形框1
inline constexpr int kCompletionPanel = 113;  // 外形框2

// The window class of the stand-in product program (payload/standin).
inline constexpr char kStandInWindowClass[] = "VelkTestWindow";

// --- input ---------------------------------------------------------------

// A real click at the centre of control `id` of `window`; false if there is
// no such visible control or the pointer did not get there.
bool ClickControl(HWND window, int id);

// Types `text` (ASCII) as key strokes: one KEYEVENTF_UNICODE press and
// release per character, as an input method would.
void TypeText(const std::string& text);

// Clicks into the path box, selects all of its content (Home, Shift+End)
// and types `path` over it. The caller checks the box's text afterwards.
bool ReplacePath(HWND window, const std::string& path);

// Clicks 安装 and waits until the completion panel is shown and the install
// panel hidden; false if that does not happen within `timeoutMs`.
bool InstallAndWaitForCompletion(HWND window, DWORD timeoutMs = 15000);

// --- files -----------------------------------------------------------------

bool FileExists(const std::string& path);
// The whole content, or nothing if the file cannot be opened.
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const void* bytes, std::size_t size);
// Deletes the file if it exists; false only if it exists and stays.
bool RemoveFile(const std::string& path);
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
