// The decoder's error texts in the shipped build, where libjpeg formats its
// own messages with the system C library's printf and the decoder copies its
// texts: the texts that a box "Cannot read picture N: ..." shows.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "payload/expected_files.h"
#include "wallpaper/jpeg_decode.h"

namespace {

std::string Frame() { return wine_test::SourceTreeFile("src\\ui\\assets\\frame.jpg"); }

// The frame picture with its frame header (baseline) claiming another size.
std::string ClaimingSize(int width, int height) {
  std::string jpeg = Frame();
  const std::size_t header = jpeg.find("\xFF\xC0");
  if (header == std::string::npos || header + 9 > jpeg.size()) return {};
  jpeg[header + 5] = static_cast<char>(height >> 8);
  jpeg[header + 6] = static_cast<char>(height & 0xFF);
  jpeg[header + 7] = static_cast<char>(width >> 8);
  jpeg[header + 8] = static_cast<char>(width & 0xFF);
  return jpeg;
}

TEST(JpegMessages, ErrorsReadAsLibjpegAndTheDecoderWordThem) {
  const std::string frame = Frame();
  ASSERT_GT(frame.size(), 1000u);
  std::string notJpeg = frame;
  notJpeg[0] = 'X';
  const struct {
    const char* name;
    std::string bytes;
    const char* error;
  } cases[] = {
      {"first byte not a JPEG's", notJpeg, "Not a JPEG file: starts with 0x58 0xd8"},
      {"noise", std::string(4096, '\xA5'), "Not a JPEG file: starts with 0xa5 0xa5"},
      {"cut in the middle", frame.substr(0, frame.size() / 2), "Premature end of JPEG file"},
      {"8192 x 8192 claimed", ClaimingSize(8192, 8192), "Picture too large"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const mervalis::JpegResult result =
        mervalis::DecodeJpeg({reinterpret_cast<const std::uint8_t*>(c.bytes.data()), c.bytes.size()});
    EXPECT_FALSE(result.ok());
    EXPECT_EQ(result.error, c.error);
  }
}

}  // namespace
