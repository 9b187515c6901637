// The window's background picture: a JPEG carried in the executable, decoded
// once into 32-bit pixels ready for the screen.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>

namespace window {

// A picture's pixels: a block that is not cleared when it is made, as the
// decoder writes every pixel anyway.
class Pixels {
 public:
  // `count` pixels, or none when the memory cannot be had.
  bool Make(std::size_t count) {
    block_.reset(new (std::nothrow) std::uint32_t[count]);
    count_ = block_ ? count : 0;
    return block_ != nullptr;
  }
  std::uint32_t* data() { return block_.get(); }
  const std::uint32_t* data() const { return block_.get(); }
  std::size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  std::uint32_t operator[](std::size_t index) const { return block_[index]; }
  const std::uint32_t* begin() const { return block_.get(); }
  const std::uint32_t* end() const { return block_.get() + count_; }

 private:
  std::unique_ptr<std::uint32_t[]> block_;
  std::size_t count_ = 0;
};

struct Picture {
  int width = 0;
  int height = 0;
  // Top-down rows of 0xFFRRGGBB (the screen ignores the top byte); a grey
  // sample gives equal red, green and blue.
  Pixels pixels;
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
