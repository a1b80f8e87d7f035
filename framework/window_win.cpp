#include "framework/window.h"

#include <commctrl.h>

#include <exception>
#include <string>
#include <vector>

#include "base/text_encoding.h"

namespace velto {

namespace {

// Window properties: the framework object, and the procedure it replaced
// (kept so a message arriving after the object let go still gets it).
constexpr wchar_t kObjectProperty[] = L"Velto.Window";
constexpr wchar_t kOriginalProcProperty[] = L"Velto.OriginalProc";

bool IsCtlColorMessage(UINT message) { return message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC; }

// The control a parent's message is about, or null.
HWND ControlOfParentMessage(UINT message, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
      return reinterpret_cast<HWND>(lParam);
    case WM_NOTIFY:
      return lParam ? reinterpret_cast<NMHDR*>(lParam)->hwndFrom : nullptr;
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      return (item && item->CtlType != ODT_MENU) ? item->hwndItem : nullptr;
    }
    default:
      return IsCtlColorMessage(message) ? reinterpret_cast<HWND>(lParam) : nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------- MessageMap

const MapEntry* MessageMap::Find(MapEntryKind kind, UINT code, UINT_PTR id) const {
  for (const MessageMap* map = this; map; map = map->base_) {
    for (const MapEntry& entry : map->entries_) {
      if (entry.kind == kind && entry.code == code && entry.id == id) return &entry;
    }
  }
  return nullptr;
}

// ---------------------------------------------------------------- helpers

void LogException(const char* where, const char* what) noexcept {
  try {
    std::string text = std::string("velto: exception in ") + where + ": " + (what ? what : "unknown") + "\n";
    OutputDebugStringW(Utf8ToWide(text).c_str());
  } catch (...) {
    OutputDebugStringW(L"velto: exception (and a failure while logging it)\n");
  }
}

void EnsureCommonControls() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    const bool registered = InitCommonControlsEx(&init) != FALSE;
    // Version 6 only; older versions may refuse the flag, which is harmless.
    init.dwICC = ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&init);
    return registered;
  }();
  (void)done;
}

bool PreTranslateThroughParents(MSG& msg) {
  for (HWND hwnd = msg.hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    Window* window = Window::FromHandle(hwnd);
    if (!window) continue;
    try {
      if (window->PreTranslateMessage(msg)) return true;
    } catch (const std::exception& e) {
      LogException("PreTranslateMessage", e.what());
      return false;
    } catch (...) {
      LogException("PreTranslateMessage", nullptr);
      return false;
    }
  }
  return false;
}

void ProcessMessage(MSG& msg) {
  if (PreTranslateThroughParents(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// ---------------------------------------------------------------- Window

Window::~Window() { Unhook(); }

const MessageMap& Window::GetMessageMap() const {
  static const MessageMap empty;
  return empty;
}

void Window::Attach(HWND hwnd) {
  Unhook();
  hwnd_ = hwnd;
}

bool Window::Subclass(HWND hwnd) {
  if (!hwnd || !::IsWindow(hwnd)) return false;
  if (hooked_ && hwnd_ == hwnd) return true;
  if (FromHandle(hwnd)) return false;
  Unhook();
  hwnd_ = hwnd;
  PreSubclassWindow();
  Hook(hwnd);
  return true;
}

bool Window::AttachControl(HWND hwnd) {
  if (SubclassOnAttach()) return Subclass(hwnd);
  Attach(hwnd);
  return hwnd != nullptr;
}

HWND Window::Detach() {
  HWND hwnd = hwnd_;
  Unhook();
  hwnd_ = nullptr;
  return hwnd;
}

void Window::Hook(HWND hwnd) {
  hwnd_ = hwnd;
  SetPropW(hwnd, kObjectProperty, this);
  originalProc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::StaticWindowProc)));
  SetPropW(hwnd, kOriginalProcProperty, reinterpret_cast<HANDLE>(originalProc_));
  hooked_ = true;
}

void Window::Unhook() {
  if (!hooked_) return;
  hooked_ = false;
  if (!::IsWindow(hwnd_)) return;
  RemovePropW(hwnd_, kObjectProperty);
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd_, GWLP_WNDPROC));
  if (current == &Window::StaticWindowProc) {
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(originalProc_));
    RemovePropW(hwnd_, kOriginalProcProperty);
  }
  // Otherwise someone subclassed the window after us: our procedure stays in
  // their chain and forwards through the kept original procedure.
}

Window* Window::FromHandle(HWND hwnd) {
  if (!hwnd) return nullptr;
  return static_cast<Window*>(GetPropW(hwnd, kObjectProperty));
}

