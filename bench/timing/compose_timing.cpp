// Composition of the background bitmap against its floor, timed in the same
// build as the product (natively, and as i686 under Wine by tools/bench.py).
//
// The floor is the work no composition can avoid: decoding the two pictures
// and writing a bitmap file of the screen's size. The composition is what the
// program does for the same screen: decode what it draws, compose, write.
// The two run alternately; each line gives the medians and the fastest runs
// with their ratios, the ratio of the fastest runs last.
//
//   compose_timing SCENE.jpg FRAME.jpg OUTPUT_FOLDER [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "wallpaper/background.h"
#include "wallpaper/bmp_file.h"
#include "wallpaper/jpeg_decode.h"

namespace {

using namespace mervalis;
using Clock = std::chrono::steady_clock;

std::vector<std::uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file written through the C library, the same way for floor and composition.
class Output {
 public:
  explicit Output(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
    if (!file_) {
      std::fprintf(stderr, "cannot create %s\n", path.c_str());
      std::exit(2);
    }
  }
  ~Output() { std::fclose(file_); }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;
  bool Write(std::span<const std::uint8_t> bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
  }
  bool WriteAt(std::size_t offset, std::span<const std::uint8_t> bytes) {
    return std::fseek(file_, static_cast<long>(offset), SEEK_SET) == 0 && Write(bytes);
  }

 private:
  std::FILE* file_;
};

void Put32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Decodes both pictures in full and writes a black bitmap of the size, its
// rows in pieces of about a megabyte.
void Floor(const std::vector<std::uint8_t>& scene, const std::vector<std::uint8_t>& frame,
           int width, int height, const std::string& path) {
  const JpegResult a = DecodeJpeg(scene);
  const JpegResult b = DecodeJpeg(frame);
  if (!a.ok() || !b.ok()) std::exit(3);
  const std::uint32_t stride = (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
  const std::uint32_t pixels = stride * static_cast<std::uint32_t>(height);
  std::uint8_t headers[54] = {'B', 'M'};
  Put32(headers + 2, 54 + pixels);
  Put32(headers + 10, 54);
  Put32(headers + 14, 40);
  Put32(headers + 18, static_cast<std::uint32_t>(width));
  Put32(headers + 22, static_cast<std::uint32_t>(height));
  headers[26] = 1;
  headers[28] = 24;
  Put32(headers + 34, pixels);
  Output out(path);
  out.Write(headers);
  static const std::vector<std::uint8_t> zeros(1 << 20);
  for (std::uint32_t left = pixels; left > 0;) {
    const std::uint32_t part = std::min<std::uint32_t>(left, zeros.size());
    out.Write(std::span(zeros.data(), part));
    left -= part;
  }
}

// What WriteWallpaperBitmap does: decode what is drawn (the scene a row at a
// time as the bands reach it), compose from the top down and write each band
// at its place in the file.
void Compose(const std::vector<std::uint8_t>& scene, const std::vector<std::uint8_t>& frame,
             int width, int height, bool stretched, const std::string& path) {
  BackgroundInputs inputs;
  inputs.width = width;
  inputs.height = height;
  inputs.stretched = stretched;
  inputs.showBorder = true;
  if (DecodeBackgroundPictures(inputs, scene, frame, true)) std::exit(3);
  Output out(path);
  if (!WriteBackgroundFile(inputs, [&out](std::size_t offset, std::span<const std::uint8_t> bytes) {
        return out.WriteAt(offset, bytes);
      })) {
    std::exit(4);
  }
}

template <typename F>
double Milliseconds(F&& work) {
  const Clock::time_point start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SCENE.jpg FRAME.jpg OUTPUT_FOLDER [RUNS]\n", argv[0]);
    return 2;
  }
  const std::vector<std::uint8_t> scene = ReadFile(argv[1]);
  const std::vector<std::uint8_t> frame = ReadFile(argv[2]);
  const std::string folder = argv[3];
  const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 15;
  const std::string path = folder + "/compose_timing.bmp";

  struct Case {
    int width, height;
    bool stretched;
  };
  const Case cases[] = {{1920, 1080, false}, {1920, 1080, true}, {3840, 2160, false},
                        {3840, 2160, true}};
  for (const Case& c : cases) {
    std::vector<double> floor, compose;
    Floor(scene, frame, c.width, c.height, path);  // warm-up
    Compose(scene, frame, c.width, c.height, c.stretched, path);
    for (int i = 0; i < runs; ++i) {
      floor.push_back(Milliseconds([&] { Floor(scene, frame, c.width, c.height, path); }));
      compose.push_back(
          Milliseconds([&] { Compose(scene, frame, c.width, c.height, c.stretched, path); }));
    }
    // The fastest runs are the least disturbed by whatever else the machine
    // does; the medians show the spread.
    const double f = Median(floor);
    const double m = Median(compose);
    const double fBest = *std::min_element(floor.begin(), floor.end());
    const double mBest = *std::min_element(compose.begin(), compose.end());
    std::printf("compose %dx%d %-9s median %6.1f ms, floor %6.1f ms (%.2f); fastest %6.1f ms, "
                "floor %6.1f ms, ratio %.2f\n",
                c.width, c.height, c.stretched ? "stretched" : "centred", m, f, m / f, mBest, fBest,
                mBest / fBest);
    std::fflush(stdout);
  }
  std::remove(path.c_str());
  return 0;
}
