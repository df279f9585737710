// What a weak-target timer's block does, the same in both homes: the block
// holds its target in a zeroing weak cell of its own and sends it the
// selector at every fire; once the target is gone it invalidates its timer,
// which then never fires again. Each home wraps tick() in a block of its
// kind and asks the host's NSTimer for a repeating block timer.
//
// Included by the home headers after their send().
#pragma once

namespace corvane::platform {

struct WeakTimerTarget {
  id target;  // a zeroing weak reference
  SEL selector;
};

// A new cell holding `target` weakly, or null when memory runs out.
inline WeakTimerTarget* weak_timer_target(id target, SEL selector) {
  auto* w = static_cast<WeakTimerTarget*>(calloc(1, sizeof(WeakTimerTarget)));
  if (!w) return nullptr;
  objc_storeWeak(&w->target, target);
  w->selector = selector;
  return w;
}

// One fire. Returns false when the target was gone and the timer has been
// invalidated: the block is never called again.
inline bool weak_timer_tick(WeakTimerTarget* w, id timer) {
  id strong = objc_loadWeakRetained(&w->target);
  if (!strong) {
    send<void>(timer, sel_registerName("invalidate"));
    return false;
  }
  send<void>(strong, w->selector);
  objc_release(strong);
  return true;
}

inline void weak_timer_target_free(WeakTimerTarget* w) {
  objc_destroyWeak(&w->target);
  free(w);
}

}  // namespace corvane::platform
