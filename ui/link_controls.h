#pragma once
// Static texts with a look of their own: a bold caption, and a web link that
// changes colour under the pointer, shows its address as a tooltip and opens
// it when clicked. Both attach to static controls of a dialog template
// through data exchange (subclassing); neither creates a window itself.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/owned_handles.h"
#include "framework/controls.h"

namespace velto {

// A caption in a heavy Arial font on the button-face background.
class BoldLabelControl : public Static {
 public:
  BoldLabelControl();
  ~BoldLabelControl() override;

  HFONT Font() const { return m_font.Get(); }
  COLORREF TextColour() const { return m_textColour; }
  HBRUSH BackgroundBrush() const { return m_backgroundBrush.Get(); }

 protected:
  bool SubclassOnAttach() const override { return true; }
  void PreSubclassWindow() override;
  const MessageMap& GetMessageMap() const override;

 private:
  HBRUSH OnCtlColor(HDC dc, UINT message);

  COLORREF m_textColour;
  OwnedBrush m_backgroundBrush;
  OwnedFont m_font;
};

// A web link. Its address is the template text unless SetUrl gives another.
class UrlLinkControl : public Static {
 public:
  static constexpr COLORREF kLinkColour = RGB(0, 0, 238);
  static constexpr COLORREF kVisitedColour = RGB(85, 26, 139);
  static constexpr COLORREF kHoverColour = RGB(255, 0, 0);
  static constexpr UINT_PTR kHoverTimer = 100;
  static constexpr UINT kHoverInterval = 100;  // milliseconds
  static constexpr UINT_PTR kToolId = 1;

  UrlLinkControl() = default;
  ~UrlLinkControl() override;

  void SetUrl(std::string_view url);
  const std::string& GetUrl() const { return m_url; }
  void SetVisited(bool visited = true);
  bool GetVisited() const { return m_visited; }
  // 1: underlined; 0: plain; -1: keep the font the control was created with.
  void SetUnderline(int underline);
  int GetUnderline() const { return m_underline; }
  bool IsOver() const { return m_over; }

  // The colour the text is drawn in now.
  COLORREF CurrentTextColour() const;
  HCURSOR HandCursor() const { return m_handCursor; }
  HFONT PlainFont() const { return m_plainFont.Get(); }
  HFONT UnderlinedFont() const { return m_underlinedFont.Get(); }
  const ToolTip& Tip() const { return m_toolTip; }

  // Sizes the control to its text (measured with the underlined font).
  void FitToText();

  bool DestroyWindow() override;
  bool PreTranslateMessage(MSG& msg) override;

 protected:
  bool SubclassOnAttach() const override { return true; }
  void PreSubclassWindow() override;
  const MessageMap& GetMessageMap() const override;

 private:
  HBRUSH OnCtlColor(HDC dc, UINT message);
  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM, LPARAM);
  LRESULT OnTimer(WPARAM, LPARAM);
  LRESULT OnEraseBackground(WPARAM, LPARAM);
  LRESULT OnGetDlgCode(WPARAM, LPARAM message);
  LRESULT OnKeyDown(WPARAM key, LPARAM);
  LRESULT OnFocusChange(WPARAM, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  bool OnClicked();
  void LoadHandCursor();
  void UseFont(HFONT font);

  COLORREF m_linkColour = kLinkColour;
  COLORREF m_visitedColour = kVisitedColour;
  COLORREF m_hoverColour = kHoverColour;
  bool m_over = false;
  bool m_visited = false;
  int m_underline = -1;
  bool m_fitToText = true;
  std::string m_url;
  OwnedFont m_plainFont;
  OwnedFont m_underlinedFont;
  HCURSOR m_handCursor = nullptr;  // m_copiedHandCursor or the system's hand
  OwnedCursor m_copiedHandCursor;
  ToolTip m_toolTip;
  UINT_PTR m_timerId = kHoverTimer;
};

// Opens a web address with the shell's "open" verb, falling back to the
// command registered for web pages. A result above 32 means success; any
// other value is the error code of the last attempt.
int OpenUrl(std::string_view url, int showCommand);

// Tells the user why a link could not be opened (message box).
void ShowOpenError(int code);

// The text ShowOpenError shows for a code.
std::string OpenErrorText(int code);

// The default value of root\subkey, at most kRegistryValueLimit characters
// with its terminator. 0 on success, otherwise the error of opening the key
// or of reading its value.
inline constexpr size_t kRegistryValueLimit = 260;
LONG ReadRegistryDefault(HKEY root, std::wstring_view subkey, std::wstring& value);

// The fallback's command line: the handler's command cut before its "%1"
// placeholder (before the opening quotation mark of "\"%1\""), a blank and
// the address. Empty when the result does not fit kFallbackCommandLimit
// bytes with its terminator: such a command line is never started.
inline constexpr size_t kFallbackCommandLimit = 520;
std::optional<std::wstring> HandlerCommandLine(std::wstring_view handlerCommand, std::wstring_view url);

// The system calls OpenUrl makes; tests put recording stand-ins here.
struct UrlOpeningCalls {
  // The shell's "open" verb on the address; its HINSTANCE result as a number.
  std::function<int(const std::wstring& url, int showCommand)> shellOpen;
  std::function<LONG(HKEY root, const std::wstring& subkey, std::wstring& value)> readRegistryDefault;
  // Starts a command line as WinExec does, with WinExec's results.
  std::function<int(const std::wstring& commandLine, int showCommand)> startProgram;
};

// The calls in use (initially the real ones), and the real ones.
UrlOpeningCalls& CurrentUrlOpeningCalls();
UrlOpeningCalls SystemUrlOpeningCalls();

}  // namespace velto
