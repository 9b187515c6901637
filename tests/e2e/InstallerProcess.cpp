#include "tests/e2e/InstallerProcess.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <cstring>
#include <vector>

namespace e2e {

namespace {

// Windows paths stay in the ANSI code page throughout (std::filesystem would
// read narrow strings as UTF-8), so plain Win32 calls do the path work.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  return length > 0 && length < MAX_PATH ? std::string(full, length) : path;
}

// PathFindFileNameA knows GBK: a trail byte can equal '\\'.
std::string FileName(const std::string& path) { return PathFindFileNameA(path.c_str()); }

// The installer's copy in `workFolder`, or empty after setting `error`.
std::string PlaceInstaller(const std::string& installerPath, const std::string& workFolder,
                           std::string& error) {
  const std::string source = FullPath(installerPath);
  const std::string target = FullPath(workFolder + "\\" + FileName(source));
  if (lstrcmpiA(source.c_str(), target.c_str()) == 0) return target;
  if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
    error = "cannot copy " + source + " to " + target + ", error " +
            std::to_string(GetLastError());
    return {};
  }
  return target;
}

struct WindowSearch {
  DWORD processId;
  const char* windowClass;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (owner == search.processId && std::strcmp(className, search.windowClass) == 0 &&
      IsWindowVisible(window)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindTopLevelWindow(DWORD processId, const char* windowClass) {
  WindowSearch search{processId, windowClass, nullptr};
  EnumWindows(MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FindMessageBox(DWORD processId) { return FindTopLevelWindow(processId, "#32770"); }

InstallerProcess::InstallerProcess(const std::string& installerPath, const std::string& workFolder,
                                   const std::string& currentFolder) {
  const std::string current = currentFolder.empty() ? workFolder : currentFolder;
  CreateDirectoryA(workFolder.c_str(), nullptr);
  CreateDirectoryA(current.c_str(), nullptr);
  const std::string program = PlaceInstaller(installerPath, workFolder, startError_);
  if (program.empty()) return;
  std::string commandLine = "\"" + program + "\"";
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      current.c_str(), &startup, &started)) {
    startError_ = "CreateProcess(" + program + ") failed, error " + std::to_string(GetLastError());
    return;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  processId_ = started.dwProcessId;
}

InstallerProcess::~InstallerProcess() {
  if (process_ == nullptr) return;
  if (Running()) {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
    ADD_FAILURE() << "the installer (pid " << processId_
                  << ") was still running at the end of the test; it was terminated";
  }
  CloseHandle(process_);
}

bool InstallerProcess::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

HWND InstallerProcess::WaitForWindow(DWORD timeoutMs) {
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindTopLevelWindow(processId_, kInstallerWindowClass);
        return window != nullptr || !Running();
      },
      timeoutMs);
  return window;
}

std::optional<DWORD> InstallerProcess::WaitForExit(DWORD timeoutMs) {
  if (process_ == nullptr) return std::nullopt;
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
    return std::nullopt;
  }
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

}  // namespace e2e
