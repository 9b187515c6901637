// Base fixture: every test gets a fresh installer, started in a folder of the
// test's own, with its window shown. After the test, an installer that still
// runs is asked to close (WM_CLOSE); if it has not exited 5 s later, it is
// terminated and the test fails.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "tests/e2e/InstallerProcess.h"

namespace e2e {

// Window-relative spot where a click does nothing: the banner.
inline constexpr POINT kEmptySpot{200, 60};

class InstallerFixture : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  InstallerProcess& Installer() { return *installer_; }
  HWND Window() const { return window_; }
  // Makes the installer window the foreground window so that it gets the
  // keys; fails the test if it cannot.
  void Activate();
  // The installer's control `id` (Controls.h); a missing one fails the test.
  HWND Control(int id);
  // Activates the window, clicks 安装 and waits until the completion panel has
  // replaced the install panel; the pointer is then moved to kEmptySpot,
  // away from every control.
  void SwitchToCompletionPanel();

 private:
  std::unique_ptr<InstallerProcess> installer_;
  HWND window_ = nullptr;
};

}  // namespace e2e
