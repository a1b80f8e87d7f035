// Waits until a visible top-level window with the given title exists, on
// the named desktop (Wine's virtual desktops are desktops of their own) or on
// the caller's. Usage: VeltoWaitWindow.exe "title" [seconds [desktop [close]]];
// with "close" the window found is sent WM_CLOSE. Exit code 0 when it
// appeared, 1 when the time ran out, 2 on a wrong call.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

struct Search {
  const wchar_t* title;
  HWND found = nullptr;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM context) {
  auto* search = reinterpret_cast<Search*>(context);
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  // The style, not IsWindowVisible: that one says no for other desktops.
  const bool visible = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  if (visible && std::wcscmp(text, search->title) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND WindowShown(const wchar_t* title, const wchar_t* desktopName) {
  Search search{title};
  if (!desktopName) {
    EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HDESK desktop = OpenDesktopW(desktopName, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
  if (!desktop) return nullptr;  // not made yet
  EnumDesktopWindows(desktop, &CheckWindow, reinterpret_cast<LPARAM>(&search));
  CloseDesktop(desktop);
  return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const wchar_t* title = argv[1];
  const long seconds = argc > 2 ? std::wcstol(argv[2], nullptr, 10) : 60;
  const wchar_t* desktop = argc > 3 && argv[3][0] ? argv[3] : nullptr;
  const bool close = argc > 4 && std::wcscmp(argv[4], L"close") == 0;
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds > 0 ? seconds : 60) * 1000;
  while (GetTickCount64() < deadline) {
    if (const HWND window = WindowShown(title, desktop)) {
      if (close) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    }
    Sleep(100);
  }
  return 1;
}
