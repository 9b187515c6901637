#include "tests/e2e/InstallerFixture.h"

#include "tests/e2e/Controls.h"
#include "tests/e2e/Harness.h"
#include "tests/e2e/Input.h"

namespace e2e {

void InstallerFixture::SetUp() {
  installer_ = std::make_unique<InstallerProcess>(InstallerPath(), TestFolder());
  ASSERT_TRUE(installer_->Started()) << installer_->StartError();
  window_ = installer_->WaitForWindow();
  ASSERT_NE(window_, nullptr) << "no visible window of class " << kInstallerWindowClass
                              << " from the installer (pid " << installer_->ProcessId()
                              << ") within 20 s"
                              << (installer_->Running() ? "" : "; it has exited");
}

void InstallerFixture::TearDown() {
  if (installer_ && installer_->Running() && window_ != nullptr) {
    PostMessageA(window_, WM_CLOSE, 0, 0);
    installer_->WaitForExit(5000);
  }
  installer_.reset();
}

void InstallerFixture::Activate() {
  ASSERT_TRUE(input::BringToForeground(window_, kEmptySpot))
      << "the installer window did not become the foreground window";
}

HWND InstallerFixture::Control(int id) {
  HWND control = controls::Find(window_, id);
  EXPECT_NE(control, nullptr) << "no control with ID " << id;
  return control;
}

void InstallerFixture::SwitchToCompletionPanel() {
  ASSERT_NO_FATAL_FAILURE(Activate());  // the click must reach 安装, not activate the window
  ASSERT_TRUE(controls::InstallAndShowCompletionPanel(window_, 20000))
      << "外形框1 (the install panel) is still shown 20 s after the click on 安装";
  RECT frame{};
  GetWindowRect(window_, &frame);
  input::MoveTo(frame.left + kEmptySpot.x, frame.top + kEmptySpot.y);
}

}  // namespace e2e
