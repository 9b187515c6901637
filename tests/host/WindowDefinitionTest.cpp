#include <gtest/gtest.h>

#include <ostream>
#include <functional>
#include <vector>

#include "window/WindowDefinition.h"

namespace window {
namespace {

std::vector<Control> Names(const ControlList& indexes) {
  std::vector<Control> names;
  for (int index : indexes) names.push_back(InstallerWindowDefinition().controls[index].name);
  return names;
}

TEST(WindowDefinition, TheInstallerWindowPassesItsCheck) {
  EXPECT_TRUE(CheckDefinition(InstallerWindowDefinition()));
}

struct Breakage {
  const char* what;
  std::function<void(std::vector<ControlDefinition>&)> apply;
};

void PrintTo(const Breakage& c, std::ostream* os) { *os << c.what; }

class BrokenDefinitionTest : public ::testing::TestWithParam<Breakage> {};

TEST_P(BrokenDefinitionTest, FailsTheCheck) {
  std::vector<ControlDefinition> controls(InstallerWindowDefinition().controls.begin(),
                                          InstallerWindowDefinition().controls.end());
  GetParam().apply(controls);
  const WindowDefinition broken{InstallerWindowDefinition().window, controls};
  EXPECT_FALSE(CheckDefinition(broken)) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenDefinitionTest,
    ::testing::Values(
        Breakage{"a control missing", [](auto& c) { c.pop_back(); }},
        Breakage{"names out of place", [](auto& c) { std::swap(c[0], c[1]); }},
        Breakage{"parent is not a shape box",
                 [](auto& c) { c[IndexOf(Control::安装)].parent = IndexOf(Control::路径); }},
        Breakage{"parent built after its child",
                 [](auto& c) { c[IndexOf(Control::安装)].parent = IndexOf(Control::外形框5); }},
        Breakage{"parent out of range", [](auto& c) { c[IndexOf(Control::安装)].parent = 13; }},
        Breakage{"control outside its box", [](auto& c) { c[IndexOf(Control::安装)].left = 360; }},
        Breakage{"control outside the window", [](auto& c) { c[IndexOf(Control::外形框1)].top = 131; }},
        Breakage{"empty size", [](auto& c) { c[IndexOf(Control::路径)].width = 0; }},
        Breakage{"button without caption", [](auto& c) { c[IndexOf(Control::完成)].caption = nullptr; }}));

TEST(WindowDefinition, StacksSiblingsTopmostFirst) {
  const WindowDefinition& definition = InstallerWindowDefinition();
  EXPECT_EQ(Names(StackingOrder(definition, kInWindow)),
            (std::vector<Control>{Control::外形框5, Control::外形框4, Control::外形框3, Control::外形框1,
                                  Control::外形框2}));
  EXPECT_EQ(Names(StackingOrder(definition, IndexOf(Control::外形框1))),
            (std::vector<Control>{Control::超级链接框1, Control::路径, Control::安装}));
  EXPECT_EQ(Names(StackingOrder(definition, IndexOf(Control::外形框2))),
            (std::vector<Control>{Control::查看视频教程, Control::标签2, Control::创建快捷方式, Control::运行,
                                  Control::完成}));
}

TEST(WindowDefinition, KeyboardOrderFollowsTheDefinitionBackwards) {
  EXPECT_EQ(Names(KeyboardOrder(InstallerWindowDefinition())),
            (std::vector<Control>{Control::安装, Control::路径, Control::完成, Control::运行,
                                  Control::创建快捷方式, Control::查看视频教程}));
}

TEST(WindowDefinition, KeyboardOrderSortsByTabOrderFirst) {
  std::vector<ControlDefinition> controls(InstallerWindowDefinition().controls.begin(),
                                          InstallerWindowDefinition().controls.end());
  controls[IndexOf(Control::安装)].tabOrder = 1;
  const WindowDefinition changed{InstallerWindowDefinition().window, controls};
  EXPECT_EQ(Names(KeyboardOrder(changed)).back(), Control::安装);
}

struct CentringCase {
  int screenWidth, screenHeight, left, top;
};

void PrintTo(const CentringCase& c, std::ostream* os) { *os << c.screenWidth << "x" << c.screenHeight; }

class CentringTest : public ::testing::TestWithParam<CentringCase> {};

TEST_P(CentringTest, CentresOnTheFullScreenRoundingTowardZero) {
  const CentringCase& c = GetParam();
  const Point origin = CentredPosition(c.screenWidth, c.screenHeight, 400, 200);
  EXPECT_EQ(origin.x, c.left);
  EXPECT_EQ(origin.y, c.top);
}

INSTANTIATE_TEST_SUITE_P(Cases, CentringTest,
                         ::testing::Values(CentringCase{1920, 1080, 760, 440}, CentringCase{1365, 768, 482, 284},
                                           CentringCase{1921, 1081, 760, 440}, CentringCase{800, 600, 200, 200},
                                           CentringCase{399, 199, 0, 0}));

}  // namespace
}  // namespace window
