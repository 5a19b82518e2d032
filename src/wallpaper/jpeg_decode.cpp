#include "wallpaper/jpeg_decode.h"

#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE
#include <limits>
#include <string_view>
#include <utility>

#include <jpeglib.h>

// The B, G, R output order is an extension of libjpeg-turbo.
#if !defined(JCS_EXTENSIONS)
#error "libjpeg-turbo is required"
#endif

namespace mervalis {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// Ours jumps back to the setjmp of the phase that called into libjpeg. The
// functions holding a setjmp own no C++ objects, so the jump skips no
// destructor; everything with a destructor lives in DecodeJpeg around them.
struct ErrorManager {
  jpeg_error_mgr pub;  // first, so libjpeg's pointer to it is ours too
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ExitWithError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

// Level -1 is a warning about damaged data (a truncated file among them, for
// which libjpeg would otherwise paint the rest grey): treated as fatal.
// Other levels are trace messages, which are dropped.
void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) ExitWithError(cinfo);
}

void OutputNothing(j_common_ptr) {}

// Releases libjpeg's memory whichever way decoding ends (a C++ exception from
// allocating the image included).
class Decompressor {
 public:
  Decompressor() noexcept {
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = ExitWithError;
    err_.pub.emit_message = EmitMessage;
    err_.pub.output_message = OutputNothing;
    err_.message[0] = '\0';
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
  ~Decompressor() {
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }

  // Reads the header. False on error, with the text in Message().
  bool ReadHeader(const std::uint8_t* data, std::size_t size) noexcept {
    if (size > std::numeric_limits<unsigned long>::max()) return Fail("Picture too large");
    if (setjmp(err_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    created_ = true;
    jpeg_mem_src(&cinfo_, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo_, TRUE);
    if (static_cast<std::uint64_t>(cinfo_.image_width) * cinfo_.image_height > kMaxJpegPixels) {
      return Fail("Picture too large");
    }
    return true;
  }

  [[nodiscard]] int PictureWidth() const noexcept { return static_cast<int>(cinfo_.image_width); }
  [[nodiscard]] int PictureHeight() const noexcept { return static_cast<int>(cinfo_.image_height); }

  // After the header: starts decompression to RGB at `eighths` / 8 of the
  // size. False on error, with the text in Message(); the size is then
  // unknown.
  bool Start(int eighths) noexcept {
    if (setjmp(err_.jump)) return false;
    // Straight into the image's own B, G, R order.
    cinfo_.out_color_space = JCS_EXT_BGR;
    cinfo_.scale_num = static_cast<unsigned>(eighths);
    cinfo_.scale_denom = 8;
    jpeg_start_decompress(&cinfo_);
    if (cinfo_.output_components != 3) return Fail("Unsupported picture format");
    return true;
  }

  [[nodiscard]] int Width() const noexcept { return static_cast<int>(cinfo_.output_width); }
  [[nodiscard]] int Height() const noexcept { return static_cast<int>(cinfo_.output_height); }

  // Decodes every row into `image`, which has the size of Width() x Height().
  bool ReadRows(Image& image) noexcept {
    if (setjmp(err_.jump)) return false;
    const int height = Height();
    while (cinfo_.output_scanline < cinfo_.output_height) {
      JSAMPROW rows[16];
      const int first = static_cast<int>(cinfo_.output_scanline);
      int count = 0;
      while (count < 16 && first + count < height) {
        rows[count] = image.Row(first + count);
        ++count;
      }
      if (jpeg_read_scanlines(&cinfo_, rows, static_cast<JDIMENSION>(count)) == 0) {
        return Fail("Picture data ended early");
      }
    }
    jpeg_finish_decompress(&cinfo_);
    return true;
  }

  // Decodes the next row into `into`, Width() pixels.
  bool ReadRow(std::uint8_t* into) noexcept {
    if (setjmp(err_.jump)) return false;
    JSAMPROW row = into;
    return jpeg_read_scanlines(&cinfo_, &row, 1) == 1 || Fail("Picture data ended early");
  }

  [[nodiscard]] const char* Message() const noexcept { return err_.message; }

 private:
  bool Fail(const char* text) noexcept {
    // Copied, not printed: a printf here would bring MinGW's whole formatter
    // into the program.
    err_.message[std::string_view(text).copy(err_.message, sizeof(err_.message) - 1)] = '\0';
    return false;
  }

  jpeg_decompress_struct cinfo_{};
  ErrorManager err_{};
  bool created_ = false;
};

}  // namespace

JpegResult DecodeJpeg(std::span<const std::uint8_t> bytes, int scale) {
  if (scale != 1 && scale != 2 && scale != 4 && scale != 8) {
    JpegResult result;
    result.error = "Unsupported picture scale";
    return result;
  }
  return DecodeJpegEighths(bytes, 8 / scale);
}

JpegResult DecodeJpegEighths(std::span<const std::uint8_t> bytes, int eighths) {
  JpegResult result;
  if (eighths < 1 || eighths > 8) {
    result.error = "Unsupported picture scale";
    return result;
  }
  Decompressor decompressor;
  if (!decompressor.ReadHeader(bytes.data(), bytes.size()) || !decompressor.Start(eighths)) {
    result.error = decompressor.Message();
    return result;
  }
  Image image = Image::Unfilled(decompressor.Width(), decompressor.Height());
  if (!decompressor.ReadRows(image)) {
    result.error = decompressor.Message();
    return result;
  }
  result.image = std::move(image);
  return result;
}

struct JpegRowReader::State {
  Decompressor decompressor;
  std::string error;
  int width = 0;
  int height = 0;
  int next = 0;  // the row the decompressor gives next
  std::vector<std::uint8_t> rows[2];  // row y in rows[y % 2]

  bool Failed(std::string text) {
    if (error.empty()) error = text.empty() ? "Picture data ended early" : std::move(text);
    return false;
  }
};

JpegRowReader::JpegRowReader(std::span<const std::uint8_t> bytes, int eighths) : state_(std::make_unique<State>()) {
  State& s = *state_;
  if (eighths < 1 || eighths > 8) {
    s.Failed("Unsupported picture scale");
    return;
  }
  if (!s.decompressor.ReadHeader(bytes.data(), bytes.size()) || !s.decompressor.Start(eighths)) {
    s.Failed(s.decompressor.Message());
    return;
  }
  s.width = s.decompressor.Width();
  s.height = s.decompressor.Height();
  for (auto& row : s.rows) row.resize(3 * static_cast<std::size_t>(s.width));
}

JpegRowReader::~JpegRowReader() = default;

const std::string& JpegRowReader::Error() const noexcept { return state_->error; }
int JpegRowReader::Width() const noexcept { return state_->width; }
int JpegRowReader::Height() const noexcept { return state_->height; }

const std::uint8_t* JpegRowReader::Row(int y) {
  State& s = *state_;
  std::vector<std::uint8_t>& slot = s.rows[y & 1];
  if (y < 0 || y >= s.height || y < s.next - 2) s.Failed("Picture rows asked for out of order");
  while (s.error.empty() && s.next <= y) {
    if (!s.decompressor.ReadRow(s.rows[s.next & 1].data())) s.Failed(s.decompressor.Message());
    ++s.next;
  }
  if (!s.error.empty()) std::fill(slot.begin(), slot.end(), std::uint8_t{0});
  return slot.data();
}

JpegSize ReadJpegSize(std::span<const std::uint8_t> bytes) {
  JpegSize size;
  Decompressor decompressor;
  if (!decompressor.ReadHeader(bytes.data(), bytes.size())) {
    size.error = decompressor.Message();
    return size;
  }
  size.width = decompressor.PictureWidth();
  size.height = decompressor.PictureHeight();
  return size;
}

int JpegDecodeScale(int width, int height, int drawnWidth, int drawnHeight) noexcept {
  int scale = 1;
  while (scale < 8 && static_cast<long long>(drawnWidth) * scale * 2 <= width &&
         static_cast<long long>(drawnHeight) * scale * 2 <= height) {
    scale *= 2;
  }
  return scale;
}

int JpegDecodeEighths(int width, int height, int drawnWidth, int drawnHeight) noexcept {
  // libjpeg's size at n eighths: the picture's n / 8, rounded up.
  const auto atLeast = [](int side, int eighths, int drawn) {
    return (static_cast<long long>(side) * eighths + 7) / 8 >= drawn;
  };
  int eighths = 1;
  while (eighths < 8 && !(atLeast(width, eighths, drawnWidth) && atLeast(height, eighths, drawnHeight))) ++eighths;
  return eighths;
}

}  // namespace mervalis
