#pragma once
// Tip of the Day: one hint at a time from tips.txt beside the program. The
// read position and whether to show the dialog at start-up are kept in the
// application profile, section "Tip".
#include <windows.h>

#include <optional>
#include <string>

#include "base/owned_handles.h"
#include "framework/dialog.h"
#include "ui/tip_reader.h"

namespace velto {

class TipDialog : public Dialog {
 public:
  // Reads the next tip at once, before the dialog is shown.
  explicit TipDialog(Window* parent = nullptr);
  // Saves the read position.
  ~TipDialog() override;

  bool m_bShowAtStartup = true;
  std::string m_strTipText;

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  const MessageMap& GetMessageMap() const override;

 private:
  void OnNextTip();
  void OnStartupBox() {}
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnPrintClient(WPARAM wParam, LPARAM);
  // The tip area: white, the bulb, the heading in bold and the tip in the
  // dialog's own font.
  void PaintTip(HDC dc);
  LRESULT OnCtlColorStatic(WPARAM, LPARAM);
  void ReadNextTip();
  RECT ClientRectOf(int id) const;

  std::optional<TipReader> m_pTipsFile;
  OwnedFont m_headingFont;  // the dialog's font in bold
};

}  // namespace velto
