#include "desktop/scene.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace mervalis::desktop {
namespace {

// The page's constants. Every expression below keeps the page's order of
// operations in doubles, so that the results are the page's to the last bit.
constexpr double kHeightDivisor = 1.1;  // fish start and turn above bottom / 1.1
constexpr double kPhaseStep = 0.03;     // xadd
constexpr double kRise = 1.2;           // yadd
constexpr int kBubbleStepMs = 20;
constexpr int kMotionChangeSpreadMs = 6000;

constexpr std::array<FishKind, 6> kFishKinds = {{
    {Picture::kFish2Left, Picture::kFish2Right, 70, 48, 40, 3, 1},
    {Picture::kFish1Left, Picture::kFish1Right, 90, 77, 35, 2, 1},
    {Picture::kFish4Left, Picture::kFish4Right, 95, 62, 40, 2, 1},
    {Picture::kFish6Left, Picture::kFish6Right, 90, 77, 35, 2, 1},
    {Picture::kFish5Left, Picture::kFish5Right, 95, 62, 40, 2, 1},
    {Picture::kFish3Left, Picture::kFish3Right, 105, 49, 45, 2, 1},
}};

// The bubbles of an engine that shows PNG alpha, taking turns.
struct BubbleKind {
  Picture picture;
  int size;
};
constexpr std::array<BubbleKind, 2> kBubbleKinds = {{{Picture::kBubble1Png, 24}, {Picture::kBubble2Png, 14}}};

// JavaScript's Math.round for the quotients of whole numbers used here:
// an exact half goes up.
int RoundQuotient(int numerator, int denominator) noexcept {
  return static_cast<int>(std::floor(static_cast<double>(numerator) / denominator + 0.5));
}

int Floor(double value) noexcept { return static_cast<int>(std::floor(value)); }

int Width(const SceneLayout& l) noexcept { return l.right - l.left; }
int Height(const SceneLayout& l) noexcept { return l.bottom - l.top; }

}  // namespace

double SeededRandom::Next() noexcept {
  state_ += 0x6d2b79f5u;
  std::uint32_t t = state_;
  t = (t ^ (t >> 15)) * (t | 1u);
  t ^= t + (t ^ (t >> 7)) * (t | 61u);
  return static_cast<double>(t ^ (t >> 14)) / 4294967296.0;
}

SceneLayout LayoutFor(const SceneConfig& config) noexcept {
  const int w = config.screenWidth;
  const int h = config.screenHeight;
  SceneLayout l;
  if (config.stretched) {
    l.fishCount = RoundQuotient(w, 175);
  } else {
    l.fishCount = RoundQuotient(w, 250);
    l.left = Floor(w * 0.15);
    l.top = Floor(h * 0.15);
  }
  l.bubbleCount = RoundQuotient(w, 100);
  l.right = w - l.left;
  l.bottom = h - l.top;
  l.motionChangeMs = l.fishCount > 0 ? kMotionChangeSpreadMs / l.fishCount : 0;
  return l;
}

const FishKind& FishKindOf(int fishIndex) noexcept {
  return kFishKinds[static_cast<std::size_t>(fishIndex) % kFishKinds.size()];
}

