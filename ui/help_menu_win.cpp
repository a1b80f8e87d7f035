// The Help button's menu and the commands behind it.
#include <windows.h>

#include "framework/application.h"
#include "res/resource_ids.h"
#include "ui/about_dialog.h"
#include "ui/help.h"
#include "ui/link_controls.h"
#include "ui/main_dialog.h"
#include "ui/tip_dialog.h"

namespace velto {

// The menu opens at the mouse cursor, also when the button was pressed with
// the keyboard, and is tracked by the platform.
void MainDialog::ShowHelpMenu() { ShowMenuAtCursor(Handle(), IDR_HELP_MENU); }

void MainDialog::ShowAbout() {
  AboutDialog dialog(this);
  dialog.DoModal();
}

void MainDialog::ShowTips() {
  TipDialog dialog;
  dialog.DoModal();
}

void MainDialog::OpenHomePage() { OpenUrl(HomePageAddress(), SW_SHOW); }

void MainDialog::ShowHelpContents() { velto::ShowHelpContents(); }

}  // namespace velto
