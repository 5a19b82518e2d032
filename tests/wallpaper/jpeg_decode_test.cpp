#include "wallpaper/jpeg_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace mervalis {
namespace {

std::vector<std::uint8_t> ReadAsset(const std::string& name) {
  std::ifstream in(std::string(MERVALIS_UI_ASSET_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(DecodeJpeg, DecodesTheScenePicture) {
  const std::vector<std::uint8_t> bytes = ReadAsset("scene.jpg");
  ASSERT_GT(bytes.size(), 1000u);
  const JpegResult result = DecodeJpeg(bytes);
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_EQ(result.image.Width(), 1024);
  EXPECT_EQ(result.image.Height(), 768);
  // Not a flat grey: the picture has content.
  EXPECT_NE(result.image.Pixel(10, 10), result.image.Pixel(512, 384));
}

TEST(DecodeJpeg, TruncatedPicturesAreErrors) {
  const std::vector<std::uint8_t> bytes = ReadAsset("frame.jpg");
  ASSERT_GT(bytes.size(), 1000u);
  for (std::size_t keep : {bytes.size() - 2, bytes.size() * 9 / 10, bytes.size() / 2, std::size_t{300},
                           std::size_t{2}, std::size_t{0}}) {
    SCOPED_TRACE(keep);
    const JpegResult result = DecodeJpeg(std::span(bytes.data(), keep));
    EXPECT_FALSE(result.ok());
    EXPECT_TRUE(result.image.Empty());
  }
}

TEST(DecodeJpeg, DamagedDataIsAnError) {
  const std::vector<std::uint8_t> original = ReadAsset("scene.jpg");
  ASSERT_GT(original.size(), 1000u);

  std::vector<std::uint8_t> notJpeg = original;
  notJpeg[0] = 'X';
  EXPECT_FALSE(DecodeJpeg(notJpeg).ok());

  // A marker in the middle of the compressed data: libjpeg calls this a
  // warning and would go on with a damaged picture.
  std::vector<std::uint8_t> marker = original;
  const std::size_t at = marker.size() / 2;
  marker[at] = 0xFF;
  marker[at + 1] = 0xD9;
  const JpegResult result = DecodeJpeg(marker);
  EXPECT_FALSE(result.ok());
  EXPECT_FALSE(result.error.empty());

  const std::vector<std::uint8_t> noise(4096, 0xA5);
  EXPECT_FALSE(DecodeJpeg(noise).ok());
}

}  // namespace
}  // namespace mervalis
