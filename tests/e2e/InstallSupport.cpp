#include "tests/e2e/InstallSupport.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "tests/e2e/Controls.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerProcess.h"

namespace e2e::install {

namespace {

constexpr char kMessageBoxClass[] = "#32770";

std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

struct BoxSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<BoxSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == search.processId && std::strcmp(className, kMessageBoxClass) == 0 &&
      IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

struct BoxParts {
  std::vector<HWND> statics, buttons;
};

BOOL CALLBACK CollectParts(HWND child, LPARAM parameter) {
  auto& parts = *reinterpret_cast<BoxParts*>(parameter);
  const std::string kind = controls::ClassName(child);
  if (lstrcmpiA(kind.c_str(), "Static") == 0) parts.statics.push_back(child);
  if (lstrcmpiA(kind.c_str(), "Button") == 0) parts.buttons.push_back(child);
  return TRUE;
}

}  // namespace

ElsewhereStartedInstaller::ElsewhereStartedInstaller(const std::string& installerPath,
                                                     const std::string& programFolder,
                                                     const std::string& currentFolder) {
  CreateDirectoryA(programFolder.c_str(), nullptr);
  CreateDirectoryA(currentFolder.c_str(), nullptr);
  const std::string source = FullPath(installerPath);
  const std::string program = FullPath(programFolder + "\\" + PathFindFileNameA(source.c_str()));
  if (!CopyFileA(source.c_str(), program.c_str(), FALSE)) {
    startError_ = "cannot copy " + source + " to " + program + ", error " +
                  std::to_string(GetLastError());
    return;
  }
  std::string commandLine = "\"" + program + "\"";
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      currentFolder.c_str(), &startup, &started)) {
    startError_ = "CreateProcess(" + program + ") failed, error " + std::to_string(GetLastError());
    return;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  processId_ = started.dwProcessId;
}

ElsewhereStartedInstaller::~ElsewhereStartedInstaller() {
  if (process_ == nullptr) return;
  if (Running()) {
    // A message box left open by a failed test first, then the window.
    for (int i = 0; i < 5; ++i) {
      HWND box = FindMessageBox(processId_);
      if (box == nullptr) break;
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      WaitUntil([&] { return !IsWindow(box); }, 1000);
    }
    if (HWND window = FindTopLevelWindow(processId_, kInstallerWindowClass)) {
      PostMessageA(window, WM_CLOSE, 0, 0);
    }
    WaitForSingleObject(process_, 5000);
  }
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    ADD_FAILURE() << "the installer (pid " << processId_
                  << ") did not close when asked at the end of the test; it was terminated";
  }
  CloseHandle(process_);
}

bool ElsewhereStartedInstaller::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND ElsewhereStartedInstaller::WaitForWindow(DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindTopLevelWindow(processId_, kInstallerWindowClass);
        return window != nullptr || !Running();
      },
      timeoutMs);
  return window;
}

std::optional<DWORD> ElsewhereStartedInstaller::WaitForExit(DWORD timeoutMs) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

HWND FindMessageBox(DWORD processId) {
  BoxSearch search{processId, nullptr};
  EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  HWND window = nullptr;
  if (!WaitUntil([&] { return (window = FindMessageBox(processId)) != nullptr; }, timeoutMs)) {
    return std::nullopt;
  }
  // The box is shown once it is complete; let it paint before reading.
  Pause(100);
  MessageBoxSeen box;
  box.window = window;
  box.caption = controls::Text(window);
  box.owner = GetWindow(window, GW_OWNER);
  BoxParts parts;
  EnumChildWindows(window, CollectParts, reinterpret_cast<LPARAM>(&parts));
  // The message is the static control with text (an icon's static has none).
  for (HWND item : parts.statics) {
    const std::string text = controls::Text(item);
    if (!text.empty()) box.text += text;
  }
  for (HWND button : parts.buttons) {
    if (!IsWindowVisible(button)) continue;
    box.buttonTexts.push_back(controls::Text(button));
    if (GetDlgCtrlID(button) == IDOK) box.okButton = button;
  }
  return box;
}

bool ClickOk(const MessageBoxSeen& box) {
  if (box.okButton == nullptr) return false;
  const POINT centre = CentreOnScreen(box.okButton);
  input::ClickAt(centre.x, centre.y);
  return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 3000);
}

void TypeText(const std::string& text) {
  for (const char character : text) {
    for (const bool release : {false, true}) {
      INPUT event{};
      event.type = INPUT_KEYBOARD;
      event.ki.wVk = 0;
      event.ki.wScan = static_cast<WORD>(static_cast<unsigned char>(character));
      event.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0u);
      SendInput(1, &event, sizeof event);
      Pause(input::kEventPauseMs);
    }
  }
}

POINT CentreOnScreen(HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

std::optional<std::string> ReadWholeFile(const std::string& name) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string content;
  std::vector<char> buffer(1 << 16);
  DWORD got = 0;
  while (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) && got > 0) {
    content.append(buffer.data(), got);
  }
  CloseHandle(file);
  return content;
}

bool WriteWholeFile(const std::string& name, const std::string& content) {
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written,
                            nullptr) && written == content.size();
  return CloseHandle(file) && ok;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  std::string pattern = folder;
  if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
  pattern += '*';
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool RemoveAll(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    for (const std::string& name : Entries(path)) RemoveAll(path + "\\" + name);
    RemoveDirectoryA(path.c_str());
  } else {
    DeleteFileA(path.c_str());
  }
  return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

void AddTree(const std::string& folder, Tree& tree) {
  std::string prefix = folder;
  if (prefix.empty() || prefix.back() != '\\') prefix += '\\';
  for (const std::string& name : Entries(folder)) {
    const std::string path = prefix + name;
    if (IsFolder(path)) {
      tree[path] = "<folder>";
      AddTree(path, tree);
    } else {
      tree[path] = ReadWholeFile(path).value_or("<unreadable>");
    }
  }
}

TreeChange Compare(const Tree& before, const Tree& after) {
  TreeChange change;
  for (const auto& [path, content] : after) {
    const auto old = before.find(path);
    if (old == before.end()) {
      change.added.push_back(path);
    } else if (old->second != content) {
      change.changed.push_back(path);
    }
  }
  for (const auto& [path, content] : before) {
    if (after.count(path) == 0) change.removed.push_back(path);
  }
  return change;
}

std::string Describe(const TreeChange& change) {
  std::string text;
  const auto list = [&](const char* what, const std::vector<std::string>& paths) {
    text += what;
    text += ":";
    for (const std::string& path : paths) text += " " + path;
    text += paths.empty() ? " (none); " : "; ";
  };
  list("added", change.added);
  list("removed", change.removed);
  list("changed", change.changed);
  return text;
}

}  // namespace e2e::install
