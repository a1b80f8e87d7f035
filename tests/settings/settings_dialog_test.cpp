// The Output Settings dialog's lists per output format, its selection rules,
// the volume trackbar, and OK and Cancel.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/value_lists.h"
#include "tests/settings/settings_dialog_harness.h"

namespace velto {
namespace {

using testing::SettingsBox;
using testing::SettingsDialogTest;
using Texts = std::vector<std::string>;

constexpr int kFormat = IDC_SETTINGS_FORMAT;
constexpr int kQuality = IDC_SETTINGS_QUALITY;
constexpr int kVideo = IDC_SETTINGS_VIDEO_CODEC;
constexpr int kAudio = IDC_SETTINGS_AUDIO_CODEC;
constexpr int kSize = IDC_SETTINGS_RESOLUTION;
constexpr int kRate = IDC_SETTINGS_FRAME_RATE;
constexpr int kTv = IDC_SETTINGS_TV_MODE;
constexpr int kAspect = IDC_SETTINGS_ASPECT;

template <size_t N>
Texts AsTexts(const std::array<std::string_view, N>& list) {
  return Texts(list.begin(), list.end());
}

// A disabled list that holds one entry, selected.
void ExpectFixed(const SettingsBox& box, int id, const std::string& text) {
  EXPECT_EQ(box.Items(id), Texts{text}) << "list " << id;
  EXPECT_EQ(box.Selection(id), 0) << "list " << id;
  EXPECT_FALSE(box.Enabled(id)) << "list " << id;
}

using OutputSettings = SettingsDialogTest;

TEST_F(OutputSettings, DvdSizeAndRateAreFixedAndFollowTheTvModeAtOnce) {
  g_settings.outputFormat = kFormatDvd;
  g_settings.tvMode = kTvNtsc;
  ConversionSettings expected = g_settings;
  expected.tvMode = kTvPal;

  const INT_PTR result = Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Shown(kFormat), "DVD compatible MPEG2 Format (*.vob)");
        EXPECT_EQ(box.Shown(kTv), "NTSC");
        EXPECT_TRUE(box.Enabled(kTv));
        EXPECT_EQ(box.Shown(kSize), "720 x 480");
        EXPECT_FALSE(box.Enabled(kSize));
        EXPECT_EQ(box.Shown(kRate), "29.97 fps");
        EXPECT_FALSE(box.Enabled(kRate));
        EXPECT_EQ(box.Items(kAspect), AsTexts(kDvdAspectTexts));
        EXPECT_EQ(box.Items(kAudio), (Texts{"AC3", "MP2"}));
        ExpectFixed(box, kVideo, "MPEG2");

        box.Choose(kTv, "PAL");
        EXPECT_EQ(box.Items(kSize), (Texts{"720 x 480", "720 x 576"}));
        EXPECT_EQ(box.Shown(kSize), "720 x 576");
        EXPECT_FALSE(box.Enabled(kSize));
        EXPECT_EQ(box.Shown(kRate), "25.0 fps");
        EXPECT_FALSE(box.Enabled(kRate));
      },
      IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_settings, expected);  // the fixed lists store nothing
}

TEST_F(OutputSettings, VcdAndSvcdRatesAndSizesFollowTheTvMode) {
  g_settings.outputFormat = kFormatVcd;
  g_settings.tvMode = kTvNtsc;
  Run([](SettingsBox& box) {
    EXPECT_EQ(box.Shown(kRate), "23.976 fps");
    EXPECT_EQ(box.Shown(kSize), "352 x 240");
    ExpectFixed(box, kVideo, "MPEG1");
    ExpectFixed(box, kAudio, "MP2");
    EXPECT_EQ(box.Items(kQuality), AsTexts(kMpeg1QualityTexts));
    box.Choose(kTv, "PAL");
    EXPECT_EQ(box.Shown(kRate), "25.0 fps");
    EXPECT_EQ(box.Shown(kSize), "352 x 288");

    box.Choose(kFormat, "SVCD compatible MPEG2 Format (*.mpg)");
    EXPECT_EQ(box.Shown(kTv), "PAL");
    EXPECT_EQ(box.Shown(kSize), "480 x 576");
    EXPECT_EQ(box.Shown(kRate), "25.0 fps");
    box.Choose(kTv, "NTSC");
    EXPECT_EQ(box.Shown(kSize), "480 x 480");
    EXPECT_EQ(box.Shown(kRate), "29.97 fps");
    EXPECT_EQ(box.Items(kQuality), AsTexts(kSvcdQualityTexts));
  });
}

