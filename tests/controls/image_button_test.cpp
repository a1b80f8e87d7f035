// ImageButton on real dialog buttons, driven with messages through the
// framework's modal loop: hover tracking, pressed look, check and style
// messages, focus on disable, double clicks, tooltip, transparency, icons.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <vector>

#include "controls/image_button.h"
#include "tests/controls/image_button_test_ids.h"
#include "tests/framework/scripted_dialog.h"
#include "tests/support/window_picture.h"

namespace velto {
namespace {

using velto::testing::ScriptedDialog;

constexpr COLORREF kIconColor = RGB(200, 100, 50);

class ButtonDialog : public ScriptedDialog {
 public:
  ButtonDialog() : ScriptedDialog(IDD_BUTTON_TEST) {}

  ImageButton big;
  ImageButton small;
  ImageButton change;
  std::map<int, int> clicks;
  int doubleClicks = 0;
  std::vector<WPARAM> proposedDefaults;

  POINT CentreOf(const ImageButton& button) const {
    const RECT client = button.ClientRect();
    return POINT{client.right / 2, client.bottom / 2};
  }
  void PostMouse(const ImageButton& button, UINT message, WPARAM flags, POINT at) const {
    PostMessageW(button.Handle(), message, flags, MAKELPARAM(at.x, at.y));
  }
  void PutCursorOn(const ImageButton& button) const {
    POINT at = CentreOf(button);
    ClientToScreen(button.Handle(), &at);
    SetCursorPos(at.x, at.y);
  }
  // Moves the pointer onto the button the way the system reports it.
  void HoverOver(const ImageButton& button) const {
    PutCursorOn(button);
    PostMouse(button, WM_MOUSEMOVE, 0, CentreOf(button));
  }
  void Repaint(ImageButton& button) const {
    button.Invalidate();
    UpdateWindow(button.Handle());
  }

 protected:
  BOOL OnInitDialog() override {
    const BOOL result = ScriptedDialog::OnInitDialog();
    big.SetIcons(IDI_TEST, 48, 48, ImageButton::kNoAtRestIcon, 0, 0);
    big.SetTooltip("Add video files to the list");
    big.EnableTransparency(false);
    big.SetLayout(ImageButton::kIconAbove);
    small.SetIcons(IDI_TEST);
    small.SetTooltip("Remove the selected video file");
    return result;
  }

  void DoDataExchange(DataExchange& dx) override {
    dx.Control(IDC_BIG, big);
    dx.Control(IDC_SMALL, small);
    dx.Control(IDC_CHANGE, change);
  }

  const MessageMap& GetMessageMap() const override {
    static const MessageMap map = MessageMapBuilder<ButtonDialog>(ScriptedDialog::GetMessageMap())
                                      .OnMessage(WM_COMMAND, &ButtonDialog::OnAnyCommand)
                                      .OnMessage(DM_SETDEFID, &ButtonDialog::OnSetDefId)
                                      .Build();
    return map;
  }

