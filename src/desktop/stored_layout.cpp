#include "desktop/stored_layout.h"

namespace mervalis::desktop {

StoredLayout LayoutFromOptionCode(std::string_view code) noexcept {
  if (code.size() != 1 || code[0] < '1' || code[0] > '4') return {};
  const char c = code[0];
  return {false, c == '2' || c == '4', c == '3' || c == '4'};
}

}  // namespace mervalis::desktop
