#pragma once
// MainDialog: the converter's main window. It shows the file list, the big
// command buttons, the small list buttons, the output folder and the quick
// settings, owns the hidden progress window, loads the settings when it is
// constructed and saves them when it is destroyed.
#include <windows.h>

#include <optional>
#include <string>

#include "controls/image_button.h"
#include "engine/encoding_profiles.h"
#include "framework/controls.h"
#include "framework/dialog.h"

namespace velto {

class MainDialog : public Dialog {
 public:
  // Settings from option.ini beside the program.
  MainDialog();
  // Settings from option.ini in `settingsDirectory` (ending with a separator)
  // instead; for tests.
  explicit MainDialog(std::string settingsDirectory);
  ~MainDialog() override;

  const std::string& OutputFolder() const { return m_outputFolder; }
  HICON Icon() const { return m_hIcon; }

  // Quick settings: the TV mode and aspect ratio lists shown as the current
  // output format wants them.
  void SyncTvModeCombo();
  void FillAspectCombo();

  // Command handlers.
  void AddFiles();
  void ConvertAll();
  void OpenSettings();
  void ShowHelpMenu();
  void BrowseOutputFolder();
  void RemoveSelected();
  void MoveSelectedUp();
  void MoveSelectedDown();
  void ShowListMenu();
  void ShowHelpContents();
  void ShowAbout();
  void OpenHomePage();
  void ShowTips();

  // The encoder's report (kind, value); 1 when the encoder is to stop.
  LRESULT OnProgressMessage(WPARAM kind, LPARAM value);

 protected:
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  const MessageMap& GetMessageMap() const override;

 private:
  void LoadOwnSettings();
  void SaveOwnSettings();
  void AddAboutItemToSystemMenu();
  void SetUpFileList();
  void SetUpImageButtons();
  void CreateProgressWindow();
  void ShowQuickSettings();

  void OnFormatChange();
  void OnTvModeChange();
  void OnAspectChange();

  LRESULT OnSysCommand(WPARAM command, LPARAM);
  LRESULT OnPaint(WPARAM, LPARAM);
  LRESULT OnQueryDragIcon(WPARAM, LPARAM);

  // Output size and bitrates of the current encoder run.
  EncodingParameters m_run{};
  std::string m_outputFolder;  // at most kOutputFolderLimit characters
  ComboBox m_aspectCombo;
  ComboBox m_tvModeCombo;
  ComboBox m_formatCombo;
  Edit m_outputFolderEdit;
  ImageButton m_changeButton;
  ImageButton m_upButton;
  ImageButton m_removeButton;
  ImageButton m_downButton;
  ImageButton m_addSmallButton;
  ImageButton m_helpButton;
  ImageButton m_addButton;
  ImageButton m_convertButton;
  ImageButton m_settingsButton;
  ListView m_fileList;
  HICON m_hIcon = nullptr;

  std::optional<std::string> m_settingsDirectory;  // empty: beside the program
};

}  // namespace velto
