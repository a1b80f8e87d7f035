#pragma once
// What a batch shows outside its progress window: the taskbar button's
// progress, error state and time left, and the signal at its end.
#include <memory>
#include <string>

#include <windows.h>

namespace velto {

class BatchIndicator {
 public:
  virtual ~BatchIndicator() = default;
  // The shell made the window's taskbar button (or made it anew, after
  // Explorer restarted); before that nothing can be shown on it.
  virtual void ButtonCreated() {}
  // A batch starts: progress at 0, normal state.
  virtual void Begin() = 0;
  // The batch's position, 0..1000.
  virtual void SetProgress(int perMille) = 0;
  // A file failed: the progress stays shown, in the error state, until End.
  virtual void MarkError() = 0;
  // The batch's time left ("About 00:01:23 left", or "" for none).
  virtual void SetTimeLeft(const std::string& /*line*/) {}
  // The batch has ended while the user looks elsewhere: the button flashes
  // until the window is activated, and the notification sound plays.
  virtual void SignalEnd() {}
  // The batch and its closing message are over: no progress shown.
  virtual void End() = 0;
};

// The taskbar button of `window` (ITaskbarList3). Does nothing until the
// button exists, nor where the shell offers no taskbar list.
std::unique_ptr<BatchIndicator> MakeTaskbarIndicator(HWND window);

// The message the shell sends when it has made a window's taskbar button.
UINT TaskbarButtonCreatedMessage();

}  // namespace velto
