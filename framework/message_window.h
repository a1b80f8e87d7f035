#pragma once
// A window that only takes messages (a child of HWND_MESSAGE): never shown,
// never enumerated, so that another process can send to it. Each message
// goes to the handler; a message the handler does not take goes to
// DefWindowProc. The window lives as long as the object.
#include <windows.h>

#include <functional>
#include <optional>

namespace velto {

class MessageWindow {
 public:
  using Handler = std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)>;

  explicit MessageWindow(Handler handler);
  ~MessageWindow();
  MessageWindow(const MessageWindow&) = delete;
  MessageWindow& operator=(const MessageWindow&) = delete;

  // Null when the window could not be made.
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  Handler handler_;
  HWND hwnd_ = nullptr;
};

}  // namespace velto
