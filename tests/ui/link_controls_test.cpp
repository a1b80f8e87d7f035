// The link controls in a dialog of their own, opening addresses with the
// system calls replaced, and the error report.
#include "ui/link_controls.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text_encoding.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/ui/link_test_support.h"
#include "tests/ui/links_test_ids.h"

namespace velto {
namespace {

using testing::AskColours;
using testing::FakeUrlOpening;
using testing::MessageBoxAnswerer;

// ---------------------------------------------------------------- error texts

TEST(OpenErrorText, EveryCodeOfTheTable) {
  const struct {
    int code;
    const char* text;
  } table[] = {
      {0, "The operating system is out\nof memory or resources."},
      {2, "The specified file was not found."},
      {3, "The specified path was not found."},
      {5, "The operating system denied\naccess to the specified file."},
      {8, "There was not enough memory to complete the operation."},
      {11, "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
      {26, "A sharing violation occurred. "},
      {27, "The filename association is\nincomplete or invalid."},
      {28, "The DDE transaction could not\nbe completed because the request timed out."},
      {29, "The DDE transaction failed."},
      {30, "The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
      {31, "There is no application associated\nwith the given filename extension."},
      {32, "The specified dynamic-link library was not found."},
      {4, "Unknown Error (4) occurred."},
      {-7, "Unknown Error (-7) occurred."},
      {33, "Unknown Error (33) occurred."},
  };
  for (const auto& row : table) {
    EXPECT_EQ(OpenErrorText(row.code), std::string("Unable to open hyperlink:\n\n") + row.text) << row.code;
  }
}

TEST(ShowOpenError, ShowsTheTextUnderTheApplicationName) {
  MessageBoxAnswerer answerer;
  ShowOpenError(26);
  ShowOpenError(4);
  ASSERT_EQ(answerer.texts.size(), 2u);
  EXPECT_EQ(answerer.texts[0], L"Unable to open hyperlink:\n\nA sharing violation occurred. ");
  EXPECT_EQ(answerer.texts[1], L"Unable to open hyperlink:\n\nUnknown Error (4) occurred.");
  EXPECT_EQ(answerer.captions[0], L"Velto ASF Converter");
}

// ---------------------------------------------------------------- fallback command line

TEST(HandlerCommandLine, CutsBeforeThePlaceholder) {
  EXPECT_EQ(HandlerCommandLine(L"\"C:\\Web\\browser.exe\" -osint -url \"%1\"", L"https://a.example/"),
            L"\"C:\\Web\\browser.exe\" -osint -url  https://a.example/");
  EXPECT_EQ(HandlerCommandLine(L"C:\\Web\\browser.exe %1 -new", L"https://a.example/"),
            L"C:\\Web\\browser.exe  https://a.example/");
  EXPECT_EQ(HandlerCommandLine(L"C:\\Web\\browser.exe -nohome", L"https://a.example/"),
            L"C:\\Web\\browser.exe -nohome https://a.example/");
  // The quoted placeholder wins over an earlier bare one.
  EXPECT_EQ(HandlerCommandLine(L"b.exe %10 \"%1\"", L"u"), L"b.exe %10  u");
}

TEST(HandlerCommandLine, NeverMakesACommandLongerThanItsBuffer) {
  const std::wstring handler = L"C:\\Web\\browser.exe \"%1\"";  // leaves 19 characters and a blank
  const std::wstring fits(kFallbackCommandLimit - 1 - 20, L'a');
  ASSERT_TRUE(HandlerCommandLine(handler, fits).has_value());
  EXPECT_EQ(HandlerCommandLine(handler, fits)->size(), kFallbackCommandLimit - 1);
  EXPECT_FALSE(HandlerCommandLine(handler, fits + L"a").has_value());
  // Counted in bytes: a two-byte letter takes two places.
  const std::wstring wide(kFallbackCommandLimit / 2 - 10, L'\u00e9');
  EXPECT_FALSE(HandlerCommandLine(handler, wide).has_value());
}

// ---------------------------------------------------------------- OpenUrl

TEST(OpenUrl, TheShellOpensTheAddress) {
  FakeUrlOpening fake;
  EXPECT_EQ(OpenUrl("https://velto.example/a b", SW_SHOW), 42);
  ASSERT_EQ(fake.opened.size(), 1u);
  EXPECT_EQ(fake.opened[0], L"https://velto.example/a b");
  EXPECT_EQ(fake.shows[0], SW_SHOW);
  EXPECT_TRUE(fake.keysRead.empty());
  EXPECT_TRUE(fake.started.empty());
}

TEST(OpenUrl, FallsBackToTheRegisteredWebPageHandler) {
  FakeUrlOpening fake;
  fake.shellResult = 31;
  fake.documentType = L"htmlfile";
  fake.handler = L"\"C:\\Program Files\\Web\\web.exe\" -url \"%1\"";
  EXPECT_EQ(OpenUrl("https://velto.example/\xc3\xa9t\xc3\xa9", SW_SHOWMAXIMIZED), 33);
  ASSERT_EQ(fake.keysRead.size(), 2u);
  EXPECT_EQ(fake.keysRead[0], L".htm");
  EXPECT_EQ(fake.keysRead[1], L"htmlfile\\shell\\open\\command");
  ASSERT_EQ(fake.started.size(), 1u);
  EXPECT_EQ(fake.started[0], L"\"C:\\Program Files\\Web\\web.exe\" -url  https://velto.example/\u00e9t\u00e9");
  EXPECT_EQ(fake.shows.back(), SW_SHOWMAXIMIZED);
}

TEST(OpenUrl, ReportsTheShellsResultWhenThereIsNoHandler) {
  FakeUrlOpening fake;
  fake.shellResult = 31;
  EXPECT_EQ(OpenUrl("https://velto.example/", SW_SHOW), 31);
  EXPECT_TRUE(fake.started.empty());
  fake.documentType = L"htmlfile";  // a type without an open command
  EXPECT_EQ(OpenUrl("https://velto.example/", SW_SHOW), 31);
  EXPECT_TRUE(fake.started.empty());
}

TEST(OpenUrl, DoesNotStartACommandLineThatDoesNotFit) {
  FakeUrlOpening fake;
  fake.shellResult = 2;
  fake.documentType = L"htmlfile";
  fake.handler = L"web.exe \"%1\"";
  const std::string longAddress = "https://velto.example/" + std::string(600, 'x');
  EXPECT_EQ(OpenUrl(longAddress, SW_SHOW), 2);
  EXPECT_TRUE(fake.started.empty());
}

TEST(OpenUrl, TheHandlersFailureIsTheResult) {
  FakeUrlOpening fake;
  fake.shellResult = 31;
  fake.startResult = 2;
  fake.documentType = L"htmlfile";
  fake.handler = L"missing.exe %1";
  EXPECT_EQ(OpenUrl("https://velto.example/", SW_SHOW), 2);
  EXPECT_EQ(fake.started.size(), 1u);
}

// ---------------------------------------------------------------- registry

class RegistryDefault : public ::testing::Test {
 protected:
  static constexpr wchar_t kKey[] = L"Software\\Velto\\LinkTests";
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Velto\\LinkTests"); }
  void Write(const std::wstring& subkey, DWORD type, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (std::wstring(kKey) + subkey).c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

TEST_F(RegistryDefault, ReadsTheDefaultValue) {
  Write(L"\\Plain", REG_SZ, L"htmlfile");
  Write(L"\\Expand", REG_EXPAND_SZ, L"%SystemRoot%\\web.exe \"%1\"");
  std::wstring value;
  ASSERT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Plain", value), ERROR_SUCCESS);
  EXPECT_EQ(value, L"htmlfile");
  ASSERT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Expand", value), ERROR_SUCCESS);
  EXPECT_EQ(value.find(L"%SystemRoot%"), std::wstring::npos) << WideToUtf8(value);
  EXPECT_NE(value.find(L"\\web.exe \"%1\""), std::wstring::npos) << WideToUtf8(value);
}

TEST_F(RegistryDefault, MissingKeysAndOverlongValuesFail) {
  std::wstring value = L"unchanged";
  EXPECT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Missing", value), ERROR_FILE_NOT_FOUND);
  Write(L"\\Fits", REG_SZ, std::wstring(kRegistryValueLimit - 1, L'f'));
  Write(L"\\Long", REG_SZ, std::wstring(kRegistryValueLimit, L'l'));
  EXPECT_NE(ReadRegistryDefault(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Long", value), ERROR_SUCCESS);
  EXPECT_EQ(value, L"unchanged");
  ASSERT_EQ(ReadRegistryDefault(HKEY_CURRENT_USER, std::wstring(kKey) + L"\\Fits", value), ERROR_SUCCESS);
  EXPECT_EQ(value.size(), kRegistryValueLimit - 1);
}

// ---------------------------------------------------------------- the controls

class LinkDialog : public testing::ScriptedDialog {
 public:
  LinkDialog() : ScriptedDialog(IDD_LINK_TEST) { empty.SetUrl("https://set.before.example/"); }

  UrlLinkControl address;
  UrlLinkControl centred;
  UrlLinkControl right;
  UrlLinkControl empty;
  UrlLinkControl middle;
  BoldLabelControl label;

  // The template rectangle of a control, in the dialog's client pixels.
  RECT TemplateRect(int x, int y, int width, int height) const {
    RECT rect{x, y, x + width, y + height};
    MapDialogRect(Handle(), &rect);
    return rect;
  }
  RECT PlaceOf(const Window& control) const {
    RECT rect = control.WindowRect();
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

 protected:
  void DoDataExchange(DataExchange& dx) override {
    dx.Control(IDC_LINK_ADDRESS, address);
    dx.Control(IDC_LINK_CENTRED, centred);
    dx.Control(IDC_LINK_RIGHT, right);
    dx.Control(IDC_LINK_EMPTY, empty);
    dx.Control(IDC_LINK_MIDDLE, middle);
    dx.Control(IDC_LINK_LABEL, label);
  }
};

constexpr char kTemplateAddress[] = "https://template.example/page?a=1&b=2";

SIZE TextSize(const UrlLinkControl& link) {
  const std::wstring text = Utf8ToWide(link.GetText());
  SIZE size{};
  HDC dc = GetDC(link.Handle());
  const HGDIOBJ old = SelectObject(dc, link.UnderlinedFont());
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(link.Handle(), dc);
  return size;
}

void PostClick(const Window& control) {
  control.Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  control.Post(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void MoveCursorInto(const Window& control) {
  const RECT rect = control.WindowRect();
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

void MoveCursorAway() { SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2); }

TEST(UrlLinkControl, ATemplateTextIsTheAddressAndIsOpenedOnAClick) {
  FakeUrlOpening fake;
  LinkDialog dialog;
  dialog.Then([&] {
    EXPECT_EQ(dialog.address.GetUrl(), kTemplateAddress);
    EXPECT_EQ(dialog.address.GetText(), kTemplateAddress);
    EXPECT_EQ(dialog.address.Tip().GetText(dialog.address.Handle(), UrlLinkControl::kToolId), kTemplateAddress);
    EXPECT_TRUE(dialog.address.Style() & SS_NOTIFY);
    EXPECT_EQ(AskColours(dialog.address.Handle()).text, UrlLinkControl::kLinkColour);
    PostClick(dialog.address);  // reaches the control only with the notify style
  });
  dialog.Then([&] {
    ASSERT_EQ(fake.opened.size(), 1u);
    EXPECT_EQ(fake.opened[0], Utf8ToWide(kTemplateAddress));
    EXPECT_EQ(fake.shows[0], SW_SHOW);
    EXPECT_TRUE(dialog.address.GetVisited());
    EXPECT_FALSE(dialog.address.IsOver());
    EXPECT_EQ(AskColours(dialog.address.Handle()).text, UrlLinkControl::kVisitedColour);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(UrlLinkControl, TabReachesTheLinkAndEnterOpensItInsteadOfClosingTheDialog) {
  FakeUrlOpening fake;
  LinkDialog dialog;
  dialog.Then([&] {
    EXPECT_TRUE(dialog.address.Style() & WS_TABSTOP);
    SetFocus(dialog.address.Handle());
    dialog.address.Post(WM_KEYDOWN, VK_RETURN, 0);
  });
  dialog.Then([&] {
    ASSERT_EQ(fake.opened.size(), 1u);
    EXPECT_EQ(fake.opened[0], Utf8ToWide(kTemplateAddress));
    EXPECT_TRUE(dialog.IsWindow());
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(UrlLinkControl, AnEmptyTemplateTextShowsTheAddress) {
  testing::RunOneStep<LinkDialog>([](LinkDialog& dialog) {
    EXPECT_EQ(dialog.empty.GetText(), "https://set.before.example/");
    EXPECT_EQ(dialog.empty.GetUrl(), "https://set.before.example/");
    dialog.centred.SetUrl("https://centred.example/");
    EXPECT_EQ(dialog.centred.GetText(), "Centred");
    EXPECT_EQ(dialog.centred.Tip().GetText(dialog.centred.Handle(), UrlLinkControl::kToolId),
              "https://centred.example/");
  });
}

TEST(UrlLinkControl, HoverTurnsItRedUntilThePointerLeaves) {
  LinkDialog dialog;
  dialog.Then([&] {
    MoveCursorAway();
    dialog.address.Send(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(dialog.address.IsOver());
    const auto colours = AskColours(dialog.address.Handle());
    EXPECT_EQ(colours.text, UrlLinkControl::kHoverColour);
    EXPECT_EQ(colours.backgroundMode, TRANSPARENT);
    EXPECT_EQ(colours.brush, GetStockObject(NULL_BRUSH));
  });
  dialog.ThenWait(400);  // the watch finds the pointer outside
  dialog.Then([&] {
    EXPECT_FALSE(dialog.address.IsOver());
    EXPECT_EQ(AskColours(dialog.address.Handle()).text, UrlLinkControl::kLinkColour);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(UrlLinkControl, ThePointerOverTheLinkKeepsTheHoverAndShowsTheAddress) {
  LinkDialog dialog;
  dialog.Then([&] {
    dialog.right.SetUrl("https://right.example/");
    MoveCursorInto(dialog.right);
    dialog.right.Post(WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));  // through the loop: the tooltip sees it too
  });
  dialog.ThenWait(1500);
  dialog.Then([&] {
    EXPECT_TRUE(dialog.right.IsOver());
    EXPECT_EQ(AskColours(dialog.right.Handle()).text, UrlLinkControl::kHoverColour);
    EXPECT_TRUE(dialog.right.Tip().IsVisible());
    const LRESULT handled =
        dialog.right.Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog.right.Handle()), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(handled);
    EXPECT_NE(dialog.right.HandCursor(), nullptr);
    EXPECT_EQ(GetCursor(), dialog.right.HandCursor());
    MoveCursorAway();
  });
  dialog.ThenWait(400);
  dialog.Then([&] { EXPECT_FALSE(dialog.right.IsOver()); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(UrlLinkControl, AFailedOpeningIsReportedAndLeavesTheLinkUnvisited) {
  FakeUrlOpening fake;
  fake.shellResult = 31;  // and no handler for web pages
  MessageBoxAnswerer answerer;
  LinkDialog dialog;
  dialog.Then([&] {
    dialog.address.SetVisited(true);
    PostClick(dialog.address);
  });
  dialog.Then([&] {
    EXPECT_FALSE(dialog.address.GetVisited());
    EXPECT_EQ(AskColours(dialog.address.Handle()).text, UrlLinkControl::kLinkColour);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  ASSERT_EQ(answerer.texts.size(), 1u);
  EXPECT_EQ(answerer.texts[0],
            L"Unable to open hyperlink:\n\nThere is no application associated\nwith the given filename extension.");
}

TEST(UrlLinkControl, UnderlineChoosesTheFont) {
  LinkDialog dialog;
  dialog.Then([&] {
    UrlLinkControl& link = dialog.address;
    const auto initial = reinterpret_cast<HFONT>(link.Send(WM_GETFONT));
    EXPECT_EQ(link.GetUnderline(), -1);
    LOGFONTW plain{}, underlined{};
    GetObjectW(link.PlainFont(), sizeof plain, &plain);
    GetObjectW(link.UnderlinedFont(), sizeof underlined, &underlined);
    EXPECT_FALSE(plain.lfUnderline);
    EXPECT_TRUE(underlined.lfUnderline);
    EXPECT_STREQ(plain.lfFaceName, underlined.lfFaceName);
    EXPECT_NE(initial, link.UnderlinedFont());  // -1 keeps the template's font

    link.SetUnderline(1);
    EXPECT_EQ(reinterpret_cast<HFONT>(link.Send(WM_GETFONT)), link.UnderlinedFont());
    link.SetUnderline(0);
    EXPECT_EQ(reinterpret_cast<HFONT>(link.Send(WM_GETFONT)), link.PlainFont());
    // Hover with underline on keeps the underline when the pointer leaves.
    link.SetUnderline(1);
    MoveCursorAway();
    link.Send(WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(reinterpret_cast<HFONT>(link.Send(WM_GETFONT)), link.UnderlinedFont());
  });
  dialog.ThenWait(400);
  dialog.Then([&] {
    EXPECT_FALSE(dialog.address.IsOver());
    EXPECT_EQ(reinterpret_cast<HFONT>(dialog.address.Send(WM_GETFONT)), dialog.address.UnderlinedFont());
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(UrlLinkControl, FitsItselfToItsText) {
  testing::RunOneStep<LinkDialog>([](LinkDialog& dialog) {
    const SIZE address = TextSize(dialog.address);
    const RECT left = dialog.PlaceOf(dialog.address);
    const RECT leftTemplate = dialog.TemplateRect(10, 10, 200, 10);
    EXPECT_EQ(left.left, leftTemplate.left);
    EXPECT_EQ(left.top, leftTemplate.top);
    EXPECT_EQ(left.right - left.left, address.cx);
    EXPECT_EQ(left.bottom - left.top, address.cy);

    const RECT right = dialog.PlaceOf(dialog.right);
    EXPECT_EQ(right.right, dialog.TemplateRect(10, 50, 200, 10).right);
    EXPECT_EQ(right.right - right.left, TextSize(dialog.right).cx);

    const RECT centred = dialog.PlaceOf(dialog.centred);
    const RECT centredTemplate = dialog.TemplateRect(10, 30, 200, 10);
    EXPECT_NEAR(centred.left + centred.right, centredTemplate.left + centredTemplate.right, 1);
    EXPECT_NEAR(centred.right - centred.left, TextSize(dialog.centred).cx, 1);

    const RECT middle = dialog.PlaceOf(dialog.middle);
    const RECT middleTemplate = dialog.TemplateRect(10, 105, 200, 20);
    EXPECT_NEAR(middle.top + middle.bottom, middleTemplate.top + middleTemplate.bottom, 1);
    // Both edges move by half the difference, so an odd one leaves a pixel over.
    EXPECT_NEAR(middle.bottom - middle.top, TextSize(dialog.middle).cy, 1);
    EXPECT_EQ(middle.left, middleTemplate.left);

    // The tool covers the fitted control.
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = dialog.address.Handle();
    info.uId = UrlLinkControl::kToolId;
    ASSERT_TRUE(dialog.address.Tip().Send(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    const RECT client = dialog.address.ClientRect();
    EXPECT_EQ(info.rect.right, client.right);
    EXPECT_EQ(info.rect.bottom, client.bottom);
  });
}

TEST(BoldLabelControl, AnswersTheColourRequestInItsOwnLook) {
  testing::RunOneStep<LinkDialog>([](LinkDialog& dialog) {
    const auto colours = AskColours(dialog.label.Handle());
    EXPECT_EQ(colours.text, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(colours.backgroundMode, TRANSPARENT);
    EXPECT_EQ(colours.brush, dialog.label.BackgroundBrush());
    EXPECT_EQ(colours.font, dialog.label.Font());
    LOGBRUSH brush{};
    GetObjectW(colours.brush, sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, GetSysColor(COLOR_BTNFACE));
    LOGFONTW font{};
    GetObjectW(dialog.label.Font(), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
    EXPECT_EQ(font.lfHeight, 14);
    EXPECT_GE(font.lfWeight, FW_BOLD);
  });
}

}  // namespace
}  // namespace velto
