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
bool Decode(jpeg_decompress_struct& info, ErrorManager& errors, const unsigned char* bytes,
            std::size_t size, Picture& picture, std::vector<JSAMPLE>& row) {
  if (setjmp(errors.escape)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  // Grey pictures are kept grey (one sample a pixel); anything else is asked
  // for as RGB.
  if (info.jpeg_color_space != JCS_GRAYSCALE) info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int width = static_cast<int>(info.output_width);
  const int height = static_cast<int>(info.output_height);
  const int components = info.output_components;
  picture.pixels.resize(static_cast<std::size_t>(width) * height);
  row.resize(static_cast<std::size_t>(width) * components);
  JSAMPROW rows[1] = {row.data()};
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    jpeg_read_scanlines(&info, rows, 1);
    std::uint32_t* out = &picture.pixels[static_cast<std::size_t>(y) * width];
    for (int x = 0; x < width; ++x) {
      const JSAMPLE* sample = &row[static_cast<std::size_t>(x) * components];
      const std::uint32_t r = sample[0];
      const std::uint32_t g = components == 1 ? r : sample[1];
      const std::uint32_t b = components == 1 ? r : sample[2];
      out[x] = (r << 16) | (g << 8) | b;
    }
  }
  jpeg_finish_decompress(&info);
  picture.width = width;
  picture.height = height;
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
  std::vector<JSAMPLE> row;
  const bool decoded = Decode(info, errors, bytes, size, picture, row);
  jpeg_destroy_decompress(&info);
  if (!decoded) picture = Picture{};
  return decoded;
}

}  // namespace window
