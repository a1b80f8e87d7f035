// The start-up floor for the benchmark: a program of the same toolchain that
// only shows an empty dialog and ends when it is closed.
#include <windows.h>

namespace {

INT_PTR CALLBACK EmptyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) EndDialog(dialog, 0);
      return TRUE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The template laid out word by word: header, no menu, the default
  // class, the title, and no controls.
  alignas(4) WORD words[64] = {};
  auto* header = reinterpret_cast<DLGTEMPLATE*>(words);
  header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME | DS_CENTER;
  header->cx = 300;
  header->cy = 200;
  WORD* next = words + 9;  // the header is 18 bytes
  *next++ = 0;             // menu
  *next++ = 0;             // class
  for (const wchar_t* c = L"Empty dialog"; *c; ++c) *next++ = static_cast<WORD>(*c);
  *next++ = 0;
  DialogBoxIndirectParamW(instance, header, nullptr, EmptyDialogProc, 0);
  return 0;
}
