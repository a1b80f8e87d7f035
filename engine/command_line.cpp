#include "engine/command_line.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/encoder_interface.h"
#include "base/module_directory.h"
#include "settings/format_traits.h"

namespace velto {
namespace {

// Appends printf-style output to `out`. Only %d and %s are used here, which
// do not depend on the C locale.
template <typename... Args>
void AppendFormat(std::string& out, const char* format, Args... args) {
  const int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return;
  const std::size_t start = out.size();
  out.resize(start + static_cast<std::size_t>(length) + 1);
  std::snprintf(out.data() + start, static_cast<std::size_t>(length) + 1, format, args...);
  out.resize(start + static_cast<std::size_t>(length));
}

// A double with six decimals and a point, whatever the locale.
std::string FixedSix(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buffer, result.ptr);
}

bool Near(double fps, double centre) {
  const double difference = fps - centre;
  return difference <= 0.00001 && difference >= -0.00001;
}

std::int32_t WindowHandleNumber(std::intptr_t handle) {
  // Window handles carry 32 significant bits; 64-bit Windows sign-extends them.
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uintptr_t>(handle)));
}

// Video codec 0 is MPEG-4 by lavc with the DX50 tag, 1 Xvid; audio codec 0
// is MP3 by LAME, 1 AC-3. Other values send no codec pieces.
void AppendAviFamily(std::string& out, const ConversionSettings& s, const FormatTraits& t,
                     const EncodingParameters& p, const std::string& volume) {
  const int v = p.videoBitrate;
  const int a = p.audioBitrate;
  const std::int32_t videoCodec = EncoderCodecIndex(s, t.videoCodec.encoder);
  const std::int32_t audioCodec = EncoderCodecIndex(s, t.audioCodec.encoder);
  if (videoCodec == 0 && audioCodec == 0) {
    out += " -oac mp3lame -ovc lavc";
    AppendFormat(out, " -lameopts vbr=3:br=%d:mode=3", a);
    AppendFormat(out, " -lavcopts vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31:autoaspect=1", v);
    out += " -ffourcc DX50";
  } else if (videoCodec == 0 && audioCodec == 1) {
    out += " -oac lavc -ovc lavc";
    AppendFormat(out,
                 " -lavcopts acodec=ac3:abitrate=%d:vcodec=mpeg4:vbitrate=%d:vhq:vqmin=1:vqmax=31:autoaspect=1",
                 a, v);
    out += " -ffourcc DX50";
  } else if (videoCodec == 1 && audioCodec == 0) {
    out += " -oac mp3lame -ovc xvid";
    AppendFormat(out, " -lameopts vbr=3:br=%d:mode=3", a);
    AppendFormat(out, " -xvidencopts bitrate=%d:autoaspect=1", v);
  } else if (videoCodec == 1 && audioCodec == 1) {
    out += " -oac lavc -ovc xvid";
    AppendFormat(out, " -lavcopts acodec=ac3:abitrate=%d", a);
    AppendFormat(out, " -xvidencopts bitrate=%d:autoaspect=1", v);
  }
  out += " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=avi";
  out += " -sws 2";
  if (audioCodec == 1) {
    AppendFormat(out, " -af volume=%s:channels=6:lavcresample=44100", volume.c_str());
    out += " -srate 44100";
  } else {
    AppendFormat(out, " -af volume=%s:channels=2", volume.c_str());
  }
}

void AppendMpeg1(std::string& out, const EncodingParameters& p, const std::string& volume) {
  const int v = p.videoBitrate;
  AppendFormat(out, " -af volume=%s:channels=2:lavcresample=44100", volume.c_str());
  out += " -srate 44100";
  out += " -oac lavc -ovc lavc";
  AppendFormat(out,
               " -lavcopts vcodec=mpeg1video:keyint=18:vrc_buf_size=327:vrc_minrate=%d:vbitrate=%d:"
               "vrc_maxrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
               v, v, v, p.audioBitrate, p.aspectText.c_str());
  out += " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
}

void AppendMpeg2(std::string& out, const EncodingParameters& p, const std::string& volume) {
  out += " -oac lavc -ovc lavc";
  AppendFormat(out,
               " -lavcopts vcodec=mpeg2video:keyint=18:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=%d:"
               "acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
               p.videoBitrate, p.audioBitrate, p.aspectText.c_str());
  out += " -of lavf -lavfopts format=mpg:i_certify_that_my_video_stream_does_not_use_b_frames";
  AppendFormat(out, " -af volume=%s:channels=2:lavcresample=44100", volume.c_str());
  out += " -srate 44100";
}

// Key-frame interval of the disc formats: PAL 15, NTSC 18.
int DiscKeyInterval(const ConversionSettings& s) { return s.tvMode == kTvPal ? 15 : 18; }

