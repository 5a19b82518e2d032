// The payload's pictures decoded by the platform's codecs (Windows Imaging
// Component): every GIF frame as the whole picture it shows, with its delay,
// and the PNG bubbles with their alpha channel.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mervalis {

struct DecodedFrame {
  int width = 0;
  int height = 0;
  // width * height pixels, rows top-down, B, G, R, A with straight alpha.
  std::vector<std::uint8_t> bgra;
  int delayMs = 0;  // 0 for a still picture
};

// Decodes one picture from its bytes. COM must be initialised on the calling
// thread. False with a short reason in `error` when WIC is missing (Windows
// XP without it) or cannot read the picture; `frames` is then empty.
[[nodiscard]] bool DecodePicture(std::span<const std::uint8_t> bytes, std::vector<DecodedFrame>& frames,
                                 std::string& error) noexcept;

// The bytes of a raw-data resource of `module` (null: the running program);
// empty when there is none. Resource memory lives as long as the module.
[[nodiscard]] std::span<const std::uint8_t> ResourceBytes(HMODULE module, int id) noexcept;

}  // namespace mervalis
