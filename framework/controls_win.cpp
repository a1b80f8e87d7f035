#include "framework/controls.h"

#include <vector>

#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "framework/application.h"
#include "framework/dpi.h"

namespace velto {

namespace {

// Tool records of the size every comctl32 version accepts.
TTTOOLINFOW MakeToolInfo(HWND window, UINT_PTR id) {
  TTTOOLINFOW info{};
  info.cbSize = TTTOOLINFOW_V2_SIZE;
  info.hwnd = window;
  info.uId = id;
  return info;
}

}  // namespace

// ---------------------------------------------------------------- Button

void Button::DrawItem(const DRAWITEMSTRUCT&) {}

bool Button::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  return Window::OnChildNotify(message, wParam, lParam, result);
}

// ---------------------------------------------------------------- ComboBox

int ComboBox::AddString(std::string_view text) {
  const std::wstring wide = Utf8ToWide(text);
  return static_cast<int>(Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ComboBox::SetCurSel(int index) {
  if (index < 0 || index >= GetCount()) {
    Send(CB_SETCURSEL, static_cast<WPARAM>(-1));  // not every system clears it by itself
    return CB_ERR;
  }
  return static_cast<int>(Send(CB_SETCURSEL, static_cast<WPARAM>(index)));
}

std::string ComboBox::GetItemText(int index) const {
  const LRESULT length = Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied = Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  if (copied == CB_ERR) return {};
  text.resize(static_cast<size_t>(copied));
  return WideToUtf8(text);
}

void ComboBox::FitDroppedWidth() {
  const WindowDC dc(Handle());
  const SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
  int widest = 0;
  for (int i = 0, count = GetCount(); i < count; ++i) {
    const std::wstring text = Utf8ToWide(GetItemText(i));
    SIZE size{};
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &size);
    if (size.cx > widest) widest = size.cx;
  }
  // Either side the list's border and a margin around the text, and room
  // for the scroll bar a long list shows.
  const UINT dpi = WindowDpi(Handle());
  const int width = widest + 2 * (SystemMetricForDpi(SM_CXBORDER, dpi) + ScaleForDpi(3, dpi)) +
                    SystemMetricForDpi(SM_CXVSCROLL, dpi);
  Send(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width));
}

// ---------------------------------------------------------------- ListView

int ListView::InsertColumn(int index, std::string_view heading, int format, int width) {
  std::wstring text = Utf8ToWide(heading);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = format;
  column.pszText = text.data();
  column.iSubItem = index;
  if (width >= 0) {
    column.mask |= LVCF_WIDTH;
    column.cx = width;
  }
  return static_cast<int>(Send(LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)));
}

int ListView::GetColumnCount() const {
  HWND header = reinterpret_cast<HWND>(Send(LVM_GETHEADER));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::string ListView::GetColumnText(int index) const {
  std::wstring text(512, L'\0');
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT;
  column.pszText = text.data();
  column.cchTextMax = static_cast<int>(text.size());
  if (!Send(LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) return {};
  return WideToUtf8(column.pszText);
}

int ListView::GetColumnFormat(int index) const {
  LVCOLUMNW column{};
  column.mask = LVCF_FMT;
  if (!Send(LVM_GETCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column))) return -1;
  return column.fmt;
}

int ListView::InsertItem(int index, std::string_view text) {
  std::wstring wide = Utf8ToWide(text);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = wide.data();
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool ListView::SetItemText(int item, int subItem, std::string_view text) {
  std::wstring wide = Utf8ToWide(text);
  LVITEMW record{};
  record.iSubItem = subItem;
  record.pszText = wide.data();
  return Send(LVM_SETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != FALSE;
}

std::string ListView::GetItemText(int item, int subItem) const {
  // LVM_GETITEMTEXT gives no length up front: grow until the text fits.
  for (size_t size = 256;; size *= 2) {
    std::wstring text(size, L'\0');
    LVITEMW record{};
    record.iSubItem = subItem;
    record.pszText = text.data();
    record.cchTextMax = static_cast<int>(size);
    const auto length =
        static_cast<size_t>(Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)));
    if (length + 1 < size || size >= (1u << 20)) {
      text.resize(length < size ? length : size - 1);
      return WideToUtf8(text);
    }
  }
}

bool ListView::SetItemState(int item, UINT state, UINT mask) {
  LVITEMW record{};
  record.state = state;
  record.stateMask = mask;
  return Send(LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&record)) != FALSE;
}

// ---------------------------------------------------------------- Trackbar

void Trackbar::SetRange(int minimum, int maximum, bool redraw) {
  Send(TBM_SETRANGEMIN, FALSE, minimum);
  Send(TBM_SETRANGEMAX, redraw ? TRUE : FALSE, maximum);
}

// ---------------------------------------------------------------- ToolTip

bool ToolTip::Create(HWND owner, DWORD style) {
  EnsureCommonControls();
  HWND hwnd = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, ResourceInstance(), nullptr);
  Attach(hwnd);
  return hwnd != nullptr;
}

bool ToolTip::AddTool(HWND window, UINT_PTR id, const RECT& rect, std::string_view text) {
  std::wstring wide = Utf8ToWide(text);
  TTTOOLINFOW info = MakeToolInfo(window, id);
  info.uFlags = 0;  // no TTF_SUBCLASS: the owner relays its messages
  info.rect = rect;
  info.lpszText = wide.data();
  return Send(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info)) != FALSE;
}

void ToolTip::UpdateTipText(HWND window, UINT_PTR id, std::string_view text) {
  std::wstring wide = Utf8ToWide(text);
  TTTOOLINFOW info = MakeToolInfo(window, id);
  info.lpszText = wide.data();
  Send(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

std::string ToolTip::GetText(HWND window, UINT_PTR id) const {
  std::wstring text(1024, L'\0');
  TTTOOLINFOW info = MakeToolInfo(window, id);
  info.lpszText = text.data();
  Send(TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&info));
  text.resize(wcsnlen(text.c_str(), text.size()));
  return WideToUtf8(text);
}

}  // namespace velto
