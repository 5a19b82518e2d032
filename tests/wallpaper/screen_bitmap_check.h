// Checks shared by the tests of the background bitmap.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <wincodec.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win_handles.h"
#include "payload/expected_files.h"
#include "wine/support.h"

namespace wallpaper_test {

// A 24-bit, bottom-up, uncompressed BMP file of the screen's size.
inline void ExpectScreenSizedBitmap(const std::string& file) {
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  ASSERT_GE(file.size(), 54u);
  EXPECT_EQ(file.substr(0, 2), "BM");
  EXPECT_EQ(wine_test::Read32(file, 2), file.size());
  EXPECT_EQ(wine_test::Read32(file, 10), 54u);
  EXPECT_EQ(wine_test::Read32(file, 14), 40u);
  EXPECT_EQ(wine_test::Read32(file, 18), static_cast<std::uint32_t>(width));
  EXPECT_EQ(wine_test::Read32(file, 22), static_cast<std::uint32_t>(height));  // positive: bottom-up
  EXPECT_EQ(wine_test::Read32(file, 26), 1u | 24u << 16);                      // one plane, 24 bits
  EXPECT_EQ(wine_test::Read32(file, 30), 0u);                                  // uncompressed
  EXPECT_EQ(file.size(), 54 + stride * height);
}

// A picture as Windows' own codecs read it, rows top-down in B, G, R: what
// the composition is compared with, apart from the program's own decoder.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> bgr;
};

inline Picture ReadWithWindowsCodecs(const std::string& file) {
  Picture picture;
  const mervalis::ComInit com;
  mervalis::ComPtr<IWICImagingFactory> factory;
  mervalis::ComPtr<IWICStream> stream;
  mervalis::ComPtr<IWICBitmapDecoder> decoder;
  mervalis::ComPtr<IWICBitmapFrameDecode> frame;
  mervalis::ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  const bool read =
      SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   factory.put_void())) &&
      SUCCEEDED(factory->CreateStream(stream.put())) &&
      SUCCEEDED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(file.data())),
                                             static_cast<DWORD>(file.size()))) &&
      SUCCEEDED(factory->CreateDecoderFromStream(stream.get(), nullptr, WICDecodeMetadataCacheOnLoad,
                                                 decoder.put())) &&
      SUCCEEDED(decoder->GetFrame(0, frame.put())) && SUCCEEDED(factory->CreateFormatConverter(converter.put())) &&
      SUCCEEDED(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone, nullptr,
                                      0.0, WICBitmapPaletteTypeCustom)) &&
      SUCCEEDED(converter->GetSize(&width, &height));
  EXPECT_TRUE(read && width && height) << "Windows could not read the picture";
  if (!read || !width || !height) return picture;
  picture.bgr.resize(std::size_t{width} * height * 3);
  if (SUCCEEDED(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(picture.bgr.size()), picture.bgr.data()))) {
    picture.width = static_cast<int>(width), picture.height = static_cast<int>(height);
  }
  return picture;
}

// The mean difference of a channel between the BMP file's pixels in `area`
// and those of `picture` drawn scaled to fill `drawn`, on a grid of points,
// each the mean of a small square (so that two ways of scaling compare).
inline double MeanDifference(const std::string& bmp, const RECT& area, const Picture& picture, const RECT& drawn) {
  const int width = static_cast<int>(wine_test::Read32(bmp, 18)), height = static_cast<int>(wine_test::Read32(bmp, 22));
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  const double sx = double(picture.width) / (drawn.right - drawn.left), sy = double(picture.height) / (drawn.bottom - drawn.top);
  const auto fileMean = [&](int x, int y, int c) {
    double sum = 0;
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        sum += static_cast<unsigned char>(bmp[54 + (height - 1 - (y + dy)) * stride + (x + dx) * 3 + c]);
      }
    }
    return sum / 9;
  };
  const auto pictureMean = [&](int x, int y, int c) {
    const double cx = (x + 0.5 - drawn.left) * sx, cy = (y + 0.5 - drawn.top) * sy;
    const int x0 = std::clamp(int(cx - 1.5 * sx), 0, picture.width - 1), x1 = std::clamp(int(cx + 1.5 * sx), x0 + 1, picture.width);
    const int y0 = std::clamp(int(cy - 1.5 * sy), 0, picture.height - 1), y1 = std::clamp(int(cy + 1.5 * sy), y0 + 1, picture.height);
    double sum = 0;
    for (int py = y0; py < y1; ++py) {
      for (int px = x0; px < x1; ++px) sum += picture.bgr[(std::size_t(py) * picture.width + px) * 3 + c];
    }
    return sum / ((x1 - x0) * (y1 - y0));
  };
  double total = 0;
  int count = 0;
  constexpr int kSteps = 24;
  for (int j = 0; j < kSteps; ++j) {
    for (int i = 0; i < kSteps; ++i) {
      const int x = area.left + 1 + (area.right - area.left - 3) * i / (kSteps - 1);
      const int y = area.top + 1 + (area.bottom - area.top - 3) * j / (kSteps - 1);
      for (int c = 0; c < 3; ++c, ++count) total += std::abs(fileMean(x, y, c) - pictureMean(x, y, c));
    }
  }
  return total / count;
}

// The background for this screen: black outside the picture (and its frame
// when it shows), the scene filling the middle 70 % of each side (the whole
// screen when stretched), and around it, with the border, a band of the frame
// picture drawn over the scene's place and one to three dozen pixels beyond.
inline void ExpectTheBackgroundLooksComposed(const std::string& bmp, bool stretched, bool border) {
  const LONG width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  const LONG mx = stretched ? 0 : width * 15 / 100, my = stretched ? 0 : height * 15 / 100;
  const RECT scene = {mx, my, width - mx, height - my};
  const Picture picture = ReadWithWindowsCodecs(wine_test::SourceTreeFile("src\\ui\\assets\\scene.jpg"));
  ASSERT_GT(picture.width, 0);
  // Two decoders and two ways of scaling differ by less than half a level;
  // the scene one pixel off its place differs by about one.
  EXPECT_LT(MeanDifference(bmp, scene, picture, scene), 0.75) << "the scene is not where it belongs";
  if (stretched) return;
  const Picture frame = ReadWithWindowsCodecs(wine_test::SourceTreeFile("src\\ui\\assets\\frame.jpg"));
  ASSERT_GT(frame.width, 0);
  // The frame picture's band is 30 of its pixels wide.
  const LONG rx = std::lround(30.0 * (scene.right - scene.left) / frame.width);
  const LONG ry = std::lround(30.0 * (scene.bottom - scene.top) / frame.height);
  const RECT framed = {mx - rx - 1, my - ry - 1, width - mx + rx + 1, height - my + ry + 1};
  const RECT leftBand = {framed.left + 1, my, mx - 1, height - my};
  const RECT outside = {0, 0, framed.left - 2, height};
  const Picture black{1, 1, {0, 0, 0}};
  EXPECT_EQ(MeanDifference(bmp, outside, black, outside), 0.0) << "the field is not black";
  if (border) {
    EXPECT_LT(MeanDifference(bmp, leftBand, frame, framed), 10.0) << "the frame band is not the frame picture";
  } else {
    EXPECT_EQ(MeanDifference(bmp, leftBand, black, leftBand), 0.0) << "a frame shows without the border";
  }
}

}  // namespace wallpaper_test
