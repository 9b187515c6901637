#include <gtest/gtest.h>

#include <ostream>
#include <fstream>
#include <iterator>
#include <vector>

#include "window/Banner.h"

namespace window {
namespace {

std::vector<unsigned char> ReadBanner() {
  std::ifstream file(QUORVANE_SOURCE_DIR "/resources/banner.jpg", std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Grey(std::uint32_t pixel) { return pixel & 0xFF; }

TEST(Banner, DecodesToGreyPixelsOfTheWindowsSize) {
  const std::vector<unsigned char> bytes = ReadBanner();
  ASSERT_FALSE(bytes.empty());
  Picture picture;
  ASSERT_TRUE(DecodePicture(bytes.data(), bytes.size(), picture));
  ASSERT_EQ(picture.width, 400);
  ASSERT_EQ(picture.height, 200);
  ASSERT_EQ(picture.pixels.size(), 400u * 200u);
  for (std::uint32_t pixel : picture.pixels) {
    ASSERT_EQ((pixel >> 16) & 0xFF, pixel & 0xFF) << "red equals blue";
    ASSERT_EQ((pixel >> 8) & 0xFF, pixel & 0xFF) << "green equals blue";
  }
  // The band under the panels is one plain grey.
  const std::uint32_t band = picture.pixels[130 * 400];
  for (int y = 130; y < 200; ++y)
    for (int x = 0; x < 400; ++x) ASSERT_EQ(picture.pixels[y * 400 + x], band) << x << "," << y;
  // Dark lettering on a light field at the upper left, none in the band.
  int dark = 0;
  for (int y = 10; y < 80; ++y)
    for (int x = 15; x < 220; ++x) dark += Grey(picture.pixels[y * 400 + x]) < 0x60 ? 1 : 0;
  EXPECT_GT(dark, 500);
  EXPECT_GT(Grey(band), 0xC0u);
}

struct Damage {
  const char* what;
  void (*apply)(std::vector<unsigned char>&);
};

void PrintTo(const Damage& c, std::ostream* os) { *os << c.what; }

class DamagedBannerTest : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedBannerTest, FailsCleanlyWithAnEmptyPicture) {
  std::vector<unsigned char> bytes = ReadBanner();
  ASSERT_FALSE(bytes.empty());
  GetParam().apply(bytes);
  Picture picture;
  picture.width = 1;
  EXPECT_FALSE(DecodePicture(bytes.data(), bytes.size(), picture)) << GetParam().what;
  EXPECT_EQ(picture.width, 0);
  EXPECT_EQ(picture.height, 0);
  EXPECT_TRUE(picture.pixels.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DamagedBannerTest,
    ::testing::Values(
        Damage{"cut in half", [](std::vector<unsigned char>& b) { b.resize(b.size() / 2); }},
        Damage{"header only", [](std::vector<unsigned char>& b) { b.resize(200); }},
        Damage{"not a JPEG", [](std::vector<unsigned char>& b) { b[0] = 'B'; b[1] = 'M'; }},
        Damage{"scan data overwritten with markers",
               [](std::vector<unsigned char>& b) {
                 for (std::size_t i = b.size() / 3; i < b.size() / 3 + 64; i += 2) {
                   b[i] = 0xFF;
                   b[i + 1] = 0xD9;
                 }
               }},
        Damage{"empty", [](std::vector<unsigned char>& b) { b.clear(); }}));

}  // namespace
}  // namespace window
