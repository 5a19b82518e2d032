// The payload's pictures through the platform's codecs (WIC as Wine has it),
// and the renderer's frames as they reach a bitmap through the copy of the
// changed areas only.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "desktop/aquarium_win.h"
#include "desktop/background_win.h"
#include "desktop/picture_decoder_win.h"
#include "desktop/renderer.h"
#include "wine/canvas.h"
#include "wine/support.h"

namespace {

using mervalis::ComInit;
using mervalis::Rect;
using namespace mervalis::desktop;
using wine_test::Canvas;

constexpr std::uint32_t kTransparent = 0;
constexpr int kForever = -1;  // repetitions of a GIF that loops without end

struct Expected {
  int id;
  int width;
  int height;
  std::size_t frames;
  int delayMs;      // of every frame
  int repetitions;  // kForever or 0
  // One opaque pixel of the first frame and one transparent one.
  int x, y;
  std::uint32_t colour;
  int clearX, clearY;
};

// From the payload's pictures, read by a decoder of the test's own.
const Expected kPictures[] = {
    {103, 90, 77, 20, 50, kForever, 45, 38, 0xFF201C23u, 0, 0},
    {104, 90, 77, 20, 50, kForever, -1, 0, 0, 0, 0},
    {105, 70, 48, 10, 50, kForever, -1, 0, 0, 0, 0},
    {106, 70, 48, 10, 50, kForever, 35, 24, 0xFFF98927u, 0, 0},
    {107, 105, 49, 19, 50, kForever, -1, 0, 0, 0, 0},
    {108, 105, 49, 19, 50, kForever, -1, 0, 0, 0, 0},
    {109, 95, 62, 19, 50, kForever, -1, 0, 0, 0, 0},
    {110, 95, 62, 19, 50, kForever, -1, 0, 0, 0, 0},
    {111, 24, 24, 1, 0, 0, -1, 0, 0, 0, 0},
    {112, 14, 14, 1, 0, 0, -1, 0, 0, 0, 0},
    {113, 24, 24, 1, 0, 0, 1, 8, 0xFFC9E4F0u, 12, 12},
    {114, 11, 11, 1, 0, 0, 1, 3, 0xFFE8F8FEu, 0, 0},
    {115, 95, 62, 20, 50, kForever, 47, 31, 0xFF60471Eu, 0, 0},
    {116, 95, 62, 20, 50, kForever, -1, 0, 0, 0, 0},
    {117, 90, 77, 20, 50, kForever, -1, 0, 0, 0, 0},
    {118, 90, 77, 20, 50, kForever, -1, 0, 0, 0, 0},
};

// The program's file, whose resources carry the pictures.
HMODULE Program() {
  static HMODULE module = ::LoadLibraryExA(wine_test::ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  return module;
}

std::uint32_t PixelAt(const Frame& f, int x, int y) { return f.bgra[static_cast<std::size_t>(y) * f.width + x]; }

int Channel(std::uint32_t p, int shift) { return static_cast<int>((p >> shift) & 0xFF); }

TEST(PayloadPictures, EveryPictureDecodesWithItsSizeFramesDelaysAndPixels) {
  ComInit com;
  ASSERT_TRUE(com.ok());
  for (const Expected& e : kPictures) {
    SCOPED_TRACE(e.id);
    PictureFrames picture;
    std::string error;
    ASSERT_TRUE(DecodePicture(ResourceBytes(Program(), e.id), picture, error)) << error;
    ASSERT_EQ(picture.frames.size(), e.frames);
    EXPECT_EQ(picture.repetitions, e.repetitions);
    for (const Frame& f : picture.frames) {
      // Every frame is the whole picture, whatever rectangle the file stores.
      ASSERT_EQ(f.width, e.width);
      ASSERT_EQ(f.height, e.height);
      ASSERT_EQ(f.bgra.size(), static_cast<std::size_t>(e.width) * e.height);
      EXPECT_EQ(f.delayMs, e.delayMs);
    }
    const Frame& first = picture.frames.front();
    if (e.x >= 0) {
      EXPECT_EQ(PixelAt(first, e.x, e.y), e.colour);
      EXPECT_EQ(PixelAt(first, e.clearX, e.clearY), kTransparent);
    }
    // Premultiplied: no colour brighter than its alpha, in any frame.
    for (const Frame& f : picture.frames) {
      for (std::uint32_t p : f.bgra) {
        const int a = Channel(p, 24);
        ASSERT_LE(Channel(p, 16), a);
        ASSERT_LE(Channel(p, 8), a);
        ASSERT_LE(Channel(p, 0), a);
      }
    }
  }
}

TEST(PayloadPictures, PngBubblesKeepTheirAlphaPremultiplied) {
  ComInit com;
  PictureFrames picture;
  std::string error;
  ASSERT_TRUE(DecodePicture(ResourceBytes(Program(), 111), picture, error)) << error;
  ASSERT_EQ(picture.frames.size(), 1u);
  const Frame& f = picture.frames[0];
  // Straight (R, G, B, A) in the file: centre (168, 222, 243, 26), (6, 6)
  // (220, 244, 252, 185), corner fully transparent.
  struct Probe {
    int x, y, r, g, b, a;
  };
  for (const Probe& p : {Probe{12, 12, 168, 222, 243, 26}, Probe{6, 6, 220, 244, 252, 185}}) {
    const std::uint32_t px = PixelAt(f, p.x, p.y);
    EXPECT_EQ(Channel(px, 24), p.a);
    EXPECT_NEAR(Channel(px, 16), p.r * p.a / 255.0, 1.0);
    EXPECT_NEAR(Channel(px, 8), p.g * p.a / 255.0, 1.0);
    EXPECT_NEAR(Channel(px, 0), p.b * p.a / 255.0, 1.0);
  }
  EXPECT_EQ(PixelAt(f, 0, 0), kTransparent);
}

TEST(PayloadPictures, WhatIsNotAPictureIsRefused) {
  ComInit com;
  PictureFrames picture;
  std::string error;
  const std::uint8_t junk[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
  EXPECT_FALSE(DecodePicture(junk, picture, error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(picture.frames.empty());
  EXPECT_FALSE(DecodePicture({}, picture, error));
  // The page template is a resource too, but no picture.
  EXPECT_FALSE(DecodePicture(ResourceBytes(Program(), 119), picture, error));
}

// The background as the mode takes it from its file: the rows top down as
// opaque pixels. A file of another size, cut short, or missing is not taken.
TEST(BackgroundFile, RowsOfTheFileAsOpaquePixels) {
  std::string bmp(54, '\0');
  const auto put32 = [&bmp](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bmp[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * i));
  };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, 54 + 24);
  put32(10, 54);
  put32(14, 40);
  put32(18, 3);   // width
  put32(22, 2);   // height: bottom-up rows
  bmp[26] = 1;    // planes
  bmp[28] = 24;   // bits per pixel
  // Rows of 9 bytes B, G, R padded to 12: the bottom row first.
  bmp += std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09\0\0\0", 12);
  bmp += std::string("\x0A\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\0\0\0", 12);
  const std::string path = wine_test::ArtifactFolder() + "background_rows.bmp";
  ASSERT_TRUE(wine_test::WriteFileBytes(path, bmp));

  std::vector<std::vector<std::uint32_t>> rows(2);
  const BackgroundRow keep = [&rows](int y, const std::uint32_t* pixels) {
    ASSERT_TRUE(y == 0 || y == 1);
    rows[static_cast<std::size_t>(y)].assign(pixels, pixels + 3);
  };
  ASSERT_TRUE(ReadBackgroundFile(path, 3, 2, keep));
  EXPECT_EQ(rows[0], (std::vector<std::uint32_t>{0xFF0C0B0Au, 0xFF0F0E0Du, 0xFF121110u}));
  EXPECT_EQ(rows[1], (std::vector<std::uint32_t>{0xFF030201u, 0xFF060504u, 0xFF090807u}));

  EXPECT_FALSE(ReadBackgroundFile(path, 3, 3, keep));
  EXPECT_FALSE(ReadBackgroundFile(path, 4, 2, keep));
  ASSERT_TRUE(wine_test::WriteFileBytes(path, bmp.substr(0, bmp.size() - 5)));
  EXPECT_FALSE(ReadBackgroundFile(path, 3, 2, keep));
  ::DeleteFileA(path.c_str());
  EXPECT_FALSE(ReadBackgroundFile(path, 3, 2, keep));
}

TEST(RendererOnABitmap, ChangedAreasAloneKeepTheBitmapEqualToTheScene) {
  ComInit com;
  constexpr int kW = 64, kH = 48;
  constexpr std::uint32_t kBackground = 0xFF204060u;
  Renderer renderer(kW, kH);
  renderer.SetBackground(std::vector<std::uint32_t>(kW * kH, kBackground));
  PictureFrames bubble;
  std::string error;
  ASSERT_TRUE(DecodePicture(ResourceBytes(Program(), 111), bubble, error)) << error;
  renderer.SetPicture(Picture::kBubble1Png, std::move(bubble));

  Canvas canvas(kW, kH);
  auto drawAt = [&](int x, int y) {
    Sprite s;
    s.picture = Picture::kBubble1Png;
    s.x = x;
    s.y = y;
    s.width = 24;
    s.height = 24;
    s.visible = true;
    for (const Rect& r : renderer.Draw({s}, 0)) {
      std::vector<std::uint32_t> part(static_cast<std::size_t>(r.Width() * r.Height()));
      renderer.Compose(r, part.data());
      CopyPixels(canvas.dc(), part.data(), r);
    }
  };

  drawAt(10, 5);
  EXPECT_EQ(canvas.At(0, 0), 0x204060u);
  EXPECT_EQ(canvas.At(10, 5), 0x204060u);  // the bubble's transparent corner
  // Its centre: (168, 222, 243) at alpha 26 over (32, 64, 96).
  const std::uint32_t centre = canvas.At(22, 17);
  EXPECT_NEAR(Channel(centre, 16), (168 * 26 + 32 * 229) / 255.0, 2.0);
  EXPECT_NEAR(Channel(centre, 8), (222 * 26 + 64 * 229) / 255.0, 2.0);
  EXPECT_NEAR(Channel(centre, 0), (243 * 26 + 96 * 229) / 255.0, 2.0);

  // Moved: only the changed areas are copied, yet the old place shows the
  // background again and the bitmap equals the whole scene.
  drawAt(36, 20);
  EXPECT_EQ(canvas.At(22, 17), 0x204060u);
  std::vector<std::uint32_t> whole(kW * kH);
  renderer.Compose({0, 0, kW, kH}, whole.data());
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      ASSERT_EQ(canvas.At(x, y), whole[y * kW + x] & 0x00FFFFFFu) << x << "," << y;
    }
  }
  // Nothing moved: nothing to copy.
  Sprite still;
  still.picture = Picture::kBubble1Png;
  still.x = 36;
  still.y = 20;
  still.width = 24;
  still.height = 24;
  still.visible = true;
  EXPECT_TRUE(renderer.Draw({still}, 0).empty());
}

}  // namespace
