#include "ui/link_controls.h"

#include <shellapi.h>

#include <cwchar>

#include "base/text_encoding.h"
#include "framework/application.h"

namespace velto {

namespace {

// The help viewer's hand cursor: resource 106 of winhlp32.exe.
constexpr WORD kHelpViewerHandCursor = 106;

// Whether a reflected WM_CTLCOLOR* is the static-control kind.
bool IsStaticColourRequest(UINT message) { return message == WM_CTLCOLORSTATIC; }

int ShellOpen(const std::wstring& url, int showCommand) {
  const HINSTANCE result = ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, showCommand);
  return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

// WinExec's contract, on the wide API so that any address survives: 33 when
// the program started, otherwise an error code below 32.
int StartProgram(const std::wstring& commandLine, int showCommand) {
  std::wstring buffer = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    const DWORD error = GetLastError();
    return error < 32 ? static_cast<int>(error) : ERROR_BAD_FORMAT;
  }
  const OwnedProcess started(process);
  return 33;
}

}  // namespace

// ---------------------------------------------------------------- BoldLabelControl

BoldLabelControl::BoldLabelControl()
    : m_textColour(GetSysColor(COLOR_WINDOWTEXT)), m_backgroundBrush(CreateSolidBrush(GetSysColor(COLOR_BTNFACE))) {
  LOGFONTW font{};
  font.lfHeight = 14;
  font.lfWeight = 956;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy_s(font.lfFaceName, L"Arial");
  m_font.Reset(CreateFontIndirectW(&font));
}

BoldLabelControl::~BoldLabelControl() {
  // A window that outlives us must not keep a deleted font.
  if (IsWindow() && reinterpret_cast<HFONT>(Send(WM_GETFONT)) == m_font.Get()) Send(WM_SETFONT, 0, FALSE);
}

