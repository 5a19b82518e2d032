#include "wallpaper/background.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <stdexcept>
#include <utility>
#include <vector>

#include "wallpaper/bmp_file.h"
#include "wallpaper/jpeg_decode.h"

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

// Where the decoration pictures go, in drawing order: the positions come
// from the generator in the order the pictures are drawn.
struct Decoration {
  int x = 0;
  int y = 0;
  const Image* picture = nullptr;
};

std::vector<Decoration> PlaceDecorations(int width, int height, const Image& left,
                                         const Image& right, std::uint32_t seed) {
  std::vector<Decoration> placed;
  if (left.Empty() && right.Empty()) return placed;
  std::minstd_rand random(seed);
  const int w = left.Width();
  const int h = left.Height();
  const int count = width / 3;
  const int leftLimit = width / 2 - w / 2;
  placed.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const int x = RandomBelow(random, width + w) - w;
    const int y = RandomBelow(random, height + h) - h;
    placed.push_back({x, y, x < leftLimit ? &left : &right});
  }
  return placed;
}

// The composition worked out once and drawn band by band: any band of rows
// comes out as the same rows of the whole picture.
class Composer {
 public:
  explicit Composer(const BackgroundInputs& inputs)
      : width_(inputs.width),
        height_(inputs.height),
        layout_(ComputeBackgroundLayout(inputs.width, inputs.height, inputs.stretched,
                                        inputs.showBorder,
                                        inputs.frameWidth > 0 ? inputs.frameWidth : inputs.frame.Width(),
                                        inputs.frameHeight > 0 ? inputs.frameHeight
                                                               : inputs.frame.Height())) {
    const Rect screen{0, 0, width_, height_};
    const Rect& p = layout_.picture;
    // The fill colour goes everywhere the scene will not cover.
    const bool sceneCovers = !inputs.scene.Empty() || (inputs.sceneRows && inputs.sceneRows->Width() > 0);
    if (sceneCovers) {
      fills_ = {Rect{0, 0, width_, p.top}, Rect{0, p.bottom, width_, height_},
                Rect{0, p.top, p.left, p.bottom}, Rect{p.right, p.top, width_, p.bottom}};
    } else {
      fills_ = {screen};
    }
    if (!inputs.stretched && inputs.decorate) {
      decorations_ = PlaceDecorations(width_, height_, inputs.decorationLeft,
                                      inputs.decorationRight, inputs.decorationSeed);
    }
    if (layout_.border && !inputs.frame.Empty()) {
      const Rect& f = layout_.frame;
      // When the scene is going to cover the picture rectangle anyway, only
      // the band around it is drawn; the scaler's pixels do not depend on
      // the clip, so the result is the same.
      std::vector<Rect> pieces;
      if (sceneCovers) {
        pieces = {Rect{f.left, f.top, f.right, p.top}, Rect{f.left, p.bottom, f.right, f.bottom},
                  Rect{f.left, p.top, p.left, p.bottom}, Rect{p.right, p.top, f.right, p.bottom}};
      } else {
        pieces = {f};
      }
      for (const Rect& piece : pieces) {
        const Rect clip = Intersect(piece, screen);
        if (!clip.Empty()) frame_.emplace_back(inputs.frame, f, clip);
      }
    }
    if (sceneCovers && inputs.sceneRows) {
      const std::shared_ptr<JpegRowReader> reader = inputs.sceneRows;
      scene_.emplace_back(reader->Width(), reader->Height(), [reader](int y) { return reader->Row(y); }, p,
                          Intersect(p, screen));
    } else if (sceneCovers) {
      scene_.emplace_back(inputs.scene, p, Intersect(p, screen));
    }
  }

  [[nodiscard]] const BackgroundLayout& Layout() const noexcept { return layout_; }

  // Rows [top, top + band.Height()) of the picture into `band`.
  void Compose(Image& band, int top) {
    const auto shifted = [top](const Rect& r) {
      return Rect{r.left, r.top - top, r.right, r.bottom - top};
    };
    // A buffer that held the previous band, with the same rows, is already
    // of the fill colour except where the pictures went: only there does the
    // fill need renewing. (Decorations land anywhere: then all is filled.)
    const bool refill = band.Height() == lastHeight_ && band.FileRows().data() == lastRows_ &&
                        decorations_.empty();
    for (const Rect& fill : fills_) {
      if (!refill) {
        FillRect(band, shifted(fill), kBackgroundFill);
        continue;
      }
      for (const Rect& drawn : drawnLast_) {
        FillRect(band, Intersect(shifted(fill), drawn), kBackgroundFill);
      }
    }
    for (const Decoration& d : decorations_) DrawTransparent(band, d.x, d.y - top, *d.picture);
    drawnLast_.clear();
    const Rect rows{0, top, width_, top + band.Height()};
    for (std::vector<ScaledDrawing>* drawings : {&frame_, &scene_}) {
      for (ScaledDrawing& drawing : *drawings) {
        drawing.Draw(band, top);
        const Rect drawn = Intersect(drawing.Area(), rows);
        if (!drawn.Empty()) drawnLast_.push_back(shifted(drawn));
      }
    }
    lastHeight_ = band.Height();
    lastRows_ = band.FileRows().data();
  }

 private:
  int width_;
  int height_;
  BackgroundLayout layout_;
  std::vector<Rect> fills_;
  std::vector<Decoration> decorations_;
  std::vector<ScaledDrawing> frame_;
  std::vector<ScaledDrawing> scene_;
  // The buffer of the previous band and where the pictures went in it.
  int lastHeight_ = -1;
  const std::uint8_t* lastRows_ = nullptr;
  std::vector<Rect> drawnLast_;
};

