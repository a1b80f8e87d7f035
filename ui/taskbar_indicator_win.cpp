// The batch's progress on the taskbar button, through ITaskbarList3.
#include <windows.h>

#include <objbase.h>
#include <shobjidl.h>

#include <optional>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "ui/batch_indicator.h"

namespace velto {
namespace {

class TaskbarIndicator : public BatchIndicator {
 public:
  explicit TaskbarIndicator(HWND window) : window_(window) {}
  ~TaskbarIndicator() override { Release(); }
  TaskbarIndicator(const TaskbarIndicator&) = delete;
  TaskbarIndicator& operator=(const TaskbarIndicator&) = delete;

  void ButtonCreated() override {
    buttonExists_ = true;
    Release();  // a new Explorer wants a new list
    tried_ = false;
  }
  void Begin() override {
    if (!buttonExists_ || !Connect()) return;
    error_ = false;
    shown_ = 0;
    list_->SetProgressState(window_, TBPF_NORMAL);
    list_->SetProgressValue(window_, 0, 1000);
  }
  // Reports come far more often than the bar moves a step.
  void SetProgress(int perMille) override {
    if (!list_) return;
    const int value = perMille < 0 ? 0 : perMille > 1000 ? 1000 : perMille;
    if (value == shown_) return;
    shown_ = value;
    list_->SetProgressValue(window_, static_cast<ULONGLONG>(value), 1000);
  }
  void MarkError() override {
    if (!list_ || error_) return;
    error_ = true;
    list_->SetProgressState(window_, TBPF_ERROR);
  }
  // The button's tooltip, where the shell shows one; none gives back the
  // window's title.
  void SetTimeLeft(const std::string& line) override {
    if (!list_) return;
    list_->SetThumbnailTooltip(window_, line.empty() ? nullptr : Utf8ToWide(line).c_str());
  }
  void SignalEnd() override {
    FLASHWINFO flash{sizeof flash, window_, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
    MessageBeep(MB_ICONASTERISK);
  }
  void End() override {
    if (!list_) return;
    list_->SetProgressState(window_, TBPF_NOPROGRESS);
    list_->SetThumbnailTooltip(window_, nullptr);
  }

 private:
  // The taskbar list is asked for once, when the first batch starts.
  bool Connect() {
    if (list_) return true;
    if (tried_) return false;
    tried_ = true;
    // Once for the window's life: a new Explorer asks for a new list, not
    // for COM again (each start would want its own end).
    if (!com_ || !com_->Started()) com_.emplace(COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ITaskbarList3* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                reinterpret_cast<void**>(&list)))) {
      return false;
    }
    if (FAILED(list->HrInit())) {
      list->Release();
      return false;
    }
    list_ = list;
    return true;
  }
  void Release() {
    if (list_) list_->Release();
    list_ = nullptr;
  }

  HWND window_;
  std::optional<ComInitialization> com_;  // ends after the list is released
  ITaskbarList3* list_ = nullptr;
  bool buttonExists_ = false;
  bool tried_ = false;
  bool error_ = false;
  int shown_ = 0;
};

}  // namespace

std::unique_ptr<BatchIndicator> MakeTaskbarIndicator(HWND window) {
  return std::make_unique<TaskbarIndicator>(window);
}

UINT TaskbarButtonCreatedMessage() {
  static const UINT message = RegisterWindowMessageW(L"TaskbarButtonCreated");
  return message;
}

}  // namespace velto
