// What the installer window shows, read off the screen: the black outline,
// the banner picture where no control lies, and the two panels, before and
// after a real click on 安装 has switched from the one to the other.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/Controls.h"
#include "tests/e2e/Files.h"
#include "tests/e2e/Input.h"
#include "tests/e2e/InstallerFixture.h"
#include "tests/e2e/Screen.h"
#include "tests/e2e/Wait.h"
#include "window/Banner.h"

namespace e2e {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;
constexpr screen::Rgb kBlack = 0x000000;
constexpr screen::Rgb kWhite = 0xFFFFFF;
constexpr screen::Rgb kLinkBlue = 0x0000FF;

// Window rectangles of the definition (left, top, width, height).
constexpr RECT kPathEdit{22, 140, 22 + 304, 140 + 32};
constexpr RECT kInstallButton{331, 141, 331 + 48, 141 + 32};
constexpr RECT kDoneLabel{0, 154, 0 + 96, 154 + 24};

// A straight run of pixels in window coordinates, both ends included.
struct Line {
  const char* what;
  int x0, y0, x1, y1;
};

// Black end to end on either panel: the three edge lines of the window and
// the outermost rows of the panel box (0,130 400x70).
constexpr Line kBlackLines[] = {
    {"column 0 (外形框4)", 0, 0, 0, kHeight - 1},
    {"column 399 (外形框5)", kWidth - 1, 0, kWidth - 1, kHeight - 1},
    {"row 0 (外形框3)", 0, 0, kWidth - 1, 0},
    {"row 130 (the panel's top outline)", 0, 130, kWidth - 1, 130},
    {"row 199 (the panel's bottom outline)", 0, kHeight - 1, kWidth - 1, kHeight - 1},
};

// Just inside the panel's outline, where no control lies on either panel:
// the panel's button face, so the outline is one pixel wide (and the window
// has been painted: an unpainted screen is black too).
constexpr Line kInsideThePanelOutline[] = {
    {"row 131", 1, 131, kWidth - 2, 131},
    {"row 198", 1, kHeight - 2, kWidth - 2, kHeight - 2},
    {"column 1 of the panel", 1, 131, 1, kHeight - 2},
    {"column 398 of the panel", kWidth - 2, 131, kWidth - 2, kHeight - 2},
};

// The window area that no control covers: the banner shows through there.
constexpr RECT kBannerArea{1, 1, kWidth - 1, 130};  // columns 1..398, rows 1..129

std::string Hex(screen::Rgb colour) {
  std::ostringstream text;
  text << "#" << std::hex << std::uppercase;
  text.width(6);
  text.fill('0');
  text << colour;
  return text.str();
}

// The pixels of `line` that are not `colour`, described (empty if none).
std::string PixelsUnlike(const screen::Capture& capture, const Line& line, screen::Rgb colour) {
  std::ostringstream found;
  int count = 0;
  for (int y = line.y0; y <= line.y1; ++y)
    for (int x = line.x0; x <= line.x1; ++x)
      if (capture.At(x, y) != colour) {
        if (count < 5) found << " (" << x << "," << y << ")=" << Hex(capture.At(x, y));
        ++count;
      }
  if (count == 0) return {};
  return std::to_string(count) + " pixels not " + Hex(colour) + ", e.g." + found.str();
}

screen::Rgb ButtonFace() {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return (static_cast<screen::Rgb>(GetRValue(face)) << 16) | (static_cast<screen::Rgb>(GetGValue(face)) << 8) |
         GetBValue(face);
}

int CountPixels(const screen::Capture& capture, const RECT& area,
                const std::function<bool(screen::Rgb)>& matches) {
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) count += matches(capture.At(x, y)) ? 1 : 0;
  return count;
}

bool IsDark(screen::Rgb colour) {
  return ((colour >> 16) & 0xFF) < 0x60 && ((colour >> 8) & 0xFF) < 0x60 && (colour & 0xFF) < 0x60;
}

