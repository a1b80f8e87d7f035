#include "ui/tip_dialog.h"

#include <sys/stat.h>

#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/owned_handles.h"
#include "base/text_encoding.h"
#include "framework/application.h"
#include "framework/dpi.h"
#include "res/resource_ids.h"

namespace velto {
namespace {

constexpr char kSection[] = "Tip";
constexpr char kStartUpKey[] = "StartUp";
constexpr char kFilePosKey[] = "FilePos";
constexpr char kTimeStampKey[] = "TimeStamp";

int ProfileInt(const char* key, int defaultValue) {
  const Application* app = Application::Current();
  return app ? app->GetProfileInt(kSection, key, defaultValue) : defaultValue;
}

void WriteProfileInt(const char* key, int value) {
  if (const Application* app = Application::Current()) app->WriteProfileInt(kSection, key, value);
}

std::string ProfileString(const char* key) {
  const Application* app = Application::Current();
  return app ? app->GetProfileString(kSection, key, "") : std::string();
}

void WriteProfileString(const char* key, const std::string& value) {
  if (const Application* app = Application::Current()) app->WriteProfileString(kSection, key, value);
}

// The creation time of a file as ctime renders it; "" when unknown.
std::string CreationTimeText(const std::string& path) {
  struct _stat64 status {};
  if (_wstat64(Utf8ToWide(path).c_str(), &status) != 0) return {};
  return CtimeText(static_cast<std::time_t>(status.st_ctime));
}

void ShowTroubleReading() { ShowMessageBox(LoadResourceString(IDS_TIPS_FILE_TROUBLE), MB_OK | MB_ICONWARNING); }

}  // namespace

TipDialog::TipDialog(Window* parent) : Dialog(IDD_TIP, parent) {
  m_bShowAtStartup = ProfileInt(kStartUpKey, 0) == 0;
  const int storedPosition = ProfileInt(kFilePosKey, 0);

  const std::string path = ModuleDirectory() + "tips.txt";
  std::optional<std::string> contents = ReadWholeFile(path);
  if (!contents) {
    if (PathExists(path)) {
      ShowTroubleReading();  // there, but it cannot be read: an empty tip
    } else {
      m_strTipText = LoadResourceString(IDS_TIPS_FILE_MISSING);
    }
    return;
  }
  m_pTipsFile.emplace(std::move(*contents));

  const std::string stamp = CreationTimeText(path);
  std::uint64_t position = storedPosition < 0 ? 0 : static_cast<std::uint64_t>(storedPosition);
  if (ProfileString(kTimeStampKey) != stamp) {
    WriteProfileString(kTimeStampKey, stamp);
    position = 0;
  }
  // A position past the end finds nothing and wraps to the first tip.
  if (!m_pTipsFile->Seek(position)) m_pTipsFile->Seek(0);
  ReadNextTip();
}

TipDialog::~TipDialog() {
  if (m_pTipsFile) WriteProfileInt(kFilePosKey, static_cast<int>(m_pTipsFile->Position()));
}

void TipDialog::ReadNextTip() {
  if (m_pTipsFile) m_strTipText = m_pTipsFile->ReadNextTip();
}

void TipDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Check(IDC_TIP_STARTUP, m_bShowAtStartup);
  dx.Text(IDC_TIP_TEXT, m_strTipText);
}

BOOL TipDialog::OnInitDialog() {
  Dialog::OnInitDialog();
  if (!m_pTipsFile) EnableWindow(GetItem(IDC_TIP_NEXT), FALSE);
  LOGFONTW heading{};
  if (GetObjectW(reinterpret_cast<HFONT>(Send(WM_GETFONT)), sizeof heading, &heading) != 0) {
    heading.lfWeight = FW_BOLD;
    m_headingFont.Reset(CreateFontIndirectW(&heading));
  }
  return TRUE;
}

void TipDialog::OnOK() {
  Dialog::OnOK();
  WriteProfileInt(kStartUpKey, m_bShowAtStartup ? 0 : 1);
}

const MessageMap& TipDialog::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<TipDialog>(Dialog::GetMessageMap())
                                    .OnCommand(IDC_TIP_NEXT, &TipDialog::OnNextTip)
                                    .OnCommand(IDC_TIP_STARTUP, &TipDialog::OnStartupBox)
                                    .OnMessage(WM_PAINT, &TipDialog::OnPaint)
                                    .OnMessage(WM_PRINTCLIENT, &TipDialog::OnPrintClient)
                                    .OnMessage(WM_CTLCOLORSTATIC, &TipDialog::OnCtlColorStatic)
                                    .Build();
  return map;
}

void TipDialog::OnNextTip() {
  ReadNextTip();
  Invalidate(true);
}

// The tip area's static would paint its background over the tip; it is
// left see-through so that the dialog's own painting shows.
LRESULT TipDialog::OnCtlColorStatic(WPARAM wParam, LPARAM lParam) {
  if (reinterpret_cast<HWND>(lParam) != GetItem(IDC_TIP_AREA)) return Default();
  SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
  return reinterpret_cast<LRESULT>(GetStockObject(HOLLOW_BRUSH));
}

RECT TipDialog::ClientRectOf(int id) const {
  RECT rect{};
  GetWindowRect(GetItem(id), &rect);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

LRESULT TipDialog::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(Handle(), &paint);
  PaintTip(dc);
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT TipDialog::OnPrintClient(WPARAM wParam, LPARAM) {
  PaintTip(reinterpret_cast<HDC>(wParam));
  return 0;
}

void TipDialog::PaintTip(HDC dc) {
  // Sizes in pixels are those of a 96 dpi screen, scaled to this one.
  const UINT dpi = WindowDpi(Handle());
  RECT screen{};
  GetWindowRect(GetItem(IDC_TIP_AREA), &screen);
  screen.bottom -= ScaleForDpi(50, dpi);
  RECT area = screen;
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&area), 2);
  FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetBkMode(dc, TRANSPARENT);

  int bitmapWidth = 0;
  int bitmapHeight = 0;
  if (const OwnedBitmap bitmap(LoadBitmapW(ResourceInstance(), MAKEINTRESOURCEW(IDB_TIP_BULB))); bitmap) {
    BITMAP info{};
    GetObjectW(bitmap.Get(), sizeof info, &info);
    bitmapWidth = ScaleForDpi(info.bmWidth, dpi);
    bitmapHeight = ScaleForDpi(info.bmHeight, dpi);
    const MemoryDC memory(CreateCompatibleDC(dc));
    const SelectedObject selected(memory.Get(), bitmap.Get());
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, area.left, area.top, bitmapWidth, bitmapHeight, memory.Get(), 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
  }

  const std::wstring heading = Utf8ToWide(LoadResourceString(IDS_DID_YOU_KNOW));
  RECT band{area.left + bitmapWidth, area.top, area.right, area.top + bitmapHeight};
  {
    const SelectedObject bold(dc, m_headingFont.Get());
    DrawTextW(dc, heading.c_str(), static_cast<int>(heading.size()), &band, DT_SINGLELINE | DT_VCENTER);
  }

  const std::wstring tip = Utf8ToWide(m_strTipText);
  RECT text = ClientRectOf(IDC_TIP_TEXT);
  const SelectedObject regular(dc, reinterpret_cast<HGDIOBJ>(Send(WM_GETFONT)));
  DrawTextW(dc, tip.c_str(), static_cast<int>(tip.size()), &text,
            DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_EDITCONTROL);
}

}  // namespace velto
