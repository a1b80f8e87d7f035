#pragma once
// MainDialog: the converter's main window. It shows the file list, the big
// command buttons, the small list buttons, the output folder and the quick
// settings, owns the hidden progress window, loads the settings when it is
// constructed and saves them once: at the session's end, or else when it is
// destroyed.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/owned_handles.h"
#include "controls/image_button.h"
#include "engine/batch_journal.h"
#include "engine/batch_runner.h"
#include "engine/encoder_process.h"
#include "engine/encoding_profiles.h"
#include "framework/controls.h"
#include "framework/dialog.h"
#include "framework/message_window.h"
#include "ui/batch_indicator.h"
#include "ui/file_list_text.h"

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
  HICON Icon() const { return m_hIcon.Get(); }

  // Quick settings: the TV mode and aspect ratio lists shown as the current
  // output format wants them.
  void SyncTvModeCombo();
  void FillAspectCombo();

  // Once the window is up, a batch that was interrupted (the program
  // killed, the power cut) is offered to be continued; for the program,
  // not for tests of the window.
  void OfferResumeAtStart() { m_offerResumeAtStart = true; }
  // The question, and on Yes the batch continued with its own list and
  // settings.
  void OfferResume();

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
  // The Preview window for the selected row.
  void PreviewSelected();
  void ShowHelpContents();
  void ShowAbout();
  void OpenHomePage();
  void ShowTips();

  // The encoder's report (kind, value); 1 when the encoder is to stop.
  LRESULT OnProgressMessage(WPARAM kind, LPARAM value);

  // The Add command after the open-file dialog: probes each file and
  // appends those that probed well; reports the others afterwards.
  void AddFilesFrom(const std::vector<std::string>& paths);
  // Appends the pending probe results as a new entry and row for `path`;
  // 0, or -1 when the list is full.
  int AppendListRow(const std::string& path);
  // Exchanges rows a (the selected one) and b with their files' data; the
  // selection and focus move to b.
  void SwapRows(int a, int b);

  // True while probes or a batch run; the list, settings and convert
  // commands then do nothing and closing waits for the current run.
  bool IsBusy() const { return m_busy; }
  // Runs veltoenc.exe from this folder (ending with a backslash) instead of
  // the program's own; for tests.
  void SetEncoderDirectory(std::string directory) { m_encoderDirectory = std::move(directory); }
  // Shows the batch's progress through `indicator` instead of the taskbar
  // button; for tests.
  void SetBatchIndicator(std::unique_ptr<BatchIndicator> indicator) { m_indicator = std::move(indicator); }

 protected:
  void OnOK() override;
  void OnCancel() override;
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  const MessageMap& GetMessageMap() const override;

 private:
  void LoadOwnSettings();
  void SaveOwnSettings(bool sessionEnding = false);
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
  LRESULT OnDropFiles(WPARAM drop, LPARAM);
  LRESULT OnDpiChanged(WPARAM dpi, LPARAM);
  LRESULT OnTaskbarButtonCreated(WPARAM, LPARAM);
  LRESULT OnOfferResume(WPARAM, LPARAM);
  // The encoder at work names the output it published.
  void ShowIconsForDpi();

  // Files and folders dropped on the window: the video files are added as
  // Add adds them, the rest named in one message. While probes or a batch
  // run the files wait until they end.
  void AddDroppedPaths(const std::vector<std::string>& paths);
  void AddQueuedDrops();

  // Add and Convert.
  bool AskForVideoFiles(std::vector<std::string>& paths);
  // The open-file dialog's hook: as the dialog takes OK, the first chosen
  // file's probe starts, and runs while the dialog closes (under Wine both
  // take some 30 ms); ProbeFile then waits for it.
  static UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM, LPARAM lParam);
  void StartEarlyProbe(std::wstring_view selection);
  // Readies the pending entry and starts the encoder's probe of `path`.
  StartedEncoder StartProbe(const std::string& path);
  // Waits for an early probe that was not taken, and forgets it.
  void DropEarlyProbe();
  // True when the file probed well; otherwise why gets the cause in words
  // (empty when it is not known).
  bool ProbeFile(const std::string& path, std::string& why);
  // The folder veltoenc.exe is started from; empty when the program's own
  // folder cannot be had.
  std::string EncoderDirectory() const;
  // videoBitrate > 0: kbit/s instead of the quality preset's.
  EncoderCommand EncoderCommandFor(const std::string& source, const std::string& output, std::int32_t padWidth,
                                   std::int32_t padHeight, std::int32_t runMode, std::int32_t videoBitrate,
                                   HWND reportWindow = nullptr);
  // `batch`: the running batch, whose outputs no later file is given.
  std::string OutputPathFor(const std::string& folder, const std::string& source,
                            const BatchJournal* batch = nullptr) const;
  // Selects the file's row and names it in the progress window; index
  // counts from 0.
  void ShowFilesAtWork(const BatchRunner& runner);
  // extraLines: lines of their own at the end, unless empty.
  void ShowBatchResult(const std::vector<FailedConversion>& failed, int total, std::uint32_t startTick,
                       const std::string& extraLines, bool stopped);
  // The closing summary (with its message box icon): kept in a file, a
  // signal when the user looks elsewhere, then what the progress window's
  // choice asks for (not after a stop), and the message unless the program
  // is to close.
  void FinishBatch(const std::string& summary, UINT icon, bool stopped);
  // The main window or one of the windows it owns is the active one.
  bool IsProgramActive() const;
  void EndBatch();
  // The session ends: the encoder at work is ended and its temporary
  // output removed at once, since the process may be ended as soon as this
  // returns; the batch then ends as interrupted, not as stopped by the user.
  void InterruptBatch();
  LRESULT OnEndSession(WPARAM ending, LPARAM);
  // Ends the dialog when a close was asked for while busy.
  void CloseIfRequested();
  void RenumberRows(int from);
  // The selected row one place up (step -1) or down (+1).
  void MoveSelected(int step);
  void OnListDoubleClick(NMHDR& header, LRESULT& result);
  void ShowPreview(int row);

  // Marks the window busy for its lifetime.
  class BusyScope {
   public:
    explicit BusyScope(MainDialog& dialog) : dialog_(dialog) { dialog_.m_busy = true; }
    ~BusyScope() { dialog_.m_busy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    MainDialog& dialog_;
  };

  // The image buttons: icon resource, icon size at 96 dpi and tooltip.
  struct ImageButtonSetup {
    ImageButton MainDialog::*button;
    int iconId;
    int iconSize;
    const char* tooltip;
  };
  static const ImageButtonSetup kImageButtons[8];

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
  OwnedIcon m_hIcon;
  OwnedIcon m_hSmallIcon;
  UINT m_dpi = 96;

  std::unique_ptr<BatchIndicator> m_indicator;
  std::vector<std::string> m_queuedDrops;  // dropped while busy

  std::optional<std::string> m_settingsDirectory;  // empty: beside the program
  std::optional<std::string> m_encoderDirectory;   // empty: beside the program
  // The first chosen file's probe, started as the open-file dialog took OK.
  struct EarlyProbe {
    std::string path;
    StartedEncoder encoder;
  };
  std::optional<EarlyProbe> m_earlyProbe;
  // A file a batch converts: its encoder, and the hidden window that
  // encoder reports to (its progress and the name its output got), so
  // that each of several runs at once is told apart.
  struct RunAtWork {
    int index = 0;
    std::string output;  // the name asked for
    StartedEncoder encoder;
    std::unique_ptr<MessageWindow> window;
  };
  std::vector<std::unique_ptr<RunAtWork>> m_runsAtWork;
  void StartRun(BatchRunner& runner, const BatchRunner::Start& start, const std::string& outputFolder,
                std::int32_t fitKbps);
  bool m_batchInterrupted = false;  // the session ended during the batch
  bool m_offerResumeAtStart = false;
  // The interrupted batch the next Convert continues: its files done, and
  // those to convert (the list), with the outputs they were given.
  std::optional<BatchJournal> m_resumed;
  bool m_settingsSaved = false;     // saved once per run: at the session's end or when destroyed
  bool m_busy = false;            // probes or a batch are running
  bool m_closeRequested = false;  // closing waits until they end
};

}  // namespace velto