void AppendVcd(std::string& out, const ConversionSettings& s, const EncodingParameters& p,
               const std::string& volume) {
  const int v = p.videoBitrate;
  out += " -oac lavc -ovc lavc -of mpeg";
  AppendFormat(out,
               " -lavcopts vcodec=mpeg1video:keyint=%d:vrc_buf_size=327:vrc_minrate=%d:vbitrate=%d:"
               "vrc_maxrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
               DiscKeyInterval(s), v, v, v, p.audioBitrate, p.aspectText.c_str());
  out += " -mpegopts format=xvcd";
  AppendFormat(out, " -af volume=%s:channels=2:lavcresample=44100", volume.c_str());
  out += " -srate 44100";
}

void AppendSvcd(std::string& out, const ConversionSettings& s, const EncodingParameters& p,
                const std::string& volume) {
  const int v = p.videoBitrate;
  const int maxRate = SvcdPeakKbps(v);
  out += " -oac lavc -ovc lavc -of mpeg";
  AppendFormat(out,
               " -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=917:vrc_minrate=600:vrc_maxrate=%d:"
               "vbitrate=%d:acodec=mp2:abitrate=%d:autoaspect=1:aspect=%s",
               DiscKeyInterval(s), maxRate, v, p.audioBitrate, p.aspectText.c_str());
  out += " -mpegopts format=xsvcd";
  AppendFormat(out, " -af volume=%s:channels=2:lavcresample=44100", volume.c_str());
  out += " -srate 44100";
}

void AppendDvd(std::string& out, const ConversionSettings& s, const FormatTraits& t, const EncodingParameters& p,
               const std::string& volume) {
  const char* audioCodec = EncoderCodecIndex(s, t.audioCodec.encoder) == 0 ? "ac3" : "mp2";
  out += " -oac lavc -ovc lavc -of mpeg";
  AppendFormat(out,
               " -lavcopts vcodec=mpeg2video:keyint=%d:vrc_buf_size=1835:vrc_maxrate=9400:vbitrate=%d:"
               "acodec=%s:abitrate=%d:autoaspect=1:aspect=%s",
               DiscKeyInterval(s), p.videoBitrate, audioCodec, p.audioBitrate, p.aspectText.c_str());
  out += " -mpegopts format=dvd";
  AppendFormat(out, " -af volume=%s:lavcresample=48000", volume.c_str());
  out += " -srate 48000";
}

// In the order of the ASF video codec list; any other value takes its last.
const char* WindowsMediaVideoCodec(std::int32_t index) {
  switch (index) {
    case 0: return "msmpeg4";
    case 1: return "msmpeg4v2";
    default: return "wmv2";
  }
}

// WMV and ASF send a quantizer, 29 - 2.5 q truncated toward zero: 29 down
// to 9 for the list's qualities. A stored value outside the list gives the
// nearest quantizer the encoder takes (1 to 31), never a number out of range.
int WindowsMediaQuantizer(std::int32_t quality) {
  const double quantizer = std::trunc(29.0 - 2.5 * static_cast<double>(quality));
  return static_cast<int>(std::clamp(quantizer, 1.0, 31.0));
}

void AppendWindowsMedia(std::string& out, const char* container, const ConversionSettings& s,
                        const FormatTraits& t, const EncodingParameters& p, const std::string& volume) {
  const char* videoCodec = WindowsMediaVideoCodec(EncoderCodecIndex(s, t.videoCodec.encoder));
  const char* audioCodec = EncoderCodecIndex(s, t.audioCodec.encoder) == 0 ? "wmav1" : "wmav2";
  const int quantizer = WindowsMediaQuantizer(s.*t.quality.list.setting);
  out += " -oac lavc -ovc lavc";
  AppendFormat(out, " -lavcopts vcodec=%s:acodec=%s:vqscale=%d:abitrate=%d:autoaspect=1", videoCodec,
               audioCodec, quantizer, p.audioBitrate);
  AppendFormat(out, " -of lavf -lavfopts i_certify_that_my_video_stream_does_not_use_b_frames:format=%s",
               container);
  out += " -sws 2";
  AppendFormat(out, " -af volume=%s:channels=2", volume.c_str());
  out += " -srate 44100";
}

// H.264 by x264 at an average rate, its buffer and peak twice that, and
// AAC-LC, in an MP4 file.
void AppendMp4(std::string& out, const EncodingParameters& p, const std::string& volume) {
  const std::string v = std::to_string(p.videoBitrate);
  const std::string twice = std::to_string(2LL * p.videoBitrate);  // widened: no overflow
  out += " -oac faac -ovc x264";
  AppendFormat(out, " -faacopts br=%d:mpeg=4:object=2", p.audioBitrate);
  AppendFormat(out, " -x264encopts bitrate=%s:vbv_maxrate=%s:vbv_bufsize=%s:profile=high", v.c_str(), twice.c_str(),
               twice.c_str());
  out += " -of lavf -lavfopts format=mp4";
  out += " -sws 2";
  AppendFormat(out, " -af volume=%s:channels=2", volume.c_str());
}