// The repository's root: QUORVANE_SOURCE_DIR if set (a Linux path is taken
// to be on Wine's Z: drive), or else four folders above this harness
// (<root>\build\<build>\tests\e2e\QuorvaneE2E.exe).
std::string SourceFolder() {
  char fromEnvironment[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("QUORVANE_SOURCE_DIR", fromEnvironment, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::string folder = fromEnvironment;
    if (folder[0] == '/') folder = "Z:" + folder;
    for (char& c : folder)
      if (c == '/') c = '\\';
    return folder;
  }
  char harness[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, harness, MAX_PATH);
  std::string folder = harness;
  for (int level = 0; level < 5 && !folder.empty(); ++level)  // the file name, then four folders
    folder = files::FolderOf(folder);
  return folder;
}

// The banner as the installer should show it, decoded from the repository's
// resources\banner.jpg with the installer's own decoder.
void LoadBanner(window::Picture& picture) {
  const std::string path = SourceFolder() + "\\resources\\banner.jpg";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE)
      << "cannot open the banner picture " << path
      << " (set QUORVANE_SOURCE_DIR to the repository's root)";
  std::vector<unsigned char> bytes(GetFileSize(file, nullptr));
  DWORD read = 0;
  const BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  ASSERT_TRUE(ok && read == bytes.size()) << "cannot read " << path;
  ASSERT_TRUE(window::DecodePicture(bytes.data(), bytes.size(), picture)) << path;
  ASSERT_GT(picture.width, 0);
  ASSERT_GT(picture.height, 0);
}

// The picture's pixel at window (x, y): drawn from the top left, repeated
// if it were smaller than the window.
screen::Rgb BannerPixel(const window::Picture& picture, int x, int y) {
  return picture.pixels[static_cast<std::size_t>(y % picture.height) * picture.width +
                        x % picture.width] & 0xFFFFFFu;
}

class PaintingTest : public InstallerFixture {
 protected:
  // The window as shown once `settled` holds (or as shown after 3 s).
  screen::Capture CaptureWhen(const std::function<bool(const screen::Capture&)>& settled) {
    screen::Capture capture = screen::Capture::OfWindow(Window());
    WaitUntil(
        [&] {
          capture = screen::Capture::OfWindow(Window());
          return capture.Width() == kWidth && capture.Height() == kHeight && settled(capture);
        },
        3000, 100);
    return capture;
  }

  void ExpectBlackLines() {
    const screen::Rgb face = ButtonFace();
    const screen::Capture capture = CaptureWhen([&](const screen::Capture& shown) {
      for (const Line& line : kBlackLines)
        if (!PixelsUnlike(shown, line, kBlack).empty()) return false;
      for (const Line& line : kInsideThePanelOutline)
        if (!PixelsUnlike(shown, line, face).empty()) return false;
      return true;
    });
    ASSERT_EQ(capture.Width(), kWidth);
    ASSERT_EQ(capture.Height(), kHeight);
    for (const Line& line : kBlackLines) EXPECT_EQ(PixelsUnlike(capture, line, kBlack), "") << line.what;
    for (const Line& line : kInsideThePanelOutline)
      EXPECT_EQ(PixelsUnlike(capture, line, face), "") << line.what;
  }

