// Prints the desktop scene's positions as JSON, for the page test to compare
// with the page running in Chromium on the same seed and clock.
//
//   scene_dump <width> <height> <centred|stretched> <seed> <ms> [<step ms>]
//
// One sample at 0 (just after the load event) and then every step up to ms:
// {"t":..,"fish":[[left,top,"picture"],..],"bubbles":[[left,top],..]}.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "desktop/scene.h"
#include "payload/catalogue.h"

namespace {

bool ParseNumber(const char* text, std::uint64_t& value) {
  char* end = nullptr;
  value = std::strtoull(text, &end, 10);
  return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  using namespace mervalis;
  std::uint64_t width = 0, height = 0, seed = 0, total = 0, step = 20;
  const std::string_view layout = argc > 3 ? argv[3] : "";
  if (argc < 6 || argc > 7 || !ParseNumber(argv[1], width) || !ParseNumber(argv[2], height) ||
      (layout != "centred" && layout != "stretched") || !ParseNumber(argv[4], seed) ||
      !ParseNumber(argv[5], total) || (argc == 7 && !ParseNumber(argv[6], step)) || step == 0 ||
      width > 65535 || height > 65535 || seed > UINT32_MAX) {
    std::fputs("usage: scene_dump <width> <height> <centred|stretched> <seed> <ms> [<step ms>]\n", stderr);
    return 2;
  }
  desktop::Scene scene({static_cast<int>(width), static_cast<int>(height), layout == "stretched"},
                       static_cast<std::uint32_t>(seed));
  const desktop::SceneLayout& l = scene.Layout();
  std::string out;
  out += "{\"fishCount\":" + std::to_string(l.fishCount) + ",\"bubbleCount\":" + std::to_string(l.bubbleCount) +
         ",\"motionChangeMs\":" + std::to_string(l.motionChangeMs) + ",\"area\":[" + std::to_string(l.left) + "," +
         std::to_string(l.top) + "," + std::to_string(l.right) + "," + std::to_string(l.bottom) + "],\"samples\":[";
  for (std::uint64_t t = 0; t <= total; t += step) {
    scene.AdvanceTo(t);
    out += t == 0 ? "{" : ",{";
    out += "\"t\":" + std::to_string(t) + ",\"fish\":[";
    const auto& sprites = scene.Sprites();
    for (int i = 0; i < l.fishCount; ++i) {
      const desktop::Sprite& s = sprites[static_cast<std::size_t>(i)];
      out += (i ? ",[" : "[") + std::to_string(s.x) + "," + std::to_string(s.y) + ",\"" +
             std::string(kPayloadPictures[static_cast<std::size_t>(s.picture)].fileName) + "\"]";
    }
    out += "],\"bubbles\":[";
    for (int i = 0; i < l.bubbleCount; ++i) {
      const desktop::Sprite& s = sprites[static_cast<std::size_t>(l.fishCount + i)];
      out += (i ? ",[" : "[") + std::to_string(s.x) + "," + std::to_string(s.y) + "]";
    }
    out += "]}";
  }
  out += "]}\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}
