#include "settings/settings_dialog.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "framework/application.h"
#include "res/resource_ids.h"
#include "settings/value_lists.h"

namespace velto {

void ShowListFill(ComboBox& list, const ListFill& fill) {
  list.ResetContent();
  for (std::string_view text : fill.items) list.AddString(text);
  list.SetCurSel(fill.selected);  // an index outside the items selects nothing
  list.Enable(fill.enabled);
  list.FitDroppedWidth();
}

SettingsDialog::SettingsDialog(Window* parent) : Dialog(IDD_SETTINGS, parent) {}

SettingsDialog::~SettingsDialog() = default;

const MessageMap& SettingsDialog::GetMessageMap() const {
  using D = SettingsDialog;
  static const MessageMap map = MessageMapBuilder<D>(Dialog::GetMessageMap())
                                    .OnCommand(IDC_SETTINGS_FORMAT, CBN_SELCHANGE, &D::OnFormatChange)
                                    .OnCommand(IDC_SETTINGS_QUALITY, CBN_SELCHANGE, &D::OnQualityChange)
                                    .OnCommand(IDC_SETTINGS_VIDEO_CODEC, CBN_SELCHANGE, &D::OnVideoCodecChange)
                                    .OnCommand(IDC_SETTINGS_AUDIO_CODEC, CBN_SELCHANGE, &D::OnAudioCodecChange)
                                    .OnCommand(IDC_SETTINGS_TV_MODE, CBN_SELCHANGE, &D::OnTvModeChange)
                                    .OnCommand(IDC_SETTINGS_RESOLUTION, CBN_SELCHANGE, &D::OnResolutionChange)
                                    .OnCommand(IDC_SETTINGS_FRAME_RATE, CBN_SELCHANGE, &D::OnFrameRateChange)
                                    .OnCommand(IDC_SETTINGS_ASPECT, CBN_SELCHANGE, &D::OnAspectChange)
                                    .OnCommand(IDC_SETTINGS_FIT_TO_DISC, BN_CLICKED, &D::OnFitToDiscClick)
                                    .OnCommand(IDC_SETTINGS_DISC_SIZE, CBN_SELCHANGE, &D::OnDiscSizeChange)
                                    .OnCommand(IDC_SETTINGS_LOUDNESS, BN_CLICKED, &D::OnEvenLoudnessClick)
                                    .OnMessage(WM_HSCROLL, &D::OnHScroll)
                                    .Build();
  return map;
}

void SettingsDialog::DoDataExchange(DataExchange& dx) {
  Dialog::DoDataExchange(dx);
  dx.Control(IDC_SETTINGS_FORMAT, m_formatList);
  dx.Control(IDC_SETTINGS_QUALITY, m_qualityList);
  dx.Control(IDC_SETTINGS_VIDEO_CODEC, m_videoCodecList);
  dx.Control(IDC_SETTINGS_AUDIO_CODEC, m_audioCodecList);
  dx.Control(IDC_SETTINGS_RESOLUTION, m_resolutionList);
  dx.Control(IDC_SETTINGS_FRAME_RATE, m_frameRateList);
  dx.Control(IDC_SETTINGS_TV_MODE, m_tvModeList);
  dx.Control(IDC_SETTINGS_ASPECT, m_aspectList);
  dx.Control(IDC_SETTINGS_VOLUME, m_volumeSlider);
  dx.Control(IDC_SETTINGS_VOLUME_LABEL, m_volumeLabel);
  dx.Control(IDC_SETTINGS_LETTERBOX, m_letterboxCheck);
  dx.Control(IDC_SETTINGS_FIT_TO_DISC, m_fitToDiscCheck);
  dx.Control(IDC_SETTINGS_DISC_SIZE, m_discSizeList);
  dx.Control(IDC_SETTINGS_LOUDNESS, m_evenLoudnessCheck);
}

BOOL SettingsDialog::OnInitDialog() {
  Dialog::OnInitDialog();

  m_working = g_settings;
  m_formatList.SetCurSel(m_working.outputFormat);
  m_formatList.FitDroppedWidth();
  m_letterboxCheck.SetCheck(g_settings.letterbox != 0 ? BST_CHECKED : BST_UNCHECKED);
  m_evenLoudnessCheck.SetCheck(m_working.normalizeLoudness != 0 ? BST_CHECKED : BST_UNCHECKED);

  ShowLists();
  InitVolumeSlider();
  return TRUE;
}

void SettingsDialog::OnOK() {
  const std::int32_t letterbox = m_letterboxCheck.GetCheck() == BST_CHECKED ? 1 : 0;
  g_settings = m_working;
  g_settings.letterbox = letterbox;
  Dialog::OnOK();
}

// ---------------------------------------------------------------- lists

void SettingsDialog::ShowLists() {
  const OutputSettingsView view = ViewOutputSettings(m_working);
  ShowListFill(m_qualityList, view.quality);
  ShowListFill(m_videoCodecList, view.videoCodec);
  ShowListFill(m_audioCodecList, view.audioCodec);
  ShowListFill(m_tvModeList, view.tvMode);
  ShowListFill(m_resolutionList, view.resolution);
  ShowListFill(m_frameRateList, view.frameRate);
  ShowListFill(m_aspectList, view.aspect);
  m_fitToDiscCheck.SetCheck(view.fitToDisc.checked ? BST_CHECKED : BST_UNCHECKED);
  m_fitToDiscCheck.Enable(view.fitToDisc.enabled);
  ShowListFill(m_discSizeList, view.discSize);
}

void SettingsDialog::KeepPicked(const ComboBox& list, ListFill OutputSettingsView::*fill) {
  KeepChoice(ViewOutputSettings(m_working).*fill, list.GetCurSel(), m_working);
}

void SettingsDialog::InitVolumeSlider() {
  m_volumeSlider.SetRange(0, 40, false);
  m_volumeSlider.SetPos(m_working.volume, true);
  m_volumeLabel.SetText(VolumeLabelText(m_working.volume));
}

// ---------------------------------------------------------------- selection changes

void SettingsDialog::OnFormatChange() {
  const int index = m_formatList.GetCurSel();
  if (index < 0) return;
  m_working.outputFormat = index;
  ShowLists();
}

void SettingsDialog::OnQualityChange() { KeepPicked(m_qualityList, &OutputSettingsView::quality); }

void SettingsDialog::OnVideoCodecChange() { KeepPicked(m_videoCodecList, &OutputSettingsView::videoCodec); }

void SettingsDialog::OnAudioCodecChange() { KeepPicked(m_audioCodecList, &OutputSettingsView::audioCodec); }

// The sizes and rates that the TV mode fixes follow it at once.
void SettingsDialog::OnTvModeChange() {
  KeepPicked(m_tvModeList, &OutputSettingsView::tvMode);
  const OutputSettingsView view = ViewOutputSettings(m_working);
  ShowListFill(m_resolutionList, view.resolution);
  ShowListFill(m_frameRateList, view.frameRate);
}

void SettingsDialog::OnResolutionChange() { KeepPicked(m_resolutionList, &OutputSettingsView::resolution); }

void SettingsDialog::OnFrameRateChange() { KeepPicked(m_frameRateList, &OutputSettingsView::frameRate); }

void SettingsDialog::OnAspectChange() { KeepPicked(m_aspectList, &OutputSettingsView::aspect); }

void SettingsDialog::OnFitToDiscClick() { m_working.fitToDisc = m_fitToDiscCheck.GetCheck() == BST_CHECKED ? 1 : 0; }

void SettingsDialog::OnDiscSizeChange() { KeepPicked(m_discSizeList, &OutputSettingsView::discSize); }

void SettingsDialog::OnEvenLoudnessClick() {
  m_working.normalizeLoudness = m_evenLoudnessCheck.GetCheck() == BST_CHECKED ? 1 : 0;
}

// Every scroll code alike, so that the label follows the thumb while it is
// dragged.
LRESULT SettingsDialog::OnHScroll(WPARAM, LPARAM lParam) {
  const auto from = reinterpret_cast<HWND>(lParam);
  if (from && from == m_volumeSlider.Handle()) {
    m_working.volume = m_volumeSlider.GetPos();
    m_volumeLabel.SetText(VolumeLabelText(m_working.volume));
  }
  return Default();
}

}  // namespace velto
