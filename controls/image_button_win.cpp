#include "controls/image_button.h"

#include <commctrl.h>
#include <windowsx.h>

#include <utility>

#include "base/text_encoding.h"
#include "framework/application.h"

namespace velto {

namespace {

constexpr UINT_PTR kToolId = 1;
constexpr int kMaxTipWidth = 400;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  const OwnedBrush brush(CreateSolidBrush(color));
  FillRect(dc, &rect, brush.Get());
}

// One-pixel frame: topLeft on the top and left edges, bottomRight on the
// bottom and right edges.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
  const int w = Width(r);
  const int h = Height(r);
  FillSolid(dc, RECT{r.left, r.top, r.left + w - 1, r.top + 1}, topLeft);
  FillSolid(dc, RECT{r.left, r.top, r.left + 1, r.top + h - 1}, topLeft);
  FillSolid(dc, RECT{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
  FillSolid(dc, RECT{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
}

// The module holding an icon group resource of that id.
HINSTANCE IconModule(int id) {
  HINSTANCE candidates[] = {ResourceInstance(), GetModuleHandleW(nullptr)};
  for (HINSTANCE module : candidates) {
    if (module && FindResourceW(module, MAKEINTRESOURCEW(id), RT_GROUP_ICON)) return module;
  }
  return nullptr;
}

HICON LoadIconResource(int id, int width, int height) {
  if (id <= 0 || id > 0xFFFF) return nullptr;
  HINSTANCE module = IconModule(id);
  if (!module) return nullptr;
  return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_ICON, width, height, LR_DEFAULTCOLOR));
}

// An icon's description; the bitmaps GetIconInfo makes for it go with it.
struct IconBitmaps {
  ICONINFO info{};
  OwnedBitmap color;
  OwnedBitmap mask;

  bool Read(HICON icon) {
    if (!GetIconInfo(icon, &info)) return false;
    color.Reset(info.hbmColor);
    mask.Reset(info.hbmMask);
    return true;
  }
};

// A copy of the icon whose non-black colour pixels went through transform;
// null when any step fails.
template <class Transform>
HICON MakeTintedIcon(HICON source, Transform transform) {
  IconBitmaps bitmaps;
  if (!bitmaps.Read(source)) return nullptr;
  BITMAP layout{};
  if (!bitmaps.color || !GetObjectW(bitmaps.color.Get(), sizeof(layout), &layout)) return nullptr;
  const MemoryDC sourceDC(CreateCompatibleDC(nullptr));
  const MemoryDC targetDC(CreateCompatibleDC(nullptr));
  const OwnedBitmap target(
      CreateBitmap(layout.bmWidth, layout.bmHeight, layout.bmPlanes, layout.bmBitsPixel, nullptr));
  if (!sourceDC || !targetDC || !target) return nullptr;
  {
    // Bitmaps that make an icon must not be selected into a device context.
    const SelectedObject fromSource(sourceDC.Get(), bitmaps.color.Get());
    const SelectedObject intoTarget(targetDC.Get(), target.Get());
    for (int y = 0; y < layout.bmHeight; ++y) {
      for (int x = 0; x < layout.bmWidth; ++x) {
        const COLORREF color = GetPixel(sourceDC.Get(), x, y);
        SetPixel(targetDC.Get(), x, y, color == 0 ? 0 : transform(color));
      }
    }
  }
  ICONINFO made = bitmaps.info;
  made.hbmColor = target.Get();
  return CreateIconIndirect(&made);
}

}  // namespace

// ---------------------------------------------------------------- life

ImageButton::ImageButton() {
  SetPressedShift(0, false);
  ResetColors(false);
}

ImageButton::~ImageButton() {
  if (m_tooltip.IsWindow()) m_tooltip.DestroyWindow();
}

const MessageMap& ImageButton::GetMessageMap() const {
  static const MessageMap map = MessageMapBuilder<ImageButton>(Button::GetMessageMap())
                                    .OnMessage(WM_SETCURSOR, &ImageButton::OnSetCursor)
                                    .OnMessage(WM_KILLFOCUS, &ImageButton::OnKillFocus)
                                    .OnMessage(WM_MOUSEMOVE, &ImageButton::OnMouseMove)
                                    .OnMessage(WM_SYSCOLORCHANGE, &ImageButton::OnSysColorChange)
                                    .OnReflectedCommand(BN_CLICKED, &ImageButton::OnClicked)
                                    .OnMessage(WM_ACTIVATE, &ImageButton::OnActivate)
                                    .OnMessage(WM_ENABLE, &ImageButton::OnEnable)
                                    .OnMessage(WM_CANCELMODE, &ImageButton::OnCancelMode)
                                    .OnMessage(WM_GETDLGCODE, &ImageButton::OnGetDlgCode)
                                    .OnReflectedCtlColor(&ImageButton::OnCtlColor)
                                    .OnMessage(WM_ERASEBKGND, &ImageButton::OnEraseBackground)
                                    .OnMessage(BM_SETSTYLE, &ImageButton::OnSetStyle)
                                    .OnMessage(WM_MOUSELEAVE, &ImageButton::OnMouseLeave)
                                    .OnMessage(BM_SETCHECK, &ImageButton::OnSetCheck)
                                    .OnMessage(BM_GETCHECK, &ImageButton::OnGetCheck)
                                    .Build();
  return map;
}

// ---------------------------------------------------------------- icons

int ImageButton::SetIcons(int iconId, int width, int height, int atRest, int atRestWidth, int atRestHeight) {
  HICON icon = LoadIconResource(iconId, width, height);
  const bool copy = atRest == kGrayAtRest || atRest == kDarkerAtRest;
  HICON atRestIcon = (!copy && atRest > 0) ? LoadIconResource(atRest, atRestWidth, atRestHeight) : nullptr;
  return SetIconsWithChoice(icon, copy ? atRest : kNoAtRestIcon, atRestIcon);
}

int ImageButton::SetIcons(int iconId, int atRest) { return SetIcons(iconId, 0, 0, atRest, 0, 0); }

int ImageButton::SetIcons(HICON icon, HICON atRest) { return SetIconsWithChoice(icon, kNoAtRestIcon, atRest); }

// The button owns both handles from here on; an at-rest icon that is the
// normal one itself is given back once. Without a normal icon there is
// nothing to show at rest either; when an icon cannot be examined the button
// keeps none.
int ImageButton::SetIconsWithChoice(HICON icon, int atRestChoice, HICON atRest) {
  FreeIcons();
  IconRecord normal = IconRecord::Owning(icon);
  IconRecord rest = atRest != icon ? IconRecord::Owning(atRest) : IconRecord{OwnedIcon(), atRest};
  int result = kOk;
  if (icon) {
    if (!ReadIconSize(icon, normal)) {
      result = kInvalidResource;
    } else {
      if (atRestChoice == kGrayAtRest) rest = IconRecord::Owning(MakeTintedIcon(icon, GrayColor));
      if (atRestChoice == kDarkerAtRest) {
        rest = IconRecord::Owning(MakeTintedIcon(icon, [](COLORREF c) { return DarkerColor(c, 0.25); }));
      }
      if (rest.icon) {
        if (!ReadIconSize(rest.icon, rest)) result = kInvalidResource;
      } else if (atRestChoice != kNoAtRestIcon) {
        result = kInvalidResource;  // the copy could not be made
      }
    }
    if (result == kOk) {
      m_icons[0] = std::move(normal);
      m_icons[1] = std::move(rest);
    }
  }
  if (IsWindow()) Invalidate();
  return result;
}

// The size is twice the hot spot, which for icons is their centre.
bool ImageButton::ReadIconSize(HICON icon, IconRecord& record) const {
  IconBitmaps bitmaps;
  if (!bitmaps.Read(icon)) return false;
  record.width = static_cast<LONG>(bitmaps.info.xHotspot * 2);
  record.height = static_cast<LONG>(bitmaps.info.yHotspot * 2);
  return true;
}

void ImageButton::FreeIcons() {
  m_icons[1] = IconRecord{};
  m_icons[0] = IconRecord{};
}

COLORREF ImageButton::GrayColor(COLORREF color) {
  const int level = static_cast<int>(0.299 * GetRValue(color) + 0.587 * GetGValue(color) + 0.114 * GetBValue(color));
  return RGB(level, level, level);
}

COLORREF ImageButton::DarkerColor(COLORREF color, double factor) {
  if (!(factor > 0.0 && factor <= 1.0)) return color;
  auto darken = [factor](int channel) { return static_cast<BYTE>(static_cast<int>(channel - factor * channel)); };
  return RGB(darken(GetRValue(color)), darken(GetGValue(color)), darken(GetBValue(color)));
}

// ---------------------------------------------------------------- settings

void ImageButton::Repaint(bool repaint) {
  if (repaint && IsWindow()) Invalidate();
}

void ImageButton::EnsureTooltip() {
  if (!m_hasTooltip || m_tooltip.IsWindow() || !IsWindow()) return;
  if (!m_tooltip.Create(Handle(), 0)) return;
  m_tooltip.SetMaxTipWidth(kMaxTipWidth);
  m_tooltip.AddTool(Handle(), kToolId, ClientRect(), m_tooltipText.c_str());
  m_tooltip.Activate(m_tooltipActive);
}

void ImageButton::SetTooltip(const char* text, bool activate) {
  if (!text) return;
  m_hasTooltip = true;
  m_tooltipText = text;
  m_tooltipActive = activate;
  if (!m_tooltip.IsWindow()) return;
  m_tooltip.UpdateTipText(Handle(), kToolId, text);
  m_tooltip.Activate(activate);
}

void ImageButton::EnableTransparency(bool repaint) {
  m_transparent = true;
  FreeBackground();
  Repaint(repaint);
}

int ImageButton::SetLayout(int layout, bool repaint) {
  if (layout < kIconLeft || layout > kOverlapped) return kInvalidLayout;
  m_layout = static_cast<std::uint8_t>(layout);
  Repaint(repaint);
  return kOk;
}

int ImageButton::SetPressedShift(int style, bool repaint) {
  switch (style) {
    case 0:
      m_pressedShift = POINT{1, 1};
      break;
    case 1:
      m_pressedShift = POINT{0, 2};
      break;
    default:
      return kInvalidPressedStyle;
  }
  Repaint(repaint);
  return kOk;
}

void ImageButton::ResetColors(bool repaint) {
  for (int slot = 0; slot < kColorCount; slot += 2) {
    m_colors[slot] = GetSysColor(COLOR_BTNFACE);
    m_colors[slot + 1] = GetSysColor(COLOR_BTNTEXT);
  }
  Repaint(repaint);
}

// ---------------------------------------------------------------- messages

bool ImageButton::PreTranslateMessage(MSG& msg) {
  if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST) EnsureTooltip();
  if (m_tooltip.IsWindow()) m_tooltip.RelayEvent(msg);
  // Quick successive clicks each count as a click.
  if (msg.message == WM_LBUTTONDBLCLK) msg.message = WM_LBUTTONDOWN;
  return Button::PreTranslateMessage(msg);
}