 private:
  LRESULT OnAnyCommand(WPARAM wParam, LPARAM) {
    if (HIWORD(wParam) == BN_CLICKED) ++clicks[LOWORD(wParam)];
    if (HIWORD(wParam) == BN_DOUBLECLICKED) ++doubleClicks;
    return 0;
  }
  LRESULT OnSetDefId(WPARAM id, LPARAM) {
    proposedDefaults.push_back(id);
    return Default();
  }
};

// ---------------------------------------------------------------- no window

TEST(ImageButtonTest, SettersRefuseOutOfRangeValuesAndChangeNothing) {
  ImageButton button;
  EXPECT_EQ(button.SetLayout(1), ImageButton::kOk);
  EXPECT_EQ(button.SetLayout(4), ImageButton::kInvalidLayout);
  EXPECT_EQ(button.SetLayout(-1), ImageButton::kInvalidLayout);
  EXPECT_EQ(button.GetLayout(), 1);

  EXPECT_EQ(button.SetPressedShift(1), ImageButton::kOk);
  EXPECT_EQ(button.GetPressedShift().x, 0);
  EXPECT_EQ(button.GetPressedShift().y, 2);
  EXPECT_EQ(button.SetPressedShift(2), ImageButton::kInvalidPressedStyle);
  EXPECT_EQ(button.GetPressedShift().y, 2);
  EXPECT_EQ(button.SetPressedShift(0), ImageButton::kOk);
  EXPECT_EQ(button.GetPressedShift().x, 1);

  button.SetTooltip(nullptr);  // nothing, and no window needed
  EXPECT_EQ(button.GetTooltipHandle(), nullptr);
}

TEST(ImageButtonTest, GreyAndDarkerColoursTruncate) {
  // 0.299*200 + 0.587*100 + 0.114*50 = 124.2
  EXPECT_EQ(ImageButton::GrayColor(RGB(200, 100, 50)), RGB(124, 124, 124));
  EXPECT_EQ(ImageButton::GrayColor(RGB(0, 0, 1)), RGB(0, 0, 0));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(200, 100, 50), 0.25), RGB(150, 75, 37));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(3, 255, 1), 0.25), RGB(2, 191, 0));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(200, 100, 50), 1.0), RGB(0, 0, 0));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(200, 100, 50), 0.0), RGB(200, 100, 50));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(200, 100, 50), 1.5), RGB(200, 100, 50));
  EXPECT_EQ(ImageButton::DarkerColor(RGB(200, 100, 50), -0.25), RGB(200, 100, 50));
}

using Edges = std::array<LONG, 4>;  // left, top, right, bottom

Edges EdgesOf(const RECT& rect) { return {rect.left, rect.top, rect.right, rect.bottom}; }

TEST(ImageButtonTest, PlacesTheIconForEachLayout) {
  struct Case {
    const char* name;
    int layout;
    bool withCaption;
    bool pressed;
    SIZE icon;
    Edges image;
    Edges caption;
  };
  // An item of 80 x 60. Left of the caption or above it the icon keeps
  // 3 pixels from the edge; above it, the caption starts below the icon's
  // height; pressed shifts the icon by (1, 1); overlapping takes the whole item.
  const Case cases[] = {
      {"left", ImageButton::kIconLeft, true, false, {32, 32}, {3, 14, 35, 46}, {35, 0, 80, 60}},
      {"left without caption", ImageButton::kIconLeft, false, false, {32, 32}, {24, 14, 56, 46}, {0, 0, 80, 60}},
      {"above", ImageButton::kIconAbove, true, false, {32, 32}, {24, 3, 56, 35}, {0, 32, 80, 60}},
      // (80 - 17) / 2 rounds towards zero
      {"above, small icon", ImageButton::kIconAbove, false, false, {17, 17}, {31, 21, 48, 38}, {0, 0, 80, 60}},
      {"above, pressed", ImageButton::kIconAbove, true, true, {32, 32}, {25, 4, 57, 36}, {0, 32, 80, 60}},
      {"overlapped", ImageButton::kOverlapped, true, false, {32, 32}, {0, 0, 80, 60}, {0, 0, 80, 60}},
  };
  const RECT item{0, 0, 80, 60};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageButton button;
    ASSERT_EQ(button.SetLayout(c.layout), ImageButton::kOk);
    RECT caption = item;
    EXPECT_EQ(EdgesOf(button.PlaceImage(c.withCaption, item, caption, c.pressed, c.icon)), c.image);
    EXPECT_EQ(EdgesOf(caption), c.caption);
  }
}

COLORREF CentrePixelOf(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return CLR_INVALID;
  BITMAP layout{};
  GetObjectW(info.hbmColor, sizeof(layout), &layout);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, info.hbmColor);
  const COLORREF color = GetPixel(dc, layout.bmWidth / 2, layout.bmHeight / 2);
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return color;
}

HICON MakeIcon(int size, COLORREF color) {
  HDC screen = GetDC(nullptr);
  HBITMAP colorBitmap = CreateCompatibleBitmap(screen, size, size);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colorBitmap);
  HBRUSH brush = CreateSolidBrush(color);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, colorBitmap};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(colorBitmap);
  return icon;
}

bool IconAlive(HICON icon) {
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return false;
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return true;
}