void BoldLabelControl::PreSubclassWindow() {
  // The colour request selects the font as well; giving it to the window
  // keeps the look where the control selects its own font after asking.
  if (m_font) Send(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
  Static::PreSubclassWindow();
}

const MessageMap& BoldLabelControl::GetMessageMap() const {
  static const MessageMap map =
      MessageMapBuilder<BoldLabelControl>(Static::GetMessageMap()).OnReflectedCtlColor(&BoldLabelControl::OnCtlColor).Build();
  return map;
}

HBRUSH BoldLabelControl::OnCtlColor(HDC dc, UINT message) {
  if (IsStaticColourRequest(message)) {
    SelectObject(dc, m_font.Get());
    SetTextColor(dc, m_textColour);
    SetBkMode(dc, TRANSPARENT);
  }
  return m_backgroundBrush.Get();
}

// ---------------------------------------------------------------- UrlLinkControl

UrlLinkControl::~UrlLinkControl() {
  if (m_toolTip.IsWindow()) ::DestroyWindow(m_toolTip.Handle());
  if (IsWindow()) {
    ::KillTimer(Handle(), m_timerId);
    const auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
    if (font && (font == m_plainFont.Get() || font == m_underlinedFont.Get())) Send(WM_SETFONT, 0, FALSE);
  }
}

void UrlLinkControl::SetUrl(std::string_view url) {
  m_url = url;
  if (!IsWindow()) return;
  FitToText();
  if (m_toolTip.IsWindow()) m_toolTip.UpdateTipText(Handle(), kToolId, m_url);
}

void UrlLinkControl::SetVisited(bool visited) {
  m_visited = visited;
  if (IsWindow()) Invalidate(true);
}

void UrlLinkControl::SetUnderline(int underline) {
  if (underline == m_underline) return;
  if (IsWindow()) {
    UseFont(underline == 1 ? m_underlinedFont.Get() : m_plainFont.Get());
    Invalidate(true);
  }
  m_underline = underline;
}

COLORREF UrlLinkControl::CurrentTextColour() const {
  if (m_over) return m_hoverColour;
  return m_visited ? m_visitedColour : m_linkColour;
}

void UrlLinkControl::UseFont(HFONT font) {
  if (font) Send(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void UrlLinkControl::PreSubclassWindow() {
  const HWND hwnd = Handle();
  // Reachable by Tab as well as by the mouse.
  SetWindowLongPtrW(hwnd, GWL_STYLE, Style() | SS_NOTIFY | WS_TABSTOP);

  if (m_url.empty()) m_url = GetText();
  if (GetWindowTextLengthW(hwnd) == 0) SetText(m_url);

  auto font = reinterpret_cast<HFONT>(Send(WM_GETFONT));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  if (!font) font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
  LOGFONTW logical{};
  GetObjectW(font, sizeof(logical), &logical);
  m_plainFont.Reset(CreateFontIndirectW(&logical));
  logical.lfUnderline = TRUE;
  m_underlinedFont.Reset(CreateFontIndirectW(&logical));

  FitToText();
  LoadHandCursor();
  SetUnderline(-1);

  if (m_toolTip.Create(hwnd, TTS_ALWAYSTIP)) m_toolTip.AddTool(hwnd, kToolId, ClientRect(), m_url);

  Static::PreSubclassWindow();
}

bool UrlLinkControl::DestroyWindow() {
  if (IsWindow()) KillTimer(m_timerId);
  return Static::DestroyWindow();
}

bool UrlLinkControl::PreTranslateMessage(MSG& msg) {
  if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(msg);
  return Static::PreTranslateMessage(msg);
}

void UrlLinkControl::FitToText() {
  if (!IsWindow() || !m_fitToText) return;
  const HWND hwnd = Handle();
  const HWND parent = GetParent();

  RECT window = WindowRect();
  RECT client = ClientRect();
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&client), 2);

  const std::wstring text = WindowTextOf(hwnd);
  SIZE extent{};
  if (const WindowDC dc(hwnd); dc) {
    const SelectedObject font(dc.Get(), m_underlinedFont.Get());
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  }

  const LONG windowWidth = window.right - window.left;
  const LONG windowHeight = window.bottom - window.top;
  const LONG neededWidth = extent.cx + windowWidth - (client.right - client.left);
  const LONG neededHeight = extent.cy + windowHeight - (client.bottom - client.top);

  const LONG_PTR style = Style();
  RECT fitted = window;
  if (style & SS_CENTERIMAGE) {
    const LONG half = (windowHeight - neededHeight) / 2;
    fitted.top += half;
    fitted.bottom -= half;
  } else {
    fitted.bottom = fitted.top + neededHeight;
  }
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: {
      const LONG half = (windowWidth - neededWidth) / 2;
      fitted.left += half;
      fitted.right -= half;
      break;
    }
    case SS_RIGHT:
      fitted.left = fitted.right - neededWidth;
      break;
    default:  // left aligned, and the simple and other single-line kinds
      fitted.right = fitted.left + neededWidth;
      break;
  }
  SetWindowPos(hwnd, nullptr, fitted.left, fitted.top, fitted.right - fitted.left, fitted.bottom - fitted.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void UrlLinkControl::LoadHandCursor() {
  if (m_handCursor) return;
  wchar_t directory[MAX_PATH] = {};
  const UINT length = GetWindowsDirectoryW(directory, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    const std::wstring helpViewer = std::wstring(directory) + L"\\winhlp32.exe";
    // Only its resources are wanted: as a data file it loads whatever its bitness.
    const OwnedModule module(
        LoadLibraryExW(helpViewer.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    if (module) {
      if (const HCURSOR cursor = LoadCursorW(module.Get(), MAKEINTRESOURCEW(kHelpViewerHandCursor))) {
        m_copiedHandCursor.Reset(CopyCursor(cursor));
        m_handCursor = m_copiedHandCursor.Get();
      }
    }
  }
  // Where the help viewer or its cursor is missing, the system's hand.
  if (!m_handCursor) m_handCursor = LoadCursorW(nullptr, IDC_HAND);
}

const MessageMap& UrlLinkControl::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<UrlLinkControl>(Static::GetMessageMap())
                                    .OnReflectedCtlColor(&UrlLinkControl::OnCtlColor)
                                    .OnMessage(WM_SETCURSOR, &UrlLinkControl::OnSetCursor)
                                    .OnMessage(WM_MOUSEMOVE, &UrlLinkControl::OnMouseMove)
                                    .OnMessage(WM_TIMER, &UrlLinkControl::OnTimer)
                                    .OnReflectedCommand(STN_CLICKED, &UrlLinkControl::OnClicked)
                                    .OnMessage(WM_ERASEBKGND, &UrlLinkControl::OnEraseBackground)
                                    .OnMessage(WM_GETDLGCODE, &UrlLinkControl::OnGetDlgCode)
                                    .OnMessage(WM_KEYDOWN, &UrlLinkControl::OnKeyDown)
                                    .OnMessage(WM_SETFOCUS, &UrlLinkControl::OnFocusChange)
                                    .OnMessage(WM_KILLFOCUS, &UrlLinkControl::OnFocusChange)
                                    .OnMessage(WM_PAINT, &UrlLinkControl::OnPaint)
                                    .Build();
  return map;
}

HBRUSH UrlLinkControl::OnCtlColor(HDC dc, UINT) {
  SetTextColor(dc, CurrentTextColour());
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

LRESULT UrlLinkControl::OnSetCursor(WPARAM, LPARAM) {
  if (!m_handCursor) return FALSE;
  ::SetCursor(m_handCursor);
  return TRUE;
}

LRESULT UrlLinkControl::OnMouseMove(WPARAM, LPARAM) {
  if (!m_over) {
    m_over = true;
    if (m_underline == -1) UseFont(m_plainFont.Get());
    Invalidate(true);
    SetTimer(m_timerId, kHoverInterval);
  }
  return Default();
}

LRESULT UrlLinkControl::OnTimer(WPARAM, LPARAM) {
  const DWORD position = GetMessagePos();
  POINT point{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
  ScreenToClient(Handle(), &point);
  RECT client = ClientRect();
  if (!PtInRect(&client, point)) {
    m_over = false;
    KillTimer(m_timerId);
    if (m_underline != 1) UseFont(m_plainFont.Get());
    client.bottom += 10;
    InvalidateRect(Handle(), &client, TRUE);
  }
  return Default();
}

LRESULT UrlLinkControl::OnEraseBackground(WPARAM, LPARAM) { return TRUE; }

// Enter and Space open the link when it has the focus, instead of pressing
// the dialog's default button.
LRESULT UrlLinkControl::OnGetDlgCode(WPARAM, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (message && message->message == WM_KEYDOWN && (message->wParam == VK_RETURN || message->wParam == VK_SPACE)) {
    return DLGC_WANTMESSAGE;
  }
  return Default();
}

LRESULT UrlLinkControl::OnKeyDown(WPARAM key, LPARAM) {
  if (key != VK_RETURN && key != VK_SPACE) return Default();
  OnClicked();
  return 0;
}

LRESULT UrlLinkControl::OnFocusChange(WPARAM, LPARAM) {
  Invalidate(true);
  return Default();
}

// The text as the static draws it, and a focus rectangle round it.
LRESULT UrlLinkControl::OnPaint(WPARAM, LPARAM) {
  const LRESULT result = Default();
  if (::GetFocus() == Handle()) {
    const WindowDC dc(Handle());
    RECT client = ClientRect();
    DrawFocusRect(dc.Get(), &client);
  }
  return result;
}

bool UrlLinkControl::OnClicked() {
  m_over = false;
  const int result = OpenUrl(m_url, SW_SHOW);
  SetVisited(result > 32);
  if (!m_visited) {
    MessageBeep(MB_ICONEXCLAMATION);
    ShowOpenError(result);
  }
  return true;
}

// ---------------------------------------------------------------- opening links

LONG ReadRegistryDefault(HKEY root, std::wstring_view subkey, std::wstring& value) {
  OwnedRegistryKey key;
  const std::wstring name(subkey);
  const LONG opened = RegOpenKeyExW(root, name.c_str(), 0, KEY_QUERY_VALUE, key.Receive());
  if (opened != ERROR_SUCCESS) return opened;

  wchar_t buffer[kRegistryValueLimit] = {};
  DWORD type = 0;
  DWORD bytes = sizeof(buffer);
  LONG read = RegQueryValueExW(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
  if (read == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) read = ERROR_INVALID_DATA;
  if (read != ERROR_SUCCESS) return read;

  std::wstring text(buffer, wcsnlen(buffer, bytes / sizeof(wchar_t)));
  if (text.size() >= kRegistryValueLimit) return ERROR_MORE_DATA;  // no room for the terminator
  if (type == REG_EXPAND_SZ) {
    wchar_t expanded[kRegistryValueLimit] = {};
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), expanded, kRegistryValueLimit);
    if (needed == 0 || needed > kRegistryValueLimit) return ERROR_MORE_DATA;
    text = expanded;
  }
  value = std::move(text);
  return ERROR_SUCCESS;
}

std::optional<std::wstring> HandlerCommandLine(std::wstring_view handlerCommand, std::wstring_view url) {
  std::wstring commandLine(handlerCommand);
  size_t cut = commandLine.find(L"\"%1\"");
  if (cut == std::wstring::npos) cut = commandLine.find(L"%1");
  if (cut != std::wstring::npos) commandLine.resize(cut);
  commandLine += L' ';
  commandLine += url;
  // Measured as the bytes it would take in the narrow buffer, terminator included.
  if (WideToUtf8(commandLine).size() + 1 > kFallbackCommandLimit) return std::nullopt;
  return commandLine;
}

UrlOpeningCalls SystemUrlOpeningCalls() {
  UrlOpeningCalls calls;
  calls.shellOpen = &ShellOpen;
  calls.readRegistryDefault = [](HKEY root, const std::wstring& subkey, std::wstring& value) {
    return ReadRegistryDefault(root, subkey, value);
  };
  calls.startProgram = &StartProgram;
  return calls;
}

UrlOpeningCalls& CurrentUrlOpeningCalls() {
  static UrlOpeningCalls calls = SystemUrlOpeningCalls();
  return calls;
}

int OpenUrl(std::string_view url, int showCommand) {
  const UrlOpeningCalls& calls = CurrentUrlOpeningCalls();
  const std::wstring address = Utf8ToWide(url);
  const int shellResult = calls.shellOpen(address, showCommand);
  if (shellResult > 32) return shellResult;

  // The program registered for web pages: .htm names the document type,
  // whose open command takes the address in place of its "%1".
  std::wstring documentType;
  if (calls.readRegistryDefault(HKEY_CLASSES_ROOT, L".htm", documentType) != ERROR_SUCCESS) return shellResult;
  std::wstring handler;
  if (calls.readRegistryDefault(HKEY_CLASSES_ROOT, documentType + L"\\shell\\open\\command", handler) !=
      ERROR_SUCCESS) {
    return shellResult;
  }
  const std::optional<std::wstring> commandLine = HandlerCommandLine(handler, address);
  if (!commandLine) return shellResult;  // never a cut-off command line
  return calls.startProgram(*commandLine, showCommand);
}

std::string OpenErrorText(int code) {
  std::string reason;
  switch (code) {
    case 0: reason = "The operating system is out\nof memory or resources."; break;
    case SE_ERR_FNF: reason = "The specified file was not found."; break;
    case SE_ERR_PNF: reason = "The specified path was not found."; break;
    case SE_ERR_ACCESSDENIED: reason = "The operating system denied\naccess to the specified file."; break;
    case SE_ERR_OOM: reason = "There was not enough memory to complete the operation."; break;
    case ERROR_BAD_FORMAT: reason = "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."; break;
    case SE_ERR_SHARE: reason = "A sharing violation occurred. "; break;
    case SE_ERR_ASSOCINCOMPLETE: reason = "The filename association is\nincomplete or invalid."; break;
    case SE_ERR_DDETIMEOUT:
      reason = "The DDE transaction could not\nbe completed because the request timed out.";
      break;
    case SE_ERR_DDEFAIL: reason = "The DDE transaction failed."; break;
    case SE_ERR_DDEBUSY:
      reason =
          "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
      break;
    case SE_ERR_NOASSOC: reason = "There is no application associated\nwith the given filename extension."; break;
    case SE_ERR_DLLNOTFOUND: reason = "The specified dynamic-link library was not found."; break;
    default: reason = "Unknown Error (" + std::to_string(code) + ") occurred."; break;
  }
  return "Unable to open hyperlink:\n\n" + reason;
}

void ShowOpenError(int code) { ShowMessageBox(OpenErrorText(code), MB_ICONEXCLAMATION | MB_OK); }

}  // namespace velto
