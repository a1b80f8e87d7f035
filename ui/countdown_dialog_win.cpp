#include "ui/countdown_dialog.h"

#include "res/resource_ids.h"

namespace velto {
namespace {
constexpr UINT_PTR kSecondTimer = 1;
}  // namespace

CountdownDialog::CountdownDialog(WhenDone action, int seconds, Window* parent)
    : Dialog(IDD_COUNTDOWN, parent), action_(action), secondsLeft_(seconds) {}

BOOL CountdownDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  ShowSecondsLeft();
  SetTimer(kSecondTimer, 1000);
  return TRUE;
}

void CountdownDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_COUNTDOWN_TEXT, m_text);
}

const MessageMap& CountdownDialog::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<CountdownDialog>(Dialog::GetMessageMap())
                                    .OnMessage(WM_TIMER, &CountdownDialog::OnTimer)
                                    .Build();
  return map;
}

LRESULT CountdownDialog::OnTimer(WPARAM id, LPARAM) {
  if (id != kSecondTimer) return Default();
  if (--secondsLeft_ > 0) {
    ShowSecondsLeft();
    return 0;
  }
  KillTimer(kSecondTimer);
  EndDialog(IDOK);
  return 0;
}

void CountdownDialog::ShowSecondsLeft() { m_text.SetText(CountdownText(action_, secondsLeft_)); }

}  // namespace velto
