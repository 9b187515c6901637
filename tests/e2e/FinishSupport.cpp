#include "tests/e2e/FinishSupport.h"

#include <objidl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstring>
#include <utility>

#include "tests/e2e/Files.h"
#include "tests/e2e/Wait.h"

namespace e2e::finish {

namespace {

// The ProgID that the recorder registers; a name no system uses.
constexpr char kRecorderProgId[] = "QuorvaneE2E.OpenRecorder";

std::optional<std::string> DefaultValue(HKEY root, const std::string& subKey) {
  char value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueA(root, subKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  return std::string(value);
}

bool SetDefaultValue(HKEY root, const std::string& subKey, const std::string& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(root, subKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  const LONG result = RegSetValueExA(key, nullptr, 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1));
  RegCloseKey(key);
  return result == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& subKey) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

struct ClassSearch {
  const char* windowClass;
  std::vector<std::pair<HWND, DWORD>> found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM parameter) {
  auto& search = *reinterpret_cast<ClassSearch*>(parameter);
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  if (std::strcmp(className, search.windowClass) == 0) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    search.found.emplace_back(window, owner);
  }
  return TRUE;
}

std::vector<std::pair<HWND, DWORD>> WindowsOfClass(const char* windowClass) {
  ClassSearch search{windowClass, {}};
  EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string DesktopFolder() {
  char folder[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, folder)))
    return {};
  return folder;
}

ShellLink ReadShellLink(const std::string& linkFile) {
  ShellLink result;
  IShellLinkA* link = nullptr;
  HRESULT status = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&link));
  if (FAILED(status)) {
    result.error = "CoCreateInstance(CLSID_ShellLink) failed, " + std::to_string(status);
    return result;
  }
  IPersistFile* file = nullptr;
  status = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(status)) {
    link->Release();
    result.error = "no IPersistFile, " + std::to_string(status);
    return result;
  }
  wchar_t wide[MAX_PATH * 2] = {};
  MultiByteToWideChar(CP_ACP, 0, linkFile.c_str(), -1, wide, MAX_PATH * 2);
  status = file->Load(wide, STGM_READ);
  if (FAILED(status)) {
    result.error = "IPersistFile::Load(" + linkFile + ") failed, " + std::to_string(status);
  } else {
    char text[INFOTIPSIZE] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) result.path = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetArguments(text, INFOTIPSIZE))) result.arguments = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) result.workingDirectory = text;
    text[0] = '\0';
    if (SUCCEEDED(link->GetDescription(text, INFOTIPSIZE))) result.description = text;
    text[0] = '\0';
    int iconIndex = 0;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &iconIndex))) result.iconLocation = text;
    int show = -1;
    if (SUCCEEDED(link->GetShowCmd(&show))) result.loadedShowCommand = show;
    WORD hotkey = 0;
    if (SUCCEEDED(link->GetHotkey(&hotkey))) result.hotkey = hotkey;
  }
  file->Release();
  link->Release();
  // The header: size 0x4C, CLSID_ShellLink, ..., ShowCommand at 0x3C.
  const std::string bytes = files::ReadWholeFile(linkFile).value_or("");
  if (bytes.size() >= 0x4C && bytes[0] == 0x4C) {
    DWORD show = 0;
    std::memcpy(&show, bytes.data() + 0x3C, sizeof show);
    result.headerShowCommand = static_cast<int>(show);
  } else if (result.error.empty()) {
    result.error = "no shell link header in " + linkFile;
  }
  return result;
}

OpenRecorder::OpenRecorder(const std::string& extension, const std::string& recordFile)
    : extension_(extension) {
  // cmd's echo writes its argument and a line end; no space before '>'.
  const std::string command =
      "C:\\windows\\system32\\cmd.exe /c echo %1> \"" + recordFile + "\"";
  if (!Register(HKEY_CURRENT_USER, command)) {
    error_ = "cannot register the recorder in HKCU\\Software\\Classes";
    return;
  }
  const auto seen = [&] {
    return DefaultValue(HKEY_CLASSES_ROOT, extension_) == std::string(kRecorderProgId) &&
           DefaultValue(HKEY_CLASSES_ROOT, std::string(kRecorderProgId) + "\\shell\\open\\command") ==
               command;
  };
  if (seen()) return;
  if (!Register(HKEY_LOCAL_MACHINE, command) || !seen())
    error_ = "the recorder is not seen through HKEY_CLASSES_ROOT";
}

bool OpenRecorder::Register(HKEY root, const std::string& command) {
  const std::string extensionKey = "Software\\Classes\\" + extension_;
  saved_.push_back({root, KeyExists(root, extensionKey), DefaultValue(root, extensionKey)});
  const std::string progIdKey = std::string("Software\\Classes\\") + kRecorderProgId;
  return SetDefaultValue(root, extensionKey, kRecorderProgId) &&
         SetDefaultValue(root, progIdKey + "\\shell\\open\\command", command);
}

OpenRecorder::~OpenRecorder() {
  const std::string extensionKey = "Software\\Classes\\" + extension_;
  for (const Saved& saved : saved_) {
    SHDeleteKeyA(saved.root, (std::string("Software\\Classes\\") + kRecorderProgId).c_str());
    if (!saved.extensionKeyExisted) {
      SHDeleteKeyA(saved.root, extensionKey.c_str());
    } else if (saved.progId) {
      SetDefaultValue(saved.root, extensionKey, *saved.progId);
    } else {
      SHDeleteValueA(saved.root, extensionKey.c_str(), nullptr);
    }
  }
}

std::vector<DWORD> ProcessesWithWindow(const char* windowClass) {
  std::vector<DWORD> processes;
  for (const auto& [window, process] : WindowsOfClass(windowClass)) {
    if (!IsWindowVisible(window)) continue;
    bool known = false;
    for (DWORD seen : processes) known = known || seen == process;
    if (!known) processes.push_back(process);
  }
  return processes;
}

std::string ProcessImage(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  char image[MAX_PATH * 2] = {};
  DWORD size = sizeof image;
  const bool got = QueryFullProcessImageNameA(process, 0, image, &size) != FALSE;
  CloseHandle(process);
  return got ? std::string(image, size) : std::string();
}

int EndProcessesWithWindow(const char* windowClass, DWORD graceMs) {
  std::vector<DWORD> ended;
  for (const auto& [window, processId] : WindowsOfClass(windowClass)) {
    bool known = false;
    for (DWORD seen : ended) known = known || seen == processId;
    if (known) continue;
    ended.push_back(processId);
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process == nullptr) continue;
    if (WaitForSingleObject(process, graceMs) != WAIT_OBJECT_0) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
  }
  return static_cast<int>(ended.size());
}

}  // namespace e2e::finish
