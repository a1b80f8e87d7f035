#pragma once
// ImageButton: a flat owner-drawn push button with an icon and its caption.
// At rest it has no border; under the pointer a thin raised frame; pressed a
// thin sunken frame with icon and caption shifted. It can take its background
// from the parent window, carries its own tooltip (made when the pointer
// first comes over the button) and draws a disabled look
// (embossed icon and caption). Attach it to a dialog button by data exchange.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "base/owned_handles.h"
#include "framework/controls.h"

namespace velto {

class ImageButton : public Button {
 public:
  // Results of the setters.
  static constexpr int kOk = 0;
  static constexpr int kInvalidResource = 1;
  static constexpr int kInvalidLayout = 4;
  static constexpr int kInvalidPressedStyle = 6;

  // At-rest choices of SetIcons besides a resource id.
  static constexpr int kNoAtRestIcon = 0;
  static constexpr int kGrayAtRest = -2;
  static constexpr int kDarkerAtRest = -3;

  // The default id a hovered button proposes to its dialog: one that names
  // no control and no command, so Enter presses no button the pointer
  // passed over and the hovered one does not become the default.
  static constexpr WPARAM kNoDefaultId = 0xFFFE;

  enum Layout : std::uint8_t { kIconLeft = 0, kIconAbove = 1, kIconRight = 2, kOverlapped = 3 };

  // Colour slots: pointer over or pressed, at rest, focused; background then text.
  enum ColorSlot { kHoverBack = 0, kHoverText, kRestBack, kRestText, kFocusBack, kFocusText, kColorCount };

  ImageButton();
  ~ImageButton() override;

  // Icon resource id and size (0 x 0: the resource's own size), then the
  // at-rest choice (0 none, -2 grey copy, -3 darker copy, or a resource id)
  // and its size. 0 on success, 1 when an icon cannot be examined (the button
  // then has no icons).
  int SetIcons(int iconId, int width, int height, int atRest, int atRestWidth, int atRestHeight);
  int SetIcons(int iconId, int atRest = kNoAtRestIcon);
  // The handles pass into the button's ownership; atRest may be null.
  int SetIcons(HICON icon, HICON atRest);

  // Null text does nothing. The tooltip window is made only when the pointer
  // first moves over the button: a window full of buttons opens without
  // a top-level tooltip window for each of them.
  void SetTooltip(const char* text, bool activate = true);
  void EnableTransparency(bool repaint = true);
  int SetLayout(int layout, bool repaint = true);
  // Style 0: shift (1, 1); style 1: (0, 2).
  int SetPressedShift(int style, bool repaint = true);
  void ResetColors(bool repaint = true);

  // Where the icon goes inside item; may move caption's edges.
  RECT PlaceImage(bool hasCaption, const RECT& item, RECT& caption, bool pressed, SIZE icon) const;

  // Inspection, for owners and tests.
  bool IsHover() const { return m_hover; }
  bool IsTransparent() const { return m_transparent; }
  bool IsDefault() const { return m_isDefault; }
  bool LastPaintPressed() const { return m_pressed; }
  bool LastPaintFocused() const { return m_focused; }
  bool LastPaintDisabled() const { return m_disabled; }
  int GetLayout() const { return m_layout; }
  POINT GetPressedShift() const { return m_pressedShift; }
  POINT GetImageMargin() const { return m_imageMargin; }
  COLORREF GetColor(ColorSlot slot) const { return m_colors[slot]; }
  HICON GetIcon(int index) const { return m_icons[index].icon; }
  SIZE GetIconSize(int index) const { return SIZE{m_icons[index].width, m_icons[index].height}; }
  // Null until the pointer has come over a button with a tooltip text.
  HWND GetTooltipHandle() const { return m_tooltip.Handle(); }
  const std::string& GetTooltipText() const { return m_tooltipText; }
  bool IsTooltipActive() const { return m_tooltipActive; }
  bool HasBackgroundCache() const { return static_cast<bool>(m_backgroundDC); }

  // The colour transforms of the at-rest copies (COLORREF in, COLORREF out).
  static COLORREF GrayColor(COLORREF color);
  // Each channel c becomes c - factor * c, truncated; factors outside (0, 1]
  // leave the colour unchanged.
  static COLORREF DarkerColor(COLORREF color, double factor);

  bool PreTranslateMessage(MSG& msg) override;

 protected:
  const MessageMap& GetMessageMap() const override;
  bool SubclassOnAttach() const override { return true; }
  void DrawItem(const DRAWITEMSTRUCT& item) override;

 private:
  struct IconRecord {
    OwnedIcon owned;  // empty for an at-rest icon that is the normal one
    HICON icon = nullptr;
    LONG width = 0;
    LONG height = 0;

    static IconRecord Owning(HICON icon) { return IconRecord{OwnedIcon(icon), icon}; }
  };

  LRESULT OnSetCursor(WPARAM, LPARAM);
  LRESULT OnKillFocus(WPARAM, LPARAM);
  LRESULT OnMouseMove(WPARAM flags, LPARAM point);
  LRESULT OnSysColorChange(WPARAM, LPARAM);
  bool OnClicked();
  LRESULT OnActivate(WPARAM state, LPARAM);
  LRESULT OnEnable(WPARAM enabled, LPARAM);
  LRESULT OnCancelMode(WPARAM, LPARAM);
  LRESULT OnGetDlgCode(WPARAM, LPARAM);
  HBRUSH OnCtlColor(HDC, UINT);
  LRESULT OnEraseBackground(WPARAM, LPARAM);
  LRESULT OnSetStyle(WPARAM style, LPARAM redraw);
  LRESULT OnMouseLeave(WPARAM, LPARAM);
  LRESULT OnSetCheck(WPARAM, LPARAM);
  LRESULT OnGetCheck(WPARAM, LPARAM);

  void CancelHover();
  void EnsureTooltip();
  void Repaint(bool repaint);
  int SetIconsWithChoice(HICON icon, int atRestChoice, HICON atRest);
  bool ReadIconSize(HICON icon, IconRecord& record) const;
  void FreeIcons();
  void FreeBackground();
  void PaintParentBackground(HDC dc);
  void DrawIcon(HDC dc, bool hasCaption, const RECT& item, RECT& caption);
  void DrawCaption(HDC dc, const std::wstring& text, RECT caption);

  POINT m_imageMargin{3, 3};
  POINT m_pressedShift{1, 1};
  bool m_hover = false;
  bool m_transparent = false;
  bool m_pressed = false;
  bool m_focused = false;
  bool m_disabled = false;
  bool m_hidePrefix = false;
  bool m_isDefault = false;
  bool m_hasTooltip = false;  // a text was set
  bool m_tooltipActive = false;
  std::uint8_t m_layout = kIconLeft;
  COLORREF m_colors[kColorCount]{};
  ToolTip m_tooltip;
  std::string m_tooltipText;
  // The parent's picture behind the button (transparent look); given back
  // in the reverse order.
  MemoryDC m_backgroundDC;
  OwnedBitmap m_backgroundBitmap;
  std::optional<SelectedObject> m_backgroundSelection;
  int m_checked = 0;
  IconRecord m_icons[2];
};

}  // namespace velto
