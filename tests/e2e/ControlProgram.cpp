#include "tests/e2e/ControlProgram.h"

#include "tests/e2e/Harness.h"

namespace e2e {

ControlProgram::ControlProgram(const std::string& folder) : program_(folder + "\\" + kControlProgramName) {
  const std::string source = HarnessFolder() + "\\" + kControlProgramName;
  if (!CopyFileA(source.c_str(), program_.c_str(), FALSE)) {
    startError_ = "cannot copy " + source + " (built with QuorvaneE2E.exe, beside it) to " + program_ +
                  ", error " + std::to_string(GetLastError());
    return;
  }
  const std::string eventName = "QuorvaneControlProgram" + std::to_string(GetCurrentProcessId());
  release_ = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  if (release_ == nullptr) {
    startError_ = "CreateEvent failed, error " + std::to_string(GetLastError());
    return;
  }
  std::string commandLine = "\"" + program_ + "\" " + eventName;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(program_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &started)) {
    startError_ = "CreateProcess(" + program_ + ") failed, error " + std::to_string(GetLastError());
    return;
  }
  CloseHandle(started.hThread);
  process_ = started.hProcess;
  processId_ = started.dwProcessId;
}

std::optional<DWORD> ControlProgram::Finish() {
  if (process_ == nullptr) return std::nullopt;
  SetEvent(release_);
  std::optional<DWORD> result;
  DWORD exitCode = 0;
  if (WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0 && GetExitCodeProcess(process_, &exitCode)) {
    result = exitCode;
  } else {
    TerminateProcess(process_, 1);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
  return result;
}

ControlProgram::~ControlProgram() {
  Finish();
  if (release_ != nullptr) CloseHandle(release_);
}

}  // namespace e2e
