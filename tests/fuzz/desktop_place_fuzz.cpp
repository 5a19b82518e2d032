// The search for the place behind the icons over window lists of any shape:
// the windows it chooses are in the list, belong to the shell's process
// (that of a "Progman" window) and fit the layout named.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <vector>

#include "desktop/placement.h"
#include "fuzz_check.h"

namespace {

using mervalis::desktop::ShellWindow;

mervalis::desktop::WindowId g_next = 1;

ShellWindow Window(FuzzedDataProvider& in, int depth) {
  ShellWindow w;
  w.id = g_next++;
  w.className = in.PickValueInArray({"Progman", "WorkerW", "SHELLDLL_DefView", "SysListView32", "Static", "workerw"});
  w.processId = in.PickValueInArray({40u, 77u});
  w.visible = in.ConsumeIntegralInRange(0, 5) != 0;
  for (int n = depth < 2 ? in.ConsumeIntegralInRange(0, 3) : 0; n > 0; --n) w.children.push_back(Window(in, depth + 1));
  return w;
}

bool HasChild(const ShellWindow& w, std::string_view className) {
  for (const ShellWindow& c : w.children) {
    if (c.className == className) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  g_next = 1;
  std::vector<ShellWindow> topLevel;
  for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) topLevel.push_back(Window(in, 0));

  const auto place = mervalis::desktop::FindDesktopPlace(topLevel);
  if (!place) return 0;
  const ShellWindow* parent = nullptr;
  std::size_t at = 0;
  for (std::size_t i = 0; i < topLevel.size(); ++i) {
    if (topLevel[i].id == place->parent) parent = &topLevel[i], at = i;
  }
  FUZZ_CHECK(parent != nullptr);
  bool shellsProcess = false;
  for (const ShellWindow& w : topLevel) shellsProcess |= w.className == "Progman" && w.processId == parent->processId;
  FUZZ_CHECK(shellsProcess);

  if (place->layout == mervalis::desktop::DesktopLayout::ProgmanHoldsWorker) {
    FUZZ_CHECK(parent->className == "Progman");
    bool iconsThenWorker = false, iconsSeen = false;
    for (const ShellWindow& c : parent->children) {
      if (c.id == place->below) iconsSeen = c.className == "SHELLDLL_DefView";
      iconsThenWorker |= iconsSeen && c.className == "WorkerW";
    }
    FUZZ_CHECK(iconsThenWorker);
  } else {
    // The wallpaper's own window, shown, never the one that holds the icons,
    // below a window of the shell's that holds them.
    FUZZ_CHECK(place->below == 0);
    FUZZ_CHECK(parent->className == "WorkerW" && parent->visible && !HasChild(*parent, "SHELLDLL_DefView"));
    bool holderAbove = false;
    for (std::size_t i = 0; i < at; ++i) {
      holderAbove |= topLevel[i].className == "WorkerW" && topLevel[i].processId == parent->processId &&
                     HasChild(topLevel[i], "SHELLDLL_DefView");
    }
    FUZZ_CHECK(holderAbove);
  }
  return 0;
}
