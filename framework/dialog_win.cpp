#include "framework/dialog.h"

#include <algorithm>
#include <exception>
#include <stdexcept>

#include "base/text_encoding.h"
#include "framework/application.h"
#include "framework/dialog_init_data.h"

namespace velto {

// ---------------------------------------------------------------- DataExchange

HWND DataExchange::Item(int id) const {
  HWND item = dialog_.GetItem(id);
  if (!item) {
    throw std::runtime_error("dialog " + std::to_string(dialog_.TemplateId()) + " has no item " + std::to_string(id));
  }
  return item;
}

void DataExchange::Control(int id, Window& control) {
  HWND item = Item(id);
  if (control.Handle() == item) return;  // attached by an earlier pass
  if (!control.AttachControl(item)) {
    throw std::runtime_error("dialog item " + std::to_string(id) + " could not be attached");
  }
}

void DataExchange::Check(int id, bool& value) {
  HWND item = Item(id);
  if (saving_) {
    value = SendMessageW(item, BM_GETCHECK, 0, 0) == BST_CHECKED;
  } else {
    SendMessageW(item, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void DataExchange::Text(int id, std::string& value) {
  HWND item = Item(id);
  if (saving_) {
    value = WideToUtf8(WindowTextOf(item));
  } else {
    SetWindowTextW(item, Utf8ToWide(value).c_str());
  }
}

// ---------------------------------------------------------------- Dialog

Dialog::~Dialog() {
  if (IsWindow()) ::DestroyWindow(Handle());
}

const MessageMap& Dialog::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<Dialog>(Window::GetMessageMap())
                                    .OnCommand(IDOK, &Dialog::OnOK)
                                    .OnCommand(IDCANCEL, &Dialog::OnCancel)
                                    .OnMessage(WM_CLOSE, &Dialog::OnClose)
                                    .OnMessage(WM_SYSCOLORCHANGE, &Dialog::OnSysColorChange)
                                    .OnMessage(WM_NCDESTROY, &Dialog::OnNcDestroy)
                                    .Build();
  return map;
}

INT_PTR CALLBACK Dialog::StaticDialogProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return FALSE;  // everything else: our window procedure
  auto* dialog = reinterpret_cast<Dialog*>(lParam);
  dialog->Hook(hwnd);
  // The list items kept beside the template, before any initialisation of ours.
  ApplyDialogInitData(hwnd, ResourceInstance(), dialog->TemplateId());
  try {
    return dialog->OnInitDialog();
  } catch (const std::exception& e) {
    LogException("OnInitDialog", e.what());
  } catch (...) {
    LogException("OnInitDialog", nullptr);
  }
  return TRUE;
}

HWND Dialog::CreateFromTemplate(HWND owner) {
  EnsureCommonControls();
  endRequested_ = false;
  result_ = -1;
  return CreateDialogParamW(ResourceInstance(), MAKEINTRESOURCEW(templateId_), owner, &Dialog::StaticDialogProc,
                            reinterpret_cast<LPARAM>(this));
}

HWND Dialog::ModalOwner() const {
  if (parent_) return parent_->Handle();
  Application* app = Application::Current();
  Window* main = app ? app->MainWindow() : nullptr;
  if (main && main != this && main->IsWindow()) return main->Handle();
  return nullptr;
}

INT_PTR Dialog::DoModal() {
  if (IsWindow()) return -1;
  HWND owner = ModalOwner();
  modal_ = true;
  HWND hwnd = CreateFromTemplate(owner);
  if (!hwnd) {
    modal_ = false;
    return -1;
  }
  const bool disableOwner = owner && IsWindowEnabled(owner);
  if (disableOwner) EnableWindow(owner, FALSE);
  if (!endRequested_ && ::IsWindow(hwnd)) ShowWindow(hwnd, SW_SHOWNORMAL);

  RunModalLoop();

  // The owner is enabled before the dialog disappears, so that it becomes
  // the active window again.
  if (disableOwner) EnableWindow(owner, TRUE);
  if (::IsWindow(hwnd)) {
    if (owner && GetActiveWindow() == hwnd) SetActiveWindow(owner);
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::DestroyWindow(hwnd);
  }
  modal_ = false;
  return result_;
}

void Dialog::RunModalLoop() {
  MSG msg{};
  while (!endRequested_ && IsWindow()) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {  // WM_QUIT ends the dialog and every loop outside it
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    ProcessMessage(msg);
  }
}

bool Dialog::Create(HWND parent) {
  if (IsWindow()) return false;
  modal_ = false;
  return CreateFromTemplate(parent) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  result_ = result;
  if (modal_) {
    endRequested_ = true;
    Post(WM_NULL);  // wakes the modal loop
  } else if (IsWindow()) {
    Show(SW_HIDE);
  }
}

bool Dialog::UpdateData(bool saving) {
  DataExchange dx(*this, saving);
  DoDataExchange(dx);
  return true;
}

void Dialog::CenterWindow() {
  HWND owner = GetWindow(Handle(), GW_OWNER);
  const bool overOwner = owner && IsWindowVisible(owner) && !IsIconic(owner);
  // The work area of the screen the window is to show on.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT work{};
  if (GetMonitorInfoW(MonitorFromWindow(overOwner ? owner : Handle(), MONITOR_DEFAULTTONEAREST), &monitor)) {
    work = monitor.rcWork;
  } else {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  }
  RECT area = work;
  if (overOwner) GetWindowRect(owner, &area);
  const RECT own = WindowRect();
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  int x = area.left + ((area.right - area.left) - width) / 2;
  int y = area.top + ((area.bottom - area.top) - height) / 2;
  // An owner partly off the screen does not take the window with it.
  x = std::max(static_cast<int>(work.left), std::min(x, static_cast<int>(work.right) - width));
  y = std::max(static_cast<int>(work.top), std::min(y, static_cast<int>(work.bottom) - height));
  SetWindowPos(Handle(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Dialog::PreTranslateMessage(MSG& msg) {
  if (Window::PreTranslateMessage(msg)) return true;
  const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                     (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
  if (!input || !IsWindow()) return false;
  if (msg.hwnd != Handle() && !IsChild(Handle(), msg.hwnd)) return false;
  return IsDialogMessageW(Handle(), &msg) != FALSE;
}

BOOL Dialog::OnInitDialog() {
  UpdateData(false);
  return TRUE;
}

void Dialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::DoDataExchange(DataExchange&) {}

LRESULT Dialog::OnClose(WPARAM, LPARAM) {
  OnCancel();
  return 0;
}

// Top-level windows alone hear of colour changes; the controls are told too.
LRESULT Dialog::OnSysColorChange(WPARAM wParam, LPARAM lParam) {
  Default();
  for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    SendMessageW(child, WM_SYSCOLORCHANGE, wParam, lParam);
  }
  return 0;
}

LRESULT Dialog::OnNcDestroy(WPARAM, LPARAM) {
  if (modal_) endRequested_ = true;  // a modal dialog destroyed from outside
  return Default();
}

}  // namespace velto
