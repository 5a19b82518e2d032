#include "wallpaper/image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <utility>
#include <vector>

#include "each_pixel_code.h"
#include "wallpaper/bmp_file.h"

namespace mervalis {
namespace {

// A picture whose every pixel differs from its neighbours.
Image Pattern(int width, int height) {
  Image image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.SetPixel(x, y, {static_cast<std::uint8_t>(x * 37 + y * 11),
                            static_cast<std::uint8_t>(x * 5 + y * 71),
                            static_cast<std::uint8_t>(x * y + 13)});
    }
  }
  return image;
}

// The drawing tests run with each pixel code.
class DrawScaledTest : public EachPixelCode {};
INSTANTIATE_FOR_EACH_PIXEL_CODE(DrawScaledTest);

std::uint32_t Read32(const ByteBuffer& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}
std::uint16_t Read16(const ByteBuffer& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

TEST(Image, SizeAndFill) {
  const Image image(5, 3, {1, 2, 3});
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 3);
  EXPECT_EQ(image.Stride(), 16u);  // padded to whole 32-bit words
  EXPECT_EQ(image.Pixel(4, 2), (Rgb{1, 2, 3}));
  EXPECT_EQ(Image(2, 2).Pixel(1, 1), (Rgb{0, 0, 0}));
  EXPECT_TRUE(Image(0, 7).Empty());
  EXPECT_THROW(Image(-1, 5), std::length_error);
}

