// The DLL the planting tests drop beside a program under a system DLL's name
// (version.dll, ...). When any process loads it, it leaves a marker file
// "planted-<its own name>.txt" in its own folder that names the process, so
// the test sees a load even if the DLL is unloaded again at once. It exports
// nothing and does nothing else.
#include <windows.h>

namespace {

// The part after the last backslash (the names here are plain ASCII).
const char* AfterLastBackslash(const char* path) {
  const char* name = path;
  for (const char* p = path; *p != '\0'; ++p)
    if (*p == '\\') name = p + 1;
  return name;
}

void LeaveMarker(HINSTANCE self) {
  char dllPath[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(self, dllPath, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  char processPath[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, processPath, MAX_PATH);

  const char* dllName = AfterLastBackslash(dllPath);
  char marker[MAX_PATH * 2] = {};
  lstrcpynA(marker, dllPath, static_cast<int>(dllName - dllPath) + 1);  // the folder with its backslash
  lstrcatA(marker, "planted-");
  lstrcatA(marker, dllName);
  lstrcatA(marker, ".txt");

  // Appended, one line per load: "<dll path> loaded by <process path>". Only
  // kernel32 here: user32 would bring in version.dll under Wine.
  HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  char line[MAX_PATH * 3] = {};
  lstrcpyA(line, dllPath);
  lstrcatA(line, " loaded by ");
  lstrcatA(line, processPath);
  lstrcatA(line, "\r\n");
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) LeaveMarker(instance);
  return TRUE;
}
