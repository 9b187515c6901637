// The names of the installer window's thirteen controls, in the order of the
// window definition. Handlers and services address controls by these names.
#pragma once
#include <cstdint>

namespace window {

enum class Control : std::uint8_t {
  查看视频教程,
  外形框5,
  外形框4,
  外形框3,
  超级链接框1,
  标签2,
  创建快捷方式,
  运行,
  完成,
  路径,
  安装,
  外形框1,
  外形框2,
};

constexpr int kControlCount = 13;

constexpr int IndexOf(Control control) { return static_cast<int>(control); }

}  // namespace window