  void ExpectBannerShowsThrough() {
    window::Picture picture;
    ASSERT_NO_FATAL_FAILURE(LoadBanner(picture));
    // The comparison means something only if the picture is not plain there.
    const int dark = [&] {
      int count = 0;
      for (int y = kBannerArea.top; y < kBannerArea.bottom; ++y)
        for (int x = kBannerArea.left; x < kBannerArea.right; ++x)
          count += IsDark(BannerPixel(picture, x, y)) ? 1 : 0;
      return count;
    }();
    ASSERT_GT(dark, 1000) << "the picture has no dark lettering in the banner area";
    ASSERT_LT(dark, (kBannerArea.right - kBannerArea.left) * (kBannerArea.bottom - kBannerArea.top) / 2)
        << "the picture is mostly dark in the banner area";

    const auto differences = [&](const screen::Capture& shown) {
      int count = 0;
      for (int y = kBannerArea.top; y < kBannerArea.bottom; ++y)
        for (int x = kBannerArea.left; x < kBannerArea.right; ++x)
          count += shown.At(x, y) != BannerPixel(picture, x, y) ? 1 : 0;
      return count;
    };
    const screen::Capture capture =
        CaptureWhen([&](const screen::Capture& shown) { return differences(shown) == 0; });
    ASSERT_EQ(capture.Width(), kWidth);
    std::ostringstream examples;
    int listed = 0;
    for (int y = kBannerArea.top; y < kBannerArea.bottom && listed < 5; ++y)
      for (int x = kBannerArea.left; x < kBannerArea.right && listed < 5; ++x)
        if (capture.At(x, y) != BannerPixel(picture, x, y)) {
          examples << " (" << x << "," << y << ") shows " << Hex(capture.At(x, y)) << ", picture "
                   << Hex(BannerPixel(picture, x, y)) << ";";
          ++listed;
        }
    EXPECT_EQ(differences(capture), 0) << "pixels of the banner area unlike the picture:"
                                       << examples.str();
  }
};

enum class Panel { Install, Completion };

struct PanelCase {
  const char* name;
  Panel panel;
};
void PrintTo(const PanelCase& c, std::ostream* os) { *os << c.name; }

class PaintingOnEachPanel : public PaintingTest, public testing::WithParamInterface<PanelCase> {
 protected:
  void SetUp() override {
    PaintingTest::SetUp();
    if (HasFatalFailure()) return;
    if (GetParam().panel == Panel::Completion) SwitchToCompletionPanel();
  }
};

TEST_P(PaintingOnEachPanel, EdgesAndPanelOutlineAreBlackEndToEnd) {
  ASSERT_FALSE(HasFatalFailure());
  ExpectBlackLines();
}

TEST_P(PaintingOnEachPanel, BannerAreaShowsThePicturePixelForPixel) {
  ASSERT_FALSE(HasFatalFailure());
  ExpectBannerShowsThrough();
}

INSTANTIATE_TEST_SUITE_P(Painting, PaintingOnEachPanel,
                         testing::Values(PanelCase{"InstallPanel", Panel::Install},
                                         PanelCase{"CompletionPanel", Panel::Completion}),
                         [](const testing::TestParamInfo<PanelCase>& param) {
                           return std::string(param.param.name);
                         });

TEST_F(PaintingTest, InstallPanelShowsThePathOnWhiteAndTheInstallCaption) {
  HWND path = Control(k路径);
  HWND install = Control(k安装);
  ASSERT_TRUE(path != nullptr && install != nullptr);
  EXPECT_EQ(controls::Text(path), "D:\\Tarnby");
  EXPECT_EQ(controls::Text(install), "安装");
  EXPECT_TRUE(controls::Visible(path));
  EXPECT_TRUE(controls::Visible(install));
  EXPECT_TRUE(controls::Visible(Control(k超级链接框1)));

  // Inside the edit's one-pixel border: white, with the (short, left-aligned)
  // text on it; its right half holds no text at all.
  const RECT inside{kPathEdit.left + 1, kPathEdit.top + 1, kPathEdit.right - 1, kPathEdit.bottom - 1};
  const RECT rightHalf{(kPathEdit.left + kPathEdit.right) / 2, inside.top, inside.right, inside.bottom};
  const int rightHalfSize = (rightHalf.right - rightHalf.left) * (rightHalf.bottom - rightHalf.top);
  const auto isWhite = [](screen::Rgb colour) { return colour == kWhite; };
  const screen::Capture capture = CaptureWhen([&](const screen::Capture& shown) {
    return CountPixels(shown, rightHalf, isWhite) == rightHalfSize &&
           CountPixels(shown, inside, IsDark) > 0;
  });
  EXPECT_EQ(CountPixels(capture, rightHalf, isWhite), rightHalfSize)
      << "the right half of 路径 is not all white";
  EXPECT_GT(CountPixels(capture, inside, IsDark), 20) << "no text shown in 路径";

  // The caption: dark strokes inside the button, away from its 3-D border.
  const RECT face{kInstallButton.left + 4, kInstallButton.top + 4, kInstallButton.right - 4,
                  kInstallButton.bottom - 4};
  EXPECT_GT(CountPixels(capture, face, IsDark), 20) << "安装 shows no caption";
}

