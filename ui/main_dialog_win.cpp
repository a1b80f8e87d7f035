#include "ui/main_dialog.h"
#include "ui/batch_report_sink.h"

#include <commctrl.h>
#include <shellapi.h>

#include <climits>
#include <cstdint>
#include <utility>

#include "base/text_encoding.h"
#include "base/encoder_interface.h"
#include "engine/batch_rules.h"
#include "engine/encoder_reports.h"
#include "engine/media_list.h"
#include "engine/progress_dialog.h"
#include "framework/application.h"
#include "framework/dpi.h"
#include "res/resource_ids.h"
#include "settings/conversion_settings.h"
#include "settings/settings_dialog.h"
#include "settings/settings_store.h"
#include "settings/settings_view.h"

namespace velto {

namespace {

// Icon sizes are asked for explicitly: the big buttons and the window use the
// 48-pixel images, Help its 32-pixel image and the list buttons their
// 16-pixel images (at 96 dpi; scaled for others).
constexpr int kBigIcon = 48;
constexpr int kHelpIcon = 32;
constexpr int kSmallIcon = 16;

// Posted once the window is up: the question about an interrupted batch
// comes over the window, not before it.
constexpr UINT kOfferResumeMessage = WM_APP + 1;

// Drops (and the shell's taskbar message) reach a window of a program run
// as administrator only when these messages are let through.
void AcceptDroppedFiles(HWND window) {
  DragAcceptFiles(window, TRUE);
  for (UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), 0x0049u /* WM_COPYGLOBALDATA */,
                       TaskbarButtonCreatedMessage()}) {
    ChangeWindowMessageFilterEx(window, message, MSGFLT_ALLOW, nullptr);
  }
}

OwnedIcon LoadAppIcon(int size) {
  return OwnedIcon(
      static_cast<HICON>(LoadImageW(ResourceInstance(), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, 0)));
}

// The list's columns at 96 dpi.
constexpr int kColumnWidths[] = {90, 360, 122};

}  // namespace

// ---------------------------------------------------------------- life time

MainDialog::MainDialog() : Dialog(IDD_MAIN) {
  m_hIcon = LoadAppIcon(kBigIcon);
  LoadOwnSettings();
}

MainDialog::MainDialog(std::string settingsDirectory)
    : Dialog(IDD_MAIN), m_settingsDirectory(std::move(settingsDirectory)) {
  m_hIcon = LoadAppIcon(kBigIcon);
  LoadOwnSettings();
}

MainDialog::~MainDialog() {
  delete g_engineState.progressDialog;
  g_engineState.progressDialog = nullptr;
  SaveOwnSettings();
  // The window (when it still exists) goes before the icons it shows.
  if (IsWindow()) DestroyWindow();
}

void MainDialog::LoadOwnSettings() {
  if (!m_settingsDirectory) {
    LoadSettings(m_outputFolder);
    return;
  }
  try {
    LoadSettingsFrom(*m_settingsDirectory, g_settings, m_outputFolder, g_versionText);
  } catch (...) {
    g_settings = DefaultConversionSettings();
    m_outputFolder = std::string(kDefaultOutputFolder);
  }
}

// A file that cannot be written is named once, with the system's reason,
// unless the session is ending. Saved once per run: at the session's end,
// or else when the window goes.
void MainDialog::SaveOwnSettings(bool sessionEnding) {
  if (std::exchange(m_settingsSaved, true)) return;
  std::optional<SettingsSaveFailure> failure;
  if (!m_settingsDirectory) {
    failure = SaveSettings(m_outputFolder);
  } else {
    try {
      std::string why;
      if (!SaveSettingsTo(*m_settingsDirectory, g_settings, m_outputFolder, &why)) {
        failure = SettingsSaveFailure{*m_settingsDirectory + std::string(kSettingsFileName), why};
      }
    } catch (...) {
      // Out of memory: the old file is left as it was.
    }
  }
  if (failure && !sessionEnding) ShowMessageBox(SettingsSaveFailureText(*failure), MB_OK | MB_ICONERROR);
}

// ---------------------------------------------------------------- set-up

void MainDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_MAIN_ASPECT, m_aspectCombo);
  dx.Control(IDC_MAIN_TV_MODE, m_tvModeCombo);
  dx.Control(IDC_MAIN_FORMAT, m_formatCombo);
  dx.Control(IDC_MAIN_OUTPUT_FOLDER, m_outputFolderEdit);
  dx.Control(IDC_MAIN_CHANGE_FOLDER, m_changeButton);
  dx.Control(IDC_MAIN_MOVE_UP, m_upButton);
  dx.Control(IDC_MAIN_REMOVE, m_removeButton);
  dx.Control(IDC_MAIN_MOVE_DOWN, m_downButton);
  dx.Control(IDC_MAIN_ADD_SMALL, m_addSmallButton);
  dx.Control(IDC_MAIN_HELP, m_helpButton);
  dx.Control(IDC_MAIN_ADD, m_addButton);
  dx.Control(IDC_MAIN_CONVERT, m_convertButton);
  dx.Control(IDC_MAIN_SETTINGS, m_settingsButton);
  dx.Control(IDC_MAIN_FILE_LIST, m_fileList);
}

BOOL MainDialog::OnInitDialog() {
  Dialog::OnInitDialog();

  AddAboutItemToSystemMenu();
  m_dpi = WindowDpi(Handle());
  SetUpFileList();
  SetUpImageButtons();
  ShowIconsForDpi();
  m_outputFolderEdit.SetText(m_outputFolder);
  g_mediaList.totalDuration = 0.0;
  CreateProgressWindow();
  m_formatCombo.FitDroppedWidth();
  m_tvModeCombo.FitDroppedWidth();
  ShowQuickSettings();
  AcceptDroppedFiles(Handle());
  if (!m_indicator) m_indicator = MakeTaskbarIndicator(Handle());
  if (m_offerResumeAtStart) PostMessageW(Handle(), kOfferResumeMessage, 0, 0);
  return TRUE;
}

void MainDialog::AddAboutItemToSystemMenu() {
  HMENU systemMenu = GetSystemMenu(Handle(), FALSE);
  if (!systemMenu) return;
  const std::string about = LoadResourceString(IDS_ABOUTBOX);
  if (about.empty()) return;
  AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, Utf8ToWide(about).c_str());
}

void MainDialog::SetUpFileList() {
  m_fileList.SetExtendedStyle(LVS_EX_FULLROWSELECT);
  m_fileList.InsertColumn(0, " Number", LVCFMT_LEFT, ScaleForDpi(kColumnWidths[0], m_dpi));
  m_fileList.InsertColumn(1, "  File path", LVCFMT_LEFT, ScaleForDpi(kColumnWidths[1], m_dpi));
  m_fileList.InsertColumn(2, "   Duration", LVCFMT_CENTER, ScaleForDpi(kColumnWidths[2], m_dpi));
}

const MainDialog::ImageButtonSetup MainDialog::kImageButtons[] = {
    {&MainDialog::m_convertButton, IDI_CONVERT, kBigIcon, "Start converting"},
    {&MainDialog::m_settingsButton, IDI_SETTINGS, kBigIcon, "Settings..."},
    {&MainDialog::m_addButton, IDI_ADD, kBigIcon, "Add video files to the list"},
    {&MainDialog::m_helpButton, IDI_HELP_BUTTON, kHelpIcon, "About,help,home page,tip of the day."},
    {&MainDialog::m_addSmallButton, IDI_ADD_SMALL, kSmallIcon, "Add video files to the list"},
    {&MainDialog::m_removeButton, IDI_REMOVE, kSmallIcon, "Remove the selected video file"},
    {&MainDialog::m_upButton, IDI_MOVE_UP, kSmallIcon, "Move the selected video file up"},
    {&MainDialog::m_downButton, IDI_MOVE_DOWN, kSmallIcon, "Move the selected video file down"},
};

void MainDialog::SetUpImageButtons() {
  for (const ImageButtonSetup& setup : kImageButtons) {
    ImageButton& button = this->*setup.button;
    button.SetTooltip(setup.tooltip, true);
    button.EnableTransparency(false);
    button.SetLayout(ImageButton::kIconAbove, true);
  }
  // The Change button keeps its plain look: no icon, tooltip or layout.
}

// Icons come in the image size made for the dpi (each icon holds 16 to 96
// pixel images), not stretched.
void MainDialog::ShowIconsForDpi() {
  for (const ImageButtonSetup& setup : kImageButtons) {
    const int size = ScaleForDpi(setup.iconSize, m_dpi);
    (this->*setup.button).SetIcons(setup.iconId, size, size, ImageButton::kNoAtRestIcon, 0, 0);
  }
  // The old icons are given back once the window shows the new ones.
  const OwnedIcon oldBig = std::exchange(m_hIcon, LoadAppIcon(ScaleForDpi(kBigIcon, m_dpi)));
  const int small = SystemMetricForDpi(SM_CXSMICON, m_dpi);
  const OwnedIcon oldSmall = std::exchange(m_hSmallIcon, LoadAppIcon(small));
  Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon.Get()));
  Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hSmallIcon.Get()));
}