TEST(ImageButtonTest, LoadsIconResourcesAtTheGivenSizeWithGreyAndDarkerCopies) {
  ImageButton button;
  EXPECT_EQ(button.SetIcons(IDI_TEST, 48, 48, ImageButton::kNoAtRestIcon, 0, 0), ImageButton::kOk);
  ASSERT_NE(button.GetIcon(0), nullptr);
  EXPECT_EQ(button.GetIconSize(0).cx, 48);
  EXPECT_EQ(button.GetIconSize(0).cy, 48);
  EXPECT_EQ(button.GetIcon(1), nullptr);
  EXPECT_EQ(CentrePixelOf(button.GetIcon(0)), kIconColor);

  EXPECT_EQ(button.SetIcons(IDI_TEST, 16, 16, ImageButton::kGrayAtRest, 0, 0), ImageButton::kOk);
  ASSERT_NE(button.GetIcon(1), nullptr);
  EXPECT_EQ(button.GetIconSize(1).cx, 16);
  EXPECT_EQ(CentrePixelOf(button.GetIcon(1)), RGB(124, 124, 124));
  EXPECT_EQ(CentrePixelOf(button.GetIcon(0)), kIconColor);

  EXPECT_EQ(button.SetIcons(IDI_TEST, 32, 32, ImageButton::kDarkerAtRest, 0, 0), ImageButton::kOk);
  EXPECT_EQ(CentrePixelOf(button.GetIcon(1)), RGB(150, 75, 37));

  // Another resource as the at-rest icon, at its own size.
  EXPECT_EQ(button.SetIcons(IDI_TEST, 32, 32, IDI_TEST, 16, 16), ImageButton::kOk);
  EXPECT_EQ(button.GetIconSize(0).cx, 32);
  EXPECT_EQ(button.GetIconSize(1).cx, 16);

  // The short form lets the system choose the size.
  EXPECT_EQ(button.SetIcons(IDI_TEST), ImageButton::kOk);
  EXPECT_GT(button.GetIconSize(0).cx, 0);
  EXPECT_EQ(button.GetIconSize(0).cx, button.GetIconSize(0).cy);

  // A missing resource leaves the button without icons.
  EXPECT_EQ(button.SetIcons(4999, 48, 48, ImageButton::kGrayAtRest, 0, 0), ImageButton::kOk);
  EXPECT_EQ(button.GetIcon(0), nullptr);
  EXPECT_EQ(button.GetIcon(1), nullptr);
}

TEST(ImageButtonTest, OwnsIconHandlesAndDestroysReplacedOnes) {
  HICON first = MakeIcon(24, RGB(10, 20, 30));
  HICON firstAtRest = MakeIcon(24, RGB(40, 50, 60));
  HICON second = MakeIcon(20, RGB(70, 80, 90));
  ASSERT_TRUE(first && firstAtRest && second);
  {
    ImageButton button;
    EXPECT_EQ(button.SetIcons(first, firstAtRest), ImageButton::kOk);
    EXPECT_EQ(button.GetIconSize(0).cx, 24);
    EXPECT_EQ(button.GetIconSize(1).cy, 24);

    EXPECT_EQ(button.SetIcons(second, nullptr), ImageButton::kOk);
    EXPECT_FALSE(IconAlive(first));
    EXPECT_FALSE(IconAlive(firstAtRest));
    EXPECT_TRUE(IconAlive(second));
    EXPECT_EQ(button.GetIconSize(0).cx, 20);
    EXPECT_EQ(button.GetIcon(1), nullptr);

    // A handle that is no icon cannot be examined: no icons at all.
    EXPECT_EQ(button.SetIcons(reinterpret_cast<HICON>(static_cast<INT_PTR>(0x7ff0)), nullptr),
              ImageButton::kInvalidResource);
    EXPECT_EQ(button.GetIcon(0), nullptr);
    EXPECT_FALSE(IconAlive(second));

    EXPECT_EQ(button.SetIcons(MakeIcon(16, RGB(1, 2, 3)), nullptr), ImageButton::kOk);
    second = button.GetIcon(0);
  }
  EXPECT_FALSE(IconAlive(second));  // destroyed with the button
}

// ---------------------------------------------------------------- on a dialog

