#include "wallpaper/background.h"

#include <cmath>
#include <random>
#include <stdexcept>

namespace mervalis {

namespace {

// Rounds to single precision at exactly this point. On x87 (the 32-bit
// Windows build) GCC may keep a float in an 80-bit register, and the frame
// width must come out as the single-precision arithmetic gives it, since an
// exact half rounds down where a hair more rounds up.
float ToSingle(double value) noexcept {
  volatile float stored = static_cast<float>(value);
  return stored;
}

// A pseudo-random integer in [0, k); 0 when k is 0.
int RandomBelow(std::minstd_rand& random, int k) {
  if (k <= 0) return 0;
  return std::uniform_int_distribution<int>(0, k - 1)(random);
}

void Decorate(Image& image, const Image& left, const Image& right, std::uint32_t seed) {
  if (left.Empty() && right.Empty()) return;
  std::minstd_rand random(seed);
  const int w = left.Width();
  const int h = left.Height();
  const int count = image.Width() / 3;
  const int leftLimit = image.Width() / 2 - w / 2;
  for (int i = 0; i < count; ++i) {
    const int x = RandomBelow(random, image.Width() + w) - w;
    const int y = RandomBelow(random, image.Height() + h) - h;
    DrawTransparent(image, x, y, x < leftLimit ? left : right);
  }
}

// The frame picture scaled to the frame rectangle. When the scene is going to
// cover the picture rectangle anyway, only the band around it is drawn; the
// scaler's pixels do not depend on the clip, so the result is the same.
void DrawFrame(Image& image, const BackgroundLayout& layout, const Image& frame,
               bool sceneCovers) {
  const Rect& f = layout.frame;
  const Rect& p = layout.picture;
  if (!sceneCovers) {
    DrawScaled(image, f, frame);
    return;
  }
  DrawScaled(image, f, frame, {f.left, f.top, f.right, p.top});
  DrawScaled(image, f, frame, {f.left, p.bottom, f.right, f.bottom});
  DrawScaled(image, f, frame, {f.left, p.top, p.left, p.bottom});
  DrawScaled(image, f, frame, {p.right, p.top, f.right, p.bottom});
}

}  // namespace

int CentredMargin(int side) noexcept {
  return static_cast<int>(static_cast<long long>(side) * 15 / 100);
}

int RoundHalfDown(float value) noexcept {
  const double v = value;
  const double up = std::ceil(v);
  return static_cast<int>(up - v < 0.5 ? up : std::floor(v));
}

BackgroundLayout ComputeBackgroundLayout(int width, int height, bool stretched, bool showBorder,
                                         int frameWidth, int frameHeight) noexcept {
  BackgroundLayout layout;
  const int mx = stretched ? 0 : CentredMargin(width);
  const int my = stretched ? 0 : CentredMargin(height);
  layout.picture = {mx, my, width - mx, height - my};
  const int pw = layout.picture.Width();
  const int ph = layout.picture.Height();
  if (stretched || !showBorder || frameWidth <= 0 || frameHeight <= 0 || pw <= 0 || ph <= 0) {
    return layout;
  }
  const float sx = ToSingle(static_cast<double>(frameWidth) / pw);
  const float sy = ToSingle(static_cast<double>(frameHeight) / ph);
  layout.border = true;
  layout.rx0 = ToSingle(kFrameBandWidth / static_cast<double>(sx));
  layout.ry0 = ToSingle(kFrameBandWidth / static_cast<double>(sy));
  layout.rx = RoundHalfDown(layout.rx0);
  layout.ry = RoundHalfDown(layout.ry0);
  layout.frame = {mx - layout.rx - 1, my - layout.ry - 1, width - mx + layout.rx + 1,
                  height - my + layout.ry + 1};
  return layout;
}

Image ComposeBackground(const BackgroundInputs& inputs, const CompositionProgress& progress) {
  if (inputs.width < 1 || inputs.width > kMaxScreenSide || inputs.height < 1 ||
      inputs.height > kMaxScreenSide) {
    throw std::invalid_argument("Screen size out of range");
  }
  const auto report = [&progress](CompositionStep step) {
    if (progress) progress(step);
  };

  Image image = Image::Unfilled(inputs.width, inputs.height);
  report(CompositionStep::ImageCreated);
  const BackgroundLayout layout =
      ComputeBackgroundLayout(inputs.width, inputs.height, inputs.stretched, inputs.showBorder,
                              inputs.frame.Width(), inputs.frame.Height());
  report(CompositionStep::LayoutChosen);

  // The fill colour goes everywhere the scene will not cover.
  const bool sceneCovers = !inputs.scene.Empty();
  if (sceneCovers) {
    const Rect& p = layout.picture;
    FillRect(image, {0, 0, inputs.width, p.top}, kBackgroundFill);
    FillRect(image, {0, p.bottom, inputs.width, inputs.height}, kBackgroundFill);
    FillRect(image, {0, p.top, p.left, p.bottom}, kBackgroundFill);
    FillRect(image, {p.right, p.top, inputs.width, p.bottom}, kBackgroundFill);
  } else {
    FillRect(image, image.Bounds(), kBackgroundFill);
  }

  if (!inputs.stretched && inputs.decorate) {
    Decorate(image, inputs.decorationLeft, inputs.decorationRight, inputs.decorationSeed);
  }
  if (layout.border) {
    report(CompositionStep::BeforeBorder);
    DrawFrame(image, layout, inputs.frame, sceneCovers);
  }
  report(CompositionStep::BeforeDraw);
  DrawScaled(image, layout.picture, inputs.scene);
  report(CompositionStep::AfterDraw);
  return image;
}

}  // namespace mervalis
