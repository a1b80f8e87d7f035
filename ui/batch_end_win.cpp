// The end of a batch: the closing summary kept as a text file, the signal
// for a user who looks elsewhere, and what the user chose to happen then.
#include <windows.h>

#include <powrprof.h>

#include <string>
#include <vector>

#include "base/file_system.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "engine/batch_end.h"
#include "engine/encoder_process.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/application.h"
#include "ui/countdown_dialog.h"
#include "ui/main_dialog.h"

namespace velto {
namespace {

std::string Variable(std::string_view name) {
  wchar_t text[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(Utf8ToWide(name).c_str(), text, MAX_PATH);
  return length > 0 && length < MAX_PATH ? WideToUtf8(text) : std::string();
}

// Beside the encoder's logs; the oldest go once there are more than
// kSummariesKept.
void KeepBatchSummary(const std::string& summary) {
  const std::string folder = EncoderLogFolder();
  if (folder.empty()) return;
  const std::wstring wideFolder = Utf8ToWide(folder);
  CreateDirectoryW(wideFolder.substr(0, wideFolder.find_last_of(L'\\')).c_str(), nullptr);
  CreateDirectoryW(wideFolder.c_str(), nullptr);
  SYSTEMTIME t{};
  GetLocalTime(&t);
  const SummaryTime time{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  if (!ReplaceFileAtomically(folder + "\\" + BatchSummaryName(time, GetCurrentProcessId()),
                             BatchSummaryFileText(summary))) {
    return;
  }
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const FileSearch search(FindFirstFileW((wideFolder + L"\\batch-*.txt").c_str(), &found));
  if (!search) return;
  do {
    names.push_back(WideToUtf8(found.cFileName));
  } while (FindNextFileW(search.Get(), &found));
  for (const std::string& name : SummariesToRemove(std::move(names))) {
    DeleteFileW(Utf8ToWide(folder + "\\" + name).c_str());
  }
}

// Windows lets a program sleep or shut the computer down only with this
// privilege enabled in its token.
bool TakeShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return false;
  const UniqueHandle owned(token);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return false;
  return AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) && GetLastError() == ERROR_SUCCESS;
}

// Sleep or Shut down; under test the action is only written down.
void Perform(WhenDone action) {
  if (const std::string record = Variable(kWhenDoneRecordVariable); !record.empty()) {
    const std::string before = ReadWholeFile(record).value_or("");
    ReplaceFileAtomically(record, before + std::string(WhenDoneRecordName(action)) + "\n");
    return;
  }
  TakeShutdownPrivilege();
  if (action == WhenDone::kSleep) {
    SetSuspendState(FALSE, FALSE, FALSE);  // returns once the computer is awake again
  } else {
    // A program that hangs does not keep the computer on; one that asks
    // the user to save does.
    ExitWindowsEx(EWX_SHUTDOWN | EWX_POWEROFF | EWX_FORCEIFHUNG,
                  SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED);
  }
}

}  // namespace

bool MainDialog::IsProgramActive() const {
  const HWND foreground = GetForegroundWindow();
  return foreground && (foreground == Handle() || GetAncestor(foreground, GA_ROOTOWNER) == Handle());
}

void MainDialog::FinishBatch(const std::string& summary, UINT icon, bool stopped) {
  KeepBatchSummary(summary);
  if (m_indicator && !IsProgramActive()) m_indicator->SignalEnd();
  ProgressDialog* progress = g_engineState.progressDialog;
  const bool shown = progress && progress->IsWindow();
  // A batch stopped by the user asks for nothing more than its message.
  const WhenDone choice = shown && !stopped ? progress->WhenDoneChoice() : WhenDone::kNothing;
  if (choice == WhenDone::kCloseProgram) {
    // Nobody is there to read the message: the summary file keeps it.
    m_closeRequested = true;
    return;
  }
  if (NeedsCountdown(choice)) {
    CountdownDialog countdown(choice, CountdownSecondsFrom(Variable(kCountdownSecondsVariable)),
                              shown ? progress : nullptr);
    if (countdown.DoModal() == IDOK) Perform(choice);
  }
  // Owned by the progress window, which stays up (and the main window
  // disabled) until the message is closed.
  const std::wstring text = Utf8ToWide(summary);
  const std::wstring caption = Utf8ToWide(kApplicationName);
  MessageBoxW(shown ? progress->Handle() : nullptr, text.c_str(), caption.c_str(), MB_OK | icon);
}

}  // namespace velto
