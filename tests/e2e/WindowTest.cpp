// The installer window as it first appears: size, place and style; and that
// the mouse cannot move it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Wait.h"

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

TEST_F(WindowTest, HasNoFrame) {
  const LONG style = GetWindowLongA(Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_BORDER | WS_DLGFRAME | WS_SYSMENU), 0)
      << "style " << std::hex << style;
  // The client area is the whole window.
  RECT client{}, frame{};
  ASSERT_TRUE(GetClientRect(Window(), &client));
  ASSERT_TRUE(GetWindowRect(Window(), &frame));
  EXPECT_EQ(client.right - client.left, frame.right - frame.left);
  EXPECT_EQ(client.bottom - client.top, frame.bottom - frame.top);
}

// A drag with the left button over the window's body, from `from` to `to`
// (window coordinates), neither on a control that reacts to the mouse.
struct DragCase {
  const char* name;
  POINT from;
  POINT to;
};
void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class WindowDragTest : public InstallerFixture, public testing::WithParamInterface<DragCase> {};

TEST_P(WindowDragTest, DraggingTheBodyDoesNotMoveTheWindow) {
  RECT before{};
  ASSERT_TRUE(GetWindowRect(Window(), &before));
  const DragCase& c = GetParam();
  ASSERT_TRUE(input::MoveTo(before.left + c.from.x, before.top + c.from.y));
  input::LeftDown();
  constexpr int kSteps = 8;
  for (int step = 1; step <= kSteps; ++step)
    EXPECT_TRUE(input::MoveTo(before.left + c.from.x + (c.to.x - c.from.x) * step / kSteps,
                  before.top + c.from.y + (c.to.y - c.from.y) * step / kSteps))
        << "the pointer did not get to step " << step;
  // Where the window would be if it had followed the pointer.
  const auto moved = [&] {
    RECT now{};
    GetWindowRect(Window(), &now);
    return !EqualRect(&now, &before);
  };
  const bool movedWhileHeld = WaitUntil(moved, 500);
  input::LeftUp();
  const bool movedAfter = WaitUntil(moved, 500);
  RECT after{};
  GetWindowRect(Window(), &after);
  EXPECT_FALSE(movedWhileHeld || movedAfter)
      << "the window moved from " << before.left << "," << before.top << " to " << after.left << ","
      << after.top;
  EXPECT_TRUE(Installer().Running());
}

INSTANTIATE_TEST_SUITE_P(
    WindowDraggedFrom, WindowDragTest,
    testing::Values(DragCase{"TheBanner", {200, 60}, {320, 110}},
                    DragCase{"TheBannerOutOfTheWindow", {100, 100}, {-150, -120}},
                    DragCase{"TheInstallPanel", {10, 190}, {130, 100}}),
    [](const testing::TestParamInfo<DragCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace e2e
