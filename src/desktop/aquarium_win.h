// The animation for one screen size, on Windows: the scene, its renderer with
// the decoded pictures and the background, and the clock. Windows of both
// run modes (behind the icons and the preview) show it.
#pragma once

#include <windows.h>

#include <float.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/stored_options.h"
#include "desktop/renderer.h"
#include "desktop/scale.h"
#include "desktop/scene.h"
#include "desktop/scene_clock.h"

namespace mervalis::desktop {

// Sets the precision of the x87 unit, on which the 32-bit build does its
// floating point, for as long as it lives (_PC_53 or _PC_64), then puts the
// previous one back.
class X87Precision {
 public:
  explicit X87Precision(unsigned precision) noexcept : saved_(::_controlfp(0, 0) & _MCW_PC) {
    ::_controlfp(precision, _MCW_PC);
  }
  X87Precision(const X87Precision&) = delete;
  X87Precision& operator=(const X87Precision&) = delete;
  ~X87Precision() { ::_controlfp(saved_, _MCW_PC); }

 private:
  unsigned saved_;
};

// Copies renderer pixels for `area` (area.Width() a row, top down) to the
// same place of `dc`.
void CopyPixels(HDC dc, const std::uint32_t* pixels, const Rect& area) noexcept;

class Aquarium {
 public:
  // Everything for a width × height area of physical pixels at `scale`: the
  // background (see BackgroundForScreen), the sixteen pictures (decoded, or
  // shared with `picturesOf` when that is built: one copy for all monitors,
  // and one scaled copy for those of one scale), a scene at time 0 from
  // `seed` (see SceneSeed) in the area's logical pixels, paused. False with
  // the reason in `error`; the previous animation is then gone.
  [[nodiscard]] bool Build(int width, int height, Scale scale, const StoredLayout& layout, bool mayWriteBackground,
                           std::uint32_t seed, std::string& error, const Aquarium* picturesOf = nullptr) noexcept;
  void Clear() noexcept;
  // Lets the pictures as decoded go where this scene draws scaled ones: once
  // every monitor's scene is built, nothing scales them again (a new scale
  // builds every scene anew).
  void ForgetUnscaled() noexcept { unscaled_ = {}; }
  [[nodiscard]] bool Built() const noexcept { return scene_ != nullptr; }
  [[nodiscard]] int Width() const noexcept { return width_; }
  [[nodiscard]] int Height() const noexcept { return height_; }

  void Resume() noexcept { clock_.Resume(::GetTickCount()); }
  void Pause() noexcept { clock_.Pause(::GetTickCount()); }
  [[nodiscard]] bool Running() const noexcept { return clock_.Running(); }

  // Runs the scene up to now, a short catch-up at most after a gap (see
  // SceneClock::CapCatchUp); the areas of the screen that changed, which
  // Copy then shows.
  const std::vector<Rect>& Step();
  // Wall milliseconds until the next frame: when the scene next changes, but
  // never sooner than a frame period after the last one drawn.
  [[nodiscard]] UINT DelayToNext() const noexcept;
  // Composes one area of the scene as the last Step left it and copies it
  // to the same place of `dc`, in bands of rows; the part outside the screen
  // is left out.
  void Copy(HDC dc, const Rect& area) noexcept;
  // Frames drawn since Build, for whoever wants to see that it works.
  [[nodiscard]] std::uint32_t FramesDrawn() const noexcept { return frames_; }

 private:
  int width_ = 0;
  int height_ = 0;
  std::unique_ptr<ScaledScene> scene_;
  std::unique_ptr<Renderer> renderer_;
  // The pictures as decoded, from which those of another scale are made.
  std::array<std::shared_ptr<const PictureFrames>, kPictureCount> unscaled_;
  SceneClock clock_;
  std::uint32_t frames_ = 0;
  std::uint64_t lastFrame_ = 0;  // scene time of the last Step
  std::vector<Rect> none_;
  std::unique_ptr<std::uint32_t[]> band_;  // the pixels on their way to the screen
  std::size_t bandSize_ = 0;
};

}  // namespace mervalis::desktop
