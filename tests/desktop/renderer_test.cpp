#include "desktop/renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "desktop/frames.h"
#include "desktop/scale.h"
#include "../wallpaper/each_pixel_code.h"

namespace mervalis::desktop {
namespace {

// A background whose every pixel differs from its neighbours.
std::vector<std::uint32_t> Pattern(int w, int h) {
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      pixels.push_back(0xFF000000u | static_cast<std::uint32_t>((x * 37 + y * 11) & 0xFF) << 16 |
                       static_cast<std::uint32_t>((x * 5 + y * 71) & 0xFF) << 8 |
                       static_cast<std::uint32_t>((x * y + 13) & 0xFF));
    }
  }
  return pixels;
}

Frame Solid(int w, int h, std::uint32_t pixel, int delayMs = 0) {
  return {w, h, std::vector<std::uint32_t>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), pixel), delayMs};
}

// A bubble-like frame: opaque middle, a half-transparent ring, clear corners.
Frame Ring(int size, std::uint32_t opaque) {
  Frame f = Solid(size, size, opaque);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
      const bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
      if (corner) f.bgra[static_cast<std::size_t>(y * size + x)] = 0;
      else if (edge) f.bgra[static_cast<std::size_t>(y * size + x)] = 0x80402010u;
    }
  }
  return f;
}

PictureFrames One(Frame f) {
  PictureFrames p;
  p.frames.push_back(std::move(f));
  return p;
}

Sprite At(Picture picture, int x, int y, int w, int h) { return {picture, x, y, w, h, true}; }

// The whole screen as the renderer composes it.
std::vector<std::uint32_t> Whole(const Renderer& r) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(r.Width()) * static_cast<std::size_t>(r.Height()), 0x12345678u);
  r.Compose({0, 0, r.Width(), r.Height()}, pixels.data());
  return pixels;
}

// A screen that keeps its pixels, updated with the changed rectangles alone.
void Update(std::vector<std::uint32_t>& screen, const Renderer& r, const std::vector<Rect>& dirty) {
  for (const Rect& d : dirty) {
    std::vector<std::uint32_t> part(static_cast<std::size_t>(d.Width()) * static_cast<std::size_t>(d.Height()));
    r.Compose(d, part.data());
    for (int y = d.top; y < d.bottom; ++y) {
      for (int x = d.left; x < d.right; ++x) {
        screen[static_cast<std::size_t>(y * r.Width() + x)] = part[static_cast<std::size_t>((y - d.top) * d.Width() + x - d.left)];
      }
    }
  }
}

// What a renderer drawing everything afresh shows.
std::vector<std::uint32_t> FullDraw(int w, int h, const std::vector<std::pair<Picture, PictureFrames>>& pictures,
                                    const std::vector<Sprite>& sprites, std::uint64_t ms,
                                    std::vector<std::uint32_t> background = {}) {
  Renderer fresh(w, h);
  fresh.SetBackground(background.empty() ? Pattern(w, h) : std::move(background));
  for (const auto& [picture, frames] : pictures) fresh.SetPicture(picture, frames);
  fresh.Draw(sprites, ms);
  return Whole(fresh);
}

// Every pixel outside the rectangles is as it was.
void ExpectOnlyInside(const std::vector<Rect>& rects, const std::vector<std::uint32_t>& before,
                      const std::vector<std::uint32_t>& after, int w) {
  for (std::size_t i = 0; i < after.size(); ++i) {
    const int x = static_cast<int>(i) % w;
    const int y = static_cast<int>(i) / w;
    bool inside = false;
    for (const Rect& r : rects) inside = inside || r.Contains(x, y);
    if (!inside) {
      ASSERT_EQ(after[i], before[i]) << "changed outside the dirty rectangles at " << x << "," << y;
    }
  }
}