TEST_F(OutputSettings, DivxFixesTheVideoCodecWithoutTouchingTheAviCodec) {
  g_settings.outputFormat = kFormatAvi;
  g_settings.aviVideoCodec = 1;
  g_settings.divxAudioCodec = 0;
  const INT_PTR result = Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Items(kVideo), (Texts{"Divx", "Xvid"}));
        EXPECT_EQ(box.Shown(kVideo), "Xvid");
        EXPECT_TRUE(box.Enabled(kVideo));

        box.Choose(kFormat, "DivX Format (*.avi)");
        ExpectFixed(box, kVideo, "Divx");
        box.Choose(kAudio, "AC3");  // "Divx audio codec"
        box.Choose(kFormat, "Xvid Format (*.avi)");
        ExpectFixed(box, kVideo, "Xvid");
        EXPECT_EQ(box.Shown(kAudio), "MP3");  // "Xvid audio codec" of its own
        box.Choose(kFormat, "DivX Format (*.avi)");
      },
      IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_settings.outputFormat, kFormatDivx);
  EXPECT_EQ(g_settings.aviVideoCodec, 1);
  EXPECT_EQ(g_settings.divxAudioCodec, 1);
  EXPECT_EQ(g_settings.xvidAudioCodec, 0);
  EXPECT_EQ(g_settings.aviAudioCodec, 0);
}

TEST_F(OutputSettings, AsfAndWmvAudioCodecsAreKeptApart) {
  g_settings.outputFormat = kFormatAsf;
  g_settings.wmvAudioCodec = 1;
  g_settings.asfAudioCodec = 1;
  g_settings.asfVideoCodec = 2;
  Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Items(kVideo), (Texts{"msmpeg4", "msmpeg4v2", "WMV8"}));
        EXPECT_EQ(box.Shown(kVideo), "WMV8");
        box.Choose(kVideo, "msmpeg4");
        box.Choose(kAudio, "WMAv1");  // "ASF audio codec"

        box.Choose(kFormat, "WMV Format (*.wmv)");
        EXPECT_EQ(box.Shown(kAudio), "WMAv2");  // "WMV audio codec" unchanged
        ExpectFixed(box, kVideo, "WMV8");
        box.Choose(kFormat, "ASF Format (*.ASF)");
        EXPECT_EQ(box.Shown(kAudio), "WMAv1");
        EXPECT_EQ(box.Shown(kVideo), "msmpeg4");
      },
      IDOK);
  EXPECT_EQ(g_settings.asfAudioCodec, 0);
  EXPECT_EQ(g_settings.wmvAudioCodec, 1);
  EXPECT_EQ(g_settings.asfVideoCodec, 0);

  // And the other way round.
  g_settings.outputFormat = kFormatWmv;
  Run(
      [](SettingsBox& box) {
        box.Choose(kAudio, "WMAv1");
        box.Choose(kFormat, "ASF Format (*.ASF)");
        EXPECT_EQ(box.Shown(kAudio), "WMAv1");  // still the earlier ASF choice
        box.Choose(kAudio, "WMAv2");
      },
      IDOK);
  EXPECT_EQ(g_settings.wmvAudioCodec, 0);
  EXPECT_EQ(g_settings.asfAudioCodec, 1);
}

