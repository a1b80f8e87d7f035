// The icons, the Tip of the Day picture and the manifest, compiled into this
// test executable, as the Windows loader hands them out.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <string>
#include <vector>

#include "res/resource_ids.h"

namespace {

struct IconSize {
  int width = 0;
  int height = 0;
  int colourBits = 0;
  bool hasAlpha = false;
};

// Size of an icon and whether its colour image carries an alpha channel.
IconSize Measure(HICON icon) {
  IconSize result;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return result;
  BITMAP bm{};
  if (info.hbmColor && GetObjectW(info.hbmColor, sizeof bm, &bm)) {
    result.width = bm.bmWidth;
    result.height = bm.bmHeight;
    result.colourBits = bm.bmBitsPixel;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> pixels(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC dc = GetDC(nullptr);
    if (GetDIBits(dc, info.hbmColor, 0, bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS)) {
      for (DWORD p : pixels) {
        const DWORD alpha = p >> 24;
        if (alpha != 0 && alpha != 255) result.hasAlpha = true;
      }
    }
    ReleaseDC(nullptr, dc);
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return result;
}

const int kIcons[] = {IDI_APP,       IDI_ADD_SMALL, IDI_REMOVE,  IDI_MOVE_UP, IDI_MOVE_DOWN,
                      IDI_HELP_BUTTON, IDI_ADD,     IDI_CONVERT, IDI_SETTINGS};

TEST(Resources, EveryIconLoadsAt16_32And48PixelsWithAlpha) {
  for (int id : kIcons) {
    for (int size : {16, 32, 48}) {
      SCOPED_TRACE(testing::Message() << "icon " << id << " at " << size);
      HICON icon = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
      ASSERT_NE(icon, nullptr);
      const IconSize got = Measure(icon);
      EXPECT_EQ(got.width, size);
      EXPECT_EQ(got.height, size);
      EXPECT_TRUE(got.hasAlpha);
      DestroyIcon(icon);
    }
  }
}

TEST(Resources, TipPictureIs40x53) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TIP_BULB), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof bm, &bm));
  EXPECT_EQ(bm.bmWidth, 40);
  EXPECT_EQ(bm.bmHeight, 53);
  DeleteObject(bitmap);
}

TEST(Resources, ManifestSelectsCommonControls6) {
  // The process's activation context redirects comctl32 to the side-by-side
  // version 6 assembly only when the manifest asks for it.
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  ASSERT_TRUE(FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                       L"comctl32.dll", &data));

  INITCOMMONCONTROLSEX init{sizeof init, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&init));
  wchar_t path[MAX_PATH] = {};
  ASSERT_GT(GetModuleFileNameW(GetModuleHandleW(L"comctl32.dll"), path, MAX_PATH), 0u);
  std::wstring loaded(path);
  for (wchar_t& c : loaded) c = static_cast<wchar_t>(towlower(c));
  EXPECT_NE(loaded.find(L"common-controls_6595b64144ccf1df_6."), std::wstring::npos)
      << "comctl32 loaded from " << testing::PrintToString(std::wstring(path));
}

}  // namespace
