#include "engine/progress_dialog.h"

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
}  // namespace

ProgressDialog::ProgressDialog() : Dialog(IDD_PROGRESS) {}

bool ProgressDialog::CreateHidden(HWND owner) {
  if (!Create(owner)) return false;
  CenterWindow();
  Show(SW_HIDE);
  return true;
}

void ProgressDialog::ShowForBatch() {
  SetStatusText(kBatchStartText);
  m_progress.Send(PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
  m_progress.SetPos(0);
  Show(SW_SHOW);
}

void ProgressDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_PROGRESS_BAR, m_progress);
  dx.Control(IDC_PROGRESS_STATUS, m_status);
}

const MessageMap& ProgressDialog::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<ProgressDialog>(Dialog::GetMessageMap())
                                    .OnCommand(IDC_PROGRESS_CANCEL, &ProgressDialog::OnCancelButton)
                                    .Build();
  return map;
}

void ProgressDialog::OnCancelButton() {
  SetStatusText(kCancelText);
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

std::uint32_t ProgressDialogSink::TickCount() { return GetTickCount(); }

}  // namespace velto
