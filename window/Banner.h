// The window's background picture: a JPEG carried in the executable, decoded
// once into 32-bit pixels ready for the screen.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace window {

// Leaves new elements uninitialised: libjpeg writes every pixel anyway, and
// clearing them first would cost as much as a tenth of the decoding.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitialisedAllocator<U>;
  };
  template <typename U>
  void construct(U* place) noexcept {
    ::new (static_cast<void*>(place)) U;
  }
};

struct Picture {
  int width = 0;
  int height = 0;
  // Top-down rows of 0xFFRRGGBB (the screen ignores the top byte); a grey
  // sample gives equal red, green and blue.
  std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>> pixels;
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
