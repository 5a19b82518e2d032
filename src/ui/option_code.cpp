#include "ui/option_code.h"

namespace mervalis {

char OptionCode(bool centred, bool showBorder, bool borderExtra) noexcept {
  if (!centred) return '5';
  if (showBorder && borderExtra) return '4';
  if (showBorder) return '2';
  if (borderExtra) return '3';
  return '1';
}

bool IsOptionCode(std::string_view text) noexcept { return text.size() == 1 && text[0] >= '1' && text[0] <= '5'; }

}  // namespace mervalis