void StepFish(Fish& f, const SceneLayout& l, bool stretched) noexcept {
  const bool goingLeft = f.motion < 2;
  const bool goingDown = f.motion == 0 || f.motion == 2;
  int newLeft = f.left + (goingLeft ? -f.moveX : f.moveX);
  int newTop = f.top + (goingDown ? f.moveY : -f.moveY);
  bool turned = false;

  if (!stretched) {
    // Bounce inside the area; a turn at a side is tested first, and the step
    // itself still goes through.
    const double bottomLine = l.bottom / kHeightDivisor;
    if (goingLeft && newLeft <= l.left - f.moveX) {
      f.motion += 2;
      turned = true;
    } else if (!goingLeft && newLeft >= l.right - f.width - f.moveX) {
      f.motion -= 2;
      turned = true;
    } else if (goingDown && newTop >= bottomLine - f.height - f.moveY) {
      f.motion += 1;
    } else if (!goingDown && newTop <= l.top + f.moveY) {
      f.motion -= 1;
    }
  } else {
    // Leave the screen on one side, come back on the other.
    if (goingLeft) {
      if (newLeft < -f.width) newLeft = l.right;
    } else if (newLeft > l.right) {
      newLeft = -f.width;
    }
    if (goingDown) {
      if (newTop > l.bottom) newTop = -f.height;
    } else if (newTop < -f.height) {
      newTop = l.bottom;
    }
  }

  f.left = newLeft;
  if (f.vMove == 1) f.top = newTop;
  if (turned) f.facingRight = f.motion >= 2;
}

void StepBubble(Bubble& b, const SceneLayout& l, SeededRandom& random) noexcept {
  b.y -= b.stepY;
  if (b.y <= l.top + 2) {
    // Start again at the bottom in a new column; the sway keeps its
    // amplitude and phase.
    b.x = random.Next() * (Width(l) - b.amp - b.width) + l.left;
    b.y = Height(l) + l.top - b.height;
    b.stepX = kPhaseStep + random.Next() / 10;
    b.stepY = kRise + random.Next();
  }
  b.phase += b.stepX;
  b.top = Floor(b.y);
  b.left = Floor(b.x + b.amp * std::sin(b.phase));
}

Scene::Scene(const SceneConfig& config, std::uint32_t seed)
    : config_(config), layout_(LayoutFor(config)), random_(seed) {
  const SceneLayout& l = layout_;
  const int fishCount = std::max(l.fishCount, 0);
  const int bubbleCount = std::max(l.bubbleCount, 0);
  fish_.resize(static_cast<std::size_t>(fishCount));
  bubbles_.resize(static_cast<std::size_t>(bubbleCount));
  sprites_.resize(fish_.size() + bubbles_.size());

  // While the page is parsed: the fish hidden, the bubbles placed.
  for (int i = 0; i < bubbleCount; ++i) {
    const BubbleKind& kind = kBubbleKinds[static_cast<std::size_t>(i) % kBubbleKinds.size()];
    Bubble& b = bubbles_[static_cast<std::size_t>(i)];
    b.width = kind.size;
    b.height = kind.size;
    b.x = Floor(random_.Next() * (Width(l) - b.width) + l.left);
    b.y = Floor(random_.Next() * (Height(l) - b.height) + l.top);
    b.amp = random_.Next() * 7;
    b.stepX = kPhaseStep + random_.Next() / 10;
    b.stepY = kRise + random_.Next();
    b.left = static_cast<int>(b.x);
    b.top = static_cast<int>(b.y);
    Sprite& s = sprites_[fish_.size() + static_cast<std::size_t>(i)];
    s.picture = kind.picture;
    s.width = b.width;
    s.height = b.height;
    s.visible = true;
    SyncBubble(i);
  }

  // The load event: each fish placed and given its first step.
  for (int i = 0; i < fishCount; ++i) {
    const FishKind& kind = FishKindOf(i);
    Fish& f = fish_[static_cast<std::size_t>(i)];
    f.left = l.left + Floor(random_.Next() * (Width(l) - kind.width));
    f.top = l.top + Floor(random_.Next() * (Height(l) / kHeightDivisor - kind.height));
    f.width = kind.width;
    f.height = kind.height;
    f.moveX = kind.moveX;
    f.moveY = kind.moveY;
    f.motion = Floor(random_.Next() * 4);
    f.vMove = Floor(random_.Next() * 2);
    f.facingRight = f.motion >= 2;
    sprites_[static_cast<std::size_t>(i)].visible = true;
    StepFish(f, l, config_.stretched);
    SyncFish(i);
    Set(TimerKind::kFish, i, static_cast<std::uint64_t>(kind.stepMs));
  }
  if (fishCount > 0) Set(TimerKind::kMotionChange, 0, static_cast<std::uint64_t>(l.motionChangeMs));
  for (int i = 0; i < bubbleCount; ++i) {
    StepBubble(bubbles_[static_cast<std::size_t>(i)], l, random_);
    SyncBubble(i);
  }
  Set(TimerKind::kBubbles, 0, kBubbleStepMs);
}

