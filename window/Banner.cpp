#include "window/Banner.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace window {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf escape;
};

// libjpeg reports a damaged stream by calling error_exit, which must not
// return: jump back to the decoder, which cleans up and fails.
void LeaveDecoder(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}
// A warning means corrupt data that libjpeg would paper over with grey
// blocks; a damaged picture is not shown at all, so it fails the decode too.
void FailOnWarning(j_common_ptr info, int level) {
  if (level < 0) LeaveDecoder(info);
}

// Runs the decompression; nothing with a destructor lives across setjmp.
// libjpeg writes the pixels straight into the picture, in the screen's
// 32-bit layout (blue, green, red, pad byte), a grey sample to all three.
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const unsigned char* bytes,
            std::size_t size, Picture& picture, std::vector<JSAMPROW>& rows) {
  if (setjmp(errors.escape)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  const std::size_t width = info.output_width;
  const std::size_t height = info.output_height;
  picture.pixels.resize(width * height);
  rows.resize(height);
  for (std::size_t y = 0; y < height; ++y)
    rows[y] = reinterpret_cast<JSAMPROW>(&picture.pixels[y * width]);
  while (info.output_scanline < info.output_height)
    jpeg_read_scanlines(&info, &rows[info.output_scanline], info.output_height - info.output_scanline);
  jpeg_finish_decompress(&info);
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(height);
  return true;
}

}  // namespace

bool DecodePicture(const unsigned char* bytes, std::size_t size, Picture& picture) {
  picture = Picture{};
  if (bytes == nullptr || size == 0) return false;
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = LeaveDecoder;
  errors.base.emit_message = FailOnWarning;
  std::vector<JSAMPROW> rows;
  const bool decoded = Decode(info, errors, bytes, size, picture, rows);
  jpeg_destroy_decompress(&info);
  if (!decoded) picture = Picture{};
  return decoded;
}

}  // namespace window
