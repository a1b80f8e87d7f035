// The Help button's menu and the commands behind it.
#include <windows.h>

#include "base/owned_handles.h"
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
void MainDialog::ShowHelpMenu() {
  POINT at{};
  GetCursorPos(&at);
  if (at.x == -1 && at.y == -1) {
    at = POINT{0, 0};
    ClientToScreen(Handle(), &at);
    at.x += 5;
    at.y += 5;
  }
  const OwnedMenu menu(LoadMenuW(ResourceInstance(), MAKEINTRESOURCEW(IDR_HELP_MENU)));
  if (!menu) return;
  HWND owner = Handle();
  while (GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD) owner = ::GetParent(owner);
  TrackPopupMenu(GetSubMenu(menu.Get(), 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
}

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