TEST(BlendOver, PremultipliedSourceOverOpaque) {
  struct Case {
    std::uint32_t dst, src, want;
  };
  for (const Case& c : {
           Case{0xFF405060u, 0xFF112233u, 0xFF112233u},  // opaque replaces
           Case{0xFF405060u, 0x00000000u, 0xFF405060u},  // clear keeps
           Case{0xFF0000FFu, 0x80800000u, 0xFF80007Fu},  // half red over blue: 128 + 255 * 127 / 255
           Case{0xFFC8C8C8u, 0x40201000u, 0xFFB6A696u},  // 32, 16, 0 + 200 * 191 / 255 (149.8 → 150)
           Case{0xFF000000u, 0x01010101u, 0xFF010101u},
       }) {
    EXPECT_EQ(BlendOver(c.dst, c.src), c.want) << std::hex << c.dst << " " << c.src;
  }
}

// Every alpha over a spread of colours, against each channel's
// src + dst * (255 - alpha) / 255 rounded to the nearest, held at 255 (a
// colour above its alpha is not premultiplied, but must not wrap around).
TEST(BlendOver, EveryAlphaMatchesTheRoundedSumPerChannel) {
  const std::uint32_t values[] = {0, 1, 2, 17, 64, 127, 128, 129, 200, 254, 255};
  for (std::uint32_t alpha = 0; alpha <= 255; ++alpha) {
    for (const std::uint32_t d : values) {
      for (const std::uint32_t c : values) {
        // Blue, green, red and alpha of the destination all differ, and so do
        // the source's colours.
        const std::uint32_t dst = 0xFF000000u | d << 16 | (255 - d) << 8 | (d * 7 % 256);
        const std::uint32_t src = alpha << 24 | c << 16 | (c / 2) << 8 | (255 - c);
        const std::uint32_t got = BlendOver(dst, src);
        for (int shift = 0; shift < 32; shift += 8) {
          const double under = ((dst >> shift) & 0xFF) * (255.0 - alpha) / 255.0;
          const long want = std::min(255L, static_cast<long>((src >> shift) & 0xFF) + std::lround(under));
          ASSERT_EQ((got >> shift) & 0xFF, static_cast<std::uint32_t>(want))
              << std::hex << "dst " << dst << " src " << src << " channel at bit " << std::dec << shift;
        }
      }
    }
  }
}

// A sprite with pixels of every alpha, alone and in runs of four opaque or
// clear ones, and rows clear at their ends or wholly, composed over a varied
// background, with each pixel code: each channel is
// src + dst * (255 - alpha) / 255 rounded, held at 255; a clear pixel leaves
// the background whatever its colour.
class ComposeCode : public EachPixelCode {};

TEST_P(ComposeCode, SpritePixelsBlendOverTheBackground) {
  const int w = 263, h = 5;  // rows that are not a multiple of four pixels
  std::vector<std::uint32_t> frame;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const auto c = static_cast<std::uint32_t>(x * 29 + y * 101);
      std::uint32_t alpha = static_cast<std::uint32_t>(x + y * 7) & 0xFF;
      if (y == 1) alpha = (x / 4) % 3 == 0 ? 255u : (x / 4) % 3 == 1 ? 0u : alpha;  // whole groups
      if (y == 2 && x % 9 == 0) alpha = 0;
      if (y == 3 && (x < 100 || x >= 110)) alpha = 0;  // clear at both ends
      if (y == 4) alpha = 0;                           // a wholly clear row
      // Colours at most the alpha (premultiplied), except a few above it and
      // the clear pixels' own colour, which must not show.
      const std::uint32_t r = alpha ? (c & 0xFF) % (alpha + 1) : c & 0xFF;
      const std::uint32_t g = x % 17 == 0 ? 255u : alpha ? ((c >> 3) & 0xFF) % (alpha + 1) : 0x5Au;
      frame.push_back(alpha << 24 | r << 16 | g << 8 | (alpha / 2));
    }
  }
  const std::vector<std::uint32_t> background = Pattern(w, h);
  Renderer r(w, h);
  r.SetBackground(background);
  r.SetPicture(Picture::kBubble1Png, One({w, h, frame, 0}));
  r.Draw({At(Picture::kBubble1Png, 0, 0, w, h)}, 0);
  const std::vector<std::uint32_t> got = Whole(r);
  for (std::size_t i = 0; i < got.size(); ++i) {
    const std::uint32_t src = frame[i], dst = background[i], alpha = src >> 24;
    for (int shift = 0; shift < 32; shift += 8) {
      const double under = ((dst >> shift) & 0xFF) * (255.0 - alpha) / 255.0;
      const long want = alpha == 0 ? static_cast<long>((dst >> shift) & 0xFF)
                                   : std::min(255L, static_cast<long>((src >> shift) & 0xFF) + std::lround(under));
      ASSERT_EQ((got[i] >> shift) & 0xFF, static_cast<std::uint32_t>(want))
          << std::hex << "dst " << dst << " src " << src << std::dec << " pixel " << i << " bit " << shift;
    }
  }
}

