// The installer window as data: the window's own settings and its thirteen
// controls, in definition order. Building, painting and routing read this
// table; the derived facts below are the rules that turn it into a window.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "window/Control.h"

namespace window {

enum class ControlKind : std::uint8_t { ShapeBox, EditBox, Button, Label, CheckBox, HyperLinker };
enum class Pointer : std::uint8_t { Arrow, Hand };
// The handler a control's event is bound to.
enum class Binding : std::uint8_t { None, InstallClicked, FinishClicked, ExitLinkReleased };

// 0x00RRGGBB, or the system's button-face colour.
using Colour = std::uint32_t;
inline constexpr Colour kButtonFace = 0xFF000000u;

struct Font {
  const char* face;  // null: the stock default GUI font
  int height;        // em height in pixels
  int weight;
};
inline constexpr Font kDefaultGuiFont{nullptr, 0, 0};

inline constexpr int kInWindow = -1;  // parent index of a control placed on the window

struct ControlDefinition {
  Control name;
  ControlKind kind;
  int parent;  // index of the parent shape box, or kInWindow
  int left, top, width, height;
  bool tabStop;
  int tabOrder;
  Pointer pointer;
  const char* caption;  // caption, or the edit box's content at start
  Font font;
  Colour text;
  Colour background;
  Colour hover;  // the link's text while the pointer is over it
  Colour outline;
  bool checked;
  Binding binding;
};

struct WindowSettings {
  int width, height;
  const char* title;
  Colour background;
  bool escCloses;
  Binding created;
};

struct WindowDefinition {
  WindowSettings window;
  std::span<const ControlDefinition> controls;
};

const WindowDefinition& InstallerWindowDefinition();

// False when the definition cannot be built: wrong count, a name out of
// place, a parent that is not an earlier-built shape box, a control that
// does not fit its parent, a kind without the setting it needs.
bool CheckDefinition(const WindowDefinition& definition);

struct Point {
  int x, y;
};
// Centred on a screen of the given full size, rounded toward zero.
Point CentredPosition(int screenWidth, int screenHeight, int width, int height);

// Control indices in an order: at most one of each control of a definition
// that CheckDefinition accepts.
class ControlList {
 public:
  using value_type = int;
  using const_iterator = const int*;

  void Add(int index) {
    if (count_ < kControlCount) items_[count_++] = index;
  }
  int* begin() { return items_.data(); }
  int* end() { return items_.data() + count_; }
  const int* begin() const { return items_.data(); }
  const int* end() const { return items_.data() + count_; }
  int size() const { return count_; }
  int operator[](int position) const { return items_[position]; }

 private:
  std::array<int, kControlCount> items_{};
  int count_ = 0;
};

// The children of `parent` (an index or kInWindow), topmost first.
ControlList StackingOrder(const WindowDefinition& definition, int parent);
// The tab stops in the order Tab visits them.
ControlList KeyboardOrder(const WindowDefinition& definition);

}  // namespace window
