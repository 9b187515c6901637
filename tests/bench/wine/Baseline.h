// BenchBaseline.exe as QuorvaneBench.exe sees it: the plainest window a
// Win32 program can show, the same size as the installer's and centred the
// same way, filled with one colour.
#pragma once
#include <cstdint>

namespace bench::baseline {

inline constexpr char kWindowClass[] = "QuorvaneBenchBaseline";
inline constexpr int kWidth = 400;
inline constexpr int kHeight = 200;
// 0xRRGGBB: a colour that neither an empty screen (black), the system's
// button face nor the grey banner shows.
inline constexpr std::uint32_t kFill = 0x2F7D4A;
// The colour it fills itself with once clicked: the plainest answer a window
// can give to a click, to hold the installer's answer to 安装 against.
inline constexpr std::uint32_t kClickedFill = 0x7A3D9C;

}  // namespace bench::baseline
