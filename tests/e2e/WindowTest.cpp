// The installer window as it first appears: size, place and style.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/e2e/InstallerFixture.h"

namespace e2e {
namespace {

using WindowTest = InstallerFixture;

TEST_F(WindowTest, Is400By200CentredOnTheScreen) {
  RECT frame{};
  ASSERT_TRUE(GetWindowRect(Window(), &frame));
  // 760,440 on the 1920x1080 screen of tools/e2e.sh.
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_EQ(frame.right - frame.left, 400);
  EXPECT_EQ(frame.bottom - frame.top, 200);
}

TEST_F(WindowTest, IsAPopupWithoutCaption) {
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, 0) << "style " << std::hex << style;
  EXPECT_NE(style & WS_POPUP, 0) << "style " << std::hex << style;
}

}  // namespace
}  // namespace e2e
