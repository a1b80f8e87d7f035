#pragma once
// A hidden window of this thread that keeps the encoder's reports, and a run
// of a program during which they are taken.
#include <windows.h>

#include <climits>
#include <string>
#include <vector>

#include "base/encoder_interface.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"

namespace velto::testing {

struct Report {
  unsigned kind;
  int value;
};

// The reports the window got, in order; with g_answerStop set it answers
// position reports with "stop", and so it answers a position of
// g_stopFromSecond or more.
inline std::vector<Report> g_reports;
inline bool g_answerStop = false;
inline int g_stopFromSecond = INT_MAX;

inline LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProgressMessage) {
    g_reports.push_back({static_cast<unsigned>(wParam), static_cast<int>(lParam)});
    const bool stop = g_answerStop || static_cast<int>(lParam) >= g_stopFromSecond;
    return (stop && wParam == kReportPosition) ? 1 : 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

inline HWND ReportWindow() {
  static HWND window = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReportWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VeltoTestReports";
    RegisterClassW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"reports", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
  }();
  return window;
}

// The last value reported of `kind`; -1 when none was.
inline int LastReport(unsigned kind) {
  int value = -1;
  for (const Report& r : g_reports)
    if (r.kind == kind) value = r.value;
  return value;
}

// Runs `program` with `arguments` (UTF-8), handling this thread's messages
// (the reports) until it ends; one still running after `timeoutMs` is ended
// with code 998. Its exit code, 999 when it did not start.
inline DWORD RunWithReports(const std::wstring& program, const std::string& arguments, DWORD timeoutMs = INFINITE) {
  std::wstring line = L"\"" + program + L"\" " + Utf8ToWide(arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
  const OwnedProcess started(pi);
  const HANDLE process = started.process.Get();
  const ULONGLONG deadline = timeoutMs == INFINITE ? ~0ull : GetTickCount64() + timeoutMs;
  while (MsgWaitForMultipleObjects(1, &process, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (GetTickCount64() > deadline) TerminateProcess(process, 998);
  }
  DWORD code = 999;
  GetExitCodeProcess(process, &code);
  return code;
}

}  // namespace velto::testing
