// A path typed on a drive without media (an empty card reader, a
// disconnected network drive) must come back to the installer as an error,
// which it answers with its own message, and never as the system's "no disk"
// box that would block it. The installer sets its error mode for that at
// start. Wine shows no such box, so the tests ask the running installer
// itself: its error mode, read by running GetErrorMode on a thread inside it.
// The harness's own flags (GoogleTest sets them) are cleared while the
// programs start, so that nothing is inherited. The control program, which
// sets no error mode, started the same way, shows that the reading sees what
// a process set for itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "tests/e2e/ControlProgram.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Modules.h"
#include "tests/e2e/Wait.h"

namespace e2e {
namespace {

constexpr UINT kNoSystemBoxes = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// Clears the harness's error mode for as long as it lives.
class ClearedErrorMode {
 public:
  ClearedErrorMode() : previous_(SetErrorMode(0)) {}
  ~ClearedErrorMode() { SetErrorMode(previous_); }
  ClearedErrorMode(const ClearedErrorMode&) = delete;
  ClearedErrorMode& operator=(const ClearedErrorMode&) = delete;

 private:
  UINT previous_;
};

// The error mode of the running process `processId`, or nothing. A process
// that has only just started has no modules listed yet: tried for up to 5 s.
std::optional<UINT> ErrorModeOf(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                   PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE,
                               FALSE, processId);
  if (process == nullptr) return std::nullopt;
  std::optional<DWORD> mode;
  WaitUntil([&] { return (mode = modules::CallInProcess(process, "kernel32.dll", "GetErrorMode")).has_value(); },
            5000);
  CloseHandle(process);
  return mode;
}

class ErrorModeTest : public InstallerFixture {
 protected:
  void SetUp() override {
    ClearedErrorMode cleared;
    InstallerFixture::SetUp();
  }
};

TEST_F(ErrorModeTest, TheInstallerHasCriticalErrorsReturnedToItInsteadOfShownInABox) {
  const std::optional<UINT> mode = ErrorModeOf(Installer().ProcessId());
  ASSERT_TRUE(mode.has_value()) << "cannot run GetErrorMode in the installer, error " << GetLastError();
  EXPECT_EQ(*mode & kNoSystemBoxes, kNoSystemBoxes) << "the installer's error mode is " << *mode;
}

TEST(ErrorModeControlTest, AProgramThatSetsNoErrorModeShowsNone) {
  std::optional<UINT> mode;
  {
    ClearedErrorMode cleared;
    ControlProgram control(TestFolder());
    ASSERT_TRUE(control.Started()) << control.StartError();
    mode = ErrorModeOf(control.ProcessId());
  }
  ASSERT_TRUE(mode.has_value()) << "cannot run GetErrorMode in the control program";
  EXPECT_EQ(*mode & kNoSystemBoxes, 0u) << "the control program's error mode is " << *mode;
}

}  // namespace
}  // namespace e2e
