// The GIF canvas against a plain model of a browser's playing, frame by frame
// (disposals, clipping, transparent pixels), and the frame choice against the
// delays added up.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "desktop/frames.h"
#include "desktop/gif_canvas.h"
#include "fuzz_check.h"

namespace {

using mervalis::desktop::GifDisposal;

void CheckCanvas(FuzzedDataProvider& in) {
  const int width = in.ConsumeIntegralInRange(1, 20);
  const int height = in.ConsumeIntegralInRange(1, 20);
  mervalis::desktop::GifCanvas canvas(width, height);
  std::vector<std::uint32_t> model(static_cast<std::size_t>(width * height), 0), beforeLast = model;
  GifDisposal lastDisposal = GifDisposal::Keep;
  int lastLeft = 0, lastTop = 0, lastWidth = 0, lastHeight = 0;
  for (int frames = in.ConsumeIntegralInRange(1, 6); frames > 0; --frames) {
    mervalis::desktop::GifStoredFrame frame;
    frame.left = in.ConsumeIntegralInRange(-30, 30);
    frame.top = in.ConsumeIntegralInRange(-30, 30);
    frame.width = in.ConsumeIntegralInRange(0, 25);
    frame.height = in.ConsumeIntegralInRange(0, 25);
    frame.disposal = static_cast<GifDisposal>(in.ConsumeIntegralInRange(0, 3));
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(frame.width * frame.height));
    for (std::uint32_t& p : pixels) p = in.ConsumeBool() ? 0x00123456u : in.ConsumeIntegral<std::uint32_t>() | 0x01000000u;
    frame.pixels = pixels.data();

    // The previous frame goes as it asked.
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < width && y < height; };
    if (lastDisposal == GifDisposal::RestoreBackground) {
      for (int y = lastTop; y < lastTop + lastHeight; ++y) {
        for (int x = lastLeft; x < lastLeft + lastWidth; ++x) {
          if (inside(x, y)) model[static_cast<std::size_t>(y * width + x)] = 0;
        }
      }
    } else if (lastDisposal == GifDisposal::RestorePrevious) {
      model = beforeLast;
    }
    if (frame.disposal == GifDisposal::RestorePrevious) beforeLast = model;
    for (int y = 0; y < frame.height; ++y) {
      for (int x = 0; x < frame.width; ++x) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(y * frame.width + x)];
        if (inside(frame.left + x, frame.top + y) && (p >> 24) != 0) {
          model[static_cast<std::size_t>((frame.top + y) * width + frame.left + x)] = p | 0xFF000000u;
        }
      }
    }
    lastDisposal = frame.disposal;
    lastLeft = frame.left, lastTop = frame.top, lastWidth = frame.width, lastHeight = frame.height;

    FUZZ_CHECK(canvas.Add(frame) == model);
  }
}

void CheckFrameChoice(FuzzedDataProvider& in) {
  std::vector<int> delays(in.ConsumeIntegralInRange<std::size_t>(0, 6));
  for (int& d : delays) d = in.ConsumeIntegralInRange(0, 3000) * 10;
  const int repetitions = in.ConsumeBool() ? mervalis::desktop::kRepeatForever : in.ConsumeIntegralInRange(0, 3);
  const std::uint64_t ms = in.ConsumeIntegral<std::uint64_t>() >> in.ConsumeIntegralInRange(0, 63);
  const std::size_t chosen = mervalis::desktop::FrameAt(delays, repetitions, ms);
  if (delays.empty()) {
    FUZZ_CHECK(chosen == 0);
    return;
  }
  // Delays of 10 ms or less show for 100 ms.
  std::uint64_t loop = 0;
  for (int d : delays) loop += static_cast<std::uint64_t>(d <= 10 ? 100 : d);
  std::size_t expected = delays.size() - 1;
  const bool forever = repetitions == mervalis::desktop::kRepeatForever;
  // Within the plays (the first and each repetition): the frame whose time it is.
  if (forever || ms / loop <= static_cast<std::uint64_t>(repetitions)) {
    std::uint64_t t = ms % loop;
    for (expected = 0; expected + 1 < delays.size(); ++expected) {
      const std::uint64_t shown = static_cast<std::uint64_t>(delays[expected] <= 10 ? 100 : delays[expected]);
      if (t < shown) break;
      t -= shown;
    }
  }
  FUZZ_CHECK(chosen == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  if (in.ConsumeBool()) {
    CheckCanvas(in);
  } else {
    CheckFrameChoice(in);
  }
  return 0;
}