INSTANTIATE_FOR_EACH_PIXEL_CODE(ComposeCode);

TEST(SoftenFrame, OneTwoOneAcrossAndDown) {
  Frame line = {3, 1, {0, 0xFFFFFFFFu, 0}, 0};
  SoftenFrame(line);
  EXPECT_EQ(line.bgra, (std::vector<std::uint32_t>{0x40404040u, 0x80808080u, 0x40404040u}));

  Frame column = {1, 3, {0xFFFFFFFFu, 0, 0}, 0};
  SoftenFrame(column);  // the edge counts itself twice more: (3 × 255 + 0 + 2) / 4
  EXPECT_EQ(column.bgra, (std::vector<std::uint32_t>{0xBFBFBFBFu, 0x40404040u, 0}));

  Frame solid = Solid(4, 3, 0xFF336699u);
  SoftenFrame(solid);
  EXPECT_EQ(solid.bgra, Solid(4, 3, 0xFF336699u).bgra);
}

// Any part of the screen composes as that part of the whole, and nothing
// outside the screen is composed.
TEST(Renderer, PartComposesAsThatPartOfTheWhole) {
  const int w = 30, h = 20;
  Renderer r(w, h);
  r.SetBackground(Pattern(w, h));
  r.SetPicture(Picture::kBubble1Png, One(Ring(8, 0xFF20A0E0u)));
  r.Draw({At(Picture::kBubble1Png, 5, 4, 8, 8)}, 0);
  const std::vector<std::uint32_t> whole = Whole(r);
  for (const Rect& part : {Rect{0, 0, w, h}, Rect{3, 2, 11, 9}, Rect{12, 0, 13, 20}, Rect{0, 19, 30, 20}}) {
    std::vector<std::uint32_t> got(static_cast<std::size_t>(part.Width() * part.Height()));
    r.Compose(part, got.data());
    for (int y = part.top; y < part.bottom; ++y) {
      for (int x = part.left; x < part.right; ++x) {
        ASSERT_EQ(got[static_cast<std::size_t>((y - part.top) * part.Width() + x - part.left)],
                  whole[static_cast<std::size_t>(y * w + x)])
            << x << "," << y;
      }
    }
  }
  std::vector<std::uint32_t> untouched(4, 7u);
  r.Compose({28, 18, 32, 19}, untouched.data());  // reaches past the right edge
  EXPECT_EQ(untouched, std::vector<std::uint32_t>(4, 7u));
}

TEST(Renderer, FirstDrawIsTheWholeScreen) {
  Renderer r(40, 30);
  r.SetBackground(Pattern(40, 30));
  EXPECT_EQ(r.Draw({}, 0), (std::vector<Rect>{{0, 0, 40, 30}}));
  EXPECT_EQ(Whole(r), Pattern(40, 30));
  EXPECT_TRUE(r.Draw({}, 20).empty());
  EXPECT_THROW(r.SetBackground(Pattern(40, 29)), std::invalid_argument);
  // Screens whose bytes pass what a 32-bit process can hold, or wrap round
  // a 32-bit size (2^32 bytes and more), are refused before any buffer is made.
  for (const auto& [width, height] : {std::pair{16384, 16384}, {65536, 16384}, {46341, 46341}, {2000000000, 2}}) {
    EXPECT_THROW(Renderer(width, height), std::length_error) << width << "x" << height;
  }
  EXPECT_NO_THROW(Renderer(7680, 4320));
}

