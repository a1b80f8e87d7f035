#pragma once
// Test helper: a dialog that runs a list of steps inside its own modal loop.
// Each step runs on a posted message, so whatever a step posts (mouse and
// key messages, commands) has been handled, through pre-translation, before
// the next step runs. After the last step the dialog ends with IDOK; a
// watchdog ends it with -2 should a step hang.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "framework/dialog.h"

namespace velto::testing {

class ScriptedDialog : public Dialog {
 public:
  using Step = std::function<void()>;
  static constexpr UINT kNextStep = WM_APP + 100;
  static constexpr UINT_PTR kWaitTimer = 9001;
  static constexpr UINT_PTR kWatchdogTimer = 9002;

  explicit ScriptedDialog(int templateId, Window* parent = nullptr) : Dialog(templateId, parent) {}

  void Then(Step step) { steps_.push_back(std::move(step)); }
  // Lets timers and the like run for a while before the next step.
  void ThenWait(UINT milliseconds) {
    steps_.push_back([this, milliseconds] {
      waiting_ = true;
      SetTimer(kWaitTimer, milliseconds);
    });
  }
  bool TimedOut() const { return timedOut_; }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = Dialog::OnInitDialog();
    SetTimer(kWatchdogTimer, 20000);
    Post(kNextStep);
    return result;
  }

  const MessageMap& GetMessageMap() const override {
    static const MessageMap map = MessageMapBuilder<ScriptedDialog>(Dialog::GetMessageMap())
                                      .OnMessage(kNextStep, &ScriptedDialog::OnNextStep)
                                      .OnMessage(WM_TIMER, &ScriptedDialog::OnTimer)
                                      .Build();
    return map;
  }

  // Timers of derived dialogs other than the script's own.
  virtual void OnOtherTimer(UINT_PTR) {}

 private:
  LRESULT OnNextStep(WPARAM, LPARAM) {
    if (next_ >= steps_.size()) {
      EndDialog(IDOK);
      return 0;
    }
    steps_[next_++]();
    if (!waiting_) Post(kNextStep);
    return 0;
  }

  LRESULT OnTimer(WPARAM id, LPARAM) {
    if (id == kWaitTimer) {
      KillTimer(kWaitTimer);
      waiting_ = false;
      Post(kNextStep);
    } else if (id == kWatchdogTimer) {
      timedOut_ = true;
      EndDialog(-2);
    } else {
      OnOtherTimer(id);
    }
    return 0;
  }

  std::vector<Step> steps_;
  size_t next_ = 0;
  bool waiting_ = false;
  bool timedOut_ = false;
};

// Runs `step` as the only step of a new `D`, which must then end with IDOK.
template <class D, class Step>
void RunOneStep(Step step) {
  D dialog;
  dialog.Then([&] { step(dialog); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace velto::testing
