#include "engine/progress_dialog.h"

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "engine/encoder_process.h"
#include "engine/media_list.h"
#include "framework/application.h"
#include "res/resource_ids.h"

namespace velto {

namespace {
constexpr char kBatchStartText[] = "Total time:00:00:00,Elapsed time:00:00:00;Finished 0.0%";
constexpr char kCancelText[] = "Cancel processing...";
constexpr char kStopQuestion[] = "Do you really want to stop?";

// Whether text fits on one line of a control, drawn in the control's font.
bool FitsOnOneLine(HWND control, const std::string& text) {
  RECT client{};
  GetClientRect(control, &client);
  const WindowDC dc(control);
  if (!dc) return true;
  const SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  const std::wstring wide = Utf8ToWide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc.Get(), wide.c_str(), static_cast<int>(wide.size()), &size)) return true;
  return size.cx <= client.right - client.left;
}

}  // namespace

ProgressDialog::ProgressDialog() : Dialog(IDD_PROGRESS) {}

bool ProgressDialog::CreateHidden(HWND owner) {
  if (!Create(owner)) return false;
  CenterWindow();
  Show(SW_HIDE);
  return true;
}

BOOL ProgressDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  for (const std::string_view text : kWhenDoneTexts) m_whenDone.AddString(text);
  m_whenDone.SetCurSel(static_cast<int>(WhenDone::kNothing));
  return TRUE;
}

void ProgressDialog::ShowForBatch() {
  m_file.SetText("");
  SetStatusText(kBatchStartText);
  SetTimeLeftText("");
  // Never carried over from an earlier batch: nothing acts by surprise.
  m_whenDone.SetCurSel(static_cast<int>(WhenDone::kNothing));
  m_progress.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
  m_progress.SetPos(0);
  // Over the main window, which may have moved since the last batch.
  CenterWindow();
  Show(SW_SHOW);
}

void ProgressDialog::ShowFile(int number, int count, std::string_view path, int beside) {
  const HWND control = m_file.Handle();
  m_file.SetText(FileLineText(number, count, path, [control](const std::string& line) {
    return FitsOnOneLine(control, line);
  }, beside));
}

void ProgressDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_PROGRESS_BAR, m_progress);
  dx.Control(IDC_PROGRESS_STATUS, m_status);
  dx.Control(IDC_PROGRESS_FILE, m_file);
  dx.Control(IDC_PROGRESS_TIME_LEFT, m_timeLeft);
  dx.Control(IDC_PROGRESS_WHEN_DONE, m_whenDone);
}

const MessageMap& ProgressDialog::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<ProgressDialog>(Dialog::GetMessageMap())
                                    .OnCommand(IDC_PROGRESS_CANCEL, &ProgressDialog::OnCancelButton)
                                    .Build();
  return map;
}

void ProgressDialog::OnCancelButton() {
  SetStatusText(kCancelText);
  // A second press before the question changes nothing, not even when.
  if (!g_engineState.stopRequested) g_engineState.stopRequestTick = GetTickCount();
  g_engineState.stopRequested = true;
}

void ProgressDialogSink::PumpOneMessage() { velto::PumpOneMessage(); }

bool ProgressDialogSink::ConfirmStop() {
  // Owned by the progress window: the main window is disabled during a batch.
  const HWND owner = dialog_ && dialog_->IsWindow() ? dialog_->Handle() : nullptr;
  const std::wstring text = Utf8ToWide(kStopQuestion);
  const std::wstring caption = Utf8ToWide(kApplicationName);
  return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ProgressDialogSink::ShowProgress(const ProgressDisplay& display) {
  if (!dialog_ || !dialog_->IsWindow()) return;
  dialog_->SetStatusText(display.statusText);
  dialog_->Bar().SetPos(display.perMille);
}

void ProgressDialogSink::ShowTimeLeft(const std::string& line) {
  if (dialog_ && dialog_->IsWindow()) dialog_->SetTimeLeftText(line);
}

std::uint32_t ProgressDialogSink::TickCount() { return GetTickCount(); }

}  // namespace velto
