#include "wallpaper/background.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "each_pixel_code.h"
#include "wallpaper/jpeg_decode.h"

namespace mervalis {
namespace {

// The field around the picture.
constexpr Rgb kBlack = {0, 0, 0};

Image LoadAsset(const std::string& name) {
  std::ifstream in(std::string(MERVALIS_UI_ASSET_DIR) + "/" + name, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  JpegResult result = DecodeJpeg(bytes);
  EXPECT_TRUE(result.ok()) << name << ": " << result.error;
  return std::move(result.image);
}

// The picture scaled on its own to the size of `target`.
Image ScaledAlone(const Image& picture, const Rect& target) {
  Image out(target.Width(), target.Height());
  DrawScaled(out, out.Bounds(), picture);
  return out;
}

// Each test runs with each pixel code.
class ComposeBackgroundTest : public EachPixelCode {
 protected:
  static void SetUpTestSuite() {
    scene_ = new Image(LoadAsset("scene.jpg"));
    frame_ = new Image(LoadAsset("frame.jpg"));
  }
  static void TearDownTestSuite() {
    delete scene_;
    delete frame_;
  }
  static BackgroundInputs Inputs(int width, int height) {
    BackgroundInputs inputs;
    inputs.width = width;
    inputs.height = height;
    inputs.scene = *scene_;
    inputs.frame = *frame_;
    return inputs;
  }
  static Image* scene_;
  static Image* frame_;
};
Image* ComposeBackgroundTest::scene_ = nullptr;
Image* ComposeBackgroundTest::frame_ = nullptr;
INSTANTIATE_FOR_EACH_PIXEL_CODE(ComposeBackgroundTest);

TEST_P(ComposeBackgroundTest, CentredWithBorderAt1024x768) {
  BackgroundInputs inputs = Inputs(1024, 768);
  inputs.showBorder = true;
  const Image image = ComposeBackground(inputs);
  ASSERT_EQ(image.Width(), 1024);
  ASSERT_EQ(image.Height(), 768);

  const Rect p{153, 115, 871, 653};
  const Rect f{131, 93, 893, 675};
  const Image scene = ScaledAlone(*scene_, p);
  const Image frame = ScaledAlone(*frame_, f);
  int frameNotBlack = 0;
  for (int y = 0; y < 768; ++y) {
    for (int x = 0; x < 1024; ++x) {
      const Rgb got = image.Pixel(x, y);
      if (p.Contains(x, y)) {
        ASSERT_EQ(got, scene.Pixel(x - p.left, y - p.top)) << x << "," << y;
      } else if (f.Contains(x, y)) {
        ASSERT_EQ(got, frame.Pixel(x - f.left, y - f.top)) << x << "," << y;
        if (got != kBlack) ++frameNotBlack;
      } else {
        ASSERT_EQ(got, kBlack) << x << "," << y;
      }
    }
  }
  // The band shows the frame picture's bevel, not its black interior.
  const int bandPixels = f.Width() * f.Height() - p.Width() * p.Height();
  EXPECT_GT(frameNotBlack, bandPixels / 2);
}

TEST_P(ComposeBackgroundTest, CentredWithoutBorderIsTheSceneOnBlack) {
  const Image image = ComposeBackground(Inputs(800, 600));
  const Rect p{120, 90, 680, 510};
  const Image scene = ScaledAlone(*scene_, p);
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      const Rgb expected = p.Contains(x, y) ? scene.Pixel(x - p.left, y - p.top) : kBlack;
      ASSERT_EQ(image.Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_P(ComposeBackgroundTest, WithoutASceneTheWholeFrameShows) {
  // Only the band is drawn when the scene covers the rest; without a scene
  // the frame's interior must show as if the frame had been drawn whole.
  BackgroundInputs inputs = Inputs(640, 480);
  inputs.showBorder = true;
  inputs.scene = Image();
  const Image image = ComposeBackground(inputs);
  const Rect f{82, 58, 558, 422};
  Image expected(640, 480);
  DrawScaled(expected, f, *frame_);
  EXPECT_EQ(image, expected);
}

TEST_P(ComposeBackgroundTest, StretchedIgnoresBorderAndDecoration) {
  BackgroundInputs plain = Inputs(700, 500);
  plain.stretched = true;
  BackgroundInputs boxes = plain;
  boxes.showBorder = true;
  boxes.decorate = true;
  boxes.decorationLeft = Image(20, 20, {255, 0, 0});
  boxes.decorationLeft.SetPixel(0, 19, {1, 1, 1});
  boxes.decorationRight = boxes.decorationLeft;
  const Image image = ComposeBackground(boxes);
  EXPECT_EQ(image, ComposeBackground(plain));
  EXPECT_EQ(image, ScaledAlone(*scene_, {0, 0, 700, 500}));
}

TEST_P(ComposeBackgroundTest, DecorationScattersBothPicturesBehindTheScene) {
  BackgroundInputs inputs = Inputs(600, 400);
  inputs.decorate = true;
  inputs.scene = Image();  // so that nothing covers the decoration
  const Rgb key{9, 9, 9};
  inputs.decorationLeft = Image(8, 6, {255, 0, 0});
  inputs.decorationLeft.SetPixel(0, 5, key);
  inputs.decorationRight = Image(8, 6, {0, 255, 0});
  inputs.decorationRight.SetPixel(0, 5, key);
  inputs.decorationSeed = 12345;

  const Image image = ComposeBackground(inputs);
  int red = 0, green = 0;
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) {
      const Rgb c = image.Pixel(x, y);
      ASSERT_NE(c, key);
      if (c == Rgb{255, 0, 0}) {
        ++red;
        // A left picture starts left of W/2 - w/2 and is w wide.
        ASSERT_LT(x, 600 / 2 - 8 / 2 + 8);
      } else if (c == Rgb{0, 255, 0}) {
        ++green;
        ASSERT_GE(x, 600 / 2 - 8 / 2);
      } else {
        ASSERT_EQ(c, kBlack);
      }
    }
  }
  EXPECT_GT(red, 0);
  EXPECT_GT(green, 0);
  // The same seed gives the same picture; another seed another one.
  EXPECT_EQ(ComposeBackground(inputs), image);
  inputs.decorationSeed = 54321;
  EXPECT_NE(ComposeBackground(inputs), image);

  // The scene covers the decoration inside its rectangle.
  inputs.scene = *scene_;
  const Image covered = ComposeBackground(inputs);
  const Rect p{90, 60, 510, 340};
  const Image scene = ScaledAlone(*scene_, p);
  for (int y = p.top; y < p.bottom; y += 7) {
    for (int x = p.left; x < p.right; x += 7) {
      ASSERT_EQ(covered.Pixel(x, y), scene.Pixel(x - p.left, y - p.top));
    }
  }
}

TEST_P(ComposeBackgroundTest, EmptyDecorationPicturesDrawNothing) {
  BackgroundInputs inputs = Inputs(640, 480);
  inputs.showBorder = true;
  const Image undecorated = ComposeBackground(inputs);
  inputs.decorate = true;
  inputs.decorationSeed = 7;
  EXPECT_EQ(ComposeBackground(inputs), undecorated);
}

TEST_P(ComposeBackgroundTest, RefusesSizesOutOfRange) {
  for (const auto& [w, h] : {std::pair{0, 768}, std::pair{1024, -1}, std::pair{70000, 10}}) {
    EXPECT_THROW((void)ComposeBackground(Inputs(w, h)), std::invalid_argument);
  }
  const Image tiny = ComposeBackground(Inputs(1, 1));
  EXPECT_EQ(tiny.Width(), 1);
}

}  // namespace
}  // namespace mervalis
