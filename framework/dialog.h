#pragma once
// Dialog: a modal or modeless dialog box from a numbered dialog template.
//
// DoModal runs the dialog in a message loop of its own, in which every queued
// message first passes PreTranslateMessage of the framework objects from its
// window up to the dialog (tooltip relay, then the dialog keys of
// IsDialogMessage). IDOK and IDCANCEL commands go to OnOK and OnCancel; so do
// Enter and Esc (through the dialog manager) and the close box (WM_CLOSE).
// OnInitDialog's default runs the data exchange, which attaches the control
// members to their dialog items.
#include <windows.h>

#include <cstddef>
#include <string>

#include "framework/window.h"

namespace velto {

class Dialog;

// One data-exchange pass: binds control members to dialog items and moves
// simple values between members and controls.
class DataExchange {
 public:
  DataExchange(Dialog& dialog, bool saving) : dialog_(dialog), saving_(saving) {}

  // True when the controls are read into the members (OK), false when the
  // members are shown (initialisation).
  bool Saving() const { return saving_; }
  Dialog& GetDialog() const { return dialog_; }

  // Attaches the control member to dialog item id unless it already is (a
  // dialog object may run more than once); controls with behaviour of their
  // own are subclassed. A missing item throws.
  void Control(int id, Window& control);
  // Check box state as a flag (checked or not).
  void Check(int id, bool& value);
  // Window text of the item (UTF-8).
  void Text(int id, std::string& value);

 private:
  HWND Item(int id) const;

  Dialog& dialog_;
  bool saving_;
};

class Dialog : public Window {
 public:
  explicit Dialog(int templateId, Window* parent = nullptr) : templateId_(templateId), parent_(parent) {}
  // Destroys the window if it still exists.
  ~Dialog() override;

  int TemplateId() const { return templateId_; }

  // Runs the dialog modally; returns the EndDialog result, or -1 when the
  // window could not be created.
  INT_PTR DoModal();
  // Creates the dialog modeless as a child of (owned by) parent.
  bool Create(HWND parent);
  bool Create(Window* parent) { return Create(parent ? parent->Handle() : nullptr); }
  bool Create(std::nullptr_t) { return Create(static_cast<HWND>(nullptr)); }
  // Ends a modal dialog with the given result; hides a modeless one.
  void EndDialog(INT_PTR result);
  bool IsModal() const { return modal_; }

  // Runs the data exchange; saving reads the controls into the members.
  bool UpdateData(bool saving = true);
  HWND GetItem(int id) const { return GetDlgItem(Handle(), id); }
  void CenterWindow();

  bool PreTranslateMessage(MSG& msg) override;

 protected:
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  virtual void DoDataExchange(DataExchange& dx);

  const MessageMap& GetMessageMap() const override;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND CreateFromTemplate(HWND owner);
  HWND ModalOwner() const;
  void RunModalLoop();

  LRESULT OnClose(WPARAM, LPARAM);
  LRESULT OnSysColorChange(WPARAM, LPARAM);
  LRESULT OnNcDestroy(WPARAM, LPARAM);

  int templateId_;
  Window* parent_;
  bool modal_ = false;
  bool endRequested_ = false;
  INT_PTR result_ = -1;
};

}  // namespace velto
