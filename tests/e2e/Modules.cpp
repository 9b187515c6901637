#include "tests/e2e/Modules.h"

#include <psapi.h>

namespace e2e::modules {

std::vector<HMODULE> HandlesOf(HANDLE process) {
  std::vector<HMODULE> modules(512);
  DWORD needed = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
    if (!EnumProcessModulesEx(process, modules.data(), size, &needed, LIST_MODULES_ALL)) return {};
    if (needed <= size) break;
    modules.resize(needed / sizeof(HMODULE) + 16);
  }
  modules.resize(needed / sizeof(HMODULE));
  return modules;
}

std::string PathOf(HANDLE process, HMODULE module) {
  char path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameExA(process, module, path, sizeof path);
  return std::string(path, length < sizeof path ? length : 0);
}

std::vector<std::string> PathsOf(HANDLE process) {
  std::vector<std::string> paths;
  for (HMODULE module : HandlesOf(process)) {
    std::string path = PathOf(process, module);
    if (!path.empty()) paths.push_back(std::move(path));
  }
  return paths;
}

namespace {

std::string BaseName(HANDLE process, HMODULE module) {
  char name[MAX_PATH] = {};
  const DWORD length = GetModuleBaseNameA(process, module, name, sizeof name);
  return std::string(name, length < sizeof name ? length : 0);
}

// `process`'s copy of the module that is `local` here (same file name), or null.
HMODULE Counterpart(HANDLE process, HMODULE local) {
  const std::string name = BaseName(GetCurrentProcess(), local);
  if (name.empty()) return nullptr;
  for (HMODULE module : HandlesOf(process))
    if (lstrcmpiA(BaseName(process, module).c_str(), name.c_str()) == 0) return module;
  return nullptr;
}

}  // namespace

std::optional<DWORD> CallInProcess(HANDLE process, const char* dll, const char* function,
                                   DWORD timeoutMs) {
  const HMODULE library = GetModuleHandleA(dll);
  if (library == nullptr) return std::nullopt;
  const FARPROC here = GetProcAddress(library, function);
  if (here == nullptr) return std::nullopt;
  // A forwarded export resolves into another DLL (kernel32 to kernelbase on
  // Windows): take the offset within the module that really holds the code.
  HMODULE holder = nullptr;
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                              GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(here), &holder))
    return std::nullopt;
  const HMODULE there = Counterpart(process, holder);
  if (there == nullptr) return std::nullopt;
  const auto offset = reinterpret_cast<const char*>(here) - reinterpret_cast<const char*>(holder);
  const auto start = reinterpret_cast<LPTHREAD_START_ROUTINE>(
      reinterpret_cast<void*>(reinterpret_cast<char*>(there) + offset));
  // The thread passes one (null) argument that the function does not take:
  // harmless where arguments go in registers (x64), and on x86 the thread's
  // start routine returns straight into ExitThread.
  HANDLE thread = CreateRemoteThread(process, nullptr, 0, start, nullptr, 0, nullptr);
  if (thread == nullptr) return std::nullopt;
  std::optional<DWORD> result;
  DWORD code = 0;
  if (WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code))
    result = code;
  CloseHandle(thread);
  return result;
}

}  // namespace e2e::modules