// The window moved to a screen of another dpi: the dialog manager lays the
// controls out anew; the icons and the list's columns follow here.
LRESULT MainDialog::OnDpiChanged(WPARAM wParam, LPARAM) {
  const LRESULT result = Default();
  const UINT dpi = LOWORD(wParam);
  if (dpi == 0 || dpi == m_dpi) return result;
  for (int column = 0; column < 3; ++column) {
    const int width = m_fileList.GetColumnWidth(column);
    m_fileList.SetColumnWidth(column, MulDiv(width, static_cast<int>(dpi), static_cast<int>(m_dpi)));
  }
  m_dpi = dpi;
  ShowIconsForDpi();
  return result;
}

void MainDialog::CreateProgressWindow() {
  delete g_engineState.progressDialog;  // from an earlier run of this window
  g_engineState.progressDialog = nullptr;
  auto* progress = new ProgressDialog();
  progress->CreateHidden(Handle());
  g_engineState.progressDialog = progress;
}

void MainDialog::ShowQuickSettings() {
  m_formatCombo.SetCurSel(g_settings.outputFormat);
  SyncTvModeCombo();
  FillAspectCombo();
}

// ---------------------------------------------------------------- quick settings

void MainDialog::SyncTvModeCombo() {
  const QuickSettingsView view = ViewQuickSettings(g_settings);
  m_tvModeCombo.SetCurSel(view.tvMode);
  m_tvModeCombo.Enable(view.tvModeEnabled);
}

void MainDialog::FillAspectCombo() { ShowListFill(m_aspectCombo, ViewQuickSettings(g_settings).aspect); }

// A list without a selection leaves its setting as it is.
void MainDialog::OnFormatChange() {
  if (m_busy) {
    ShowQuickSettings();
    return;
  }
  const int selected = m_formatCombo.GetCurSel();
  if (selected == CB_ERR) return;
  g_settings.outputFormat = selected;
  SyncTvModeCombo();
  FillAspectCombo();
}

void MainDialog::OnTvModeChange() {
  if (m_busy) {
    ShowQuickSettings();
    return;
  }
  const int selected = m_tvModeCombo.GetCurSel();
  if (selected == CB_ERR) return;
  g_settings.tvMode = selected;
}

void MainDialog::OnAspectChange() {
  if (m_busy) {
    ShowQuickSettings();
    return;
  }
  KeepChoice(ViewQuickSettings(g_settings).aspect, m_aspectCombo.GetCurSel(), g_settings);
}

// ---------------------------------------------------------------- messages

