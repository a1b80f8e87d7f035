#pragma once
// Runs a step from a timer once a condition holds, for windows that run a
// modal loop of their own (menus, dialogs, message boxes, the encoder wait).
#include <windows.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

namespace velto::testing {

// Runs `action` once from a thread timer as soon as `ready` holds; timers are
// served by whatever message loop runs (the encoder wait, a message box).
class WhenReady {
 public:
  WhenReady(std::function<bool()> ready, std::function<void()> action, UINT periodMs = 10)
      : ready_(std::move(ready)), action_(std::move(action)) {
    timer_ = SetTimer(nullptr, 0, periodMs, &Tick);
    Active()[timer_] = this;
  }
  ~WhenReady() {
    KillTimer(nullptr, timer_);
    Active().erase(timer_);
  }
  WhenReady(const WhenReady&) = delete;
  WhenReady& operator=(const WhenReady&) = delete;
  bool done() const { return done_; }

 private:
  static std::map<UINT_PTR, WhenReady*>& Active() {
    static std::map<UINT_PTR, WhenReady*> active;
    return active;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto it = Active().find(timer);
    if (it == Active().end()) return;
    WhenReady* self = it->second;
    if (self->done_ || !self->ready_()) return;
    self->done_ = true;
    self->action_();
  }
  std::function<bool()> ready_;
  std::function<void()> action_;
  UINT_PTR timer_ = 0;
  bool done_ = false;
};

// Runs steps one after the other, each as soon as its condition holds, from
// a thread timer as WhenReady does. When a step waits longer than
// `timeoutMs`, `giveUp` runs instead (it closes what the steps would have)
// and the rest are left.
class Steps {
 public:
  struct Step {
    std::function<bool()> ready;
    std::function<void()> action;
  };
  Steps(std::vector<Step> steps, DWORD timeoutMs, std::function<void()> giveUp)
      : steps_(std::move(steps)), timeoutMs_(timeoutMs), giveUp_(std::move(giveUp)),
        since_(GetTickCount()), driver_([this] { return Next(); }, [] {}) {}
  // Every step ran.
  bool done() const { return next_ == steps_.size(); }
  // The step that timed out, counted from 0; -1 when none did.
  int failedStep() const { return failed_; }

 private:
  bool Next() {
    if (next_ >= steps_.size() || failed_ >= 0) return true;
    if (GetTickCount() - since_ > timeoutMs_) {
      failed_ = static_cast<int>(next_);
      giveUp_();
      return true;
    }
    if (!steps_[next_].ready()) return false;
    steps_[next_++].action();
    since_ = GetTickCount();
    return next_ == steps_.size();
  }
  std::vector<Step> steps_;
  DWORD timeoutMs_;
  std::function<void()> giveUp_;
  std::size_t next_ = 0;
  int failed_ = -1;
  DWORD since_;
  WhenReady driver_;
};

// Runs `dialog` modally; `step` runs inside its modal loop as soon as its
// window is up (the step closes it). DoModal's result.
template <typename ModalDialog>
INT_PTR RunModal(ModalDialog& dialog, const std::function<void(HWND)>& step) {
  WhenReady drive([&] { return dialog.IsWindow(); }, [&] { step(dialog.Handle()); });
  return dialog.DoModal();
}

}  // namespace velto::testing
