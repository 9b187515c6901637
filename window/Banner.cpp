#include "window/Banner.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
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
            std::size_t size, Picture& picture) {
  if (setjmp(errors.escape)) return false;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, static_cast<unsigned long>(size));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) return false;
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  const std::size_t width = info.output_width;
  // A picture too large to count in bytes is refused before anything is made.
  if (info.output_height != 0 && width > SIZE_MAX / sizeof(std::uint32_t) / info.output_height)
    return false;
  if (!picture.pixels.Make(width * info.output_height)) return false;
  // libjpeg gives a few rows a call; these are where the next ones go.
  constexpr JDIMENSION kRowsACall = 16;
  JSAMPROW rows[kRowsACall];
  while (info.output_scanline < info.output_height) {
    const JDIMENSION first = info.output_scanline;
    const JDIMENSION count = std::min(kRowsACall, info.output_height - first);
    for (JDIMENSION i = 0; i < count; ++i)
      rows[i] = reinterpret_cast<JSAMPROW>(picture.pixels.data() + (first + i) * width);
    jpeg_read_scanlines(&info, rows, count);
  }
  jpeg_finish_decompress(&info);
  picture.width = static_cast<int>(width);
  picture.height = static_cast<int>(info.output_height);
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
  const bool decoded = Decode(info, errors, bytes, size, picture);
  jpeg_destroy_decompress(&info);
  if (!decoded) picture = Picture{};
  return decoded;
}

}  // namespace window
