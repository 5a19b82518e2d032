// The control's checks of what its host and the desktop tell it: an allowed
// page address names a file on a local drive whose name begins with the
// family's word; a title never names anything but a file beside ours.
#include <cstdint>
#include <string>
#include <string_view>

#include "control/control_logic.h"
#include "fuzz_check.h"

namespace {

int Hex(char c) {
  c = fuzz::Lower(c);
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

std::string Decoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
      out += static_cast<char>(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The path an address names, the way any reader of "file:" addresses takes
// it: query and fragment cut off, escapes decoded, the slashes before a
// drive and a "localhost" host dropped.
std::string LocalPath(std::string_view address) {
  if (!fuzz::StartsWithIgnoringCase(address, "file:")) return std::string(address);
  address.remove_prefix(5);
  address = address.substr(0, address.find_first_of("?#"));
  std::string path = Decoded(address);
  std::size_t at = 0;
  while (at < path.size() && (path[at] == '/' || path[at] == '\\')) ++at;
  if (fuzz::StartsWithIgnoringCase(std::string_view(path).substr(at), "localhost/")) at += 10;
  while (at < path.size() && (path[at] == '/' || path[at] == '\\')) ++at;
  return path.substr(at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (quorvanex::HostPageAllowed(text)) {
    std::string path = LocalPath(text);
    if (path.size() > 1 && path[1] == '|') path[1] = ':';
    FUZZ_CHECK(fuzz::IsAbsoluteWindowsPath(path) && !path.starts_with("\\\\"));
    const std::string_view name = std::string_view(path).substr(path.find_last_of("\\/") + 1);
    FUZZ_CHECK(fuzz::StartsWithIgnoringCase(name, "Quorvane"));
  }
  const quorvanex::WallpaperTitle title = quorvanex::TitleFromWallpaper(text);
  if (title.verdict == quorvanex::Verdict::kStart) {
    FUZZ_CHECK(title.title.find_first_of("\\/:.") == std::string::npos);
    const std::string program = quorvanex::ApplicationFileFor("C:\\WINDOWS\\system32", title.title);
    FUZZ_CHECK(program == "C:\\Program Files\\Quorvane\\" + title.title + ".exe");
  } else {
    FUZZ_CHECK(title.title.empty());
  }
  return 0;
}
