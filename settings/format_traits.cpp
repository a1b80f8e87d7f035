#include "settings/format_traits.h"

#include <array>

namespace velto {
namespace {

using S = ConversionSettings;

constexpr ListRule Choice(TextList texts, SettingField setting) { return {Pick::kChoice, texts, setting}; }
constexpr ListRule ByTvMode(TextList texts) { return {Pick::kByTvMode, texts, nullptr}; }
constexpr ListRule Fixed(TextList text) { return {Pick::kFixed, text, nullptr}; }

// A codec the user chooses, and the encoder reads from the same setting.
constexpr CodecTraits ChosenCodec(TextList texts, SettingField setting) {
  return {Choice(texts, setting), {setting, 0}};
}
// The one codec of a format, which the encoder needs no setting for.
constexpr CodecTraits OnlyCodec(TextList text) { return {Fixed(text), {}}; }

// Lists of one fixed item.
constexpr std::array<std::string_view, 1> kNone = {kFixedNoneText};
constexpr std::array<std::string_view, 1> kMpeg1 = {kFixedMpeg1Text};
constexpr std::array<std::string_view, 1> kMpeg2 = {kFixedMpeg2Text};
constexpr std::array<std::string_view, 1> kMp2 = {kFixedMp2Text};
constexpr std::array<std::string_view, 1> kDivx = {kFixedDivxText};
constexpr std::array<std::string_view, 1> kXvid = {kFixedXvidText};
constexpr std::array<std::string_view, 1> kWmv8 = {kFixedWmv8Text};
constexpr std::array<std::string_view, 1> kAuto = {kFixedAutoText};
constexpr std::array<std::string_view, 1> kH264 = {kFixedH264Text};
constexpr std::array<std::string_view, 1> kAac = {kFixedAacText};

// Quality presets, item by item of the quality lists.
constexpr std::array<QualityPreset, 9> kAviPresets{{{384, 64}, {512, 80}, {640, 96}, {768, 96}, {1000, 128},
                                                    {1200, 128}, {1500, 160}, {2000, 192}, {2500, 224}}};
constexpr std::array<QualityPreset, 5> kMpeg1Presets{{{512, 96}, {640, 128}, {800, 128}, {1000, 192}, {1152, 192}}};
constexpr std::array<QualityPreset, 6> kMpeg2Presets{
    {{800, 96}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}}};
constexpr std::array<QualityPreset, 5> kSvcdPresets{
    {{800, 128}, {1200, 192}, {1600, 224}, {2000, 224}, {2500, 224}}};
constexpr std::array<QualityPreset, 6> kDvdPresets{
    {{800, 112}, {1200, 112}, {1600, 128}, {2000, 160}, {3000, 224}, {5000, 224}}};
constexpr std::array<QualityPreset, 9> kWmvPresets{{{192, 64}, {256, 64}, {384, 80}, {640, 96}, {768, 128},
                                                    {1000, 128}, {1250, 160}, {1500, 192}, {2000, 224}}};
constexpr std::array<QualityPreset, 9> kMp4Presets{{{256, 64}, {384, 80}, {512, 96}, {640, 96}, {800, 128},
                                                    {1200, 128}, {1800, 160}, {2500, 192}, {4000, 192}}};

// Picture sizes, item by item of the size lists.
constexpr std::array<PictureSize, 20> kAviSizes{{{0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120},
                                                 {176, 120}, {176, 144}, {192, 144}, {240, 180}, {320, 200},
                                                 {320, 240}, {352, 240}, {352, 288}, {480, 272}, {480, 480},
                                                 {480, 576}, {624, 352}, {640, 480}, {720, 480}, {720, 576}}};
constexpr std::array<PictureSize, 18> kMpegSizes{{{0, 0},     {80, 60},   {96, 72},   {128, 96},  {160, 120},
                                                  {176, 120}, {176, 144}, {192, 144}, {240, 180}, {320, 200},
                                                  {320, 240}, {352, 240}, {352, 288}, {480, 480}, {480, 576},
                                                  {640, 480}, {720, 480}, {720, 576}}};
constexpr std::array<PictureSize, 11> kMp4Sizes{{{0, 0},     {320, 240}, {480, 272}, {640, 360},  {640, 480},
                                                 {720, 480}, {720, 576}, {854, 480}, {960, 540},  {1280, 720},
                                                 {1920, 1080}}};

// What the disc formats fix by TV mode: NTSC first, then PAL.
constexpr std::array<std::string_view, 2> kVcdSizeTexts = {"352 x 240", "352 x 288"};
constexpr std::array<PictureSize, 2> kVcdSizes{{{352, 240}, {352, 288}}};
constexpr std::array<std::string_view, 2> kSvcdSizeTexts = {"480 x 480", "480 x 576"};
constexpr std::array<PictureSize, 2> kSvcdSizes{{{480, 480}, {480, 576}}};
constexpr std::array<std::string_view, 2> kDvdSizeTexts = {"720 x 480", "720 x 576"};
constexpr std::array<PictureSize, 2> kDvdSizes{{{720, 480}, {720, 576}}};
constexpr std::array<std::string_view, 2> kVcdRateTexts = {"23.976 fps", "25.0 fps"};
constexpr std::array<double, 2> kVcdRates = {kFps23_976, 25.0};
constexpr std::array<std::string_view, 2> kSvcdDvdRateTexts = {"29.97 fps", "25.0 fps"};
constexpr std::array<double, 2> kSvcdDvdRates = {kFps29_97, 25.0};

// Frame rates, item by item of the rate lists; item 0 ("Original") stands
// for the rate picked from the source's.
constexpr std::array<double, 8> kAviRates = {0.0, kFps14_985, 20.0, kFps23_976, 24.0, 25.0, kFps29_97, 30.0};
constexpr std::array<double, 6> kMpegRates = {0.0, kFps23_976, 24.0, 25.0, kFps29_97, 30.0};
constexpr std::array<double, 1> kUnlimitedRate = {kFpsUnlimited};

// The source's own rate within 14.985..60; slower sources are raised to
// 14.985, faster ones run at 30.
double AviRateFromSource(double fps) {
  if (fps < kFps14_985) return kFps14_985;
  if (fps > 60.0) return 30.0;
  return fps;
}

// The MPEG rate of the source's band; each edge belongs to the upper band.
double MpegRateFromSource(double fps) {
  if (fps < 24.0) return kFps23_976;
  if (fps < 25.0) return 24.0;
  if (fps < 28.0) return 25.0;
  if (fps < 30.0) return kFps29_97;
  return 30.0;
}

constexpr std::array<std::string_view, 4> kMpegAspectRatios = {"1/1", "4/3", "16/9", "2.21/1"};
constexpr std::array<std::string_view, 2> kDiscAspectRatios = {"4/3", "16/9"};

static_assert(kAviPresets.size() == kAviQualityTexts.size() && kMpeg1Presets.size() == kMpeg1QualityTexts.size() &&
              kMpeg2Presets.size() == kMpeg2QualityTexts.size() && kSvcdPresets.size() == kSvcdQualityTexts.size() &&
              kDvdPresets.size() == kDvdQualityTexts.size() && kWmvPresets.size() == kWmvQualityTexts.size() &&
              kMp4Presets.size() == kMp4QualityTexts.size());
static_assert(kAviSizes.size() == kAviSizeTexts.size() && kMpegSizes.size() == kMpegSizeTexts.size() &&
              kMp4Sizes.size() == kMp4SizeTexts.size());
static_assert(kAviRates.size() == kAviRateTexts.size() && kMpegRates.size() == kMpegRateTexts.size());
static_assert(kMpegAspectRatios.size() == kMpegAspectTexts.size() &&
              kDiscAspectRatios.size() == kDvdAspectTexts.size());

constexpr QualityTraits kAviQuality = {Choice(kAviQualityTexts, &S::aviQuality), kAviPresets};
constexpr QualityTraits kMpeg1Quality = {Choice(kMpeg1QualityTexts, &S::mpeg1Quality), kMpeg1Presets};
constexpr QualityTraits kMpeg2Quality = {Choice(kMpeg2QualityTexts, &S::mpeg2Quality), kMpeg2Presets};
constexpr QualityTraits kSvcdQuality = {Choice(kSvcdQualityTexts, &S::svcdQuality), kSvcdPresets};
constexpr QualityTraits kDvdQuality = {Choice(kDvdQualityTexts, &S::dvdQuality), kDvdPresets};
constexpr QualityTraits kWmvQuality = {Choice(kWmvQualityTexts, &S::wmvQuality), kWmvPresets};

constexpr CodecTraits kAviAudioCodec = ChosenCodec(kMp3Ac3AudioCodecTexts, &S::aviAudioCodec);
constexpr CodecTraits kMpeg1Codec = OnlyCodec(kMpeg1);
constexpr CodecTraits kMpeg2Codec = OnlyCodec(kMpeg2);
constexpr CodecTraits kMp2Codec = OnlyCodec(kMp2);

constexpr ListRule kNoTvMode = Fixed(kNone);
constexpr ListRule kTvModeChoice = Choice(kTvModeTexts, &S::tvMode);

constexpr SizeTraits kAviSize = {Choice(kAviSizeTexts, &S::aviResolution), kAviSizes};
constexpr SizeTraits kMpegSize = {Choice(kMpegSizeTexts, &S::mpegResolution), kMpegSizes};
constexpr SizeTraits kVcdSize = {ByTvMode(kVcdSizeTexts), kVcdSizes};
constexpr SizeTraits kSvcdSize = {ByTvMode(kSvcdSizeTexts), kSvcdSizes};
constexpr SizeTraits kDvdSize = {ByTvMode(kDvdSizeTexts), kDvdSizes};

constexpr RateTraits kAviRate = {Choice(kAviRateTexts, &S::aviFrameRate), kAviRates, AviRateFromSource};
constexpr RateTraits kMpegRate = {Choice(kMpegRateTexts, &S::mpegFrameRate), kMpegRates, MpegRateFromSource};
constexpr RateTraits kVcdRate = {ByTvMode(kVcdRateTexts), kVcdRates};
constexpr RateTraits kSvcdDvdRate = {ByTvMode(kSvcdDvdRateTexts), kSvcdDvdRates};
constexpr RateTraits kAutoRate = {Fixed(kAuto), kUnlimitedRate};

constexpr AspectTraits kMpegAspect = {Choice(kMpegAspectTexts, &S::mpegAspectRatio), kMpegAspectRatios};
constexpr AspectTraits kDiscAspect = {Choice(kDvdAspectTexts, &S::dvdAspectRatio), kDiscAspectRatios};
constexpr AspectTraits kNoAspect = {Fixed(kNone), {}};

// Fitting a list on one disc. The overheads were measured on real outputs
// of the engine (four noisy moving test clips of 10, 20, 30 and 40 s
// converted through veltoenc.exe at 1200-5000 kbit/s video with 128 and 224
// kbit/s audio, the file sizes set against the sums of their streams'
// packets, and a least-squares fit):
//  - SVCD (2324-byte packs): 1.13 % of the streams' bytes, 84 bytes a
//    second and 5,604 bytes a file, largest residue 1,244 bytes. Its line
//    sends vrc_minrate=600, with which the rate control runs well past its
//    target towards the peak rate on such pictures (1200 kbit/s asked, 1705
//    delivered, peak 1850; 2376 asked, 2447 delivered over 20 s, peak 2438),
//    so an SVCD file is planned at its peak.
//  - DVD (2048-byte packs with a navigation pack per GOP): 1.18 % of the
//    streams' bytes, 5,589 bytes a second and 1,455 bytes a file, largest
//    residue 2,835 bytes. Its video came out 76-114 kB over its target per
//    file, within the 229 kB of its rate-control buffer.
// Beyond the measured figures each file may run one rate-control buffer past
// its rate.
constexpr DiscFitTraits kSvcdFit = {2600, 600, 2500, 1100, SvcdPeakKbps, 917'504 / 8, 0.0113, 84.0, 5'604 + 1'244};
constexpr DiscFitTraits kDvdFit = {9800, 1, 9400, 2000, nullptr, 1'835'008 / 8, 0.0118, 5'589.0, 1'455 + 2'835};

using R = EncoderRecipe;

// Indexed by OutputFormat. DivX and Xvid each have one video codec, the AVI
// list's "Divx" and "Xvid", and an audio codec setting of their own.
constexpr std::array<FormatTraits, kFormatCount> kTraits = {{
    // AVI
    {kAviQuality, ChosenCodec(kAviVideoCodecTexts, &S::aviVideoCodec), kAviAudioCodec,
     kNoTvMode, kAviSize, kAviRate, kNoAspect, R::kAviFamily, "avi", nullptr},
    // MPEG1
    {kMpeg1Quality, kMpeg1Codec, kMp2Codec,
     kNoTvMode, kMpegSize, kMpegRate, kMpegAspect, R::kMpeg1, "mpeg", nullptr},
    // MPEG2
    {kMpeg2Quality, kMpeg2Codec, kMp2Codec,
     kNoTvMode, kMpegSize, kMpegRate, kMpegAspect, R::kMpeg2, "mpeg", nullptr},
    // DivX
    {kAviQuality, {Fixed(kDivx), {nullptr, 0}}, ChosenCodec(kMp3Ac3AudioCodecTexts, &S::divxAudioCodec),
     kNoTvMode, kAviSize, kAviRate, kNoAspect, R::kAviFamily, "avi", nullptr},
    // Xvid
    {kAviQuality, {Fixed(kXvid), {nullptr, 1}}, ChosenCodec(kMp3Ac3AudioCodecTexts, &S::xvidAudioCodec),
     kNoTvMode, kAviSize, kAviRate, kNoAspect, R::kAviFamily, "avi", nullptr},
    // VCD
    {kMpeg1Quality, kMpeg1Codec, kMp2Codec,
     kTvModeChoice, kVcdSize, kVcdRate, kDiscAspect, R::kVcd, "mpeg", nullptr},
    // SVCD
    {kSvcdQuality, kMpeg2Codec, kMp2Codec,
     kTvModeChoice, kSvcdSize, kSvcdDvdRate, kDiscAspect, R::kSvcd, "mpeg", &kSvcdFit},
    // DVD
    {kDvdQuality, kMpeg2Codec, ChosenCodec(kDvdAudioCodecTexts, &S::dvdAudioCodec),
     kTvModeChoice, kDvdSize, kSvcdDvdRate, kDiscAspect, R::kDvd, "vob", &kDvdFit},
    // WMV: its one video codec is the ASF list's last, "WMV8".
    {kWmvQuality, {Fixed(kWmv8), {nullptr, 2}}, ChosenCodec(kWmaAudioCodecTexts, &S::wmvAudioCodec),
     kNoTvMode, kAviSize, kAutoRate, kNoAspect, R::kWmv, "wmv", nullptr},
    // ASF
    {kWmvQuality, ChosenCodec(kAsfVideoCodecTexts, &S::asfVideoCodec),
     ChosenCodec(kWmaAudioCodecTexts, &S::asfAudioCodec),
     kNoTvMode, kAviSize, kAutoRate, kNoAspect, R::kAsf, "asf", nullptr},
    // MP4: H.264 and AAC; the AVI rates in a setting of its own. No aspect
    // is sent: the picture keeps the source's display aspect.
    {{Choice(kMp4QualityTexts, &S::mp4Quality), kMp4Presets}, OnlyCodec(kH264), OnlyCodec(kAac),
     kNoTvMode, {Choice(kMp4SizeTexts, &S::mp4Resolution), kMp4Sizes},
     {Choice(kAviRateTexts, &S::mp4FrameRate), kAviRates, AviRateFromSource}, kNoAspect, R::kMp4, "mp4", nullptr},
}};

}  // namespace

const FormatTraits* TraitsOf(std::int32_t outputFormat) {
  if (outputFormat < 0 || outputFormat >= kFormatCount) return nullptr;
  return &kTraits[static_cast<std::size_t>(outputFormat)];
}

std::int32_t SvcdPeakKbps(std::int32_t videoKbps) { return videoKbps + (2500 - videoKbps) / 2; }

bool UsesTvMode(const FormatTraits& traits) { return traits.tvMode.pick == Pick::kChoice; }

std::int32_t EncoderCodecIndex(const ConversionSettings& settings, EncoderCodec codec) {
  return codec.setting ? settings.*codec.setting : codec.fixed;
}

}  // namespace velto
