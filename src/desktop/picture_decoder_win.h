// The payload's pictures decoded by the platform's codecs (Windows Imaging
// Component) into the renderer's form: every GIF frame as the whole picture
// it shows, with its delay and the picture's repetitions, and the PNG bubbles
// with their alpha channel, all premultiplied.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "desktop/renderer.h"

namespace mervalis::desktop {

// Decodes one picture from its bytes. COM must be initialised on the calling
// thread. False with a short reason in `error` when WIC is missing (Windows
// XP without it) or cannot read the picture; `picture` is then empty.
[[nodiscard]] bool DecodePicture(std::span<const std::uint8_t> bytes, PictureFrames& picture,
                                 std::string& error) noexcept;

// The bytes of a raw-data resource of `module` (null: the running program);
// empty when there is none. Resource memory lives as long as the module.
[[nodiscard]] std::span<const std::uint8_t> ResourceBytes(HMODULE module, int id) noexcept;

// Decodes the sixteen payload pictures of `module` into `renderer`. False
// with the first failure's picture id and reason in `error`.
[[nodiscard]] bool LoadPayloadPictures(HMODULE module, Renderer& renderer, std::string& error);

}  // namespace mervalis::desktop