// A format outside the list adds none.
void AppendFormatPieces(std::string& out, const ConversionSettings& s, const EncodingParameters& p,
                        const std::string& volume) {
  const FormatTraits* traits = TraitsOf(s.outputFormat);
  if (traits == nullptr) return;
  const FormatTraits& t = *traits;
  switch (t.recipe) {
    case EncoderRecipe::kAviFamily: AppendAviFamily(out, s, t, p, volume); break;
    case EncoderRecipe::kMpeg1: AppendMpeg1(out, p, volume); break;
    case EncoderRecipe::kMpeg2: AppendMpeg2(out, p, volume); break;
    case EncoderRecipe::kVcd: AppendVcd(out, s, p, volume); break;
    case EncoderRecipe::kSvcd: AppendSvcd(out, s, p, volume); break;
    case EncoderRecipe::kDvd: AppendDvd(out, s, t, p, volume); break;
    case EncoderRecipe::kWmv: AppendWindowsMedia(out, "wmv", s, t, p, volume); break;
    case EncoderRecipe::kAsf: AppendWindowsMedia(out, "asf", s, t, p, volume); break;
    case EncoderRecipe::kMp4: AppendMp4(out, p, volume); break;
  }
}

void AppendScaling(std::string& out, const EncoderRun& run, const EncodingParameters& p) {
  const int w = p.outputWidth;
  const int h = p.outputHeight;
  if (run.padWidth > 0) {
    AppendFormat(out, " -vf scale=-3:%d,harddup,expand=%d:%d", h, w, h);
  } else if (run.padHeight > 0) {
    AppendFormat(out, " -vf scale=%d:-3,harddup,expand=%d:%d", w, w, h);
  } else if (w != 0 && h != 0) {
    AppendFormat(out, " -vf scale=%d:%d,harddup", w, h);
  }
}

}  // namespace

std::string VolumeText(std::int32_t volume) {
  // Widened so that any stored value gives its plain difference.
  const long long gain = static_cast<long long>(volume) - 20;
  if (gain >= 0) return "+" + std::to_string(gain) + "db:0";
  return "-" + std::to_string(-gain) + "db:0";
}

std::string FrameRatePiece(double fps) {
  if (Near(fps, kFps14_985)) return " -ofps 15000/1001";
  if (Near(fps, kFps23_976)) return " -ofps 24000/1001";
  if (Near(fps, kFps29_97)) return " -ofps 30000/1001";
  return " -ofps " + FixedSix(fps);
}

EncoderCommand BuildCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                double sourceFps, const EncoderRun& run,
                                std::string_view programDirectory) {
  // The aspect text is made for this run only; formats without aspect= leave it empty.
  params.aspectText.clear();
  SelectQualityPreset(settings, params);
  if (run.videoBitrate > 0) params.videoBitrate = run.videoBitrate;
  SelectAspectText(settings, params);
  SelectFrameRate(settings, sourceFps, params);

  const std::string volume = VolumeText(settings.volume);
  EncoderCommand command;
  std::string& out = command.arguments;
  out.reserve(1024);
  out += '"';
  out += run.sourcePath;
  out += "\" -o \"";
  out += run.outputPath;
  out += '"';
  AppendFormatPieces(out, settings, params, volume);
  out += FrameRatePiece(params.outputFps);
  AppendScaling(out, run, params);
  // A piece of our own, sent only when asked for, so that every other line
  // stays as it always was.
  if (settings.normalizeLoudness != 0) out += " -even-loudness";
  out += " -endpos";
  out += " 9:0:0";
  AppendFormat(out, " %d", static_cast<int>(run.runMode));
  AppendFormat(out, " %d", static_cast<int>(WindowHandleNumber(run.mainWindow)));

  command.encoderPath = std::string(programDirectory) + kEncoderExecutable;
  return command;
}

EncoderCommand BuildPreviewCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                       double sourceFps, EncoderRun run, double seconds,
                                       std::string_view programDirectory) {
  run.runMode = kRunPreview;
  EncoderCommand command = BuildCommandLine(settings, params, sourceFps, run, programDirectory);
  const long long millis = std::isfinite(seconds) && seconds > 0.0 ? std::llround(std::min(seconds, 1e9) * 1000.0) : 0;
  std::string moment = " -ss " + std::to_string(millis / 1000);
  if (millis % 1000 != 0) {
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ".%03lld", millis % 1000);
    std::string digits(fraction);
    while (digits.back() == '0') digits.pop_back();
    moment += digits;
  }
  // The ending is the line's last piece: a path that holds the same text
  // comes before it.
  const std::size_t ending = command.arguments.rfind(" -endpos 9:0:0");
  command.arguments.insert(ending == std::string::npos ? command.arguments.size() : ending, moment);
  return command;
}

EncoderCommand BuildCommandLine(const ConversionSettings& settings, EncodingParameters& params,
                                double sourceFps, const EncoderRun& run) {
  return BuildCommandLine(settings, params, sourceFps, run, ModuleDirectory());
}

}  // namespace velto
