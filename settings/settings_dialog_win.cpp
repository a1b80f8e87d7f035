#include "settings/settings_dialog.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "framework/application.h"
#include "res/resource_ids.h"
#include "settings/value_lists.h"

namespace velto {
namespace {

using Value = std::int32_t ConversionSettings::*;

// What one list offers for an output format.
struct ListContent {
  TextList texts;          // empty for a format the dialog does not know
  Value value = nullptr;   // the value whose index is selected; null: item 0
  bool editable = false;   // enabled, and a choice is stored into value
};

ListContent Editable(TextList texts, Value value) { return {texts, value, true}; }
// Disabled; shows the item of the working TV mode and stores nothing.
ListContent ByTvMode(TextList texts) { return {texts, &ConversionSettings::tvMode, false}; }
// One disabled entry; the value behind the list is neither read nor changed.
ListContent Fixed(TextList text) { return {text, nullptr, false}; }

constexpr std::array<std::string_view, 1> kNone = {kFixedNoneText};
constexpr std::array<std::string_view, 1> kMpeg1 = {kFixedMpeg1Text};
constexpr std::array<std::string_view, 1> kMpeg2 = {kFixedMpeg2Text};
constexpr std::array<std::string_view, 1> kMp2 = {kFixedMp2Text};
constexpr std::array<std::string_view, 1> kDivx = {kFixedDivxText};
constexpr std::array<std::string_view, 1> kXvid = {kFixedXvidText};
constexpr std::array<std::string_view, 1> kWmv8 = {kFixedWmv8Text};
constexpr std::array<std::string_view, 1> kAuto = {kFixedAutoText};

// Sizes and rates that the disc formats fix, NTSC first, then PAL.
constexpr std::array<std::string_view, 2> kVcdSizes = {"352 x 240", "352 x 288"};
constexpr std::array<std::string_view, 2> kSvcdSizes = {"480 x 480", "480 x 576"};
constexpr std::array<std::string_view, 2> kDvdSizes = {"720 x 480", "720 x 576"};
constexpr std::array<std::string_view, 2> kVcdRates = {"23.976 fps", "25.0 fps"};
constexpr std::array<std::string_view, 2> kSvcdDvdRates = {"29.97 fps", "25.0 fps"};

using S = ConversionSettings;

ListContent QualityContent(std::int32_t format) {
  switch (format) {
    case kFormatAvi:
    case kFormatDivx:
    case kFormatXvid: return Editable(kAviQualityTexts, &S::aviQuality);
    case kFormatMpeg1:
    case kFormatVcd: return Editable(kMpeg1QualityTexts, &S::mpeg1Quality);
    case kFormatMpeg2: return Editable(kMpeg2QualityTexts, &S::mpeg2Quality);
    case kFormatSvcd: return Editable(kSvcdQualityTexts, &S::svcdQuality);
    case kFormatDvd: return Editable(kDvdQualityTexts, &S::dvdQuality);
    case kFormatWmv:
    case kFormatAsf: return Editable(kWmvQualityTexts, &S::wmvQuality);
    default: return {};
  }
}

ListContent VideoCodecContent(std::int32_t format) {
  switch (format) {
    case kFormatAvi: return Editable(kAviVideoCodecTexts, &S::aviVideoCodec);
    case kFormatMpeg1:
    case kFormatVcd: return Fixed(kMpeg1);
    case kFormatMpeg2:
    case kFormatSvcd:
    case kFormatDvd: return Fixed(kMpeg2);
    case kFormatDivx: return Fixed(kDivx);
    case kFormatXvid: return Fixed(kXvid);
    case kFormatWmv: return Fixed(kWmv8);
    case kFormatAsf: return Editable(kAsfVideoCodecTexts, &S::asfVideoCodec);
    default: return {};
  }
}

ListContent AudioCodecContent(std::int32_t format) {
  switch (format) {
    case kFormatAvi: return Editable(kMp3Ac3AudioCodecTexts, &S::aviAudioCodec);
    case kFormatDivx: return Editable(kMp3Ac3AudioCodecTexts, &S::divxAudioCodec);
    case kFormatXvid: return Editable(kMp3Ac3AudioCodecTexts, &S::xvidAudioCodec);
    case kFormatMpeg1:
    case kFormatMpeg2:
    case kFormatVcd:
    case kFormatSvcd: return Fixed(kMp2);
    case kFormatDvd: return Editable(kDvdAudioCodecTexts, &S::dvdAudioCodec);
    case kFormatWmv: return Editable(kWmaAudioCodecTexts, &S::wmvAudioCodec);
    case kFormatAsf: return Editable(kWmaAudioCodecTexts, &S::asfAudioCodec);
    default: return {};
  }
}

ListContent TvModeContent(std::int32_t format) {
  switch (format) {
    case kFormatVcd:
    case kFormatSvcd:
    case kFormatDvd: return Editable(kTvModeTexts, &S::tvMode);
    case kFormatAvi:
    case kFormatMpeg1:
    case kFormatMpeg2:
    case kFormatDivx:
    case kFormatXvid:
    case kFormatWmv:
    case kFormatAsf: return Fixed(kNone);
    default: return {};
  }
}

ListContent ResolutionContent(std::int32_t format) {
  switch (format) {
    case kFormatAvi:
    case kFormatDivx:
    case kFormatXvid:
    case kFormatWmv:
    case kFormatAsf: return Editable(kAviSizeTexts, &S::aviResolution);
    case kFormatMpeg1:
    case kFormatMpeg2: return Editable(kMpegSizeTexts, &S::mpegResolution);
    case kFormatVcd: return ByTvMode(kVcdSizes);
    case kFormatSvcd: return ByTvMode(kSvcdSizes);
    case kFormatDvd: return ByTvMode(kDvdSizes);
    default: return {};
  }
}

ListContent FrameRateContent(std::int32_t format) {
  switch (format) {
    case kFormatAvi:
    case kFormatDivx:
    case kFormatXvid: return Editable(kAviRateTexts, &S::aviFrameRate);
    case kFormatMpeg1:
    case kFormatMpeg2: return Editable(kMpegRateTexts, &S::mpegFrameRate);
    case kFormatVcd: return ByTvMode(kVcdRates);
    case kFormatSvcd:
    case kFormatDvd: return ByTvMode(kSvcdDvdRates);
    case kFormatWmv:
    case kFormatAsf: return Fixed(kAuto);
    default: return {};
  }
}

ListContent AspectContent(std::int32_t format) {
  switch (format) {
    case kFormatMpeg1:
    case kFormatMpeg2: return Editable(kMpegAspectTexts, &S::mpegAspectRatio);
    case kFormatVcd:
    case kFormatSvcd:
    case kFormatDvd: return Editable(kDvdAspectTexts, &S::dvdAspectRatio);
    case kFormatAvi:
    case kFormatDivx:
    case kFormatXvid:
    case kFormatWmv:
    case kFormatAsf: return Fixed(kNone);
    default: return {};
  }
}

// A stored index outside the list selects nothing (ComboBox::SetCurSel).
void Fill(ComboBox& list, const ListContent& content, const ConversionSettings& working) {
  list.ResetContent();
  for (std::string_view text : content.texts) list.AddString(text);
  list.SetCurSel(content.value ? working.*content.value : 0);
  list.Enable(content.editable);
}

void StoreChoice(const ComboBox& list, const ListContent& content, ConversionSettings& working) {
  const int index = list.GetCurSel();
  if (content.editable && content.value && index >= 0) working.*content.value = index;
}

}  // namespace

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
}