LRESULT ImageButton::OnSetCursor(WPARAM, LPARAM) { return Default(); }

LRESULT ImageButton::OnKillFocus(WPARAM, LPARAM) {
  Default();
  CancelHover();
  return 0;
}

LRESULT ImageButton::OnMouseMove(WPARAM flags, LPARAM point) {
  Default();
  POINT screen{GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  ClientToScreen(Handle(), &screen);
  HWND under = WindowFromPoint(screen);

  // No hover look starts while something is dragged in.
  if ((flags & MK_LBUTTON) && !m_hover) return 0;

  PostMessageW(GetParent(), DM_SETDEFID, kNoDefaultId, 0);

  if (under != Handle()) {
    CancelHover();
    return 0;
  }
  if (m_hover) return 0;
  m_hover = true;
  Invalidate();
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle(), 0};
  _TrackMouseEvent(&track);
  return 0;
}

LRESULT ImageButton::OnSysColorChange(WPARAM, LPARAM) {
  Default();
  FreeBackground();
  ResetColors(true);
  return 0;
}

bool ImageButton::OnClicked() {
  SetFocus();
  return false;  // the parent gets its BN_CLICKED as well
}

LRESULT ImageButton::OnActivate(WPARAM state, LPARAM) {
  Default();
  if (LOWORD(state) == WA_INACTIVE) CancelHover();
  return 0;
}