const MessageMap& MainDialog::GetMessageMap() const {
  static const MessageMap map =
      MessageMapBuilder<MainDialog>(Dialog::GetMessageMap())
          .OnCommand(IDC_MAIN_ADD, &MainDialog::AddFiles)
          .OnCommand(IDC_MAIN_ADD_SMALL, &MainDialog::AddFiles)
          .OnCommand(IDM_LIST_ADD, &MainDialog::AddFiles)
          .OnCommand(IDC_MAIN_CONVERT, &MainDialog::ConvertAll)
          .OnCommand(IDC_MAIN_CONVERT_SMALL, &MainDialog::ConvertAll)
          .OnCommand(IDC_MAIN_SETTINGS, &MainDialog::OpenSettings)
          .OnCommand(IDC_MAIN_SETTINGS_SMALL, &MainDialog::OpenSettings)
          .OnCommand(IDC_MAIN_HELP, &MainDialog::ShowHelpMenu)
          .OnCommand(IDC_MAIN_CHANGE_FOLDER, &MainDialog::BrowseOutputFolder)
          .OnCommand(IDC_MAIN_REMOVE, &MainDialog::RemoveSelected)
          .OnCommand(IDM_LIST_REMOVE, &MainDialog::RemoveSelected)
          .OnCommand(IDC_MAIN_MOVE_UP, &MainDialog::MoveSelectedUp)
          .OnCommand(IDM_LIST_MOVE_UP, &MainDialog::MoveSelectedUp)
          .OnCommand(IDC_MAIN_MOVE_DOWN, &MainDialog::MoveSelectedDown)
          .OnCommand(IDM_LIST_MOVE_DOWN, &MainDialog::MoveSelectedDown)
          .OnNotify(IDC_MAIN_FILE_LIST, NM_RCLICK, &MainDialog::ShowListMenu)
          .OnNotify(IDC_MAIN_FILE_LIST, NM_DBLCLK, &MainDialog::OnListDoubleClick)
          .OnCommand(IDM_LIST_PREVIEW, &MainDialog::PreviewSelected)
          .OnCommand(IDM_HELP_CONTENT, &MainDialog::ShowHelpContents)
          .OnCommand(IDM_HELP_ABOUT, &MainDialog::ShowAbout)
          .OnCommand(IDM_HELP_HOME_PAGE, &MainDialog::OpenHomePage)
          .OnCommand(IDM_HELP_TIPS, &MainDialog::ShowTips)
          .OnCommand(IDC_MAIN_FORMAT, CBN_SELCHANGE, &MainDialog::OnFormatChange)
          .OnCommand(IDC_MAIN_TV_MODE, CBN_SELCHANGE, &MainDialog::OnTvModeChange)
          .OnCommand(IDC_MAIN_ASPECT, CBN_SELCHANGE, &MainDialog::OnAspectChange)
          .OnMessage(kProgressMessage, &MainDialog::OnProgressMessage)
          .OnMessage(kOfferResumeMessage, &MainDialog::OnOfferResume)
          .OnMessage(WM_SYSCOMMAND, &MainDialog::OnSysCommand)
          .OnMessage(WM_PAINT, &MainDialog::OnPaint)
          .OnMessage(WM_QUERYDRAGICON, &MainDialog::OnQueryDragIcon)
          .OnMessage(WM_DROPFILES, &MainDialog::OnDropFiles)
          .OnMessage(WM_DPICHANGED, &MainDialog::OnDpiChanged)
          .OnMessage(WM_ENDSESSION, &MainDialog::OnEndSession)
          .OnMessage(TaskbarButtonCreatedMessage(), &MainDialog::OnTaskbarButtonCreated)
          .Build();
  return map;
}

LRESULT MainDialog::OnProgressMessage(WPARAM kind, LPARAM value) {
  if (kind > UINT_MAX) return 0;  // no such kind; must not wrap onto a real one
  BatchReportSink sink(g_engineState.progressDialog, m_indicator.get());
  return HandleEncoderReport(static_cast<unsigned>(kind), static_cast<std::int32_t>(value), g_mediaList,
                             g_engineState, sink);
}

LRESULT MainDialog::OnSysCommand(WPARAM command, LPARAM) {
  if ((command & 0xFFF0) == IDM_ABOUTBOX) {
    ShowAbout();
    return 0;
  }
  return Default();
}

LRESULT MainDialog::OnPaint(WPARAM, LPARAM) {
  if (!IsIconic(Handle())) return Default();
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(Handle(), &paint);
  Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
  const RECT client = ClientRect();
  const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, m_hIcon.Get());
  EndPaint(Handle(), &paint);
  return 0;
}

LRESULT MainDialog::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon.Get()); }

LRESULT MainDialog::OnOfferResume(WPARAM, LPARAM) {
  OfferResume();
  return 0;
}

LRESULT MainDialog::OnTaskbarButtonCreated(WPARAM, LPARAM) {
  if (m_indicator) m_indicator->ButtonCreated();
  return 0;
}

// ---------------------------------------------------------------- closing

// The session ends (log-off, shutdown): the process may be ended as soon as
// this returns, so what must survive is done here.
LRESULT MainDialog::OnEndSession(WPARAM ending, LPARAM) {
  if (!ending) return 0;
  SaveOwnSettings(true);
  InterruptBatch();
  return 0;
}

// Enter and Esc, the close box and Alt+F4: while a probe or a batch runs
// they wait for it, so that no handler runs on a destroyed window.
void MainDialog::OnOK() {
  if (m_busy) return;
  Dialog::OnOK();
}

void MainDialog::OnCancel() {
  if (m_busy) {
    m_closeRequested = true;
    return;
  }
  Dialog::OnCancel();
}

void MainDialog::CloseIfRequested() {
  if (!m_closeRequested || m_busy) return;
  m_closeRequested = false;
  Dialog::OnCancel();
}

// ---------------------------------------------------------------- commands

void MainDialog::OpenSettings() {
  if (m_busy) return;
  SettingsDialog dialog(this);
  if (dialog.DoModal() == IDOK) ShowQuickSettings();
}

}  // namespace velto