TEST_F(PaintingTest, CompletionPanelReplacesTheInstallPanel) {
  ASSERT_NO_FATAL_FAILURE(SwitchToCompletionPanel());

  HWND label = Control(k标签2);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(controls::Text(label), "安装完成");
  EXPECT_TRUE(controls::Visible(label));
  for (int id : {k创建快捷方式, k运行, k查看视频教程}) {
    HWND box = Control(id);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(controls::Visible(box)) << "check box " << id;
    EXPECT_TRUE(controls::Checked(box)) << "check box " << id;
  }
  EXPECT_TRUE(controls::Visible(Control(k完成)));
  for (int id : {k路径, k安装, k超级链接框1})
    EXPECT_FALSE(controls::Visible(Control(id))) << "control " << id << " of the install panel";

  // By pixel: the edit's white field left of the check boxes is gone (plain
  // panel there now), no link-blue caption is left, and column 0 stays black
  // beside the label.
  const RECT formerEdit{kPathEdit.left + 1, kPathEdit.top + 1, 118, kDoneLabel.top};
  const screen::Rgb buttonFace = ButtonFace();
  const int formerEditSize = (formerEdit.right - formerEdit.left) * (formerEdit.bottom - formerEdit.top);
  const RECT wholeWindow{0, 0, kWidth, kHeight};
  const RECT besideLabel{0, kDoneLabel.top, 1, kDoneLabel.bottom};
  const auto isFace = [&](screen::Rgb colour) { return colour == buttonFace; };
  const auto isBlue = [](screen::Rgb colour) { return colour == kLinkBlue; };
  const auto isBlack = [](screen::Rgb colour) { return colour == kBlack; };
  const screen::Capture capture = CaptureWhen([&](const screen::Capture& shown) {
    return CountPixels(shown, formerEdit, isFace) == formerEditSize &&
           CountPixels(shown, wholeWindow, isBlue) == 0 &&
           CountPixels(shown, besideLabel, isBlack) == kDoneLabel.bottom - kDoneLabel.top;
  });
  EXPECT_EQ(CountPixels(capture, formerEdit, isFace), formerEditSize)
      << "where 路径 was, the panel is not plain " << Hex(buttonFace) << " (white pixels: "
      << CountPixels(capture, formerEdit, [](screen::Rgb c) { return c == kWhite; }) << ")";
  EXPECT_EQ(CountPixels(capture, wholeWindow, isBlue), 0) << "the exit link's blue is still shown";
  EXPECT_EQ(CountPixels(capture, besideLabel, isBlack), kDoneLabel.bottom - kDoneLabel.top)
      << "column 0 beside 标签2 is not black: "
      << PixelsUnlike(capture, Line{"", 0, kDoneLabel.top, 0, kDoneLabel.bottom - 1}, kBlack);
  // The label's own caption is shown.
  EXPECT_GT(CountPixels(capture, RECT{1, kDoneLabel.top, kDoneLabel.right, kDoneLabel.bottom}, IsDark), 20)
      << "标签2 shows no caption";
}

}  // namespace
}  // namespace e2e
