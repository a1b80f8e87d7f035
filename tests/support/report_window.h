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

// The names the window was told outputs were given (kOutputNamedCopyData).
inline std::vector<std::string> g_outputNames;

inline LRESULT CALLBACK ReportWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (data->dwData != kOutputNamedCopyData) return FALSE;
    g_outputNames.push_back(
        WideToUtf8(std::wstring(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t))));
    return TRUE;
  }
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

// Runs `program` once for each of `arguments` (UTF-8), all at once,
// handling this thread's messages (the reports) until they end; one still
// running after `timeoutMs` is ended with code 998. Their exit codes, 999
// for one that did not start.
inline std::vector<DWORD> RunAllWithReports(const std::wstring& program, const std::vector<std::string>& arguments,
                                            DWORD timeoutMs = INFINITE) {
  std::vector<OwnedProcess> started;
  for (const std::string& argument : arguments) {
    std::wstring line = L"\"" + program + L"\" " + Utf8ToWide(argument);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    started.push_back(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)
                          ? OwnedProcess(pi)
                          : OwnedProcess());
  }
  const ULONGLONG deadline = timeoutMs == INFINITE ? ~0ull : GetTickCount64() + timeoutMs;
  for (;;) {
    std::vector<HANDLE> running;
    for (const OwnedProcess& p : started)
      if (p.process && WaitForSingleObject(p.process.Get(), 0) == WAIT_TIMEOUT) running.push_back(p.process.Get());
    if (running.empty()) break;
    const DWORD count = static_cast<DWORD>(running.size());
    if (MsgWaitForMultipleObjects(count, running.data(), FALSE, 1000, QS_ALLINPUT) == WAIT_OBJECT_0 + count) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (GetTickCount64() > deadline)
      for (HANDLE process : running) TerminateProcess(process, 998);
  }
  std::vector<DWORD> codes;
  for (const OwnedProcess& p : started) {
    DWORD code = 999;
    if (p.process) GetExitCodeProcess(p.process.Get(), &code);
    codes.push_back(code);
  }
  return codes;
}

// One run of `program` as above; its exit code.
inline DWORD RunWithReports(const std::wstring& program, const std::string& arguments, DWORD timeoutMs = INFINITE) {
  return RunAllWithReports(program, {arguments}, timeoutMs).front();
}

}  // namespace velto::testing