// A moved sprite redraws its old and new rectangles and nothing else, and
// the screen then equals one drawn afresh.
TEST(Renderer, MovedSpriteRedrawsItsOldAndNewPlace) {
  const int w = 64, h = 48;
  const std::vector<std::pair<Picture, PictureFrames>> pictures = {{Picture::kBubble1Png, One(Ring(8, 0xFF20A0E0u))}};
  Renderer r(w, h);
  r.SetBackground(Pattern(w, h));
  for (const auto& [picture, frames] : pictures) r.SetPicture(picture, frames);
  r.Draw({At(Picture::kBubble1Png, 10, 10, 8, 8)}, 0);

  struct Step {
    int x, y;
    std::vector<Rect> dirty;
  };
  for (const Step& s : {
           Step{10, 10, {}},                              // not moved
           Step{13, 12, {{10, 10, 21, 20}}},              // overlapping: one rectangle round both
           Step{40, 30, {{13, 12, 21, 20}, {40, 30, 48, 38}}},  // apart: the two places
           Step{60, 44, {{40, 30, 48, 38}, {60, 44, 64, 48}}},  // partly off the screen: clipped
           Step{70, 50, {{60, 44, 64, 48}}},              // wholly off the screen
           Step{80, 50, {}},
       }) {
    const std::vector<std::uint32_t> before = Whole(r);
    const std::vector<Sprite> sprites = {At(Picture::kBubble1Png, s.x, s.y, 8, 8)};
    const std::vector<Rect> dirty = r.Draw(sprites, 20);
    EXPECT_EQ(dirty, s.dirty) << s.x << "," << s.y;
    ExpectOnlyInside(dirty, before, Whole(r), w);
    EXPECT_EQ(Whole(r), FullDraw(w, h, pictures, sprites, 20)) << s.x << "," << s.y;
  }
}

// Only the part of a frame that is not clear counts: a fish's wide clear
// margins are neither redrawn nor sent to the screen.
TEST(Renderer, ClearMarginsOfAFrameAreNotRedrawn) {
  const int w = 40, h = 30;
  Frame inked = Solid(12, 10, 0);
  for (int y = 3; y < 7; ++y) {
    for (int x = 2; x < 8; ++x) inked.bgra[static_cast<std::size_t>(y * 12 + x)] = 0x80402010u;
  }
  PictureFrames frames;
  frames.frames = {inked, Solid(12, 10, 0, 50)};  // the second frame wholly clear
  frames.frames[0].delayMs = 50;
  frames.repetitions = kRepeatForever;
  const std::vector<std::pair<Picture, PictureFrames>> pictures = {{Picture::kBubble2Png, frames}};
  Renderer r(w, h);
  r.SetBackground(Pattern(w, h));
  r.SetPicture(Picture::kBubble2Png, frames);
  r.Draw({At(Picture::kBubble2Png, 10, 10, 12, 10)}, 0);
  struct Step {
    int x, y, width;  // the element's box: width x 10
    std::uint64_t ms;
    std::vector<Rect> dirty;
  };
  for (const Step& s : {
           Step{13, 12, 12, 0, {{12, 13, 21, 19}}},   // the inked boxes before and after
           Step{13, 12, 12, 50, {{15, 15, 21, 19}}},  // now clear: only where ink was
           Step{20, 20, 12, 60, {}},                  // a clear frame moved: nothing
           Step{30, 22, 12, 100, {{32, 25, 38, 29}}},
           Step{35, 22, 5, 100, {{32, 25, 40, 29}}},  // clipped by the element's box and the screen
       }) {
    const std::vector<Sprite> sprites = {At(Picture::kBubble2Png, s.x, s.y, s.width, 10)};
    const std::vector<std::uint32_t> before = Whole(r);
    const std::vector<Rect> dirty = r.Draw(sprites, s.ms);
    EXPECT_EQ(dirty, s.dirty) << s.x << "," << s.y << " at " << s.ms;
    ExpectOnlyInside(dirty, before, Whole(r), w);
    EXPECT_EQ(Whole(r), FullDraw(w, h, pictures, sprites, s.ms)) << s.x << "," << s.y;
  }
}