TEST_F(OutputSettings, AviChoicesSurviveASwitchToMpeg2AndBack) {
  g_settings.outputFormat = kFormatAvi;
  g_settings.mpeg2Quality = 3;
  g_settings.mpegResolution = 0;
  Run(
      [](SettingsBox& box) {
        box.Choose(kQuality, std::string(kAviQualityTexts[7]));
        box.Choose(kSize, "640 x 480");
        box.Choose(kRate, "25.0 fps");

        box.Choose(kFormat, "MPEG2 Format (*.mpg)");
        EXPECT_EQ(box.Items(kQuality), AsTexts(kMpeg2QualityTexts));
        EXPECT_EQ(box.Selection(kQuality), 3);
        EXPECT_EQ(box.Items(kSize), AsTexts(kMpegSizeTexts));
        EXPECT_EQ(box.Shown(kSize), "Original");
        EXPECT_EQ(box.Items(kRate), AsTexts(kMpegRateTexts));
        EXPECT_EQ(box.Items(kAspect), AsTexts(kMpegAspectTexts));
        EXPECT_TRUE(box.Enabled(kAspect));
        ExpectFixed(box, kTv, "None");
        box.Choose(kQuality, std::string(kMpeg2QualityTexts[1]));
        box.Choose(kSize, "720 x 576");  // index 17 of the MPEG list

        box.Choose(kFormat, "AVI Format (*.avi)");
        EXPECT_EQ(box.Items(kSize), AsTexts(kAviSizeTexts));
        EXPECT_EQ(box.Shown(kQuality), kAviQualityTexts[7]);
        EXPECT_EQ(box.Shown(kSize), "640 x 480");
        EXPECT_EQ(box.Shown(kRate), "25.0 fps");
        ExpectFixed(box, kAspect, "None");
      },
      IDOK);
  EXPECT_EQ(g_settings.outputFormat, kFormatAvi);
  EXPECT_EQ(g_settings.aviQuality, 7);
  EXPECT_EQ(g_settings.aviResolution, 17);
  EXPECT_EQ(g_settings.aviFrameRate, 5);
  EXPECT_EQ(g_settings.mpeg2Quality, 1);
  EXPECT_EQ(g_settings.mpegResolution, 17);
}

TEST_F(OutputSettings, WmvShowsAutoRateAndNoTvModeOrAspect) {
  g_settings.outputFormat = kFormatWmv;
  g_settings.aviResolution = 12;
  g_settings.aviFrameRate = 3;
  const ConversionSettings before = g_settings;
  Run(
      [](SettingsBox& box) {
        ExpectFixed(box, kRate, "Auto");
        ExpectFixed(box, kTv, "None");
        ExpectFixed(box, kAspect, "None");
        ExpectFixed(box, kVideo, "WMV8");
        EXPECT_EQ(box.Items(kSize), AsTexts(kAviSizeTexts));
        EXPECT_EQ(box.Shown(kSize), "352 x 288");
        EXPECT_TRUE(box.Enabled(kSize));
        EXPECT_EQ(box.Items(kQuality), AsTexts(kWmvQualityTexts));
        EXPECT_TRUE(box.Enabled(kQuality));
      },
      IDOK);
  EXPECT_EQ(g_settings, before);  // "AVI frame rate" behind "Auto" is untouched
}

