#include "window/WindowDefinition.h"

#include <algorithm>

namespace window {
namespace {

constexpr int k外形框1 = IndexOf(Control::外形框1);
constexpr int k外形框2 = IndexOf(Control::外形框2);
constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Font kYaHei14{"微软雅黑", 14, 400};
constexpr Font kYaHei12{"微软雅黑", 12, 400};
constexpr Font kYaHei14Bold{"微软雅黑", 14, 700};

constexpr ControlDefinition Shape(Control name, int left, int top, int width, int height) {
  return {name, ControlKind::ShapeBox, kInWindow, left, top, width, height, false, 0, Pointer::Arrow,
          nullptr, kDefaultGuiFont, kBlack, kButtonFace, kBlack, kBlack, false, Binding::None};
}
constexpr ControlDefinition Check(Control name, int left, int top, int width, const char* caption) {
  return {name, ControlKind::CheckBox, k外形框2, left, top, width, 15, true, 0, Pointer::Arrow,
          caption, kDefaultGuiFont, kBlack, kButtonFace, kBlack, kBlack, true, Binding::None};
}
constexpr ControlDefinition PushButton(Control name, int parent, int top, const char* caption,
                                       Binding binding) {
  return {name, ControlKind::Button, parent, 331, top, 48, 32, true, 0, Pointer::Arrow,
          caption, kYaHei12, kBlack, kButtonFace, kBlack, kBlack, false, binding};
}

constexpr ControlDefinition kControls[kControlCount] = {
    Check(Control::查看视频教程, 119, 40, 104, "查看视频教程"),
    Shape(Control::外形框5, 399, 0, 1, 200),
    Shape(Control::外形框4, 0, 0, 1, 200),
    Shape(Control::外形框3, 0, 0, 400, 1),
    {Control::超级链接框1, ControlKind::HyperLinker, k外形框1, 339, 47, 33, 20, false, 0, Pointer::Hand,
     "退出", kDefaultGuiFont, 0x0000FF, kButtonFace, 0x3399FF, kBlack, false, Binding::ExitLinkReleased},
    {Control::标签2, ControlKind::Label, k外形框2, 0, 24, 96, 24, false, 0, Pointer::Arrow,
     "安装完成", kYaHei14Bold, kBlack, kButtonFace, kBlack, kBlack, false, Binding::None},
    Check(Control::创建快捷方式, 119, 14, 104, "创建快捷方式"),
    Check(Control::运行, 238, 14, 73, "运行"),
    PushButton(Control::完成, k外形框2, 20, "完成", Binding::FinishClicked),
    {Control::路径, ControlKind::EditBox, k外形框1, 22, 10, 304, 32, true, 0, Pointer::Arrow,
     "D:\\Tarnby", kYaHei14, kBlack, kWhite, kBlack, kBlack, false, Binding::None},
    PushButton(Control::安装, k外形框1, 11, "安装", Binding::InstallClicked),
    Shape(Control::外形框1, 0, 130, 400, 70),
    Shape(Control::外形框2, 0, 130, 400, 70),
};

constexpr WindowDefinition kInstallerWindow{
    {400, 200, "", kButtonFace, true, Binding::None},
    kControls,
};

bool Fits(const ControlDefinition& control, int width, int height) {
  return control.left >= 0 && control.top >= 0 && control.width > 0 && control.height > 0 &&
         control.left + control.width <= width && control.top + control.height <= height;
}

bool NeedsCaption(ControlKind kind) { return kind != ControlKind::ShapeBox; }

}  // namespace

const WindowDefinition& InstallerWindowDefinition() { return kInstallerWindow; }

bool CheckDefinition(const WindowDefinition& definition) {
  const auto& controls = definition.controls;
  if (controls.size() != kControlCount) return false;
  if (definition.window.width <= 0 || definition.window.height <= 0) return false;
  for (int i = 0; i < kControlCount; ++i) {
    const ControlDefinition& control = controls[i];
    if (IndexOf(control.name) != i) return false;
    if (NeedsCaption(control.kind) && control.caption == nullptr) return false;
    if (control.parent == kInWindow) {
      if (!Fits(control, definition.window.width, definition.window.height)) return false;
      continue;
    }
    // Controls are built from the last to the first, so a parent must come
    // later in the table, be a shape box and itself lie on the window.
    if (control.parent <= i || control.parent >= kControlCount) return false;
    const ControlDefinition& box = controls[control.parent];
    if (box.kind != ControlKind::ShapeBox || box.parent != kInWindow) return false;
    if (!Fits(control, box.width, box.height)) return false;
  }
  return true;
}

Point CentredPosition(int screenWidth, int screenHeight, int width, int height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

ControlList StackingOrder(const WindowDefinition& definition, int parent) {
  // Each control goes directly beneath its nearest earlier sibling, so the
  // siblings end up topmost first in definition order.
  ControlList order;
  for (int i = 0; i < static_cast<int>(definition.controls.size()); ++i)
    if (definition.controls[i].parent == parent) order.Add(i);
  return order;
}

ControlList KeyboardOrder(const WindowDefinition& definition) {
  // By tab order; among equal tab orders the later control comes first.
  ControlList order;
  for (int i = static_cast<int>(definition.controls.size()) - 1; i >= 0; --i)
    if (definition.controls[i].tabStop) order.Add(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    const int orderA = definition.controls[a].tabOrder, orderB = definition.controls[b].tabOrder;
    return orderA != orderB ? orderA < orderB : a > b;
  });
  return order;
}

}  // namespace window
