#include "desktop/frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace mervalis::desktop {
namespace {

TEST(ShownDelay, TenMillisecondsOrLessShowFor100) {
  for (const auto& [file, shown] : {std::pair{0, 100}, {10, 100}, {-10, 100}, {11, 11}, {20, 20}, {50, 50}, {1000, 1000}}) {
    EXPECT_EQ(ShownDelayMs(file), shown) << file;
  }
}

TEST(FrameAt, ByTimeLoopingAndPlayedOut) {
  const std::vector<int> fish = {50, 50, 50};      // the payload's fish: 5 hundredths a frame
  const std::vector<int> fast = {0, 10, 20};      // shown for 100, 100 and 20 ms
  const std::vector<int> pair = {50, 50};
  struct Case {
    const std::vector<int>* delays;
    int repetitions;
    std::uint64_t ms;
    std::size_t frame;
  };
  for (const Case& c : {
           Case{&fish, kRepeatForever, 0, 0}, Case{&fish, kRepeatForever, 49, 0},
           Case{&fish, kRepeatForever, 50, 1}, Case{&fish, kRepeatForever, 149, 2},
           Case{&fish, kRepeatForever, 150, 0}, Case{&fish, kRepeatForever, 150 * 1000 + 120, 2},
           Case{&fast, kRepeatForever, 99, 0}, Case{&fast, kRepeatForever, 100, 1},
           Case{&fast, kRepeatForever, 199, 1}, Case{&fast, kRepeatForever, 200, 2},
           Case{&fast, kRepeatForever, 219, 2}, Case{&fast, kRepeatForever, 220, 0},
           // Played once (no loop block), then the last frame stays.
           Case{&pair, 0, 99, 1}, Case{&pair, 0, 100, 1}, Case{&pair, 0, 100000, 1},
           // Played twice.
           Case{&pair, 1, 100, 0}, Case{&pair, 1, 150, 1}, Case{&pair, 1, 200, 1},
       }) {
    EXPECT_EQ(FrameAt(*c.delays, c.repetitions, c.ms), c.frame)
        << c.delays->size() << " frames, repetitions " << c.repetitions << ", at " << c.ms;
  }
}

TEST(FrameAt, StillPictures) {
  const std::vector<int> one = {0};
  EXPECT_EQ(FrameAt(one, kRepeatForever, 12345), 0u);
  EXPECT_EQ(FrameAt({}, 0, 12345), 0u);
}

}  // namespace
}  // namespace mervalis::desktop
