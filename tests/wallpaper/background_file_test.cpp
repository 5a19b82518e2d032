// The background bitmap written in bands, and the pictures decoded for it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "each_pixel_code.h"
#include "wallpaper/background.h"
#include "wallpaper/bmp_file.h"
#include "wallpaper/jpeg_decode.h"

namespace mervalis {
namespace {

std::vector<std::uint8_t> ReadAsset(const std::string& name) {
  std::ifstream in(std::string(MERVALIS_UI_ASSET_DIR) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<std::uint8_t>& SceneJpeg() {
  static const std::vector<std::uint8_t> bytes = ReadAsset("scene.jpg");
  return bytes;
}
const std::vector<std::uint8_t>& FrameJpeg() {
  static const std::vector<std::uint8_t> bytes = ReadAsset("frame.jpg");
  return bytes;
}

class BackgroundFile : public EachPixelCode {};
INSTANTIATE_FOR_EACH_PIXEL_CODE(BackgroundFile);

// The streamed file, each piece placed at its offset, the pieces' offsets
// and sizes, and the steps reported on the way.
struct Streamed {
  std::vector<std::uint8_t> bytes;
  std::vector<std::pair<std::size_t, std::size_t>> pieces;
  std::vector<CompositionStep> steps;
  bool ok = false;
};
Streamed Stream(const BackgroundInputs& inputs, std::size_t bandBytes) {
  Streamed out;
  out.ok = WriteBackgroundFile(
      inputs,
      [&out](std::size_t offset, std::span<const std::uint8_t> piece) {
        out.bytes.resize(std::max(out.bytes.size(), offset + piece.size()));
        std::copy(piece.begin(), piece.end(), out.bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        out.pieces.emplace_back(offset, piece.size());
        return true;
      },
      [&out](CompositionStep step) { out.steps.push_back(step); }, bandBytes);
  return out;
}

TEST_P(BackgroundFile, BandsGiveTheFileOfTheWholePicture) {
  const Image scene = DecodeJpeg(SceneJpeg()).image;
  const Image frame = DecodeJpeg(FrameJpeg()).image;
  Image decoration(9, 7, {200, 30, 40});
  decoration.SetPixel(0, 6, {1, 2, 3});
  struct Case {
    int width, height;
    bool stretched, border, decorate;
  };
  for (const Case c : {Case{640, 480, false, true, false}, Case{333, 201, false, true, true},
                       Case{701, 95, true, false, false}, Case{50, 300, false, false, true}}) {
    BackgroundInputs inputs;
    inputs.width = c.width;
    inputs.height = c.height;
    inputs.stretched = c.stretched;
    inputs.showBorder = c.border;
    inputs.decorate = c.decorate;
    inputs.decorationLeft = decoration;
    inputs.decorationRight = Image(5, 5, {10, 250, 10});
    inputs.decorationSeed = 99;
    inputs.scene = scene;
    inputs.frame = frame;
    const ByteBuffer whole = EncodeBmp24(ComposeBackground(inputs));
    const std::size_t stride = (static_cast<std::size_t>(c.width) * 3 + 3) / 4 * 4;
    // One row, a few rows, a band size that leaves a short last band, all.
    for (const std::size_t bandBytes : {std::size_t{1}, 3 * stride, 17 * stride + 5,
                                        kBackgroundBandBytes}) {
      SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << ", band " << bandBytes);
      const Streamed streamed = Stream(inputs, bandBytes);
      ASSERT_TRUE(streamed.ok);
      EXPECT_TRUE(std::equal(whole.begin(), whole.end(), streamed.bytes.begin(), streamed.bytes.end()));
      // The headers, then bands of whole rows no larger than asked for (at
      // least one row), from the file's end to its start without a gap or
      // overlap: the top band, which the file holds last, first.
      ASSERT_GE(streamed.pieces.size(), 2u);
      EXPECT_EQ(streamed.pieces[0], (std::pair<std::size_t, std::size_t>{0, 54}));
      std::size_t end = whole.size();
      for (std::size_t i = 1; i < streamed.pieces.size(); ++i) {
        const auto [offset, size] = streamed.pieces[i];
        EXPECT_EQ(size % stride, 0u);
        EXPECT_LE(size, std::max(stride, bandBytes));
        EXPECT_EQ(offset + size, end);
        end = offset;
      }
      EXPECT_EQ(end, 54u);
    }
  }
}

TEST_P(BackgroundFile, ReportsTheStepsInOrderAndStopsWhenTheSinkRefuses) {
  BackgroundInputs inputs;
  inputs.width = 200;
  inputs.height = 150;
  inputs.showBorder = true;
  inputs.scene = DecodeJpeg(SceneJpeg()).image;
  inputs.frame = DecodeJpeg(FrameJpeg()).image;
  const Streamed streamed = Stream(inputs, 600 * 10);
  EXPECT_EQ(streamed.steps,
            (std::vector<CompositionStep>{CompositionStep::ImageCreated, CompositionStep::LayoutChosen,
                                          CompositionStep::BeforeBorder, CompositionStep::BeforeDraw,
                                          CompositionStep::AfterDraw}));
  int calls = 0;
  const bool ok = WriteBackgroundFile(inputs, [&calls](std::size_t, std::span<const std::uint8_t>) {
    return ++calls < 3;
  }, {}, 600 * 10);
  EXPECT_FALSE(ok);
  EXPECT_EQ(calls, 3);

  inputs.width = 0;
  EXPECT_THROW((void)WriteBackgroundFile(inputs, [](std::size_t, std::span<const std::uint8_t>) { return true; }),
               std::invalid_argument);
}

// Mean absolute difference of two pictures of one size, per channel.
double MeanDifference(const Image& a, const Image& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      const Rgb p = a.Pixel(x, y);
      const Rgb q = b.Pixel(x, y);
      sum += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
    }
  }
  return sum / (3.0 * a.Width() * a.Height());
}

TEST(DecodeBackgroundPictures, DecodesWhatIsDrawnAtTheSizeItIsDrawn) {
  // The scene picture is 2048 x 1536, the frame picture 1024 x 768.
  struct Case {
    int width, height;
    bool stretched, border;
    int sceneWidth, sceneHeight;  // as decoded
    int frameWidth, frameHeight;  // as decoded; 0 when not decoded
  };
  for (const Case c : {
           // The scene in eighths of its size, the smallest that covers its
           // place; the frame at 1, 1/2, 1/4 or 1/8.
           Case{1024, 768, true, true, 1024, 768, 0, 0},    // stretched: no frame
           Case{1024, 768, false, false, 768, 576, 0, 0},   // no border: no frame; scene 718 x 538
           Case{1024, 768, false, true, 768, 576, 1024, 768},
           Case{2048, 1536, true, false, 2048, 1536, 0, 0},
           Case{512, 384, true, false, 512, 384, 0, 0},     // half size
           Case{513, 384, true, false, 768, 576, 0, 0},     // a pixel more than half: 3/8
           Case{640, 480, false, true, 512, 384, 512, 384},  // scene 448 x 336, frame 476 x 364
           Case{800, 600, false, true, 768, 576, 1024, 768},  // scene 560 x 420
           Case{256, 192, true, false, 256, 192, 0, 0},
           Case{100, 60, false, true, 256, 192, 128, 96},
           Case{1280, 960, true, false, 1280, 960, 0, 0},   // 5/8
           Case{1366, 757, true, false, 1536, 1152, 0, 0},  // 6/8; a height of no band's multiple
           Case{1600, 1201, true, false, 1792, 1344, 0, 0},  // 7/8
           Case{1920, 1080, false, true, 1536, 1152, 1024, 768}}) {  // scene 1344 x 756
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " stretched " << c.stretched
                                    << " border " << c.border);
    BackgroundInputs inputs;
    inputs.width = c.width;
    inputs.height = c.height;
    inputs.stretched = c.stretched;
    inputs.showBorder = c.border;
    ASSERT_FALSE(DecodeBackgroundPictures(inputs, SceneJpeg(), FrameJpeg()).has_value());
    EXPECT_EQ(inputs.scene.Width(), c.sceneWidth);
    EXPECT_EQ(inputs.scene.Height(), c.sceneHeight);
    EXPECT_EQ(inputs.frame.Width(), c.frameWidth);
    EXPECT_EQ(inputs.frame.Height(), c.frameHeight);
    // The layout goes by the frame picture's own size.
    EXPECT_EQ(inputs.frameWidth, c.frameWidth ? 1024 : 0);
    EXPECT_EQ(inputs.frameHeight, c.frameHeight ? 768 : 0);

    // The scene read a row at a time as the bands go down: the same picture.
    BackgroundInputs byRows = inputs;
    ASSERT_FALSE(DecodeBackgroundPictures(byRows, SceneJpeg(), FrameJpeg(), true).has_value());
    EXPECT_TRUE(byRows.scene.Empty());
    const Image whole = ComposeBackground(inputs);
    Image rows = Image::Unfilled(c.width, c.height);
    ComposeBackgroundDownward(byRows, [&](int y, const std::uint8_t* bgr) {
      std::copy(bgr, bgr + 3 * c.width, rows.Row(y));
    }, 3 * c.width * 7);
    EXPECT_EQ(byRows.sceneRows->Error(), "");
    EXPECT_TRUE(rows == whole);

    // Written a row band at a time, each at its place in the file, with the
    // scene read a row at a time: the file of the whole picture.
    const ByteBuffer file = EncodeBmp24(whole);
    const std::size_t stride = (static_cast<std::size_t>(c.width) * 3 + 3) / 4 * 4;
    for (const std::size_t bandBytes : {7 * stride, kBackgroundBandBytes}) {
      ASSERT_FALSE(DecodeBackgroundPictures(byRows, SceneJpeg(), FrameJpeg(), true).has_value());
      const Streamed streamed = Stream(byRows, bandBytes);
      EXPECT_TRUE(streamed.ok);
      EXPECT_EQ(byRows.sceneRows->Error(), "");
      EXPECT_TRUE(std::equal(file.begin(), file.end(), streamed.bytes.begin(), streamed.bytes.end())) << bandBytes;
    }
  }
}

TEST(DecodeBackgroundPictures, SmallerDecodingKeepsTheLayoutAndLooksAlike) {
  BackgroundInputs small;
  small.width = 640;
  small.height = 480;
  small.showBorder = true;
  ASSERT_FALSE(DecodeBackgroundPictures(small, SceneJpeg(), FrameJpeg()).has_value());
  ASSERT_EQ(small.frame.Width(), 512);
  BackgroundInputs full = small;
  full.scene = DecodeJpeg(SceneJpeg()).image;
  full.frame = DecodeJpeg(FrameJpeg()).image;
  full.frameWidth = full.frameHeight = 0;
  const Image fromSmall = ComposeBackground(small);
  const Image fromFull = ComposeBackground(full);
  EXPECT_LT(MeanDifference(fromSmall, fromFull), 3.0);
  // The frame rectangle of the worked example, (82, 58, 558, 422), and the
  // black field around it: black outside, the frame's bevel just inside.
  for (const int y : {100, 240, 400}) {
    EXPECT_EQ(fromSmall.Pixel(81, y), kBackgroundFill) << y;
    EXPECT_EQ(fromSmall.Pixel(558, y), kBackgroundFill) << y;
    EXPECT_NE(fromSmall.Pixel(83, y), kBackgroundFill) << y;
    EXPECT_NE(fromSmall.Pixel(556, y), kBackgroundFill) << y;
  }
}

TEST(DecodeBackgroundPictures, TheFrameIsReadOnlyWhenItIsDrawn) {
  const std::vector<std::uint8_t> broken(100, 0x55);
  BackgroundInputs inputs;
  inputs.width = 800;
  inputs.height = 600;
  inputs.stretched = true;
  inputs.showBorder = true;
  EXPECT_FALSE(DecodeBackgroundPictures(inputs, SceneJpeg(), broken).has_value());
  inputs.stretched = false;
  inputs.showBorder = false;
  EXPECT_FALSE(DecodeBackgroundPictures(inputs, SceneJpeg(), broken).has_value());

  inputs.showBorder = true;
  std::optional<PictureFailure> failure = DecodeBackgroundPictures(inputs, SceneJpeg(), broken);
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->picture, BackgroundPicture::Frame);
  EXPECT_FALSE(failure->error.empty());

  failure = DecodeBackgroundPictures(inputs, std::span(SceneJpeg()).first(2000), FrameJpeg());
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->picture, BackgroundPicture::Scene);
  // Read a row at a time, the same picture fails when its rows run out.
  ASSERT_FALSE(DecodeBackgroundPictures(inputs, std::span(SceneJpeg()).first(20000), FrameJpeg(), true));
  ComposeBackgroundDownward(inputs, [](int, const std::uint8_t*) {});
  EXPECT_NE(inputs.sceneRows->Error(), "");
}

}  // namespace
}  // namespace mervalis