// Puts the pointer on the button and lets both the reported move and the
// system's own (an input message, handled after posted ones) arrive.
void HoverAndSettle(ButtonDialog& dialog, ImageButton& button) {
  dialog.Then([&] { dialog.HoverOver(button); });
  dialog.ThenWait(100);
}

TEST(ImageButtonDialogTest, HoverFrameComesWithThePointerAndGoesWithLeaveFocusAndDeactivation) {
  ButtonDialog dialog;
  dialog.Then([&] {
    EXPECT_EQ(Window::FromHandle(dialog.big.Handle()), &dialog.big);
    EXPECT_FALSE(dialog.big.IsHover());
    dialog.proposedDefaults.clear();
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    EXPECT_TRUE(dialog.big.IsHover());
    ASSERT_FALSE(dialog.proposedDefaults.empty());
    // The proposed default names nothing: the hovered button is not made the default.
    EXPECT_EQ(dialog.proposedDefaults.back(), ImageButton::kNoDefaultId);
    dialog.big.Send(WM_MOUSELEAVE);
    EXPECT_FALSE(dialog.big.IsHover());
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    EXPECT_TRUE(dialog.big.IsHover());
    dialog.big.Send(WM_KILLFOCUS);
    EXPECT_FALSE(dialog.big.IsHover());
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    dialog.big.Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_TRUE(dialog.big.IsHover());
    dialog.big.Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_FALSE(dialog.big.IsHover());
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    dialog.big.Send(WM_CANCELMODE);
    EXPECT_FALSE(dialog.big.IsHover());
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    // A move reported outside the button (captured pointer) ends the look.
    EXPECT_TRUE(dialog.big.IsHover());
    dialog.big.Send(WM_MOUSEMOVE, 0, MAKELPARAM(-20, -20));
    EXPECT_FALSE(dialog.big.IsHover());
  });
  HoverAndSettle(dialog, dialog.big);
  dialog.Then([&] {
    // The pointer really leaves: the system's leave notification ends it.
    EXPECT_TRUE(dialog.big.IsHover());
    SetCursorPos(1, 1);
  });
  dialog.ThenWait(1500);
  dialog.Then([&] { EXPECT_FALSE(dialog.big.IsHover()); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_FALSE(dialog.TimedOut());
}

TEST(ImageButtonDialogTest, NoHoverStartsWhileDraggingIn) {
  ButtonDialog dialog;
  dialog.Then([&] {
    SetCursorPos(1, 1);
    dialog.proposedDefaults.clear();
    dialog.PostMouse(dialog.small, WM_MOUSEMOVE, MK_LBUTTON, dialog.CentreOf(dialog.small));
  });
  dialog.Then([&] {
    EXPECT_FALSE(dialog.small.IsHover());
    EXPECT_TRUE(dialog.proposedDefaults.empty());
    // Once hovering, a held button keeps the look (pressing on it).
    dialog.HoverOver(dialog.small);
  });
  dialog.Then([&] {
    EXPECT_TRUE(dialog.small.IsHover());
    dialog.PostMouse(dialog.small, WM_MOUSEMOVE, MK_LBUTTON, dialog.CentreOf(dialog.small));
  });
  dialog.Then([&] { EXPECT_TRUE(dialog.small.IsHover()); });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(ImageButtonDialogTest, PressedLookThenClickGivesTheButtonFocus) {
  ButtonDialog dialog;
  dialog.Then([&] {
    dialog.Repaint(dialog.big);
    EXPECT_FALSE(dialog.big.LastPaintPressed());
    dialog.PostMouse(dialog.big, WM_LBUTTONDOWN, MK_LBUTTON, dialog.CentreOf(dialog.big));
  });
  dialog.Then([&] {
    EXPECT_TRUE(dialog.big.GetState() & BST_PUSHED);
    dialog.Repaint(dialog.big);
    EXPECT_TRUE(dialog.big.LastPaintPressed());
    dialog.PostMouse(dialog.big, WM_LBUTTONUP, 0, dialog.CentreOf(dialog.big));
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.clicks[IDC_BIG], 1);
    dialog.Repaint(dialog.big);
    EXPECT_FALSE(dialog.big.LastPaintPressed());
    EXPECT_EQ(GetFocus(), dialog.big.Handle());
    EXPECT_TRUE(dialog.big.LastPaintFocused());
    // A click the user did not make on it still moves the focus there.
    dialog.small.Send(BM_CLICK);
    EXPECT_EQ(dialog.clicks[IDC_SMALL], 1);
    EXPECT_EQ(GetFocus(), dialog.small.Handle());
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(ImageButtonDialogTest, TwoQuickClicksGiveTwoCommands) {
  ButtonDialog dialog;
  dialog.Then([&] {
    const POINT at = dialog.CentreOf(dialog.big);
    dialog.PostMouse(dialog.big, WM_LBUTTONDOWN, MK_LBUTTON, at);
    dialog.PostMouse(dialog.big, WM_LBUTTONUP, 0, at);
    dialog.PostMouse(dialog.big, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    dialog.PostMouse(dialog.big, WM_LBUTTONUP, 0, at);
  });
  dialog.Then([&] {
    EXPECT_EQ(dialog.clicks[IDC_BIG], 2);
    EXPECT_EQ(dialog.doubleClicks, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(ImageButtonDialogTest, CheckMessagesAreInert) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    for (ImageButton* button : {&dialog.big, &dialog.change}) {
      EXPECT_EQ(button->Send(BM_GETCHECK), 0);
      EXPECT_EQ(button->Send(BM_SETCHECK, BST_CHECKED), 0);
      EXPECT_EQ(button->Send(BM_GETCHECK), 0);
      EXPECT_EQ(button->GetCheck(), 0);
    }
  });
}

TEST(ImageButtonDialogTest, SetStyleTracksTheDefaultFlagAndKeepsTheButtonOwnerDrawn) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    EXPECT_EQ(dialog.change.Style() & BS_TYPEMASK, BS_PUSHBUTTON);  // drawn by the system so far

    dialog.small.Send(BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_TRUE(dialog.small.IsDefault());
    EXPECT_EQ(dialog.small.Style() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(dialog.small.Send(WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON);
    EXPECT_FALSE(dialog.small.Send(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);

    dialog.small.Send(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_FALSE(dialog.small.IsDefault());
    EXPECT_EQ(dialog.small.Style() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_TRUE(dialog.small.Send(WM_GETDLGCODE) & DLGC_UNDEFPUSHBUTTON);

    // The dialog manager makes Change the default: from then on owner-drawn.
    SendMessageW(dialog.Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dialog.change.Handle()), TRUE);
    EXPECT_EQ(GetFocus(), dialog.change.Handle());
    EXPECT_TRUE(dialog.change.IsDefault());
    EXPECT_EQ(dialog.change.Style() & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_FALSE(dialog.big.IsDefault());
    dialog.Repaint(dialog.change);
    EXPECT_TRUE(dialog.change.LastPaintFocused());
  });
}

TEST(ImageButtonDialogTest, DisablingMovesTheFocusToTheNextTabStop) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    HWND other = dialog.GetItem(IDC_OTHER);
    SetFocus(other);
    dialog.big.Enable(false);
    EXPECT_EQ(GetFocus(), dialog.small.Handle());
    dialog.Repaint(dialog.big);
    EXPECT_TRUE(dialog.big.LastPaintDisabled());

    dialog.small.Enable(false);  // next after it: Change
    EXPECT_EQ(GetFocus(), dialog.change.Handle());

    dialog.big.Enable(true);
    dialog.Repaint(dialog.big);
    EXPECT_FALSE(dialog.big.LastPaintDisabled());
    EXPECT_EQ(GetFocus(), dialog.change.Handle());
  });
}

TEST(ImageButtonDialogTest, TooltipComesWithThePointerAndHasOneToolWithTheText) {
  ButtonDialog dialog;
  dialog.Then([&] {
    EXPECT_EQ(dialog.big.GetTooltipText(), "Add video files to the list");
    dialog.PostMouse(dialog.big, WM_MOUSEMOVE, 0, dialog.CentreOf(dialog.big));
    dialog.PostMouse(dialog.change, WM_MOUSEMOVE, 0, dialog.CentreOf(dialog.change));
  });
  dialog.Then([&] {
    ToolTip tip;
    tip.Attach(dialog.big.GetTooltipHandle());
    ASSERT_NE(tip.Handle(), nullptr);
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_EQ(tip.GetText(dialog.big.Handle(), 1), "Add video files to the list");
    EXPECT_EQ(tip.GetMaxTipWidth(), 400);

    dialog.big.SetTooltip(nullptr);
    EXPECT_EQ(tip.GetText(dialog.big.Handle(), 1), "Add video files to the list");
    dialog.big.SetTooltip("Start converting", false);
    EXPECT_EQ(tip.GetToolCount(), 1);
    EXPECT_EQ(tip.GetText(dialog.big.Handle(), 1), "Start converting");

    // Change has no tooltip text, so the pointer makes no tooltip for it.
    EXPECT_EQ(dialog.change.GetTooltipHandle(), nullptr);

    // The pointer resting on a button shows its tip: the moves reach the
    // tooltip through pre-translation.
    dialog.small.SetTooltip("Remove the selected video file", true);
    EXPECT_FALSE(IsWindowVisible(dialog.small.GetTooltipHandle()));
    dialog.HoverOver(dialog.small);
  });
  dialog.ThenWait(1500);
  dialog.Then([&] {
    EXPECT_TRUE(IsWindowVisible(dialog.small.GetTooltipHandle()));
    SetCursorPos(1, 1);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

TEST(ImageButtonDialogTest, TransparentBackgroundIsCapturedOnceAndAgainAfterColourChange) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    EXPECT_TRUE(dialog.big.IsTransparent());
    dialog.Repaint(dialog.big);
    EXPECT_TRUE(dialog.big.HasBackgroundCache());

    SendMessageW(dialog.Handle(), WM_SYSCOLORCHANGE, 0, 0);  // passed on to the controls
    EXPECT_FALSE(dialog.big.HasBackgroundCache());
    dialog.Repaint(dialog.big);
    EXPECT_TRUE(dialog.big.HasBackgroundCache());

    dialog.big.EnableTransparency(false);
    EXPECT_FALSE(dialog.big.HasBackgroundCache());

    EXPECT_FALSE(dialog.small.IsTransparent());
    dialog.Repaint(dialog.small);
    EXPECT_FALSE(dialog.small.HasBackgroundCache());
  });
}

TEST(ImageButtonDialogTest, EraseAndControlColourPaintNothing) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    HDC dc = GetDC(dialog.big.Handle());
    EXPECT_EQ(dialog.big.Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc)), TRUE);
    EXPECT_EQ(SendMessageW(dialog.Handle(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(dialog.big.Handle())),
              reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)));
    ReleaseDC(dialog.big.Handle(), dc);
  });
}

TEST(ImageButtonDialogTest, IconRightOfCaptionUsesTheClientWidth) {
  testing::RunOneStep<ButtonDialog>([](ButtonDialog& dialog) {
    ASSERT_EQ(dialog.big.SetLayout(ImageButton::kIconRight), ImageButton::kOk);
    const RECT client = dialog.big.ClientRect();
    RECT caption = client;
    const RECT image = dialog.big.PlaceImage(true, client, caption, false, SIZE{32, 32});
    EXPECT_EQ(image.left, client.right - 32 - 3);
    EXPECT_EQ(image.top, (client.bottom - 32) / 2);
    EXPECT_EQ(caption.left, 3);
    EXPECT_EQ(caption.right, client.right - (3 + 32));
    dialog.Repaint(dialog.big);  // every layout paints
    dialog.big.SetLayout(ImageButton::kOverlapped);
    dialog.Repaint(dialog.big);
  });
}

TEST(ImageButtonDialogTest, SavesAPictureOfTheLooksForPeople) {
  ButtonDialog dialog;
  dialog.Then([&] {
    dialog.small.Enable(false);  // embossed
    dialog.change.Send(BM_SETSTYLE, BS_PUSHBUTTON, TRUE);  // owner-drawn from now on
  });
  HoverAndSettle(dialog, dialog.big);  // raised frame
  dialog.Then([&] {
    UpdateWindow(dialog.Handle());
    EXPECT_TRUE(testing::SaveWindowPicture(dialog.Handle(), testing::PictureFolder() / "image_button_looks.bmp"));
    SetCursorPos(1, 1);
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
}

}  // namespace
}  // namespace velto
