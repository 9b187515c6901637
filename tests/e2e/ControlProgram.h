// PlantingControl.exe (planting/Unrestricted.cpp), built with the harness and
// put beside it: a program that does none of what the installer does at start
// to protect itself (it does not restrict its DLL search and sets no error
// mode). Tests run it the way they run the installer to show that their
// checks see the difference.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace e2e {

inline constexpr char kControlProgramName[] = "PlantingControl.exe";

class ControlProgram {
 public:
  // Copies the program into `folder` and starts it there; it loads
  // version.dll and stays running until Finish (at most 20 s). Check Started().
  explicit ControlProgram(const std::string& folder);
  // Releases the program; terminates it if it has not ended 10 s later.
  ~ControlProgram();
  ControlProgram(const ControlProgram&) = delete;
  ControlProgram& operator=(const ControlProgram&) = delete;

  bool Started() const { return process_ != nullptr; }
  const std::string& StartError() const { return startError_; }
  // Where the copy lies.
  const std::string& Program() const { return program_; }
  DWORD ProcessId() const { return processId_; }

  // Releases the program and gives its exit code (0: version.dll was
  // loaded), or nothing if it had to be terminated.
  std::optional<DWORD> Finish();

 private:
  std::string program_;
  std::string startError_;
  HANDLE release_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
};

}  // namespace e2e