TEST(Renderer, BubblesOverFishInIndexOrderHiddenNotDrawn) {
  const int w = 32, h = 32;
  const std::vector<std::pair<Picture, PictureFrames>> pictures = {
      {Picture::kFish1Left, One(Solid(10, 10, 0xFF0000FFu))},
      {Picture::kFish2Left, One(Solid(10, 10, 0xFF00FF00u))},
      {Picture::kBubble2Png, One(Solid(4, 4, 0x80800000u))}};
  std::vector<Sprite> sprites = {At(Picture::kFish1Left, 0, 0, 10, 10), At(Picture::kFish2Left, 5, 5, 10, 10),
                                 At(Picture::kBubble2Png, 8, 8, 4, 4)};
  const std::vector<std::uint32_t> black(w * h, 0xFF000000u);
  Renderer r(w, h);
  r.SetBackground(black);
  for (const auto& [picture, frames] : pictures) r.SetPicture(picture, frames);
  r.Draw(sprites, 0);
  const auto at = [&](int x, int y) { return Whole(r)[static_cast<std::size_t>(y * w + x)]; };
  EXPECT_EQ(at(2, 2), 0xFF0000FFu);   // fish 0 alone
  EXPECT_EQ(at(6, 6), 0xFF00FF00u);   // fish 1 over fish 0
  EXPECT_EQ(at(9, 9), 0xFF807F00u);   // the half-transparent bubble over fish 1
  EXPECT_EQ(at(20, 20), 0xFF000000u);

  // Moving the fish below the bubble redraws the bubble over it again.
  sprites[1].x = 6;
  sprites[2].visible = false;
  r.Draw(sprites, 0);
  EXPECT_EQ(at(9, 9), 0xFF00FF00u);
  EXPECT_EQ(at(5, 6), 0xFF0000FFu);
  EXPECT_EQ(Whole(r), FullDraw(w, h, pictures, sprites, 0, black));

  // Another monitor's renderer shares the pictures as this one holds them:
  // one copy, and a fish softened once, not once more.
  r.SetPicture(Picture::kFish1Left, One(Ring(10, 0xFF20A0E0u)));
  Renderer other(w, h);
  other.SetBackground(black);
  for (int p = 0; p < kPictureCount; ++p) {
    other.SharePicture(static_cast<Picture>(p), r.SharedPicture(static_cast<Picture>(p)));
  }
  EXPECT_EQ(other.SharedPicture(Picture::kFish1Left), r.SharedPicture(Picture::kFish1Left));
  r.Draw(sprites, 0);
  other.Draw(sprites, 0);
  EXPECT_EQ(Whole(other), Whole(r));
}

TEST(Renderer, AnimatedPictureRedrawsWhenItsFrameChanges) {
  PictureFrames frames;
  frames.frames = {Solid(6, 6, 0xFF111111u, 50), Solid(6, 6, 0xFF222222u, 50)};
  frames.repetitions = kRepeatForever;
  Renderer r(20, 20);
  r.SetPicture(Picture::kBubble1Png, frames);
  const std::vector<Sprite> sprites = {At(Picture::kBubble1Png, 3, 4, 6, 6)};
  r.Draw(sprites, 0);
  EXPECT_EQ(Whole(r)[4 * 20 + 3], 0xFF111111u);
  EXPECT_TRUE(r.Draw(sprites, 49).empty());
  EXPECT_EQ(r.Draw(sprites, 50), (std::vector<Rect>{{3, 4, 9, 10}}));
  EXPECT_EQ(Whole(r)[4 * 20 + 3], 0xFF222222u);
  EXPECT_EQ(r.Draw(sprites, 100), (std::vector<Rect>{{3, 4, 9, 10}}));
  EXPECT_EQ(Whole(r)[4 * 20 + 3], 0xFF111111u);
}

