// The exit link "退出" with the real mouse: a left button released over it
// ends the installer with exit code 0, wherever the press was made; a press
// on it released elsewhere does not; its caption turns from #0000FF to
// #3399FF while the pointer is over it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/e2e/Controls.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Screen.h"
#include "tests/e2e/Wait.h"

namespace e2e {
namespace {

// The link's rectangle in window coordinates (339,177 33x20) and its colours.
constexpr RECT kLink{339, 177, 339 + 33, 177 + 20};
constexpr POINT kLinkCentre{(kLink.left + kLink.right) / 2, (kLink.top + kLink.bottom) / 2};
constexpr screen::Rgb kLinkColour = 0x0000FF;
constexpr screen::Rgb kHoverColour = 0x3399FF;

// Window spots where nothing reacts to the mouse.
constexpr POINT kBanner = kEmptySpot;
constexpr POINT kPanelBackground{10, 190};  // 外形框1, left of 路径

class ExitLinkTest : public InstallerFixture {
 protected:
  POINT OnScreen(POINT spot) {
    RECT frame{};
    GetWindowRect(Window(), &frame);
    return {frame.left + spot.x, frame.top + spot.y};
  }
  bool MoveTo(POINT spot) {
    const POINT at = OnScreen(spot);
    return input::MoveTo(at.x, at.y);
  }
  // Moves in a few steps, as a hand does, so that every window on the way
  // sees the pointer pass.
  bool GlideTo(POINT from, POINT to) {
    constexpr int kSteps = 5;
    bool arrived = true;
    for (int step = 1; step <= kSteps; ++step)
      arrived = MoveTo({from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps}) &&
                arrived;
    return arrived;
  }

  // How many pixels of the link's rectangle show `colour`.
  int LinkPixels(screen::Rgb colour) {
    const POINT topLeft = OnScreen({kLink.left, kLink.top});
    const screen::Capture capture(
        RECT{topLeft.x, topLeft.y, topLeft.x + kLink.right - kLink.left, topLeft.y + kLink.bottom - kLink.top});
    int count = 0;
    for (int y = 0; y < capture.Height(); ++y)
      for (int x = 0; x < capture.Width(); ++x) count += capture.At(x, y) == colour ? 1 : 0;
    return count;
  }

  void ExpectLinkShows(screen::Rgb shown, screen::Rgb notShown, const char* when) {
    WaitUntil([&] { return LinkPixels(shown) > 0 && LinkPixels(notShown) == 0; }, 2000, 50);
    EXPECT_GT(LinkPixels(shown), 0) << when << ": no caption pixel of the expected colour";
    EXPECT_EQ(LinkPixels(notShown), 0) << when << ": caption pixels of the other colour";
  }
};

struct EndingCase {
  const char* name;
  POINT press;  // window coordinates; the release is over the link
};
void PrintTo(const EndingCase& c, std::ostream* os) { *os << c.name; }

class ExitLinkReleaseTest : public ExitLinkTest, public testing::WithParamInterface<EndingCase> {};

TEST_P(ExitLinkReleaseTest, ReleasedOverTheLinkEndsWithExitCodeZero) {
  HWND link = controls::Find(Window(), k超级链接框1);
  ASSERT_NE(link, nullptr);
  ASSERT_TRUE(controls::Visible(link));
  ASSERT_TRUE(MoveTo(GetParam().press));
  input::LeftDown();
  ASSERT_TRUE(GlideTo(GetParam().press, kLinkCentre));
  input::LeftUp();
  const auto exitCode = Installer().WaitForExit(5000);
  ASSERT_TRUE(exitCode.has_value()) << "the installer still runs 5 s after the release over the link";
  EXPECT_EQ(*exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(ExitLinkPressedOn, ExitLinkReleaseTest,
                         testing::Values(EndingCase{"TheLink", kLinkCentre},
                                         EndingCase{"TheBanner", kBanner}),
                         [](const testing::TestParamInfo<EndingCase>& param) {
                           return std::string(param.param.name);
                         });

struct StayingCase {
  const char* name;
  POINT release;  // window coordinates; the press is on the link
};
void PrintTo(const StayingCase& c, std::ostream* os) { *os << c.name; }

class ExitLinkLeaveTest : public ExitLinkTest, public testing::WithParamInterface<StayingCase> {};

TEST_P(ExitLinkLeaveTest, PressedOnTheLinkAndReleasedElsewhereKeepsRunning) {
  ASSERT_TRUE(MoveTo(kLinkCentre));
  input::LeftDown();
  ASSERT_TRUE(GlideTo(kLinkCentre, GetParam().release));
  input::LeftUp();
  EXPECT_FALSE(Installer().WaitForExit(1000).has_value()) << "the installer ended";
  EXPECT_TRUE(controls::Visible(Window()));
}

INSTANTIATE_TEST_SUITE_P(ExitLinkReleasedOver, ExitLinkLeaveTest,
                         testing::Values(StayingCase{"TheBanner", kBanner},
                                         StayingCase{"ThePanel", kPanelBackground},
                                         StayingCase{"OutsideTheWindow", {-300, -200}}),
                         [](const testing::TestParamInfo<StayingCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(ExitLinkTest, CaptionIsBlueAndLightBlueWhileThePointerIsOverIt) {
  ASSERT_TRUE(MoveTo(kBanner));
  ExpectLinkShows(kLinkColour, kHoverColour, "pointer away at start");
  ASSERT_TRUE(GlideTo(kBanner, kLinkCentre));
  ExpectLinkShows(kHoverColour, kLinkColour, "pointer over the link");
  ASSERT_TRUE(GlideTo(kLinkCentre, kPanelBackground));
  ExpectLinkShows(kLinkColour, kHoverColour, "pointer moved away again");
  EXPECT_TRUE(Installer().Running());
}

}  // namespace
}  // namespace e2e
