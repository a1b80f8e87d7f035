#pragma once
// The countdown before the computer sleeps or shuts down at the end of a
// batch: "The computer will shut down in 60 seconds." and Cancel.
#include "engine/batch_end.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace velto {

class CountdownDialog : public Dialog {
 public:
  CountdownDialog(WhenDone action, int seconds, Window* parent = nullptr);

  // DoModal gives IDOK when the time has run out, IDCANCEL for Cancel (also
  // Esc and the close box).
  std::string Text() const { return m_text.GetText(); }

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(DataExchange& dx) override;
  void OnOK() override {}  // Enter never shortens the wait
  const MessageMap& GetMessageMap() const override;

 private:
  LRESULT OnTimer(WPARAM, LPARAM);
  void ShowSecondsLeft();

  WhenDone action_;
  int secondsLeft_;
  Static m_text;
};

}  // namespace velto
