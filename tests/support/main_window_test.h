#pragma once
// The main window in-process on a scratch folder: option.ini there names the
// output folder "out", the sources go into a folder of their own, and the
// list view is at hand.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/batch_journal_store.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/controls.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "tests/support/pump.h"
#include "tests/support/scratch_dir.h"
#include "ui/main_dialog.h"

namespace velto::testing {

class MainWindowTest : public ::testing::Test {
 protected:
  // `name` goes into the scratch folder's name, `sourceFolder` is the
  // sources' folder inside it.
  MainWindowTest(std::string_view name, std::string_view sourceFolder)
      : scratch(name),
        sources(scratch.Directory() + std::string(sourceFolder) + "\\"),
        output(scratch.Directory() + "out\\") {}

  void SetUp() override {
    g_mediaList = MediaList{};
    g_engineState = EngineState{};
    g_settings = ConversionSettings{};
    std::filesystem::create_directories(PathFromUtf8(sources));
    WriteBytes(scratch.File("option.ini"), "[Destinate]\r\nTemporary folder=" + output + "\r\n");
    dialog = std::make_unique<MainDialog>(scratch.Directory());
    ASSERT_TRUE(dialog->Create(nullptr));
    hwnd = dialog->Handle();
    ShowWindow(hwnd, SW_SHOW);
    list.Attach(GetDlgItem(hwnd, IDC_MAIN_FILE_LIST));
    Pump();
  }
  void TearDown() override {
    list.Detach();
    dialog.reset();
    // A batch a test interrupted is offered to no program started later.
    RemoveBatchJournal();
  }

  // A source file among the sources with `content`.
  std::string Source(const std::string& name, const std::string& content) {
    WriteBytes(sources + name, content);
    return sources + name;
  }
  void Command(int id) { SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }
  HWND ProgressWindow() const { return g_engineState.progressDialog->Handle(); }
  // A click on the progress window's Cancel button, handled at once.
  void ClickCancel() {
    SendMessageW(ProgressWindow(), WM_COMMAND, MAKEWPARAM(IDC_PROGRESS_CANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(ProgressWindow(), IDC_PROGRESS_CANCEL)));
  }

  ScratchDir scratch;
  std::string sources, output;
  std::unique_ptr<MainDialog> dialog;
  HWND hwnd = nullptr;
  ListView list;
};

}  // namespace velto::testing
