// The stored layout and option texts, which anyone may write under the
// program's key: one of the five codes reads as its layout, anything else as
// the default (stretched), and every layout the window can store reads back.
#include <cstdint>
#include <string>
#include <string_view>

#include "common/stored_options.h"
#include "fuzz_check.h"
#include "install/stored_apply_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  using mervalis::StoredLayout;
  const StoredLayout layout = mervalis::LayoutFromOptionCode(text);
  const bool code = text.size() == 1 && text[0] >= '1' && text[0] <= '5';
  FUZZ_CHECK(mervalis::IsOptionCode(text) == code);
  if (!code || text == "5") {
    FUZZ_CHECK((layout == StoredLayout{true, false, false}));
  } else {
    const int n = text[0] - '1';
    FUZZ_CHECK((layout == StoredLayout{false, (n & 1) != 0, (n & 2) != 0}));
  }
  const auto options = mervalis::StoredApplyOptions(layout, mervalis::DesktopKind::kAnimatedBehindIcons);
  FUZZ_CHECK(options.applyMode && options.stretched == layout.stretched && options.showBorder == layout.showBorder &&
             options.borderExtra == layout.decorate);

  if (size >= 1) {
    const bool centred = data[0] & 1, border = data[0] & 2, extra = data[0] & 4;
    const char stored = mervalis::OptionCode(centred, border, extra);
    FUZZ_CHECK((mervalis::LayoutFromOptionCode(std::string(1, stored)) ==
                StoredLayout{!centred, centred && border, centred && extra}));
  }
  return 0;
}
