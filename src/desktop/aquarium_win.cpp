#include "desktop/aquarium_win.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "common/debug_log.h"
#include "desktop/background_win.h"
#include "desktop/picture_decoder_win.h"

namespace mervalis::desktop {

bool Aquarium::Build(int width, int height, Scale scale, const StoredLayout& layout, bool mayWriteBackground,
                     std::uint32_t seed, std::string& error, const Aquarium* picturesOf) noexcept {
  Clear();
  try {
    // The background goes into the renderer a row at a time as it is read
    // or composed: it is never held twice.
    auto renderer = std::make_unique<Renderer>(width, height);
    renderer->StartBackground();
    {
      // Composed at the precision every run of the program starts with, as
      // `apply` composes it, so that both give the same picture.
      const X87Precision asApply(_PC_64);
      BackgroundForScreen(layout, width, height, mayWriteBackground,
                          [&renderer](int y, const std::uint32_t* row) { renderer->SetBackgroundRow(y, row); });
    }
    const bool shared = picturesOf && picturesOf->renderer_ && picturesOf->unscaled_.front();
    if (shared) {
      unscaled_ = picturesOf->unscaled_;
    } else {
      if (!LoadPayloadPictures(nullptr, *renderer, error)) return false;
      for (std::size_t p = 0; p < unscaled_.size(); ++p) unscaled_[p] = renderer->SharedPicture(static_cast<Picture>(p));
    }
    // Scaled once for this scale, or shared with a monitor of the same one.
    const bool sameScale = shared && picturesOf->scene_->GetScale().Dpi() == scale.Dpi();
    for (std::size_t p = 0; p < unscaled_.size(); ++p) {
      const auto picture = static_cast<Picture>(p);
      renderer->SharePicture(picture, sameScale ? picturesOf->renderer_->SharedPicture(picture)
                                                : ScalePicture(unscaled_[p], scale));
    }
    SceneConfig config;
    config.screenWidth = width;
    config.screenHeight = height;
    config.stretched = layout.stretched;
    scene_ = std::make_unique<ScaledScene>(config, scale, seed);
    renderer_ = std::move(renderer);
    width_ = width;
    height_ = height;
    return true;
  } catch (const std::bad_alloc&) {
    LogCaught("Aquarium::Build");
    error = "out of memory";
  } catch (const std::exception& e) {
    LogCaught("Aquarium::Build");
    error = e.what();
  }
  Clear();
  return false;
}

void Aquarium::Clear() noexcept {
  scene_.reset();
  renderer_.reset();
  unscaled_ = {};
  clock_.Reset();
  width_ = height_ = 0;
  frames_ = 0;
  lastFrame_ = 0;
}

const std::vector<Rect>& Aquarium::Step() {
  if (!scene_) return none_;
  const DWORD tick = ::GetTickCount();
  if (frames_ > 0) clock_.CapCatchUp(tick, lastFrame_);
  const std::uint64_t now = clock_.Now(tick);
  scene_->AdvanceTo(now);
  ++frames_;
  lastFrame_ = now;
  return renderer_->Draw(scene_->Sprites(), now);
}

UINT Aquarium::DelayToNext() const noexcept {
  if (!scene_) return SceneClock::kMaximumDelayMs;
  return clock_.DelayUntil(SceneClock::NextFrame(scene_->NextDue(), lastFrame_), ::GetTickCount());
}

void CopyPixels(HDC dc, const std::uint32_t* pixels, const Rect& area) noexcept {
  if (!dc || !pixels || area.Empty()) return;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = area.Width();
  info.bmiHeader.biHeight = -area.Height();  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc, area.left, area.top, static_cast<DWORD>(area.Width()), static_cast<DWORD>(area.Height()), 0,
                      0, 0, static_cast<UINT>(area.Height()), pixels, &info, DIB_RGB_COLORS);
}

void Aquarium::Copy(HDC dc, const Rect& wanted) noexcept {
  if (!renderer_) return;
  const Rect area = Intersect(wanted, Rect{0, 0, width_, height_});
  if (area.Empty()) return;
  // A band of at most this many pixels: a whole screen to paint never needs
  // a whole screen's memory.
  constexpr int kBandPixels = 256 * 1024;
  const int rows = std::max(1, std::min(area.Height(), kBandPixels / area.Width()));
  // Grown when needed, never cleared: Compose writes every pixel of a band.
  const std::size_t needed = static_cast<std::size_t>(area.Width()) * static_cast<std::size_t>(rows);
  if (bandSize_ < needed) {
    band_.reset(new (std::nothrow) std::uint32_t[needed]);
    bandSize_ = band_ ? needed : 0;
    if (!band_) return;  // nothing shown this time; the next frame tries again
  }
  for (int top = area.top; top < area.bottom; top += rows) {
    const Rect band{area.left, top, area.right, std::min(top + rows, area.bottom)};
    renderer_->Compose(band, band_.get());
    CopyPixels(dc, band_.get(), band);
  }
}

}  // namespace mervalis::desktop