LRESULT ImageButton::OnEnable(WPARAM enabled, LPARAM) {
  Default();
  if (!enabled) {
    HWND parent = GetParent();
    HWND next = GetNextDlgTabItem(parent, Handle(), FALSE);
    ::SetFocus(next && next != Handle() ? next : parent);
    CancelHover();
  }
  return 0;
}

LRESULT ImageButton::OnCancelMode(WPARAM, LPARAM) {
  Default();
  CancelHover();
  return 0;
}

LRESULT ImageButton::OnGetDlgCode(WPARAM, LPARAM) {
  return Default() | (m_isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
}

HBRUSH ImageButton::OnCtlColor(HDC, UINT) { return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }

LRESULT ImageButton::OnEraseBackground(WPARAM, LPARAM) { return TRUE; }

LRESULT ImageButton::OnSetStyle(WPARAM style, LPARAM redraw) {
  const WPARAM kind = style & 0x1F;
  if (kind == BS_DEFPUSHBUTTON) m_isDefault = true;
  if (kind == BS_PUSHBUTTON) m_isDefault = false;
  // Whatever was asked for, the button stays owner-drawn.
  return CallOriginal(BM_SETSTYLE, (style & ~static_cast<WPARAM>(0x14)) | BS_OWNERDRAW, redraw);
}

LRESULT ImageButton::OnMouseLeave(WPARAM, LPARAM) {
  CancelHover();
  return 0;
}

LRESULT ImageButton::OnSetCheck(WPARAM, LPARAM) { return 0; }

LRESULT ImageButton::OnGetCheck(WPARAM, LPARAM) { return m_checked; }

void ImageButton::CancelHover() {
  if (!m_hover) return;
  m_hover = false;
  Invalidate();
}

// ---------------------------------------------------------------- painting

void ImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  const RECT& area = item.rcItem;
  m_pressed = (item.itemState & ODS_SELECTED) != 0;
  m_focused = (item.itemState & ODS_FOCUS) != 0;
  m_disabled = (item.itemState & ODS_DISABLED) != 0;
  // Mnemonic underlines and the focus rectangle show once the keyboard is used.
  m_hidePrefix = (item.itemState & ODS_NOACCEL) != 0;

  SetBkMode(dc, TRANSPARENT);

  if (m_transparent) {
    PaintParentBackground(dc);
  } else {
    const int slot = (m_hover || m_pressed) ? kHoverBack : m_focused ? kFocusBack : kRestBack;
    FillSolid(dc, area, m_colors[slot]);
  }

  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
  if (m_pressed) {
    Draw3dRect(dc, area, shadow, highlight);
  } else if (m_hover) {
    Draw3dRect(dc, area, highlight, shadow);
  }

  std::wstring caption = Utf8ToWide(GetText());
  RECT captionRect = area;
  if (m_icons[0].icon) DrawIcon(dc, !caption.empty(), area, captionRect);
  if (!caption.empty()) DrawCaption(dc, caption, captionRect);
  if (m_focused && !(item.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = area;
    InflateRect(&focus, -(GetSystemMetrics(SM_CXEDGE) + 1), -(GetSystemMetrics(SM_CYEDGE) + 1));
    ::DrawFocusRect(dc, &focus);
  }
}

void ImageButton::DrawIcon(HDC dc, bool hasCaption, const RECT& item, RECT& caption) {
  const int index = (m_icons[1].icon && !m_pressed && !m_hover) ? 1 : 0;
  const IconRecord& record = m_icons[index];
  const RECT place = PlaceImage(hasCaption, item, caption, m_pressed, SIZE{record.width, record.height});
  DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(record.icon), 0, place.left, place.top, Width(place),
             Height(place), DST_ICON | (m_disabled ? DSS_DISABLED : DSS_NORMAL));
}