TEST_P(DrawScaledTest, InterpolatesBetweenSourcePixels) {
  Image source(2, 1);
  source.SetPixel(1, 0, {255, 255, 255});
  Image wide(4, 1);
  DrawScaled(wide, wide.Bounds(), source);
  // The ends keep the source's own values; the inside pixels lie between them
  // and rise from left to right.
  EXPECT_EQ(wide.Pixel(0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(wide.Pixel(3, 0), (Rgb{255, 255, 255}));
  for (int x = 1; x <= 2; ++x) {
    EXPECT_GT(wide.Pixel(x, 0).r, 0) << x;
    EXPECT_LT(wide.Pixel(x, 0).r, 255) << x;
  }
  EXPECT_LT(wide.Pixel(1, 0).r, wide.Pixel(2, 0).r);
  // Symmetric filter: the two inside values mirror each other.
  EXPECT_EQ(wide.Pixel(1, 0).r + wide.Pixel(2, 0).r, 255);

  // The same vertically.
  Image tallSource(1, 2);
  tallSource.SetPixel(0, 1, {255, 255, 255});
  Image tall(1, 4);
  DrawScaled(tall, tall.Bounds(), tallSource);
  EXPECT_EQ(tall.Pixel(0, 1), wide.Pixel(1, 0));
  EXPECT_EQ(tall.Pixel(0, 2), wide.Pixel(2, 0));
}

TEST_P(DrawScaledTest, PiecesEqualTheWholeAndOnlyTheClipIsWritten) {
  const Image source = Pattern(37, 23);
  // Up in one axis, down in the other; partly outside the image.
  const Rect target{-7, 3, 90, 14};
  Image whole(80, 20, {1, 2, 3});
  DrawScaled(whole, target, source);

  Image pieces(80, 20, {1, 2, 3});
  DrawScaled(pieces, target, source, {-100, -100, 20, 8});
  DrawScaled(pieces, target, source, {20, -100, 200, 8});
  DrawScaled(pieces, target, source, {-100, 8, 33, 200});
  DrawScaled(pieces, target, source, {33, 8, 200, 200});
  EXPECT_EQ(pieces, whole);

  Image clipped(80, 20, {1, 2, 3});
  const Rect clip{10, 5, 12, 9};
  DrawScaled(clipped, target, source, clip);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 80; ++x) {
      const Rgb expected = clip.Contains(x, y) ? whole.Pixel(x, y) : Rgb{1, 2, 3};
      ASSERT_EQ(clipped.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

// The filter written out plainly, one pixel at a time: pixel centres matched,
// 16.16 fixed-point positions, 8-bit weights, the outer pixels repeated.
struct Sample {
  int first, second, weight;
};
Sample ReferenceSample(int src, int dst, int i) {
  const long long pos = (2LL * i + 1) * src * 65536 / (2LL * dst) - 32768;
  if (pos <= 0) return {0, 0, 0};
  const int index = static_cast<int>(pos >> 16);
  if (index >= src - 1) return {src - 1, src - 1, 0};
  return {index, index + 1, static_cast<int>((pos & 0xFFFF) >> 8)};
}
Image ReferenceScale(const Image& source, int width, int height) {
  Image out(width, height);
  auto channel = [](Rgb c, int k) { return k == 0 ? c.r : k == 1 ? c.g : c.b; };
  for (int y = 0; y < height; ++y) {
    const Sample sy = ReferenceSample(source.Height(), height, y);
    for (int x = 0; x < width; ++x) {
      const Sample sx = ReferenceSample(source.Width(), width, x);
      std::uint8_t value[3];
      for (int k = 0; k < 3; ++k) {
        const auto row = [&](int yy) {
          return channel(source.Pixel(sx.first, yy), k) * (256 - sx.weight) +
                 channel(source.Pixel(sx.second, yy), k) * sx.weight;
        };
        const int sum = ((row(sy.first) * (256 - sy.weight)) >> 8) + ((row(sy.second) * sy.weight) >> 8);
        value[k] = static_cast<std::uint8_t>((sum + 128) >> 8);
      }
      out.SetPixel(x, y, {value[0], value[1], value[2]});
    }
  }
  return out;
}

TEST_P(DrawScaledTest, MatchesThePlainFilterAtScreenWidths) {
  // Wide enough rows take every path of the fast code (vectors, the scalar
  // ends); odd sizes put the ends at odd places.
  const Image source = Pattern(301, 37);
  for (const auto& [width, height] : {std::pair{2003, 41}, std::pair{1367, 9}, std::pair{150, 100},
                                      std::pair{301, 37}, std::pair{7, 3}}) {
    SCOPED_TRACE(testing::Message() << width << "x" << height);
    Image out(width, height);
    DrawScaled(out, out.Bounds(), source);
    EXPECT_EQ(out, ReferenceScale(source, width, height));
  }
  // A one-pixel-wide source has nothing to interpolate with.
  const Image column = Pattern(1, 5);
  Image out(4500, 2);
  DrawScaled(out, out.Bounds(), column);
  EXPECT_EQ(out, ReferenceScale(column, 4500, 2));
}

TEST_P(DrawScaledTest, NothingHappensOutsideTheImageOrWithAnEmptySource) {
  const Image before(6, 6, {4, 5, 6});
  Image image = before;
  DrawScaled(image, {10, 10, 40, 40}, Pattern(3, 3));
  DrawScaled(image, {-40, -40, 0, 0}, Pattern(3, 3));
  DrawScaled(image, image.Bounds(), Image());
  DrawScaled(image, {3, 3, 3, 9}, Pattern(3, 3));
  EXPECT_EQ(image, before);
}

TEST_P(DrawScaledTest, UsesThePixelCodeAsked) {
#if defined(__i386__) || defined(__x86_64__)
  // Every x86-64 processor, and so every machine these tests run on, has SSE2.
  EXPECT_EQ(ActivePixelCode(), GetParam());
#else
  EXPECT_EQ(ActivePixelCode(), PixelCode::Plain);
#endif
}

TEST_P(DrawScaledTest, BandsInEitherOrderEqualTheWhole) {
  const Image source = Pattern(53, 29);
  // Up in one axis, down in the other, partly outside the picture, clipped.
  const Rect target{-5, 2, 131, 77};
  const Rect clip{0, 4, 117, 70};
  Image whole(120, 70, {1, 2, 3});
  DrawScaled(whole, target, source, clip);
  for (const int rows : {1, 4, 13, 70}) {
    for (const bool upward : {false, true}) {
      SCOPED_TRACE(testing::Message() << rows << " rows, upward " << upward);
      ScaledDrawing drawing(source, target, clip);
      Image band(120, rows, {1, 2, 3});
      Image assembled(120, 70, {7, 7, 7});
      const int bands = (70 + rows - 1) / rows;
      for (int i = 0; i < bands; ++i) {
        const int top = (upward ? bands - 1 - i : i) * rows;
        band.SetHeightWithinCapacity(std::min(rows, 70 - top));
        FillRect(band, band.Bounds(), {1, 2, 3});
        drawing.Draw(band, top);
        for (int y = 0; y < band.Height(); ++y) {
          for (int x = 0; x < 120; ++x) assembled.SetPixel(x, top + y, band.Pixel(x, y));
        }
      }
      EXPECT_EQ(assembled, whole);
    }
  }
}

TEST_P(DrawScaledTest, AtScaleOneTheRowsAreCopiedAsTheyAre) {
  const Image source = Pattern(41, 30);
  Image image(60, 40, {1, 2, 3});
  DrawScaled(image, {5, 7, 46, 37}, source, {0, 0, 44, 36});
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 60; ++x) {
      const bool inside = x >= 5 && x < 44 && y >= 7 && y < 36;
      const Rgb expected = inside ? source.Pixel(x - 5, y - 7) : Rgb{1, 2, 3};
      ASSERT_EQ(image.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST(Image, HeightWithinCapacityKeepsTheWidthAndTheRowsAsAFileHoldsThem) {
  Image image = Pattern(5, 4);
  image.SetHeightWithinCapacity(2);
  EXPECT_EQ(image.Width(), 5);
  EXPECT_EQ(image.Height(), 2);
  EXPECT_EQ(image.FileRows().size(), 2 * 16u);
  image.SetPixel(4, 1, {7, 8, 9});
  EXPECT_EQ(EncodeBmp24(image).size(), 54u + 2 * 16);
  image.SetHeightWithinCapacity(9);  // no more than it was made with
  EXPECT_EQ(image.Height(), 4);
}

TEST(Bmp24Headers, AreTheHeadersOfTheWholeFile) {
  for (const auto& [width, height] : {std::pair{7, 5}, std::pair{1366, 3}, std::pair{1, 1}}) {
    const ByteBuffer file = EncodeBmp24(Pattern(width, height));
    const auto headers = Bmp24Headers(width, height);
    EXPECT_TRUE(std::equal(headers.begin(), headers.end(), file.begin())) << width << "x" << height;
  }
  EXPECT_THROW((void)Bmp24Headers(0, 5), std::invalid_argument);
  // 65535 x 65535 x 3 bytes do not fit the format's 32-bit sizes.
  EXPECT_THROW((void)Bmp24Headers(65535, 65535), std::length_error);
}

TEST(EncodeBmp24, HeadersAndPaddedBottomUpRows) {
  struct Case {
    int width;
    std::uint32_t rowBytes;
  };
  for (const Case c : {Case{1366, 4100}, Case{1023, 3072}, Case{1, 4}, Case{4, 12}}) {
    SCOPED_TRACE(c.width);
    const int height = 3;
    Image image(c.width, height);
    image.SetPixel(0, 0, {1, 2, 3});                 // top-left
    image.SetPixel(c.width - 1, height - 1, {4, 5, 6});  // bottom-right
    const ByteBuffer file = EncodeBmp24(image);

    ASSERT_EQ(file.size(), 54u + c.rowBytes * height);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(Read32(file, 2), file.size());
    EXPECT_EQ(Read32(file, 6), 0u);
    EXPECT_EQ(Read32(file, 10), 54u);
    EXPECT_EQ(Read32(file, 14), 40u);
    EXPECT_EQ(Read32(file, 18), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(Read32(file, 22), static_cast<std::uint32_t>(height));  // positive: bottom-up
    EXPECT_EQ(Read16(file, 26), 1);
    EXPECT_EQ(Read16(file, 28), 24);
    EXPECT_EQ(Read32(file, 30), 0u);
    EXPECT_EQ(Read32(file, 34), c.rowBytes * height);

    // The first stored row is the image's bottom row, in B, G, R order.
    const std::size_t bottomRight = 54 + 3 * static_cast<std::size_t>(c.width - 1);
    EXPECT_EQ(file[bottomRight], 6);
    EXPECT_EQ(file[bottomRight + 1], 5);
    EXPECT_EQ(file[bottomRight + 2], 4);
    const std::size_t topLeft = 54 + c.rowBytes * (height - 1);
    EXPECT_EQ(file[topLeft], 3);
    EXPECT_EQ(file[topLeft + 1], 2);
    EXPECT_EQ(file[topLeft + 2], 1);
    for (int row = 0; row < height; ++row) {
      for (std::size_t pad = 3 * static_cast<std::size_t>(c.width); pad < c.rowBytes; ++pad) {
        EXPECT_EQ(file[54 + c.rowBytes * row + pad], 0);
      }
    }
  }
  EXPECT_THROW((void)EncodeBmp24(Image()), std::invalid_argument);
}

TEST(EncodeBmp24, TakingOverTheImageGivesTheSameFile) {
  Image image = Pattern(7, 5);
  const ByteBuffer copied = EncodeBmp24(image);
  EXPECT_EQ(image, Pattern(7, 5));  // the copy leaves it alone
  const ByteBuffer moved = EncodeBmp24(std::move(image));
  EXPECT_EQ(moved, copied);
  EXPECT_TRUE(image.Empty());
}

}  // namespace
}  // namespace mervalis

namespace mervalis {
namespace {

// A file read back row by row, fed in pieces of any size, gives the picture's
// rows top down; headers of another size or form are refused.
TEST(Bmp24RowReader, RowsOfTheFileInPiecesOfAnySizeAndOtherFilesRefused) {
  const int w = 7, h = 5;
  const Image image = Pattern(w, h);
  const ByteBuffer bottomUp = EncodeBmp24(image);
  const std::size_t stride = 24;  // 21 bytes and their padding
  ByteBuffer topDown(bottomUp.begin(), bottomUp.begin() + 54);
  topDown[22] = 0xFB;  // -5
  topDown[23] = topDown[24] = topDown[25] = 0xFF;
  for (int y = 0; y < h; ++y) {
    const auto row = bottomUp.begin() + static_cast<std::ptrdiff_t>(54 + stride * static_cast<std::size_t>(h - 1 - y));
    topDown.insert(topDown.end(), row, row + static_cast<std::ptrdiff_t>(stride));
  }
  struct Case {
    const ByteBuffer* file;
    std::vector<int> order;
  };
  for (const Case& c : {Case{&bottomUp, {4, 3, 2, 1, 0}}, Case{&topDown, {0, 1, 2, 3, 4}}}) {
    for (const std::size_t piece : {std::size_t{1}, std::size_t{5}, std::size_t{54}, c.file->size()}) {
      SCOPED_TRACE(piece);
      std::vector<int> order;
      Bmp24RowReader reader(w, h, [&](int y, std::span<const std::uint8_t> bgr) {
        order.push_back(y);
        ASSERT_EQ(bgr.size(), 21u);
        EXPECT_TRUE(std::equal(bgr.begin(), bgr.end(), image.Row(y))) << "row " << y;
      });
      for (std::size_t at = 0; at < c.file->size(); at += piece) {
        ASSERT_TRUE(reader.Feed(std::span(*c.file).subspan(at, std::min(piece, c.file->size() - at))));
        EXPECT_EQ(reader.Complete(), at + piece >= c.file->size());
      }
      EXPECT_EQ(order, c.order);
    }
  }
  struct Change {
    std::size_t at;
    std::uint8_t value;
  };
  for (const Change change : {Change{0, 'X'}, Change{10, 60}, Change{14, 108}, Change{18, 8}, Change{22, 6},
                              Change{26, 2}, Change{28, 32}, Change{30, 3}}) {
    ByteBuffer file = bottomUp;
    file[change.at] = change.value;
    int rows = 0;
    Bmp24RowReader reader(w, h, [&](int, std::span<const std::uint8_t>) { ++rows; });
    EXPECT_FALSE(reader.Feed(file)) << "byte " << change.at;
    EXPECT_FALSE(reader.Complete());
    EXPECT_EQ(rows, 0);
  }
  Bmp24RowReader taller(w, h + 1, [](int, std::span<const std::uint8_t>) {});
  EXPECT_FALSE(taller.Feed(bottomUp));
  // Sizes whose file passes 4 GiB, some of whose rows wrap round a 32-bit
  // size (0x55555556 * 3 is 2 in 32 bits), are refused before anything is read.
  for (const auto& [width, height] : {std::pair{0x55555556, 1}, {0x7FFFFFFF, 1}, {65536, 65536}, {-3, 2}}) {
    ByteBuffer headers(bottomUp.begin(), bottomUp.begin() + kBmpHeadersSize);
    for (int i = 0; i < 4; ++i) {
      headers[18 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) >> (8 * i));
      headers[22 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (8 * i));
    }
    Bmp24RowReader huge(width, height, [](int, std::span<const std::uint8_t>) { FAIL(); });
    EXPECT_FALSE(huge.Feed(headers)) << width << "x" << height;
  }
}

}  // namespace
}  // namespace mervalis
