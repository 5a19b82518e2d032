// The background bitmap: the wallpaper's scene picture composed for one
// screen size, either stretched over the whole screen or centred on a black
// field and optionally framed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "wallpaper/image.h"
#include "wallpaper/jpeg_decode.h"

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
  // Instead of `scene`, for ComposeBackgroundDownward: the scene decoded a
  // row at a time as it is drawn, never held whole.
  std::shared_ptr<JpegRowReader> sceneRows;
  Image frame;
  // The frame picture's own size, when `frame` holds it decoded smaller or
  // not at all (it is not drawn); 0 x 0 takes the size of `frame`. The
  // layout follows the picture's own size.
  int frameWidth = 0;
  int frameHeight = 0;
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

// Receives bytes of a file with their offset in it; false stops the writing.
using PlacedByteSink = std::function<bool(std::size_t offset, std::span<const std::uint8_t> bytes)>;

// Bytes of the rows composed at a time by WriteBackgroundFile and
// ComposeBackgroundDownward: the memory they need beyond the pictures,
// whatever the screen's size.
inline constexpr std::size_t kBackgroundBandBytes = std::size_t{1} << 20;

// The BMP file of ComposeBackground(inputs), byte for byte, composed from the
// top down in bands of about `bandBytes` (at least one row) and handed to
// `sink` piece by piece, each at its offset in the file: the headers at 0,
// then each band's rows as the file holds them, bottom-up, the top band
// (the file's end) first. With the scene given as `sceneRows`, neither it nor
// the background is ever held whole. False as soon as the sink refuses a
// piece. Throws as ComposeBackground, and std::length_error when the file
// would not fit the BMP format; a scene that fails to decode part way is
// written with its rows black and the reader's Error() set.
[[nodiscard]] bool WriteBackgroundFile(const BackgroundInputs& inputs, const PlacedByteSink& sink,
                                       const CompositionProgress& progress = {},
                                       std::size_t bandBytes = kBackgroundBandBytes);

// ComposeBackground's rows, each to `row` (y from the top, B, G, R) as it is
// composed, in bands of about `bandBytes` going down: with the scene given as
// `sceneRows`, the memory it needs beyond the frame picture and libjpeg's
// own is one band, whatever the sizes. Throws as ComposeBackground; a scene
// that fails to decode part way leaves its rows black and the reader's
// Error() set.
using BackgroundRowSink = std::function<void(int y, const std::uint8_t* bgr)>;
void ComposeBackgroundDownward(const BackgroundInputs& inputs, const BackgroundRowSink& row,
                               std::size_t bandBytes = kBackgroundBandBytes);

enum class BackgroundPicture { Scene, Frame };
struct PictureFailure {
  BackgroundPicture picture;
  std::string error;  // the decoder's text
};

// Decodes into `inputs`, whose size and options are set, what the
// composition will draw from the two JPEG files: the scene, and the frame
// only when its band shows (the centred layout with the border; its own size
// then goes to frameWidth x frameHeight). Each is decoded smaller where it
// is drawn smaller: the scene at the smallest of libjpeg's sizes in eighths
// that leaves it no smaller than its place on the screen
// (JpegDecodeEighths), the frame at the largest of the scales 1, 1/2, 1/4 and
// 1/8 that does so (JpegDecodeScale). The failure of the first picture that
// cannot be read, if any. With `sceneByRows` the scene goes to `sceneRows`
// instead, at the same size, its header read (`scene` must then outlive the
// composition).
[[nodiscard]] std::optional<PictureFailure> DecodeBackgroundPictures(
    BackgroundInputs& inputs, std::span<const std::uint8_t> scene,
    std::span<const std::uint8_t> frame, bool sceneByRows = false);

}  // namespace mervalis
