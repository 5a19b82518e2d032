// The background bitmap: the wallpaper's scene picture composed for one
// screen size, either stretched over the whole screen or centred on a black
// field and optionally framed.
#pragma once

#include <cstdint>
#include <functional>

#include "wallpaper/image.h"

namespace mervalis {

inline constexpr Rgb kBackgroundFill = {0, 0, 0};
// Width of the frame picture's band, in the picture's own pixels.
inline constexpr int kFrameBandWidth = 30;
// Largest screen side accepted; keeps every coordinate far from overflow.
inline constexpr int kMaxScreenSide = 65535;

struct BackgroundInputs {
  int width = 0;  // the screen's size: the output's size
  int height = 0;
  bool stretched = false;   // else centred
  bool showBorder = false;  // centred only
  bool decorate = false;    // centred only
  Image scene;
  Image frame;
  // Scattered over the field, left picture on the left side, right picture
  // on the right; empty pictures draw nothing.
  Image decorationLeft;
  Image decorationRight;
  std::uint32_t decorationSeed = 0;
};

struct BackgroundLayout {
  Rect picture;         // where the scene goes
  bool border = false;  // whether the frame is drawn
  // The frame band's width on screen before rounding, each held in single
  // precision as the layout is defined; 0 without a border.
  float rx0 = 0;
  float ry0 = 0;
  int rx = 0;
  int ry = 0;
  Rect frame;  // where the frame picture goes; empty without a border
};

// Centred layout margin of one side: 15 % of the screen side, rounded down,
// in exact integers.
[[nodiscard]] int CentredMargin(int side) noexcept;

// The nearest integer, an exact half going down (21.5 gives 21).
[[nodiscard]] int RoundHalfDown(float value) noexcept;

// Where the scene and the frame go. The stretched layout ignores the border;
// so does a frame picture of no size.
[[nodiscard]] BackgroundLayout ComputeBackgroundLayout(int width, int height, bool stretched,
                                                       bool showBorder, int frameWidth,
                                                       int frameHeight) noexcept;

// Points of the composition, in this order, for callers that log progress.
// BeforeBorder comes only when the frame is drawn.
enum class CompositionStep { ImageCreated, LayoutChosen, BeforeBorder, BeforeDraw, AfterDraw };
using CompositionProgress = std::function<void(CompositionStep)>;

// Fill, decoration, frame and scene, in that order. Throws
// std::invalid_argument for a size outside 1..kMaxScreenSide and
// std::bad_alloc when memory runs out.
[[nodiscard]] Image ComposeBackground(const BackgroundInputs& inputs,
                                      const CompositionProgress& progress = {});

}  // namespace mervalis
