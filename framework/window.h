#pragma once
// Window: a thin, non-owning wrapper round a window handle, and the base of
// every framework class. A wrapper that is only attached (Attach) forwards
// calls to its window. A wrapper whose class has behaviour of its own is
// subclassed (Subclass): the window's messages then pass through the class's
// message map first, and its parent reflects owner-draw, control-colour,
// command and notification messages to it.
#include <windows.h>

#include <string>
#include <string_view>

#include "framework/message_map.h"

namespace velto {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  // Unhooks a subclassed window; the window itself stays.
  virtual ~Window();

  HWND Handle() const { return hwnd_; }
  bool IsWindow() const { return hwnd_ != nullptr && ::IsWindow(hwnd_); }

  // Wraps a window without taking over its messages.
  void Attach(HWND hwnd);
  // Takes over the window's messages: PreSubclassWindow, then the window
  // procedure is replaced. Fails when the window has a framework object.
  bool Subclass(HWND hwnd);
  // Gives the window back (restoring its procedure if subclassed).
  HWND Detach();
  // Attaches or subclasses, as the class wants (SubclassOnAttach).
  bool AttachControl(HWND hwnd);

  // The framework object of a subclassed window, a dialog, or null.
  static Window* FromHandle(HWND hwnd);

  // Usual calls; text is UTF-8.
  std::string GetText() const;
  void SetText(std::string_view text);
  void Enable(bool enable = true);
  bool IsEnabled() const;
  void Show(int showCommand);
  bool IsVisible() const;
  void Invalidate(bool erase = true);
  void SetFocus();
  HWND GetParent() const;
  int GetId() const;
  RECT ClientRect() const;
  RECT WindowRect() const;
  LONG_PTR Style() const;
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  bool Post(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds);
  bool KillTimer(UINT_PTR id);
  virtual bool DestroyWindow();

  // Runs for queued messages of this window and its children before they are
  // dispatched (see ProcessMessage). True means the message is done with.
  virtual bool PreTranslateMessage(MSG& msg);

  // A message the parent got about this control; true when handled here.
  virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 protected:
  virtual const MessageMap& GetMessageMap() const;
  // Whether data exchange subclasses this control (classes with behaviour).
  virtual bool SubclassOnAttach() const { return false; }
  virtual void PreSubclassWindow() {}
  // After the last message of the window (WM_NCDESTROY); the object is
  // already detached.
  virtual void PostNcDestroy() {}

  // Every message of a subclassed window; the default goes through the
  // message map, then the window's original procedure.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Handlers: the current message through the window's original procedure.
  LRESULT Default();
  // A given message through the window's original procedure.
  LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);

  // Message map lookup and parent-to-child reflection; true when handled.
  bool DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  // Used by Dialog, whose window is created rather than subclassed.
  void Hook(HWND hwnd);
  static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct CurrentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool defaultCalled;
  };

  bool ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void Unhook();
  LRESULT HandleAfterException(const CurrentMessage& current);

  HWND hwnd_ = nullptr;
  WNDPROC originalProc_ = nullptr;
  bool hooked_ = false;
  CurrentMessage* current_ = nullptr;
};

// The window's text as the wide API gives it; empty for a null window.
std::wstring WindowTextOf(HWND window);

// Logs a caught exception (OutputDebugString); nothing reaches the user.
void LogException(const char* where, const char* what) noexcept;

// Gives every framework object from the message's window up through its
// parents and owners a chance to pre-translate the message (tooltip relay,
// dialog keys). True when one of them took it.
bool PreTranslateThroughParents(MSG& msg);

// One queued message as the framework's loops handle it: pre-translation,
// then TranslateMessage and DispatchMessage.
void ProcessMessage(MSG& msg);

// Registers the common control classes once (list view, progress bar,
// trackbar, tooltips).
void EnsureCommonControls();

}  // namespace velto
