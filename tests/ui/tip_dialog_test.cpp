// The Tip of the Day window with a tips file beside the test program and the
// profile in a scratch file.
#include "ui/tip_dialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "framework/application.h"
#include "res/resource_ids.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/when_ready.h"

namespace velto {
namespace {

class TipWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    tipsPath = ModuleDirectory() + "tips.txt";
    app.SetProfileName(Utf8ToWide(scratch.File("tip_test_profile.ini")));
    original = ReadWholeFile(tipsPath);  // the program's own tips.txt, put back afterwards
    WriteTips("; tips for the test\n\n  indented\nFirst\nSecond\nThird\n");
  }
  void TearDown() override {
    if (original) {
      ReplaceFileAtomically(tipsPath, *original);
    } else {
      DeleteFileW(Utf8ToWide(tipsPath).c_str());
    }
  }
  void WriteTips(const std::string& text) { ASSERT_TRUE(ReplaceFileAtomically(tipsPath, text)); }

  // Runs the dialog modally; `step` runs inside it, then `closeWith` ends it.
  void RunModal(TipDialog& dialog, UINT closeWith, const std::function<void(HWND)>& step) {
    testing::RunModal(dialog, [&](HWND box) {
      step(box);
      SendMessageW(box, WM_COMMAND, closeWith, 0);
    });
  }

  Application app;
  testing::ScratchDir scratch{"tip"};
  std::string tipsPath;
  std::optional<std::string> original;
};

TEST_F(TipWindow, ShowsTheFirstRealTipAndIsOfferedAtStartUp) {
  TipDialog dialog;
  EXPECT_TRUE(dialog.m_bShowAtStartup);
  EXPECT_EQ(dialog.m_strTipText, "First");
  bool checked = false;
  RunModal(dialog, IDCANCEL, [&](HWND box) { checked = IsDlgButtonChecked(box, IDC_TIP_STARTUP) == BST_CHECKED; });
  EXPECT_TRUE(checked);
}

TEST_F(TipWindow, ClosingWithTheBoxClearedWritesStartUpOne) {
  {
    TipDialog dialog;
    RunModal(dialog, IDOK, [](HWND box) { CheckDlgButton(box, IDC_TIP_STARTUP, BST_UNCHECKED); });
  }
  EXPECT_EQ(app.GetProfileInt("Tip", "StartUp", -1), 1);
  TipDialog again;
  EXPECT_FALSE(again.m_bShowAtStartup);
}

TEST_F(TipWindow, EscapeDoesNotWriteStartUp) {
  {
    TipDialog dialog;
    RunModal(dialog, IDCANCEL, [](HWND box) { CheckDlgButton(box, IDC_TIP_STARTUP, BST_UNCHECKED); });
  }
  EXPECT_EQ(app.GetProfileInt("Tip", "StartUp", -1), -1);
}

TEST_F(TipWindow, NextTipWrapsAndOpeningsShowConsecutiveTips) {
  std::string shown;
  {
    TipDialog dialog;
    RunModal(dialog, IDCANCEL, [&](HWND box) {
      SendMessageW(box, WM_COMMAND, IDC_TIP_NEXT, 0);
      SendMessageW(box, WM_COMMAND, IDC_TIP_NEXT, 0);
      shown = dialog.m_strTipText + "|";  // painted, not put into the hidden static
      SendMessageW(box, WM_COMMAND, IDC_TIP_NEXT, 0);
      shown += dialog.m_strTipText;
    });
  }
  EXPECT_EQ(shown, "Third|First");
  TipDialog second;
  EXPECT_EQ(second.m_strTipText, "Second");
}

TEST_F(TipWindow, AMissingTipsFileDisablesNextTip) {
  DeleteFileW(Utf8ToWide(tipsPath).c_str());
  TipDialog dialog;
  EXPECT_EQ(dialog.m_strTipText, "Tips file does not exist in the prescribed directory");
  bool nextEnabled = true;
  RunModal(dialog, IDCANCEL, [&](HWND box) { nextEnabled = IsWindowEnabled(GetDlgItem(box, IDC_TIP_NEXT)); });
  EXPECT_FALSE(nextEnabled);
}

TEST_F(TipWindow, ANewTipsFileStartsAtTheFirstTip) {
  { TipDialog dialog; }
  { TipDialog dialog; }
  app.WriteProfileString("Tip", "TimeStamp", "some other file");
  TipDialog dialog;
  EXPECT_EQ(dialog.m_strTipText, "First");
}

// Each text a drawing wrote, with the weight of the font it was written in
// (-1 for a stock font, whose weight a metafile does not tell).
std::map<std::wstring, LONG> WeightsOfTextsWritten(HENHMETAFILE drawing) {
  struct Reading {
    std::map<DWORD, LONG> fontWeights;  // by the metafile's object index
    LONG weight = -1;                   // a device context starts with the stock system font
    std::map<std::wstring, LONG> texts;
  } reading;
  const auto read = [](HDC, HANDLETABLE*, const ENHMETARECORD* item, int, LPARAM data) -> int {
    auto& r = *reinterpret_cast<Reading*>(data);
    if (item->iType == EMR_EXTCREATEFONTINDIRECTW) {
      const auto* font = reinterpret_cast<const EMREXTCREATEFONTINDIRECTW*>(item);
      r.fontWeights[font->ihFont] = font->elfw.elfLogFont.lfWeight;
    } else if (item->iType == EMR_SELECTOBJECT) {
      const DWORD object = reinterpret_cast<const EMRSELECTOBJECT*>(item)->ihObject;
      if (const auto font = r.fontWeights.find(object); font != r.fontWeights.end()) {
        r.weight = font->second;
      } else if (const DWORD stock = object & ~0x80000000u;
                 object != stock && stock >= OEM_FIXED_FONT && stock <= DEFAULT_GUI_FONT && stock != DEFAULT_PALETTE) {
        r.weight = -1;
      }
    } else if (item->iType == EMR_EXTTEXTOUTW) {
      const auto* out = reinterpret_cast<const EMREXTTEXTOUTW*>(item);
      const auto* chars = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(out) + out->emrtext.offString);
      r.texts[std::wstring(chars, out->emrtext.nChars)] = r.weight;
    }
    return 1;
  };
  EnumEnhMetaFile(nullptr, drawing, read, &reading, nullptr);
  return reading.texts;
}

// The heading "Did you know..." in bold, the tip itself in the regular
// weight of the dialog's font.
TEST_F(TipWindow, TheHeadingIsBoldAndTheTipRegular) {
  TipDialog dialog;
  ASSERT_TRUE(dialog.Create(nullptr));
  const HDC screen = GetDC(dialog.Handle());
  const HDC recording = CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
  ReleaseDC(dialog.Handle(), screen);
  SendMessageW(dialog.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(recording), PRF_CLIENT);
  const HENHMETAFILE drawing = CloseEnhMetaFile(recording);
  std::map<std::wstring, LONG> weights = WeightsOfTextsWritten(drawing);
  DeleteEnhMetaFile(drawing);

  ASSERT_TRUE(weights.count(L"Did you know...")) << weights.size() << " texts written";
  ASSERT_TRUE(weights.count(L"First")) << weights.size() << " texts written";
  EXPECT_GE(weights[L"Did you know..."], FW_BOLD);
  // A dialog's font asks for no weight in particular, which is the regular one.
  EXPECT_TRUE(weights[L"First"] == FW_DONTCARE || weights[L"First"] == FW_NORMAL) << weights[L"First"];
}

}  // namespace
}  // namespace velto
