#pragma once
// Thin wrappers for the standard and common controls the dialogs use. They do
// not own their windows; data exchange attaches them to dialog items. Text is
// UTF-8. Indexes follow the controls' own conventions (-1: none).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <string_view>

#include "framework/window.h"

namespace velto {

class Button : public Window {
 public:
  int GetCheck() const { return static_cast<int>(Send(BM_GETCHECK)); }
  void SetCheck(int state) { Send(BM_SETCHECK, static_cast<WPARAM>(state)); }
  UINT GetState() const { return static_cast<UINT>(Send(BM_GETSTATE)); }
  void SetState(bool pushed) { Send(BM_SETSTATE, pushed ? TRUE : FALSE); }

  // Owner-drawn buttons paint here; reached through the parent's reflected
  // WM_DRAWITEM once the button is subclassed.
  virtual void DrawItem(const DRAWITEMSTRUCT& item);

  bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class Static : public Window {};

class Edit : public Window {
 public:
  void SetLimitText(int characters) { Send(EM_SETLIMITTEXT, static_cast<WPARAM>(characters)); }
  void SetSel(int start, int end) { Send(EM_SETSEL, static_cast<WPARAM>(start), end); }
};

class ComboBox : public Window {
 public:
  int AddString(std::string_view text);
  void ResetContent() { Send(CB_RESETCONTENT); }
  int GetCount() const { return static_cast<int>(Send(CB_GETCOUNT)); }
  int GetCurSel() const { return static_cast<int>(Send(CB_GETCURSEL)); }
  // CB_ERR when index is out of range; the selection is then cleared.
  int SetCurSel(int index);
  std::string GetItemText(int index) const;
  // Opens the list wide enough to show its longest item whole (never
  // narrower than the box); to be run again when the items change.
  void FitDroppedWidth();
};

class ListView : public Window {
 public:
  DWORD GetExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
  DWORD SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
  }
  int InsertColumn(int index, std::string_view heading, int format = LVCFMT_LEFT, int width = -1);
  int GetColumnCount() const;
  std::string GetColumnText(int index) const;
  int GetColumnWidth(int index) const { return static_cast<int>(Send(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(index))); }
  bool SetColumnWidth(int index, int width) {
    return Send(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0)) != FALSE;
  }
  int GetColumnFormat(int index) const;

  int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
  int InsertItem(int index, std::string_view text);
  bool SetItemText(int item, int subItem, std::string_view text);
  std::string GetItemText(int item, int subItem) const;
  bool DeleteItem(int item) { return Send(LVM_DELETEITEM, static_cast<WPARAM>(item)) != FALSE; }
  bool DeleteAllItems() { return Send(LVM_DELETEALLITEMS) != FALSE; }
  bool SetItemState(int item, UINT state, UINT mask);
  UINT GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(item), static_cast<LPARAM>(mask)));
  }
  // The next item after start (-1: from the beginning) with the flags, or -1.
  int GetNextItem(int start, UINT flags) const {
    return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
  }
  int GetSelectedItem() const { return GetNextItem(-1, LVNI_SELECTED); }
  bool EnsureVisible(int item) { return Send(LVM_ENSUREVISIBLE, static_cast<WPARAM>(item), FALSE) != FALSE; }
};

class ProgressBar : public Window {
 public:
  void SetRange(int low, int high) { Send(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
  int GetRangeLow() const { return static_cast<int>(Send(PBM_GETRANGE, TRUE)); }
  int GetRangeHigh() const { return static_cast<int>(Send(PBM_GETRANGE, FALSE)); }
  int SetPos(int position) { return static_cast<int>(Send(PBM_SETPOS, static_cast<WPARAM>(position))); }
  int GetPos() const { return static_cast<int>(Send(PBM_GETPOS)); }
};

class Trackbar : public Window {
 public:
  void SetRange(int minimum, int maximum, bool redraw = false);
  int GetRangeMin() const { return static_cast<int>(Send(TBM_GETRANGEMIN)); }
  int GetRangeMax() const { return static_cast<int>(Send(TBM_GETRANGEMAX)); }
  void SetPos(int position, bool redraw = true) { Send(TBM_SETPOS, redraw ? TRUE : FALSE, position); }
  int GetPos() const { return static_cast<int>(Send(TBM_GETPOS)); }
};

class ToolTip : public Window {
 public:
  // Creates the tooltip window (WS_POPUP | style) owned by owner.
  bool Create(HWND owner, DWORD style = 0);
  // Tool id on window, over rect (client coordinates of window).
  bool AddTool(HWND window, UINT_PTR id, const RECT& rect, std::string_view text);
  void UpdateTipText(HWND window, UINT_PTR id, std::string_view text);
  std::string GetText(HWND window, UINT_PTR id) const;
  int GetToolCount() const { return static_cast<int>(Send(TTM_GETTOOLCOUNT)); }
  void Activate(bool active) { Send(TTM_ACTIVATE, active ? TRUE : FALSE); }
  void RelayEvent(const MSG& msg) { Send(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg)); }
  void SetMaxTipWidth(int width) { Send(TTM_SETMAXTIPWIDTH, 0, width); }
  int GetMaxTipWidth() const { return static_cast<int>(Send(TTM_GETMAXTIPWIDTH)); }
};

}  // namespace velto
