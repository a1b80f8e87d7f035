#pragma once
// The texts the settings lists show, index by index: a list's item index is
// the stored value. The texts are shown exactly as written, inner spaces
// included.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velto {

using TextList = std::span<const std::string_view>;

// Quality presets ("AVI quality", "WMV quality", "MPEG1 quality",
// "SVCD quality", "MPEG2 quality", "DVD quality", "MP4 quality").
// Q-AVI
inline constexpr std::array<std::string_view, 9> kAviQualityTexts = {
    "1.Lowest (video bitrate: 384kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 512kbps; audio bitrate: 80kbps)",
    "3.Low    (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "4.Normal (video bitrate: 768kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate:1000kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1200kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1500kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:2000kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};

// Q-WMV
inline constexpr std::array<std::string_view, 9> kWmvQualityTexts = {
    "1.Lowest (video bitrate: 192kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 256kbps; audio bitrate: 64kbps)",
    "3.Low    (video bitrate: 384kbps; audio bitrate: 80kbps)",
    "4.Normal (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate: 768kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1000kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1250kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:1500kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:2000kbps; audio bitrate:224kbps)",
};

// MP4: H.264 rates, lower than AVI's for the same picture.
inline constexpr std::array<std::string_view, 9> kMp4QualityTexts = {
    "1.Lowest (video bitrate: 256kbps; audio bitrate: 64kbps)",
    "2.Lower  (video bitrate: 384kbps; audio bitrate: 80kbps)",
    "3.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)",
    "4.Normal (video bitrate: 640kbps; audio bitrate: 96kbps)",
    "5.Medium (video bitrate: 800kbps; audio bitrate:128kbps)",
    "6.Good   (video bitrate:1200kbps; audio bitrate:128kbps)",
    "7.Better (video bitrate:1800kbps; audio bitrate:160kbps)",
    "8.High   (video bitrate:2500kbps; audio bitrate:192kbps)",
    "9.Best   (video bitrate:4000kbps; audio bitrate:192kbps)",
};

// Q-MPEG1
inline constexpr std::array<std::string_view, 5> kMpeg1QualityTexts = {
    "1.Low    (video bitrate: 512kbps; audio bitrate: 96kbps)",
    "2.Normal (video bitrate: 640kbps; audio bitrate:128kbps)",
    "3.Medium (video bitrate: 800kbps; audio bitrate:128kbps)",
    "4.Good   (video bitrate:1000kbps; audio bitrate:192kbps)",
    "5.Best   (video bitrate:1152kbps; audio bitrate:192kbps)",
};

// Q-SVCD
inline constexpr std::array<std::string_view, 5> kSvcdQualityTexts = {
    "1.Low    (video bitrate: 800kbps; audio bitrate:128kbps)",
    "2.Normal (video bitrate:1200kbps; audio bitrate:192kbps)",
    "3.Medium (video bitrate:1600kbps; audio bitrate:224kbps)",
    "4.Good   (video bitrate:2000kbps; audio bitrate:224kbps)",
    "5.Best   (video bitrate:2500kbps; audio bitrate:224kbps)",
};

// Q-MPEG2
inline constexpr std::array<std::string_view, 6> kMpeg2QualityTexts = {
    "1.Lower  (video bitrate: 800kbps; audio bitrate: 96kbps)",
    "2.Low    (video bitrate:1200kbps; audio bitrate:112kbps)",
    "3.Normal (video bitrate:1600kbps; audio bitrate:128kbps)",
    "4.Medium (video bitrate:2000kbps; audio bitrate:160kbps)",
    "5.Good   (video bitrate:3000kbps; audio bitrate:224kbps)",
    "6.Best   (video bitrate:5000kbps; audio bitrate:224kbps)",
};

// Q-DVD: differs from Q-MPEG2 only in its first entry.
inline constexpr std::array<std::string_view, 6> kDvdQualityTexts = {
    "1.Lower  (video bitrate: 800kbps; audio bitrate:112kbps)",
    kMpeg2QualityTexts[1],
    kMpeg2QualityTexts[2],
    kMpeg2QualityTexts[3],
    kMpeg2QualityTexts[4],
    kMpeg2QualityTexts[5],
};

// Aspect ratios: four for MPEG1/MPEG2 ("MPEG aspect ratio"), two for the
// VCD, SVCD and DVD formats ("DVD aspect ratio").
// Aspect-4
inline constexpr std::array<std::string_view, 4> kMpegAspectTexts = {
    "1:1    (PC VAG)",
    "4:3    (Standard TV)",
    "16:9   (Wide screen TV)",
    "2.21:1 (CinemaScope movie)",
};

// Aspect-2
inline constexpr std::array<std::string_view, 2> kDvdAspectTexts = {
    "4:3    (Standard TV)",
    "16:9   (Wide screen TV)",
};

// Picture sizes: twenty for "AVI resolution", eighteen for "MPEG resolution".
// Size-20
inline constexpr std::array<std::string_view, 20> kAviSizeTexts = {
    "Original",  "80 x 60",   "96 x 72",   "128 x 96",  "160 x 120", "176 x 120", "176 x 144",
    "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240", "352 x 288", "480 x 272",
    "480 x 480", "480 x 576", "624 x 352", "640 x 480", "720 x 480", "720 x 576",
};

// Size-18: Size-20 without "480 x 272" and "624 x 352".
inline constexpr std::array<std::string_view, 18> kMpegSizeTexts = {
    "Original",  "80 x 60",   "96 x 72",   "128 x 96",  "160 x 120", "176 x 120",
    "176 x 144", "192 x 144", "240 x 180", "320 x 200", "320 x 240", "352 x 240",
    "352 x 288", "480 x 480", "480 x 576", "640 x 480", "720 x 480", "720 x 576",
};

// "MP4 resolution": sizes of phones, tablets and HD screens.
inline constexpr std::array<std::string_view, 11> kMp4SizeTexts = {
    "Original",  "320 x 240", "480 x 272", "640 x 360",  "640 x 480",   "720 x 480",
    "720 x 576", "854 x 480", "960 x 540", "1280 x 720", "1920 x 1080",
};

// Frame rates: eight for "AVI frame rate" (and "MP4 frame rate"), six for
// "MPEG frame rate".
// Rate-8
inline constexpr std::array<std::string_view, 8> kAviRateTexts = {
    "Original", "14.985 fps", "20.0 fps", "23.976 fps", "24.0 fps", "25.0 fps", "29.97 fps", "30.0 fps",
};

// Rate-6
inline constexpr std::array<std::string_view, 6> kMpegRateTexts = {
    "Original", "23.976 fps", "24.0 fps", "25.0 fps", "29.97 fps", "30.0 fps",
};

// "Output format", in OutputFormat order.
inline constexpr std::array<std::string_view, 11> kOutputFormatTexts = {
    "AVI Format (*.avi)",
    "MPEG1 Format (*.mpg)",
    "MPEG2 Format (*.mpg)",
    "DivX Format (*.avi)",
    "Xvid Format (*.avi)",
    "VCD compatible MPEG1 Format (*.mpg)",
    "SVCD compatible MPEG2 Format (*.mpg)",
    "DVD compatible MPEG2 Format (*.vob)",
    "WMV Format (*.wmv)",
    "ASF Format (*.ASF)",
    "MP4 Format (*.mp4)",
};

// "TV mode".
inline constexpr std::array<std::string_view, 2> kTvModeTexts = {"NTSC", "PAL"};

// "Disc size": the discs a list can be fitted on.
inline constexpr std::array<std::string_view, 3> kDiscSizeTexts = {"CD 700 MB", "DVD 4.7 GB",
                                                                   "DVD 8.5 GB (dual layer)"};

// Codec choices.
inline constexpr std::array<std::string_view, 2> kAviVideoCodecTexts = {"Divx", "Xvid"};        // "AVI video codec"
inline constexpr std::array<std::string_view, 3> kAsfVideoCodecTexts = {"msmpeg4", "msmpeg4v2", "WMV8"};  // "ASF video codec"
inline constexpr std::array<std::string_view, 2> kMp3Ac3AudioCodecTexts = {"MP3", "AC3"};      // AVI, Divx, Xvid audio
inline constexpr std::array<std::string_view, 2> kDvdAudioCodecTexts = {"AC3", "MP2"};         // "DVD audio codec"
inline constexpr std::array<std::string_view, 2> kWmaAudioCodecTexts = {"WMAv1", "WMAv2"};     // WMV, ASF audio

// Texts of lists that show one fixed entry.
inline constexpr std::string_view kFixedNoneText = "None";
inline constexpr std::string_view kFixedMpeg1Text = "MPEG1";
inline constexpr std::string_view kFixedMpeg2Text = "MPEG2";
inline constexpr std::string_view kFixedMp2Text = "MP2";
inline constexpr std::string_view kFixedDivxText = "Divx";
inline constexpr std::string_view kFixedXvidText = "Xvid";
inline constexpr std::string_view kFixedWmv8Text = "WMV8";
inline constexpr std::string_view kFixedAutoText = "Auto";
inline constexpr std::string_view kFixedH264Text = "H.264";
inline constexpr std::string_view kFixedAacText = "AAC";

// The entry at index, or "" when the index lies outside the list.
constexpr std::string_view ListText(TextList list, std::int64_t index) {
  return index >= 0 && static_cast<std::uint64_t>(index) < list.size() ? list[static_cast<std::size_t>(index)]
                                                                        : std::string_view{};
}

// The label of a "Volume" value (gain plus 20): 20 gives "+0db", 27 "+7db",
// 0 "-20db", 40 "+20db".
std::string VolumeLabelText(std::int32_t volume);

}  // namespace velto
