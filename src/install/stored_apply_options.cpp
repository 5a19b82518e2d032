#include "install/stored_apply_options.h"

#include <string>

#include "common/product_names.h"

namespace mervalis {

ApplyOptions StoredApplyOptions(const StoredLayout& layout, DesktopKind desktop) {
  ApplyOptions options;
  options.wallpaperNameCaption = "\"" + std::string(kTitle) + "\"";
  options.stretched = layout.stretched;
  options.showBorder = layout.showBorder;
  options.borderExtra = layout.decorate;
  options.applyMode = true;
  options.desktop = desktop;
  return options;
}

}  // namespace mervalis