RECT ImageButton::PlaceImage(bool hasCaption, const RECT& item, RECT& caption, bool pressed, SIZE icon) const {
  RECT image = item;
  const int width = Width(item);
  const int height = Height(item);
  const auto centreHorizontally = [&] { image.left += (width - icon.cx) / 2; };
  const auto centreVertically = [&] { image.top += (height - icon.cy) / 2; };

  switch (m_layout) {
    case kIconLeft:
      if (!hasCaption) {
        centreHorizontally();
      } else {
        image.left = item.left + m_imageMargin.x;
        caption.left += icon.cx + m_imageMargin.x;
      }
      centreVertically();
      break;
    case kIconAbove:
      centreHorizontally();
      if (hasCaption) {
        image.top = m_imageMargin.y;
        caption.top += icon.cy;
      } else {
        centreVertically();
      }
      break;
    case kIconRight:
      if (!hasCaption) {
        centreHorizontally();
      } else {
        const LONG previousLeft = caption.left;
        caption.left = m_imageMargin.x;
        caption.right -= previousLeft + m_imageMargin.x + icon.cx;
        image.left = Width(ClientRect()) - icon.cx - m_imageMargin.x;
      }
      centreVertically();
      break;
    default:  // overlapped: the whole item, icon at its top-left corner
      break;
  }
  if (m_layout != kOverlapped) {
    image.right = image.left + icon.cx;
    image.bottom = image.top + icon.cy;
  }
  if (pressed) OffsetRect(&image, m_pressedShift.x, m_pressedShift.y);
  return image;
}

