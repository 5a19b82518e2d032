// The aquarium of the desktop mode: fish and bubbles moving by exactly the
// rules of the wallpaper page's script, so that the native desktop shows
// what the page shows.
//
// The page runs on browser timers; here they are an event queue on a
// millisecond clock. Timers due at the same millisecond run in the order in
// which they were set, a repeating timer being set again just before it runs,
// and the script's random numbers come from a seeded generator. With the
// same seed and the same clock the positions equal the page's, number for
// number (the page test runs the page on such a clock and compares).
//
// Scene time starts at 0 when the page's load event would fire. The caller
// owns the clock: it calls AdvanceTo with the time that has passed and keeps
// the time still while nothing is shown, so that a hidden desktop costs no
// work and the scene goes on where it stopped.
#pragma once

#include <cstdint>
#include <vector>

namespace mervalis::desktop {

// The pictures of the payload, in the order of kPayloadPictures
// (payload/catalogue.h), so that a value indexes that table.
enum class Picture : std::uint8_t {
  kFish1Left, kFish1Right, kFish2Left, kFish2Right,
  kFish3Left, kFish3Right, kFish4Left, kFish4Right,
  kBubble1Png, kBubble2Png, kBubble1Gif, kBubble2Gif,
  kFish5Left, kFish5Right, kFish6Left, kFish6Right,
};
inline constexpr int kPictureCount = 16;

// The random numbers of the page's script in the page test: the mulberry32
// generator, each double an unsigned 32-bit output divided by 2^32.
class SeededRandom {
 public:
  explicit SeededRandom(std::uint32_t seed) noexcept : state_(seed) {}
  [[nodiscard]] double Next() noexcept;  // in [0, 1)

 private:
  std::uint32_t state_;
};

struct SceneConfig {
  int screenWidth = 0;
  int screenHeight = 0;
  bool stretched = false;  // else centred
};

// What the page derives from the screen once, when it loads.
struct SceneLayout {
  int fishCount = 0;
  int bubbleCount = 0;
  int motionChangeMs = 0;  // 0 when there is no fish and so no such timer
  // The animation area; right and bottom exclusive, as the page has them.
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

[[nodiscard]] SceneLayout LayoutFor(const SceneConfig& config) noexcept;

// One entry of the page's fish table.
struct FishKind {
  Picture left;   // facing left: motion states 0 and 1
  Picture right;  // facing right: motion states 2 and 3
  int width;
  int height;
  int stepMs;
  int moveX;
  int moveY;
};
// Fish k swims as entry k mod 6.
[[nodiscard]] const FishKind& FishKindOf(int fishIndex) noexcept;

struct Fish {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int moveX = 0;
  int moveY = 0;
  int motion = 0;  // 0 left-down, 1 left-up, 2 right-down, 3 right-up
  int vMove = 0;   // 1: moves up and down; 0: keeps its height
  bool facingRight = false;  // the picture shown: the "_r" one when true
};

struct Bubble {
  int width = 0;
  int height = 0;
  double x = 0;      // resting column, fractional
  double y = 0;      // height, fractional
  double amp = 0;    // sway amplitude
  double phase = 0;  // sway phase, radians
  double stepX = 0;  // phase increase per step
  double stepY = 0;  // rise per step, pixels
  int left = 0;      // where it is drawn: whole pixels
  int top = 0;
};

// One step of one fish (the page's moveImage without its timer).
void StepFish(Fish& fish, const SceneLayout& layout, bool stretched) noexcept;
// One step of one bubble (the page's moveBubbles for one bubble); a bubble
// that reaches the top starts again at the bottom and draws three numbers.
void StepBubble(Bubble& bubble, const SceneLayout& layout, SeededRandom& random) noexcept;

// A picture at a place, as the renderer draws it.
struct Sprite {
  Picture picture = Picture::kFish1Left;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
  friend bool operator==(const Sprite&, const Sprite&) = default;
};

class Scene {
 public:
  // Lays out the page for the screen, places the bubbles (as the page does
  // while it is parsed) and runs the load event: every fish placed with its
  // first step, the first bubble step, the timers set.
  Scene(const SceneConfig& config, std::uint32_t seed);

  // Runs every timer due at or before ms, in the browser's order.
  void AdvanceTo(std::uint64_t ms);
  [[nodiscard]] std::uint64_t Now() const noexcept { return now_; }
  // When the next timer falls due: the next time anything can move.
  [[nodiscard]] std::uint64_t NextDue() const noexcept;

  // Fish by index, then bubbles by index: the order in which they are drawn
  // (the page puts every bubble in front of every fish).
  [[nodiscard]] const std::vector<Sprite>& Sprites() const noexcept { return sprites_; }
  [[nodiscard]] const SceneLayout& Layout() const noexcept { return layout_; }
  [[nodiscard]] const std::vector<Fish>& FishState() const noexcept { return fish_; }
  [[nodiscard]] const std::vector<Bubble>& BubbleState() const noexcept { return bubbles_; }

 private:
  enum class TimerKind : std::uint8_t { kFish, kMotionChange, kBubbles };
  struct Timer {
    std::uint64_t due;
    std::uint64_t order;  // when set: breaks ties between equal due times
    TimerKind kind;
    int fish;
  };

  void Set(TimerKind kind, int fish, std::uint64_t delay);
  void Run(const Timer& timer);
  void ChangeMotion();
  void SyncFish(int index);
  void SyncBubble(int index);

  SceneConfig config_;
  SceneLayout layout_;
  SeededRandom random_;
  std::vector<Fish> fish_;
  std::vector<Bubble> bubbles_;
  std::vector<Sprite> sprites_;
  std::vector<Timer> timers_;  // a heap, the earliest first
  std::uint64_t now_ = 0;
  std::uint64_t nextOrder_ = 0;
};

}  // namespace mervalis::desktop
