// A stand-in encoder for tests of the run loop: sends reports to the window
// whose handle it is given and ends with a chosen exit code.
//   fake_encoder.exe HWND probe EXITCODE      kinds 1-4: 65 s, 320 x 240, 29.97 fps
//   fake_encoder.exe HWND convert N           kind 6 with 1 .. N seconds, then exit 0;
//                                             exit 2 as soon as a report is answered 1
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 4) return 100;
  const HWND target = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[1], nullptr, 10)));
  const int number = std::wcstol(argv[3], nullptr, 10);
  constexpr UINT kReport = 0x720;

  if (std::wcscmp(argv[2], L"probe") == 0) {
    SendMessageW(target, kReport, 1, 65);
    SendMessageW(target, kReport, 2, 320);
    SendMessageW(target, kReport, 3, 240);
    SendMessageW(target, kReport, 4, 299700000);
    return number;
  }
  if (std::wcscmp(argv[2], L"convert") == 0) {
    for (int second = 1; second <= number; ++second) {
      if (SendMessageW(target, kReport, 6, second) == 1) return 2;
      Sleep(10);
    }
    return 0;
  }
  return 100;
}
