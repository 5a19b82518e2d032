// A monitor's scale. The aquarium follows the page's rules in the monitor's
// logical pixels (its physical size divided by the scale): as many fish and
// bubbles, as fast, turning where they turn on a screen of that size. It is
// drawn in physical pixels: every picture scaled once, every position and
// size multiplied.
//
// The scale is kept as the monitor's dots per inch (96 is 100 %), and every
// physical position is the exact product of the scene's whole-pixel position
// rounded once: a fish that moves 2 pixels a step at 125 % moves 2 or 3
// pixels by turns, never drifting from where the page would put it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "desktop/renderer.h"
#include "desktop/scene.h"

namespace mervalis::desktop {

inline constexpr int kUnscaledDpi = 96;

struct Scale {
  int dpi = kUnscaledDpi;  // anything below 1 is taken as 96

  [[nodiscard]] bool Unscaled() const noexcept { return Dpi() == kUnscaledDpi; }
  [[nodiscard]] int Dpi() const noexcept { return dpi > 0 ? dpi : kUnscaledDpi; }
  // A position or length of the scene in physical pixels: the exact product
  // rounded to the nearest pixel, a half up (87.5 gives 88, -87.5 gives -87).
  [[nodiscard]] int ToPhysical(int logical) const noexcept;
  // A physical length in logical pixels, rounded to the nearest, as Windows
  // gives a scaled screen's size (1463 for 2560 at 175 %).
  [[nodiscard]] int ToLogical(int physical) const noexcept;
};

// The sprites of a scene at their physical places and sizes.
void ScaleSprites(const std::vector<Sprite>& logical, Scale scale, std::vector<Sprite>& physical);

// A picture's frames scaled to the physical size of their logical one
// (Scale::ToPhysical of each side), with a bicubic filter on the
// premultiplied pixels, kept valid (no colour above its alpha); delays and
// repetitions as they were. The picture itself when unscaled.
[[nodiscard]] std::shared_ptr<const PictureFrames> ScalePicture(std::shared_ptr<const PictureFrames> picture,
                                                                Scale scale);

// A scene composed for a physical screen at a scale: the page's rules at the
// logical size, the sprites in physical pixels.
class ScaledScene {
 public:
  // `physical` gives the screen's physical size and the layout.
  ScaledScene(const SceneConfig& physical, Scale scale, std::uint32_t seed);

  void AdvanceTo(std::uint64_t ms);
  [[nodiscard]] std::uint64_t Now() const noexcept { return scene_.Now(); }
  [[nodiscard]] std::uint64_t NextDue() const noexcept { return scene_.NextDue(); }
  // As Scene::Sprites, in physical pixels.
  [[nodiscard]] const std::vector<Sprite>& Sprites() const noexcept {
    return scale_.Unscaled() ? scene_.Sprites() : sprites_;
  }
  // The scene in logical pixels.
  [[nodiscard]] const Scene& Logical() const noexcept { return scene_; }
  [[nodiscard]] Scale GetScale() const noexcept { return scale_; }

 private:
  Scale scale_;
  Scene scene_;
  std::vector<Sprite> sprites_;  // physical, when scaled
};

}  // namespace mervalis::desktop