void ImageButton::DrawCaption(HDC dc, const std::wstring& text, RECT caption) {
  if (m_pressed) OffsetRect(&caption, m_pressedShift.x, m_pressedShift.y);

  const UINT prefix = m_hidePrefix ? DT_HIDEPREFIX : 0;
  RECT centred = caption;
  DrawTextW(dc, text.c_str(), -1, &centred, DT_WORDBREAK | DT_CENTER | prefix | DT_CALCRECT);
  OffsetRect(&centred, (centred.left + caption.right - centred.right - caption.left) / 2,
             (centred.top + caption.bottom - centred.bottom - caption.top) / 2);

  SetBkMode(dc, TRANSPARENT);
  if (m_disabled) {
    OffsetRect(&centred, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
    DrawTextW(dc, text.c_str(), -1, &centred, DT_WORDBREAK | DT_CENTER | prefix);
    OffsetRect(&centred, -1, -1);
    SetTextColor(dc, GetSysColor(COLOR_3DSHADOW));
    DrawTextW(dc, text.c_str(), -1, &centred, DT_WORDBREAK | DT_CENTER | prefix);
    return;
  }
  const int slot = (m_hover || m_pressed) ? kHoverBack : m_focused ? kFocusBack : kRestBack;
  SetTextColor(dc, m_colors[slot + 1]);
  SetBkColor(dc, m_colors[slot]);
  DrawTextW(dc, text.c_str(), -1, &centred, DT_WORDBREAK | DT_CENTER | prefix);
}

void ImageButton::PaintParentBackground(HDC dc) {
  const RECT client = ClientRect();
  if (!m_backgroundDC) {
    HWND parent = GetParent();
    RECT inParent = WindowRect();
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&inParent), 2);
    const WindowDC parentDC(parent);
    m_backgroundDC.Reset(CreateCompatibleDC(parentDC.Get()));
    m_backgroundBitmap.Reset(CreateCompatibleBitmap(parentDC.Get(), Width(client), Height(client)));
    m_backgroundSelection.emplace(m_backgroundDC.Get(), m_backgroundBitmap.Get());
    BitBlt(m_backgroundDC.Get(), 0, 0, Width(client), Height(client), parentDC.Get(), inParent.left, inParent.top,
           SRCCOPY);
  }
  BitBlt(dc, 0, 0, Width(client), Height(client), m_backgroundDC.Get(), 0, 0, SRCCOPY);
}

void ImageButton::FreeBackground() {
  m_backgroundSelection.reset();
  m_backgroundBitmap.Reset();
  m_backgroundDC.Reset();
}

}  // namespace velto