TEST_F(OutputSettings, VolumeThumbFullyLeftShowsMinus20dbAndCancelKeepsTheVolume) {
  g_settings.volume = 27;
  const ConversionSettings before = g_settings;
  const INT_PTR result = Run([](SettingsBox& box) {
    EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+7db");
    EXPECT_EQ(SendMessageW(box.Item(IDC_SETTINGS_VOLUME), TBM_GETRANGEMIN, 0, 0), 0);
    EXPECT_EQ(SendMessageW(box.Item(IDC_SETTINGS_VOLUME), TBM_GETRANGEMAX, 0, 0), 40);
    EXPECT_EQ(box.SliderPos(), 27);
    box.PressKey(IDC_SETTINGS_VOLUME, VK_HOME);
    EXPECT_EQ(box.SliderPos(), 0);
    EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "-20db");
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(g_settings, before);
}

TEST_F(OutputSettings, TheLabelFollowsTheThumbWhileItIsDragged) {
  Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+0db");
        const HWND slider = box.Item(IDC_SETTINGS_VOLUME);
        SendMessageW(slider, TBM_SETPOS, TRUE, 35);
        SendMessageW(box.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 35), reinterpret_cast<LPARAM>(slider));
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+15db");
        box.PressKey(IDC_SETTINGS_VOLUME, VK_LEFT);
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+14db");
        // A scroll message without the trackbar changes nothing.
        SendMessageW(box.Handle(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 3), 0);
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+14db");
      },
      IDOK);
  EXPECT_EQ(g_settings.volume, 34);
}

TEST_F(OutputSettings, OkWithTheBoxClearedStoresLetterboxZeroAndAppliesTheCopy) {
  g_settings.letterbox = 1;
  g_settings.outputFormat = kFormatAvi;
  g_settings.mpegAspectRatio = 2;
  ConversionSettings expected = g_settings;
  expected.letterbox = 0;
  expected.outputFormat = kFormatMpeg1;
  expected.mpegAspectRatio = 3;
  expected.mpeg1Quality = 0;
  expected.volume = 40;
  expected.normalizeLoudness = 1;

  const INT_PTR result = Run(
      [](SettingsBox& box) {
        EXPECT_TRUE(box.Checked(IDC_SETTINGS_LETTERBOX));
        box.Click(IDC_SETTINGS_LETTERBOX);
        EXPECT_FALSE(box.Checked(IDC_SETTINGS_LETTERBOX));
        box.Choose(kFormat, "MPEG1 Format (*.mpg)");
        EXPECT_EQ(box.Shown(kAspect), "16:9   (Wide screen TV)");
        box.Choose(kAspect, "2.21:1 (CinemaScope movie)");
        box.Choose(kQuality, std::string(kMpeg1QualityTexts[0]));
        box.PressKey(IDC_SETTINGS_VOLUME, VK_END);
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+20db");
        EXPECT_FALSE(box.Checked(IDC_SETTINGS_LOUDNESS));
        box.Click(IDC_SETTINGS_LOUDNESS);
        box.Choose(kFormat, "WMV Format (*.wmv)");
        box.Choose(kFormat, "MPEG1 Format (*.mpg)");
        EXPECT_TRUE(box.Checked(IDC_SETTINGS_LOUDNESS));
        EXPECT_FALSE(box.Checked(IDC_SETTINGS_LETTERBOX));  // a format change keeps the boxes
      },
      IDOK);
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(g_settings, expected);
}

// The disc controls are enabled for SVCD and DVD only; a format change keeps
// their values, and OK stores them.
TEST_F(OutputSettings, FittingOnADiscIsOfferedForSvcdAndDvdAndKeptOnOk) {
  Run(
      [](SettingsBox& box) {
        EXPECT_FALSE(box.Enabled(IDC_SETTINGS_FIT_TO_DISC));
        EXPECT_FALSE(box.Enabled(IDC_SETTINGS_DISC_SIZE));
        EXPECT_EQ(box.Shown(IDC_SETTINGS_DISC_SIZE), "DVD 4.7 GB");
        box.Choose(kFormat, "SVCD compatible MPEG2 Format (*.mpg)");
        EXPECT_TRUE(box.Enabled(IDC_SETTINGS_FIT_TO_DISC));
        EXPECT_TRUE(box.Enabled(IDC_SETTINGS_DISC_SIZE));
        EXPECT_EQ(box.Items(IDC_SETTINGS_DISC_SIZE), AsTexts(kDiscSizeTexts));
        box.Click(IDC_SETTINGS_FIT_TO_DISC);
        box.Choose(IDC_SETTINGS_DISC_SIZE, "CD 700 MB");
        box.Choose(kFormat, "WMV Format (*.wmv)");
        EXPECT_FALSE(box.Enabled(IDC_SETTINGS_FIT_TO_DISC));
        EXPECT_TRUE(box.Checked(IDC_SETTINGS_FIT_TO_DISC));
        EXPECT_EQ(box.Shown(IDC_SETTINGS_DISC_SIZE), "CD 700 MB");
        box.Choose(kFormat, "DVD compatible MPEG2 Format (*.vob)");
      },
      IDOK);
  EXPECT_EQ(g_settings.outputFormat, kFormatDvd);
  EXPECT_EQ(g_settings.fitToDisc, 1);
  EXPECT_EQ(g_settings.discSize, 0);
}

