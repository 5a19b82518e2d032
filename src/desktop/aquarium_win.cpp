#include "desktop/aquarium_win.h"

#include <exception>
#include <new>
#include <utility>

#include "desktop/background_win.h"
#include "desktop/picture_decoder_win.h"

namespace mervalis::desktop {

bool Aquarium::Build(int width, int height, const StoredLayout& layout, bool mayWriteBackground,
                     std::string& error) noexcept {
  Clear();
  try {
    // The background first: reading or composing it needs memory of its
    // own, which is free again before the renderer's buffers are taken.
    std::vector<std::uint32_t> background;
    {
      // Composed at the precision every run of the program starts with, as
      // `apply` composes it, so that both give the same picture.
      const X87Precision asApply(_PC_64);
      background = BackgroundForScreen(layout, width, height, mayWriteBackground);
    }
    auto renderer = std::make_unique<Renderer>(width, height);
    renderer->SetBackground(std::move(background));
    if (!LoadPayloadPictures(nullptr, *renderer, error)) return false;
    SceneConfig config;
    config.screenWidth = width;
    config.screenHeight = height;
    config.stretched = layout.stretched;
    // Each run its own school of fish, as each page load has.
    scene_ = std::make_unique<Scene>(config, ::GetTickCount() ^ (::GetCurrentProcessId() << 16));
    renderer_ = std::move(renderer);
    width_ = width;
    height_ = height;
    return true;
  } catch (const std::bad_alloc&) {
    error = "out of memory";
  } catch (const std::exception& e) {
    error = e.what();
  }
  Clear();
  return false;
}

void Aquarium::Clear() noexcept {
  scene_.reset();
  renderer_.reset();
  clock_.Reset();
  width_ = height_ = 0;
  frames_ = 0;
  lastFrame_ = 0;
}

const std::vector<Rect>& Aquarium::Step() {
  if (!scene_) return none_;
  const std::uint64_t now = clock_.Now(::GetTickCount());
  scene_->AdvanceTo(now);
  ++frames_;
  lastFrame_ = now;
  return renderer_->Draw(scene_->Sprites(), now);
}

UINT Aquarium::DelayToNext() const noexcept {
  if (!scene_) return SceneClock::kMaximumDelayMs;
  return clock_.DelayUntil(SceneClock::NextFrame(scene_->NextDue(), lastFrame_), ::GetTickCount());
}

void CopyPixels(HDC dc, const std::uint32_t* pixels, int width, int height, const Rect& area) noexcept {
  if (!dc || !pixels) return;
  const Rect r = Intersect(area, Rect{0, 0, width, height});
  if (r.Empty()) return;
  // The rows of the area as a top-down DIB of the buffer's full width, so
  // the source needs no bottom-up arithmetic.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -r.Height();
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const std::uint32_t* rows = pixels + static_cast<std::ptrdiff_t>(r.top) * width;
  ::SetDIBitsToDevice(dc, r.left, r.top, static_cast<DWORD>(r.Width()), static_cast<DWORD>(r.Height()), r.left, 0,
                      0, static_cast<UINT>(r.Height()), rows, &info, DIB_RGB_COLORS);
}

void Aquarium::Copy(HDC dc, const Rect& area) const noexcept {
  if (renderer_ && renderer_->Pixels().size() == static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)) {
    CopyPixels(dc, renderer_->Pixels().data(), width_, height_, area);
  }
}

}  // namespace mervalis::desktop