void CheckScreenSize(const BackgroundInputs& inputs) {
  if (inputs.width < 1 || inputs.width > kMaxScreenSide || inputs.height < 1 ||
      inputs.height > kMaxScreenSide) {
    throw std::invalid_argument("Screen size out of range");
  }
}

// Rows of a band of about `bandBytes` with rows of `stride` bytes: at least
// one, at most the screen's.
int BandRows(const BackgroundInputs& inputs, std::size_t stride, std::size_t bandBytes) {
  return static_cast<int>(std::clamp<std::size_t>(bandBytes / stride, 1, static_cast<std::size_t>(inputs.height)));
}

// The picture's rows composed into `band` from the top down, as many as it
// holds at a time; each band goes to `composed` with its top row, and a false
// from it stops.
template <typename Composed>
bool ComposeBands(Composer& composer, Image& band, int height, Composed&& composed) {
  const int rows = band.Height();
  for (int top = 0; top < height; top += rows) {
    band.SetHeightWithinCapacity(std::min(rows, height - top));
    composer.Compose(band, top);
    if (!composed(top)) return false;
  }
  return true;
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
  CheckScreenSize(inputs);
  const auto report = [&progress](CompositionStep step) {
    if (progress) progress(step);
  };
  Image image = Image::Unfilled(inputs.width, inputs.height);
  report(CompositionStep::ImageCreated);
  Composer composer(inputs);
  report(CompositionStep::LayoutChosen);
  if (composer.Layout().border) report(CompositionStep::BeforeBorder);
  report(CompositionStep::BeforeDraw);
  composer.Compose(image, 0);
  report(CompositionStep::AfterDraw);
  return image;
}

bool WriteBackgroundFile(const BackgroundInputs& inputs, const PlacedByteSink& sink,
                         const CompositionProgress& progress, std::size_t bandBytes) {
  CheckScreenSize(inputs);
  const auto report = [&progress](CompositionStep step) {
    if (progress) progress(step);
  };
  const std::array<std::uint8_t, kBmpHeadersSize> headers =
      Bmp24Headers(inputs.width, inputs.height);
  const std::size_t stride = (static_cast<std::size_t>(inputs.width) * 3 + 3) & ~std::size_t{3};
  Image band = Image::Unfilled(inputs.width, BandRows(inputs, stride, bandBytes));
  report(CompositionStep::ImageCreated);
  Composer composer(inputs);
  report(CompositionStep::LayoutChosen);
  if (composer.Layout().border) report(CompositionStep::BeforeBorder);
  report(CompositionStep::BeforeDraw);
  if (!sink(0, headers)) return false;
  const bool written = ComposeBands(composer, band, inputs.height, [&](int top) {
    // The file holds the rows bottom-up: the rows below the band come first.
    const std::size_t below = static_cast<std::size_t>(inputs.height - top - band.Height());
    return sink(kBmpHeadersSize + below * stride, band.FileRows());
  });
  if (!written) return false;
  report(CompositionStep::AfterDraw);
  return true;
}

void ComposeBackgroundDownward(const BackgroundInputs& inputs, const BackgroundRowSink& row, std::size_t bandBytes) {
  CheckScreenSize(inputs);
  Image band =
      Image::Unfilled(inputs.width, BandRows(inputs, static_cast<std::size_t>(inputs.width) * 3, bandBytes));
  Composer composer(inputs);
  (void)ComposeBands(composer, band, inputs.height, [&](int top) {
    for (int y = 0; y < band.Height(); ++y) row(top + y, band.Row(y));
    return true;
  });
}

std::optional<PictureFailure> DecodeBackgroundPictures(BackgroundInputs& inputs,
                                                       std::span<const std::uint8_t> scene,
                                                       std::span<const std::uint8_t> frame, bool sceneByRows) {
  const bool centred = !inputs.stretched;
  const int mx = centred ? CentredMargin(inputs.width) : 0;
  const int my = centred ? CentredMargin(inputs.height) : 0;
  const JpegSize sceneSize = ReadJpegSize(scene);
  if (!sceneSize.ok()) return PictureFailure{BackgroundPicture::Scene, sceneSize.error};
  const int sceneEighths =
      JpegDecodeEighths(sceneSize.width, sceneSize.height, inputs.width - 2 * mx, inputs.height - 2 * my);
  JpegResult decoded;
  if (sceneByRows) {
    inputs.scene = Image();
    inputs.sceneRows = std::make_shared<JpegRowReader>(scene, sceneEighths);
    if (!inputs.sceneRows->Error().empty()) return PictureFailure{BackgroundPicture::Scene, inputs.sceneRows->Error()};
  } else {
    inputs.sceneRows.reset();
    decoded = DecodeJpegEighths(scene, sceneEighths);
    if (!decoded.ok()) return PictureFailure{BackgroundPicture::Scene, decoded.error};
    inputs.scene = std::move(decoded.image);
  }

  inputs.frame = Image();
  inputs.frameWidth = inputs.frameHeight = 0;
  if (!centred || !inputs.showBorder) return std::nullopt;
  const JpegSize frameSize = ReadJpegSize(frame);
  if (!frameSize.ok()) return PictureFailure{BackgroundPicture::Frame, frameSize.error};
  inputs.frameWidth = frameSize.width;
  inputs.frameHeight = frameSize.height;
  const BackgroundLayout layout = ComputeBackgroundLayout(
      inputs.width, inputs.height, false, true, frameSize.width, frameSize.height);
  if (!layout.border) return std::nullopt;
  decoded = DecodeJpeg(frame, JpegDecodeScale(frameSize.width, frameSize.height,
                                              layout.frame.Width(), layout.frame.Height()));
  if (!decoded.ok()) return PictureFailure{BackgroundPicture::Frame, decoded.error};
  inputs.frame = std::move(decoded.image);
  return std::nullopt;
}

}  // namespace mervalis
