#pragma once
#include <string>

#include "engine/progress_dialog.h"
#include "ui/batch_indicator.h"

namespace velto {

// The progress window's display, with the taskbar button following its bar
// and its time left.
class BatchReportSink : public ProgressDialogSink {
 public:
  BatchReportSink(ProgressDialog* dialog, BatchIndicator* indicator)
      : ProgressDialogSink(dialog), indicator_(indicator) {}
  void ShowProgress(const ProgressDisplay& display) override {
    ProgressDialogSink::ShowProgress(display);
    if (indicator_) indicator_->SetProgress(display.perMille);
  }
  void ShowTimeLeft(const std::string& line) override {
    ProgressDialogSink::ShowTimeLeft(line);
    if (indicator_) indicator_->SetTimeLeft(line);
  }

 private:
  BatchIndicator* indicator_;
};

}  // namespace velto
