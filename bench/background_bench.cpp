// Composing the background bitmap against its floor: the work no composition
// can avoid, decoding the two pictures and encoding a bitmap of the screen's
// size. A Google Benchmark of the native build, for closer study; the goals
// are judged in the shipped build by `make bench` (bench/timing).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "wallpaper/background.h"
#include "wallpaper/bmp_file.h"
#include "wallpaper/jpeg_decode.h"

namespace {

using namespace mervalis;

const std::vector<std::uint8_t>& Asset(const std::string& name) {
  static std::vector<std::uint8_t> scene, frame;
  std::vector<std::uint8_t>& bytes = name == "scene.jpg" ? scene : frame;
  if (bytes.empty()) {
    std::ifstream in(std::string(MERVALIS_UI_ASSET_DIR) + "/" + name, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return bytes;
}

void BM_Floor(benchmark::State& state) {
  const Image screen(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    JpegResult scene = DecodeJpeg(Asset("scene.jpg"));
    JpegResult frame = DecodeJpeg(Asset("frame.jpg"));
    ByteBuffer file = EncodeBmp24(screen);
    benchmark::DoNotOptimize(scene.image.Row(0));
    benchmark::DoNotOptimize(frame.image.Row(0));
    benchmark::DoNotOptimize(file.data());
  }
}

// Argument 2: 1 for the stretched layout, 0 for centred with the border.
void BM_Compose(benchmark::State& state) {
  for (auto _ : state) {
    BackgroundInputs inputs;
    inputs.width = static_cast<int>(state.range(0));
    inputs.height = static_cast<int>(state.range(1));
    inputs.stretched = state.range(2) != 0;
    inputs.showBorder = true;
    inputs.scene = DecodeJpeg(Asset("scene.jpg")).image;
    inputs.frame = DecodeJpeg(Asset("frame.jpg")).image;
    ByteBuffer file = EncodeBmp24(ComposeBackground(inputs));
    benchmark::DoNotOptimize(file.data());
  }
}

BENCHMARK(BM_Floor)->Args({1920, 1080})->Args({3840, 2160})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose)
    ->ArgNames({"w", "h", "stretched"})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Args({3840, 2160, 0})
    ->Args({3840, 2160, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
