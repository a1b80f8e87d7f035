#pragma once
// SettingsDialog: the modal "Output Settings" dialog, in which the user edits
// every value of g_settings. It works on a copy of the record; OK writes the
// copy (and the letterbox check box) back, Cancel drops it.
//
//   SettingsDialog dialog(this);
//   if (dialog.DoModal() == IDOK) { /* g_settings holds the new choices */ }
//
// Which lists the dialog shows, and which value each list edits, depends on
// the output format chosen in the dialog itself (settings/settings_view.h).
#include <windows.h>

#include "framework/controls.h"
#include "framework/dialog.h"
#include "settings/conversion_settings.h"
#include "settings/settings_view.h"

namespace velto {

// Empties the list, adds the fill's items, selects its item, enables or
// disables the list and opens it wide enough for its longest item.
void ShowListFill(ComboBox& list, const ListFill& fill);

class SettingsDialog : public Dialog {
 public:
  explicit SettingsDialog(Window* parent = nullptr);
  ~SettingsDialog() override;

 protected:
  const MessageMap& GetMessageMap() const override;
  void DoDataExchange(DataExchange& dx) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  // Shows every list as the working values want it.
  void ShowLists();
  void InitVolumeSlider();
  // Keeps the item picked in `list` where the working view says.
  void KeepPicked(const ComboBox& list, ListFill OutputSettingsView::*fill);

  // Selection changes: each keeps the chosen index in the working copy.
  void OnFormatChange();
  void OnQualityChange();
  void OnVideoCodecChange();
  void OnAudioCodecChange();
  void OnTvModeChange();
  void OnResolutionChange();
  void OnFrameRateChange();
  void OnAspectChange();
  void OnFitToDiscClick();
  void OnDiscSizeChange();
  void OnEvenLoudnessClick();
  LRESULT OnHScroll(WPARAM, LPARAM lParam);

  // The values being edited. Its "Letterbox" field is not used: the check
  // box holds that choice until OK.
  ConversionSettings m_working{};

  ComboBox m_formatList;
  ComboBox m_qualityList;
  ComboBox m_videoCodecList;
  ComboBox m_audioCodecList;
  ComboBox m_resolutionList;
  ComboBox m_frameRateList;
  ComboBox m_tvModeList;
  ComboBox m_aspectList;
  Trackbar m_volumeSlider;
  Static m_volumeLabel;
  Button m_letterboxCheck;
  Button m_fitToDiscCheck;
  ComboBox m_discSizeList;
  Button m_evenLoudnessCheck;
};

}  // namespace velto
