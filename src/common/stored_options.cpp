#include "common/stored_options.h"

namespace mervalis {

char OptionCode(bool centred, bool showBorder, bool borderExtra) noexcept {
  if (!centred) return '5';
  if (showBorder && borderExtra) return '4';
  if (showBorder) return '2';
  if (borderExtra) return '3';
  return '1';
}

bool IsOptionCode(std::string_view text) noexcept { return text.size() == 1 && text[0] >= '1' && text[0] <= '5'; }

StoredLayout LayoutFromOptionCode(std::string_view code) noexcept {
  if (code.size() != 1 || code[0] < '1' || code[0] > '4') return {};
  const char c = code[0];
  return {false, c == '2' || c == '4', c == '3' || c == '4'};
}

}  // namespace mervalis
