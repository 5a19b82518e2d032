// Class and interface ids written in their registry form, the form the .idl
// files, the registry and the page use, instead of as brace initialisers that
// nobody can compare with those by eye.
#pragma once

#include <windows.h>

#include <string_view>

namespace mervalis {

namespace guid_text_detail {
// Not constexpr: reaching it in GuidFromText makes the program ill-formed, so
// a malformed id does not compile.
void MalformedGuidText();

consteval unsigned HexDigit(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
  MalformedGuidText();
  return 0;
}

consteval unsigned long Hex(std::string_view text, std::size_t at, std::size_t digits) {
  unsigned long value = 0;
  for (std::size_t i = 0; i < digits; ++i) value = value * 16 + HexDigit(text[at + i]);
  return value;
}
}  // namespace guid_text_detail

// The GUID "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (no braces), at compile time.
consteval GUID GuidFromText(std::string_view text) {
  using guid_text_detail::Hex;
  if (text.size() != 36 || text[8] != '-' || text[13] != '-' || text[18] != '-' || text[23] != '-') {
    guid_text_detail::MalformedGuidText();
  }
  GUID guid = {};
  guid.Data1 = Hex(text, 0, 8);
  guid.Data2 = static_cast<unsigned short>(Hex(text, 9, 4));
  guid.Data3 = static_cast<unsigned short>(Hex(text, 14, 4));
  guid.Data4[0] = static_cast<unsigned char>(Hex(text, 19, 2));
  guid.Data4[1] = static_cast<unsigned char>(Hex(text, 21, 2));
  for (std::size_t i = 0; i < 6; ++i) guid.Data4[2 + i] = static_cast<unsigned char>(Hex(text, 24 + 2 * i, 2));
  return guid;
}

}  // namespace mervalis
