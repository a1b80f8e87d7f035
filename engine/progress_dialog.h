#pragma once
// The small modeless window a batch shows: the file at work, status text,
// the time left, progress bar, Cancel and what to do when the batch is
// done. It only displays what the engine writes and turns Cancel (also Esc
// and the close box) into a stop request.
#include <string_view>

#include "engine/batch_end.h"
#include "engine/encoder_reports.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace velto {

class ProgressDialog : public Dialog {
 public:
  ProgressDialog();

  // Creates the window from its template, owned by `owner`, centred and hidden.
  bool CreateHidden(HWND owner);

  void SetStatusText(std::string_view text) { m_status.SetText(text); }
  std::string StatusText() const { return m_status.GetText(); }
  ProgressBar& Bar() { return m_progress; }

  // The look at the start of a batch: no file yet, first text, no time
  // left, range 0..1000, bar at 0, "Do nothing" chosen, shown centred over
  // the window that owns it.
  void ShowForBatch();
  // "File 2 of 3: talk.wmv" above the status text, the name shortened in
  // the middle when the line would not fit.
  void ShowFile(int number, int count, std::string_view path, int beside = 0);
  std::string FileText() const { return m_file.GetText(); }
  void SetTimeLeftText(std::string_view text) { m_timeLeft.SetText(text); }
  // What the user chose to happen when the batch is done.
  WhenDone WhenDoneChoice() const { return WhenDoneAt(m_whenDone.GetCurSel()); }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  void OnOK() override {}  // Enter never closes the window
  void OnCancel() override { OnCancelButton(); }
  const MessageMap& GetMessageMap() const override;

 private:
  void OnCancelButton();

  Static m_file;
  Static m_status;
  Static m_timeLeft;
  ProgressBar m_progress;
  ComboBox m_whenDone;
};

// The report handler's view of the user interface during a run: the message
// pump, the stop question owned by the progress window, and its display.
class ProgressDialogSink : public ReportSink {
 public:
  explicit ProgressDialogSink(ProgressDialog* dialog) : dialog_(dialog) {}

  void PumpOneMessage() override;
  bool ConfirmStop() override;
  void ShowProgress(const ProgressDisplay& display) override;
  void ShowTimeLeft(const std::string& line) override;
  std::uint32_t TickCount() override;

 private:
  ProgressDialog* dialog_;
};

}  // namespace velto
