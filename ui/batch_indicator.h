#pragma once
// What a batch shows outside its progress window: the taskbar button's
// progress and error state.
#include <memory>

#include <windows.h>

namespace velto {

class BatchIndicator {
 public:
  virtual ~BatchIndicator() = default;
  // A batch starts: progress at 0, normal state.
  virtual void Begin() = 0;
  // The batch's position, 0..1000.
  virtual void SetProgress(int perMille) = 0;
  // A file failed: the progress stays shown, in the error state, until End.
  virtual void MarkError() = 0;
  // The batch and its closing message are over: no progress shown.
  virtual void End() = 0;
};

// The taskbar button of `window` (ITaskbarList3). Does nothing where the
// shell offers no taskbar list.
std::unique_ptr<BatchIndicator> MakeTaskbarIndicator(HWND window);

}  // namespace velto
