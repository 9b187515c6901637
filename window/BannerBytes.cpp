#include "payload/Embedded.h"
#include "window/Banner.h"

QUORVANE_EMBEDDED(banner_jpeg);

namespace window {

EmbeddedBytes BannerBytes() {
  return {banner_jpeg_bytes, static_cast<std::size_t>(banner_jpeg_end - banner_jpeg_bytes)};
}

}  // namespace window
