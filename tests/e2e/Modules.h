// Looking into another running process: the modules it has loaded, and
// asking it a question by running one of its system DLL's functions on a
// thread of its own.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e::modules {

// The handles of the modules loaded in `process` now (empty if it cannot be
// read; the handle needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ).
std::vector<HMODULE> HandlesOf(HANDLE process);
// The full path of `module` in `process`, or empty.
std::string PathOf(HANDLE process, HMODULE module);
// The full paths of the modules loaded in `process` now, the program first.
std::vector<std::string> PathsOf(HANDLE process);

// Runs `function`, an export of the system DLL `dll` that takes no argument
// and returns a 32-bit value (such as kernel32's GetErrorMode), on a new
// thread in `process`, and gives what it returned; nothing if the DLL is not
// loaded there or the thread could not run or did not end within
// `timeoutMs`. The function's address there is found from its offset in the
// same DLL here, so the harness and `process` must have the same bitness.
// `process` needs PROCESS_CREATE_THREAD, PROCESS_QUERY_INFORMATION,
// PROCESS_VM_OPERATION, PROCESS_VM_READ and PROCESS_VM_WRITE.
std::optional<DWORD> CallInProcess(HANDLE process, const char* dll, const char* function,
                                   DWORD timeoutMs = 5000);

}  // namespace e2e::modules