BOOL SettingsDialog::OnInitDialog() {
  Dialog::OnInitDialog();

  m_working = g_settings;
  m_formatList.SetCurSel(m_working.outputFormat);
  m_letterboxCheck.SetCheck(g_settings.letterbox != 0 ? BST_CHECKED : BST_UNCHECKED);

  FillQualityList();
  FillCodecLists();
  FillTvModeList();
  FillResolutionList();
  FillFrameRateList();
  FillAspectList();
  InitVolumeSlider();
  return TRUE;
}

void SettingsDialog::OnOK() {
  const std::int32_t letterbox = m_letterboxCheck.GetCheck() == BST_CHECKED ? 1 : 0;
  g_settings = m_working;
  g_settings.letterbox = letterbox;
  Dialog::OnOK();
}

// ---------------------------------------------------------------- fill rules

void SettingsDialog::FillQualityList() {
  Fill(m_qualityList, QualityContent(m_working.outputFormat), m_working);
}

void SettingsDialog::FillCodecLists() {
  Fill(m_videoCodecList, VideoCodecContent(m_working.outputFormat), m_working);
  Fill(m_audioCodecList, AudioCodecContent(m_working.outputFormat), m_working);
}

void SettingsDialog::FillTvModeList() { Fill(m_tvModeList, TvModeContent(m_working.outputFormat), m_working); }

void SettingsDialog::FillResolutionList() {
  Fill(m_resolutionList, ResolutionContent(m_working.outputFormat), m_working);
}

void SettingsDialog::FillFrameRateList() {
  Fill(m_frameRateList, FrameRateContent(m_working.outputFormat), m_working);
}

void SettingsDialog::FillAspectList() { Fill(m_aspectList, AspectContent(m_working.outputFormat), m_working); }

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
  FillQualityList();
  FillCodecLists();
  FillTvModeList();
  FillResolutionList();
  FillFrameRateList();
  FillAspectList();
}

void SettingsDialog::OnQualityChange() {
  StoreChoice(m_qualityList, QualityContent(m_working.outputFormat), m_working);
}

void SettingsDialog::OnVideoCodecChange() {
  StoreChoice(m_videoCodecList, VideoCodecContent(m_working.outputFormat), m_working);
}

void SettingsDialog::OnAudioCodecChange() {
  StoreChoice(m_audioCodecList, AudioCodecContent(m_working.outputFormat), m_working);
}

void SettingsDialog::OnTvModeChange() {
  StoreChoice(m_tvModeList, TvModeContent(m_working.outputFormat), m_working);
  FillResolutionList();
  FillFrameRateList();
}

void SettingsDialog::OnResolutionChange() {
  StoreChoice(m_resolutionList, ResolutionContent(m_working.outputFormat), m_working);
}

void SettingsDialog::OnFrameRateChange() {
  StoreChoice(m_frameRateList, FrameRateContent(m_working.outputFormat), m_working);
}

void SettingsDialog::OnAspectChange() {
  StoreChoice(m_aspectList, AspectContent(m_working.outputFormat), m_working);
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
