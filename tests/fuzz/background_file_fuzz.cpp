// The background written in bands, each at its place in the file, against
// the whole picture composed at once and encoded: the same bytes, for any
// size, layout, pictures and band size.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "wallpaper/background.h"
#include "wallpaper/bmp_file.h"

namespace {

mervalis::Image Picture(FuzzedDataProvider& in, int most) {
  const int width = in.ConsumeIntegralInRange(0, most);
  const int height = in.ConsumeIntegralInRange(0, most);
  mervalis::Image image(width, height, {in.ConsumeIntegral<std::uint8_t>(), 0, 0});
  for (int i = in.ConsumeIntegralInRange(0, 8); i > 0 && width > 0 && height > 0; --i) {
    image.SetPixel(in.ConsumeIntegralInRange(0, width - 1), in.ConsumeIntegralInRange(0, height - 1),
                   {in.ConsumeIntegral<std::uint8_t>(), in.ConsumeIntegral<std::uint8_t>(), 9});
  }
  return image;
}

// What a call gave: its bytes, or the kind of exception it threw.
template <typename F>
std::vector<std::uint8_t> Outcome(F&& f) {
  try {
    return f();
  } catch (const std::invalid_argument&) {
    return {'i'};
  } catch (const std::length_error&) {
    return {'l'};
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  mervalis::BackgroundInputs inputs;
  inputs.width = in.ConsumeIntegralInRange(-1, 260);
  inputs.height = in.ConsumeIntegralInRange(-1, 200);
  inputs.stretched = in.ConsumeBool();
  inputs.showBorder = in.ConsumeBool();
  inputs.decorate = in.ConsumeBool();
  inputs.scene = Picture(in, 60);
  inputs.frame = Picture(in, 60);
  if (in.ConsumeBool()) {
    inputs.frameWidth = in.ConsumeIntegralInRange(0, 2000);
    inputs.frameHeight = in.ConsumeIntegralInRange(0, 2000);
  }
  inputs.decorationLeft = Picture(in, 12);
  inputs.decorationRight = Picture(in, 12);
  inputs.decorationSeed = in.ConsumeIntegral<std::uint32_t>();
  const std::size_t bandBytes = in.ConsumeIntegralInRange<std::size_t>(0, 40000);

  const auto streamed = Outcome([&] {
    std::vector<std::uint8_t> bytes;
    std::vector<bool> placed;  // each byte is written once, none left out
    const bool ok = mervalis::WriteBackgroundFile(
        inputs,
        [&](std::size_t offset, std::span<const std::uint8_t> piece) {
          bytes.resize(std::max(bytes.size(), offset + piece.size()));
          placed.resize(bytes.size());
          for (std::size_t i = 0; i < piece.size(); ++i) {
            FUZZ_CHECK(!placed[offset + i]);
            placed[offset + i] = true;
            bytes[offset + i] = piece[i];
          }
          return true;
        },
        {}, bandBytes);
    FUZZ_CHECK(ok);
    FUZZ_CHECK(std::find(placed.begin(), placed.end(), false) == placed.end());
    return bytes;
  });
  const auto whole = Outcome([&] {
    const mervalis::ByteBuffer file = mervalis::EncodeBmp24(mervalis::ComposeBackground(inputs));
    return std::vector<std::uint8_t>(file.begin(), file.end());
  });
  FUZZ_CHECK(streamed == whole);
  return 0;
}
