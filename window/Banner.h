// The window's background picture: a JPEG carried in the executable, decoded
// once into 32-bit pixels ready for the screen.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace window {

struct Picture {
  int width = 0;
  int height = 0;
  // Top-down rows of 0x00RRGGBB; a grey sample gives equal red, green and blue.
  std::vector<std::uint32_t> pixels;
};

// False, with `picture` left empty, when the bytes are not a picture that
// can be decoded (damaged, truncated, not a JPEG).
bool DecodePicture(const unsigned char* bytes, std::size_t size, Picture& picture);

// The banner's bytes as embedded in the program.
struct EmbeddedBytes {
  const unsigned char* bytes;
  std::size_t size;
};
EmbeddedBytes BannerBytes();

}  // namespace window
