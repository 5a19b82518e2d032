#include "wallpaper/jpeg_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <tuple>
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
  EXPECT_EQ(result.image.Width(), 2048);
  EXPECT_EQ(result.image.Height(), 1536);
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

TEST(DecodeJpeg, ScaledDecodingGivesAFractionOfThePicture) {
  const std::vector<std::uint8_t> bytes = ReadAsset("scene.jpg");
  const JpegResult full = DecodeJpeg(bytes);
  ASSERT_TRUE(full.ok());
  for (const int scale : {2, 4, 8}) {
    SCOPED_TRACE(scale);
    const JpegResult part = DecodeJpeg(bytes, scale);
    ASSERT_TRUE(part.ok()) << part.error;
    ASSERT_EQ(part.image.Width(), 2048 / scale);
    ASSERT_EQ(part.image.Height(), 1536 / scale);
    // Each pixel resembles the block of the full picture that it stands for.
    double difference = 0;
    for (int y = 0; y < part.image.Height(); ++y) {
      for (int x = 0; x < part.image.Width(); ++x) {
        int sum = 0;
        for (int dy = 0; dy < scale; ++dy) {
          for (int dx = 0; dx < scale; ++dx) sum += full.image.Pixel(x * scale + dx, y * scale + dy).g;
        }
        difference += std::abs(part.image.Pixel(x, y).g - sum / (scale * scale));
      }
    }
    EXPECT_LT(difference / (part.image.Width() * part.image.Height()), 4.0);
    // The same picture in eighths.
    EXPECT_TRUE(DecodeJpegEighths(bytes, 8 / scale).image == part.image);
  }
  EXPECT_FALSE(DecodeJpeg(bytes, 3).ok());
  // libjpeg's other eighths, rounded up.
  for (const auto& [eighths, width, height] : {std::tuple{3, 768, 576}, {5, 1280, 960}, {7, 1792, 1344}}) {
    const JpegResult part = DecodeJpegEighths(bytes, eighths);
    EXPECT_EQ(part.image.Width(), width) << eighths;
    EXPECT_EQ(part.image.Height(), height) << eighths;
  }
  EXPECT_FALSE(DecodeJpegEighths(bytes, 0).ok());
  EXPECT_FALSE(DecodeJpegEighths(bytes, 9).ok());
}

TEST(ReadJpegSize, ReadsTheHeaderOnly) {
  const std::vector<std::uint8_t> bytes = ReadAsset("frame.jpg");
  // The header alone is enough.
  const JpegSize size = ReadJpegSize(std::span(bytes).first(1000));
  ASSERT_TRUE(size.ok()) << size.error;
  EXPECT_EQ(size.width, 1024);
  EXPECT_EQ(size.height, 768);
  EXPECT_FALSE(ReadJpegSize(std::vector<std::uint8_t>(64, 0x11)).ok());
}

// The scale 1, 2, 4 or 8 (1/scale of the size) and the eighths (eighths / 8,
// rounded up) at which a picture still covers the size it is drawn at.
TEST(JpegDecodeScale, HalfTheSizeOrLessDecodesSmallerAndEighthsGoAsLowAsCover) {
  struct Case {
    int width, height, drawnWidth, drawnHeight, scale, eighths;
  };
  for (const Case c : {Case{1024, 768, 1024, 768, 1, 8}, Case{1024, 768, 3840, 2160, 1, 8},
                       Case{1024, 768, 513, 384, 1, 5}, Case{1024, 768, 512, 385, 1, 5},
                       Case{1024, 768, 512, 384, 2, 4}, Case{1024, 768, 300, 200, 2, 3},
                       Case{1024, 768, 256, 192, 4, 2}, Case{1024, 768, 128, 96, 8, 1},
                       Case{1024, 768, 5, 5, 8, 1}, Case{1000, 10, 100, 6, 1, 5},
                       Case{2048, 1536, 2047, 1536, 1, 8}, Case{2048, 1536, 1792, 1344, 1, 7},
                       Case{2048, 1536, 1793, 100, 1, 8}, Case{2048, 1536, 718, 538, 2, 3},
                       Case{2048, 1536, 100, 577, 2, 4},
                       Case{1001, 9, 376, 4, 2, 3}}) {  // 1001 * 3 / 8 rounds up to 376
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " drawn " << c.drawnWidth << "x"
                                    << c.drawnHeight);
    EXPECT_EQ(JpegDecodeScale(c.width, c.height, c.drawnWidth, c.drawnHeight), c.scale);
    EXPECT_EQ(JpegDecodeEighths(c.width, c.height, c.drawnWidth, c.drawnHeight), c.eighths);
  }
}

}  // namespace
}  // namespace mervalis
