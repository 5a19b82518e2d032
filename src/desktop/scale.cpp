#include "desktop/scale.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mervalis::desktop {
namespace {

// floor(numerator / denominator) for a positive denominator.
std::int64_t FloorDivide(std::int64_t numerator, std::int64_t denominator) noexcept {
  const std::int64_t quotient = numerator / denominator;
  return quotient * denominator > numerator ? quotient - 1 : quotient;
}

// Catmull-Rom: sharp, and exact for pictures that are linear across a few
// pixels; its slight overshoot at hard edges is held in range afterwards.
double Cubic(double x) noexcept {
  x = std::fabs(x);
  if (x < 1) return (1.5 * x - 2.5) * x * x + 1;
  if (x < 2) return ((-0.5 * x + 2.5) * x - 4) * x + 2;
  return 0;
}

// The source samples and weights of each target sample along one side.
struct Taps {
  std::vector<int> first;       // per target sample: its first source sample
  std::vector<int> count;       // and how many it takes
  std::vector<double> weights;  // `count` each, one target after another
};

Taps TapsFor(int from, int to) {
  Taps taps;
  const double ratio = static_cast<double>(to) / from;
  // Shrinking widens the filter over the source, so that every source
  // sample counts.
  const double stretch = std::min(1.0, ratio);
  const double radius = 2 / stretch;
  for (int i = 0; i < to; ++i) {
    const double centre = (i + 0.5) / ratio - 0.5;
    const int low = static_cast<int>(std::floor(centre - radius)) + 1;
    const int high = static_cast<int>(std::floor(centre + radius));
    double sum = 0;
    const std::size_t start = taps.weights.size();
    for (int j = low; j <= high; ++j) {
      const double w = Cubic((j - centre) * stretch);
      taps.weights.push_back(w);
      sum += w;
    }
    for (std::size_t k = start; k < taps.weights.size(); ++k) taps.weights[k] /= sum;
    taps.first.push_back(low);
    taps.count.push_back(high - low + 1);
  }
  return taps;
}

Frame ScaleFrame(const Frame& source, int width, int height) {
  Frame out;
  out.width = width;
  out.height = height;
  out.delayMs = source.delayMs;
  if (width <= 0 || height <= 0 || source.width <= 0 || source.height <= 0) {
    out.width = out.height = 0;
    return out;
  }
  const Taps across = TapsFor(source.width, width);
  const Taps down = TapsFor(source.height, height);
  const auto channel = [](std::uint32_t pixel, int c) { return static_cast<double>((pixel >> (8 * c)) & 0xFF); };
  // Across first, into source.height rows of width samples, 4 channels each.
  std::vector<double> rows(static_cast<std::size_t>(source.height) * static_cast<std::size_t>(width) * 4);
  for (int y = 0; y < source.height; ++y) {
    const std::uint32_t* row = source.bgra.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(source.width);
    std::size_t weight = 0;
    for (int x = 0; x < width; ++x) {
      double* sums = &rows[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
      for (int k = 0; k < across.count[static_cast<std::size_t>(x)]; ++k, ++weight) {
        const int at = std::clamp(across.first[static_cast<std::size_t>(x)] + k, 0, source.width - 1);
        for (int c = 0; c < 4; ++c) sums[c] += across.weights[weight] * channel(row[at], c);
      }
    }
  }
  out.bgra.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  std::size_t weight = 0;
  for (int y = 0; y < height; ++y) {
    const std::size_t firstWeight = weight;
    for (int x = 0; x < width; ++x) {
      double sums[4] = {};
      weight = firstWeight;
      for (int k = 0; k < down.count[static_cast<std::size_t>(y)]; ++k, ++weight) {
        const int at = std::clamp(down.first[static_cast<std::size_t>(y)] + k, 0, source.height - 1);
        const double* sample = &rows[(static_cast<std::size_t>(at) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 4];
        for (int c = 0; c < 4; ++c) sums[c] += down.weights[weight] * sample[c];
      }
      // Premultiplied stays premultiplied: no channel above the alpha.
      const long alpha = std::clamp(std::lround(sums[3]), 0L, 255L);
      std::uint32_t pixel = static_cast<std::uint32_t>(alpha) << 24;
      for (int c = 0; c < 3; ++c) {
        pixel |= static_cast<std::uint32_t>(std::clamp(std::lround(sums[c]), 0L, alpha)) << (8 * c);
      }
      out.bgra[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)] = pixel;
    }
  }
  return out;
}

}  // namespace

int Scale::ToPhysical(int logical) const noexcept {
  return static_cast<int>(FloorDivide(2 * static_cast<std::int64_t>(logical) * Dpi() + kUnscaledDpi,
                                      2 * kUnscaledDpi));
}

int Scale::ToLogical(int physical) const noexcept {
  return static_cast<int>(FloorDivide(2 * static_cast<std::int64_t>(physical) * kUnscaledDpi + Dpi(), 2 * Dpi()));
}

void ScaleSprites(const std::vector<Sprite>& logical, Scale scale, std::vector<Sprite>& physical) {
  physical.resize(logical.size());
  for (std::size_t i = 0; i < logical.size(); ++i) {
    const Sprite& s = logical[i];
    Sprite& p = physical[i];
    p = s;
    p.x = scale.ToPhysical(s.x);
    p.y = scale.ToPhysical(s.y);
    p.width = scale.ToPhysical(s.width);
    p.height = scale.ToPhysical(s.height);
  }
}

std::shared_ptr<const PictureFrames> ScalePicture(std::shared_ptr<const PictureFrames> picture, Scale scale) {
  if (!picture || scale.Unscaled()) return picture;
  auto scaled = std::make_shared<PictureFrames>();
  scaled->repetitions = picture->repetitions;
  for (const Frame& frame : picture->frames) {
    scaled->frames.push_back(ScaleFrame(frame, scale.ToPhysical(frame.width), scale.ToPhysical(frame.height)));
  }
  return scaled;
}

ScaledScene::ScaledScene(const SceneConfig& physical, Scale scale, std::uint32_t seed)
    : scale_(scale),
      scene_(SceneConfig{scale.ToLogical(physical.screenWidth), scale.ToLogical(physical.screenHeight),
                         physical.stretched},
             seed) {
  if (!scale_.Unscaled()) ScaleSprites(scene_.Sprites(), scale_, sprites_);
}

void ScaledScene::AdvanceTo(std::uint64_t ms) {
  scene_.AdvanceTo(ms);
  if (!scale_.Unscaled()) ScaleSprites(scene_.Sprites(), scale_, sprites_);
}

}  // namespace mervalis::desktop