namespace {
// Heap order: the timer that runs first on top.
struct RunsLater {
  template <typename T>
  bool operator()(const T& a, const T& b) const noexcept {
    return a.due != b.due ? a.due > b.due : a.order > b.order;
  }
};
}  // namespace

void Scene::Set(TimerKind kind, int fish, std::uint64_t delay) {
  timers_.push_back({now_ + delay, nextOrder_++, kind, fish});
  std::push_heap(timers_.begin(), timers_.end(), RunsLater{});
}

std::uint64_t Scene::NextDue() const noexcept {
  // The bubbles' chain never ends, so there is always a timer.
  return timers_.empty() ? UINT64_MAX : timers_.front().due;
}

void Scene::AdvanceTo(std::uint64_t ms) {
  while (!timers_.empty() && timers_.front().due <= ms) {
    std::pop_heap(timers_.begin(), timers_.end(), RunsLater{});
    const Timer timer = timers_.back();
    timers_.pop_back();
    now_ = timer.due;
    Run(timer);
  }
  now_ = std::max(now_, ms);
}

void Scene::Run(const Timer& timer) {
  switch (timer.kind) {
    case TimerKind::kFish: {
      StepFish(fish_[static_cast<std::size_t>(timer.fish)], layout_, config_.stretched);
      SyncFish(timer.fish);
      Set(TimerKind::kFish, timer.fish, static_cast<std::uint64_t>(FishKindOf(timer.fish).stepMs));
      break;
    }
    case TimerKind::kMotionChange:
      // A repeating timer is set again before it runs.
      Set(TimerKind::kMotionChange, 0, static_cast<std::uint64_t>(std::max(layout_.motionChangeMs, 1)));
      ChangeMotion();
      break;
    case TimerKind::kBubbles:
      for (std::size_t i = 0; i < bubbles_.size(); ++i) {
        StepBubble(bubbles_[i], layout_, random_);
        SyncBubble(static_cast<int>(i));
      }
      Set(TimerKind::kBubbles, 0, kBubbleStepMs);
      break;
  }
}

void Scene::ChangeMotion() {
  const int index = Floor(random_.Next() * static_cast<double>(fish_.size()));
  Fish& f = fish_[static_cast<std::size_t>(index)];
  f.motion = Floor(random_.Next() * 4);
  // When stretched, a fish along the top or bottom edge must move up or
  // down, or it would ride along that edge.
  if (!config_.stretched ||
      (f.top > layout_.top && f.top + f.height < layout_.bottom / kHeightDivisor)) {
    f.vMove = Floor(random_.Next() * 2);
  } else {
    f.vMove = 1;
  }
  f.facingRight = f.motion >= 2;
  SyncFish(index);
}

void Scene::SyncFish(int index) {
  const Fish& f = fish_[static_cast<std::size_t>(index)];
  const FishKind& kind = FishKindOf(index);
  Sprite& s = sprites_[static_cast<std::size_t>(index)];
  s.picture = f.facingRight ? kind.right : kind.left;
  s.x = f.left;
  s.y = f.top;
  s.width = f.width;
  s.height = f.height;
}

void Scene::SyncBubble(int index) {
  const Bubble& b = bubbles_[static_cast<std::size_t>(index)];
  Sprite& s = sprites_[fish_.size() + static_cast<std::size_t>(index)];
  s.x = b.left;
  s.y = b.top;
}

}  // namespace mervalis::desktop