LRESULT CALLBACK Window::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self = FromHandle(hwnd);
  if (!self || self->hwnd_ != hwnd) {
    auto original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOriginalProcProperty));
    return original ? CallWindowProcW(original, hwnd, message, wParam, lParam)
                    : DefWindowProcW(hwnd, message, wParam, lParam);
  }

  CurrentMessage current{message, wParam, lParam, false};
  CurrentMessage* outer = self->current_;
  self->current_ = &current;
  LRESULT result = 0;
  try {
    result = self->WindowProc(message, wParam, lParam);
  } catch (const std::exception& e) {
    LogException("a window message handler", e.what());
    result = self->HandleAfterException(current);
  } catch (...) {
    LogException("a window message handler", nullptr);
    result = self->HandleAfterException(current);
  }
  self->current_ = outer;

  if (message == WM_NCDESTROY) {
    self->Unhook();
    RemovePropW(hwnd, kOriginalProcProperty);
    self->hwnd_ = nullptr;
    try {
      self->PostNcDestroy();  // may delete the object: nothing follows
    } catch (...) {
      LogException("PostNcDestroy", nullptr);
    }
  }
  return result;
}

// After a handler threw: the window still gets its default processing
// (so painting, destruction and the like complete), unless the handler had
// already asked for it.
LRESULT Window::HandleAfterException(const CurrentMessage& current) {
  if (current.defaultCalled) return 0;
  try {
    return CallOriginal(current.message, current.wParam, current.lParam);
  } catch (...) {
    LogException("default processing after an exception", nullptr);
    return 0;
  }
}

LRESULT Window::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (DispatchToMap(message, wParam, lParam, result)) return result;
  return Default();
}

LRESULT Window::Default() {
  if (!current_) return 0;
  current_->defaultCalled = true;
  return CallOriginal(current_->message, current_->wParam, current_->lParam);
}

LRESULT Window::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
  if (originalProc_) return CallWindowProcW(originalProc_, hwnd_, message, wParam, lParam);
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool Window::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (!child || child == hwnd_) return false;
  Window* control = FromHandle(child);
  if (!control || control->hwnd_ != child) return false;
  return control->OnChildNotify(message, wParam, lParam, result);
}

bool Window::DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (ReflectToChild(ControlOfParentMessage(message, lParam), message, wParam, lParam, result)) {
    return true;
  }
  const MessageMap& map = GetMessageMap();
  const MapEntry* entry = nullptr;
  if (message == WM_COMMAND) {
    entry = map.Find(MapEntryKind::Command, HIWORD(wParam), LOWORD(wParam));
  } else if (message == WM_NOTIFY && lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    entry = map.Find(MapEntryKind::Notify, header->code, header->idFrom);
  }
  if (!entry) entry = map.Find(MapEntryKind::Message, message);
  if (!entry) return false;
  return entry->call(*this, wParam, lParam, result);
}

bool Window::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const MessageMap& map = GetMessageMap();
  if (message == WM_COMMAND) {
    const MapEntry* entry = map.Find(MapEntryKind::ReflectedCommand, HIWORD(wParam));
    return entry && entry->call(*this, wParam, lParam, result);
  }
  if (IsCtlColorMessage(message)) {
    const MapEntry* entry = map.Find(MapEntryKind::ReflectedCtlColor, 0);
    return entry && entry->call(*this, wParam, static_cast<LPARAM>(message), result);
  }
  return false;
}

bool Window::PreTranslateMessage(MSG&) { return false; }

// ---------------------------------------------------------------- usual calls

std::wstring WindowTextOf(HWND window) {
  if (!window) return {};
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

std::string Window::GetText() const { return WideToUtf8(WindowTextOf(hwnd_)); }

void Window::SetText(std::string_view text) { SetWindowTextW(hwnd_, Utf8ToWide(text).c_str()); }
void Window::Enable(bool enable) { EnableWindow(hwnd_, enable ? TRUE : FALSE); }
bool Window::IsEnabled() const { return IsWindowEnabled(hwnd_) != FALSE; }
void Window::Show(int showCommand) { ShowWindow(hwnd_, showCommand); }
bool Window::IsVisible() const { return IsWindowVisible(hwnd_) != FALSE; }
void Window::Invalidate(bool erase) { InvalidateRect(hwnd_, nullptr, erase ? TRUE : FALSE); }
void Window::SetFocus() { ::SetFocus(hwnd_); }
HWND Window::GetParent() const { return ::GetParent(hwnd_); }
int Window::GetId() const { return GetDlgCtrlID(hwnd_); }
LONG_PTR Window::Style() const { return GetWindowLongPtrW(hwnd_, GWL_STYLE); }

RECT Window::ClientRect() const {
  RECT rect{};
  GetClientRect(hwnd_, &rect);
  return rect;
}

RECT Window::WindowRect() const {
  RECT rect{};
  GetWindowRect(hwnd_, &rect);
  return rect;
}

LRESULT Window::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendMessageW(hwnd_, message, wParam, lParam);
}

bool Window::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
  return PostMessageW(hwnd_, message, wParam, lParam) != FALSE;
}

UINT_PTR Window::SetTimer(UINT_PTR id, UINT milliseconds) { return ::SetTimer(hwnd_, id, milliseconds, nullptr); }
bool Window::KillTimer(UINT_PTR id) { return ::KillTimer(hwnd_, id) != FALSE; }

bool Window::DestroyWindow() {
  if (!hwnd_) return false;
  return ::DestroyWindow(hwnd_) != FALSE;
}

}  // namespace velto