// The whole aquarium drawn frame by frame equals it drawn afresh, and no
// frame touches a pixel outside its dirty rectangles.
TEST(Renderer, SceneDrawnByChangesEqualsFullRedraws) {
  const int w = 400, h = 300;
  std::vector<std::pair<Picture, PictureFrames>> pictures;
  for (int p = 0; p < kPictureCount; ++p) {
    PictureFrames frames;
    const auto base = static_cast<std::uint32_t>(p * 0x0F0D0B);
    frames.frames = {Ring(105, 0xFF000000u | base), Ring(105, 0xFF000000u | (base ^ 0x00FFFFFFu))};
    frames.frames[0].delayMs = 50;
    frames.frames[1].delayMs = 70;
    frames.repetitions = kRepeatForever;
    pictures.emplace_back(static_cast<Picture>(p), std::move(frames));
  }
  for (const bool stretched : {false, true}) {
    Scene scene({w, h, stretched}, 21);
    Renderer r(w, h);
    r.SetBackground(Pattern(w, h));
    for (const auto& [picture, frames] : pictures) r.SetPicture(picture, frames);
    // The window's pixels, unknown before the first frame, which is whole.
    std::vector<std::uint32_t> screen(static_cast<std::size_t>(w * h), 0xDEADBEEFu);
    Update(screen, r, r.Draw(scene.Sprites(), 0));
    for (std::uint64_t t = 20; t <= 3000; t += 20) {
      scene.AdvanceTo(t);
      const std::vector<std::uint32_t> before = Whole(r);
      const std::vector<Rect> dirty = r.Draw(scene.Sprites(), t);
      ExpectOnlyInside(dirty, before, Whole(r), w);
      Update(screen, r, dirty);
      ASSERT_EQ(screen, Whole(r)) << stretched << " at " << t;
      if (t % 500 == 0) {
        ASSERT_EQ(Whole(r), FullDraw(w, h, pictures, scene.Sprites(), t)) << stretched << " at " << t;
      }
    }
  }
}

// At 100 % the scaled path draws today's frames, pixel for pixel.
TEST(Renderer, UnscaledSceneDrawsTodaysFrames) {
  const int w = 400, h = 300;
  for (const bool stretched : {false, true}) {
    Scene scene({w, h, stretched}, 5);
    ScaledScene scaled({w, h, stretched}, Scale{96}, 5);
    Renderer today(w, h), unscaled(w, h);
    for (Renderer* r : {&today, &unscaled}) r->SetBackground(Pattern(w, h));
    for (int p = 0; p < kPictureCount; ++p) {
      const auto picture = static_cast<Picture>(p);
      today.SetPicture(picture, One(Ring(20 + p * 5, 0xFF000000u | static_cast<std::uint32_t>(p * 0x0F0D0B))));
      unscaled.SharePicture(picture, ScalePicture(today.SharedPicture(picture), Scale{96}));
    }
    for (std::uint64_t t = 0; t <= 6000; t += 20) {
      scene.AdvanceTo(t);
      scaled.AdvanceTo(t);
      ASSERT_EQ(unscaled.Draw(scaled.Sprites(), t), today.Draw(scene.Sprites(), t)) << stretched << " at " << t;
      ASSERT_EQ(Whole(unscaled), Whole(today)) << stretched << " at " << t;
    }
  }
}

}  // namespace
}  // namespace mervalis::desktop