TEST_F(OutputSettings, CancelDropsEveryChange) {
  g_settings.letterbox = 0;
  const ConversionSettings before = g_settings;
  const INT_PTR result = Run([](SettingsBox& box) {
    EXPECT_FALSE(box.Checked(IDC_SETTINGS_LETTERBOX));
    box.Click(IDC_SETTINGS_LETTERBOX);
    box.Click(IDC_SETTINGS_LOUDNESS);
    box.Choose(kFormat, "DVD compatible MPEG2 Format (*.vob)");
    box.Choose(kTv, "PAL");
    box.Choose(kAspect, "4:3    (Standard TV)");
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(g_settings, before);
}

TEST_F(OutputSettings, OutOfRangeValuesShowNoSelectionAndAreKeptOnOk) {
  g_settings.outputFormat = kFormatAvi;
  g_settings.aviQuality = 12;
  g_settings.aviResolution = -3;
  g_settings.aviAudioCodec = 7;
  g_settings.dvdAspectRatio = 5;
  g_settings.tvMode = 4;
  const ConversionSettings before = g_settings;
  Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Selection(kQuality), -1);
        EXPECT_EQ(box.Items(kQuality).size(), kAviQualityTexts.size());
        EXPECT_EQ(box.Selection(kSize), -1);
        EXPECT_EQ(box.Selection(kAudio), -1);
        EXPECT_EQ(box.Shown(kRate), "Original");
        box.Choose(kFormat, "DVD compatible MPEG2 Format (*.vob)");
        EXPECT_EQ(box.Selection(kTv), -1);
        EXPECT_EQ(box.Selection(kSize), -1);  // by TV mode
        EXPECT_EQ(box.Selection(kRate), -1);
        EXPECT_EQ(box.Selection(kAspect), -1);
        box.Choose(kFormat, "AVI Format (*.avi)");
      },
      IDOK);
  EXPECT_EQ(g_settings, before);
}

TEST_F(OutputSettings, AnUnknownFormatLeavesEveryListEmptyUntilOneIsPicked) {
  g_settings.outputFormat = kFormatCount;
  g_settings.volume = 55;
  const ConversionSettings before = g_settings;
  Run(
      [](SettingsBox& box) {
        EXPECT_EQ(box.Selection(kFormat), -1);
        for (int id : {kQuality, kVideo, kAudio, kSize, kRate, kTv, kAspect}) {
          EXPECT_TRUE(box.Items(id).empty()) << "list " << id;
          EXPECT_FALSE(box.Enabled(id)) << "list " << id;
        }
        EXPECT_EQ(box.Text(IDC_SETTINGS_VOLUME_LABEL), "+35db");
        EXPECT_EQ(box.SliderPos(), 40);
      },
      IDOK);
  EXPECT_EQ(g_settings, before);

  Run(
      [](SettingsBox& box) {
        box.Choose(kFormat, "MPEG1 Format (*.mpg)");
        EXPECT_EQ(box.Items(kQuality), AsTexts(kMpeg1QualityTexts));
        EXPECT_TRUE(box.Enabled(kQuality));
      },
      IDOK);
  EXPECT_EQ(g_settings.outputFormat, kFormatMpeg1);
}

}  // namespace
}  // namespace velto
