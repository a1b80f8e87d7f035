#include "encoder/job/encoder_job.h"

#include <cmath>
#include <map>

#include "base/encoder_interface.h"
#include "encoder/job/option_values.h"

namespace velto {
namespace {

class Parser {
 public:
  JobParseResult Run(const std::vector<std::string>& arguments);

 private:
  bool Fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
    return false;
  }
  bool Option(const std::string& name, const std::string& value);
  bool LavcOptions(const std::string& value);
  bool LameOptions(const std::string& value);
  bool XvidOptions(const std::string& value);
  bool X264Options(const std::string& value);
  bool FaacOptions(const std::string& value);
  bool LavfOptions(const std::string& value);
  bool MpegOptions(const std::string& value);
  bool AudioFilters(const std::string& value);
  bool VideoFilters(const std::string& value);
  bool Finish();

  EncoderJob job_;
  std::string error_;
  std::string ovc_, oac_, of_, lavfFormat_, mpegFormat_;
  VideoCodec lavcVideoCodec_ = VideoCodec::kNone;
  AudioCodec lavcAudioCodec_ = AudioCodec::kNone;
  std::optional<int> lavcAudioBitrate_, lameBitrate_, faacBitrate_;
  std::optional<std::int64_t> lavcVideoBitrate_, xvidBitrate_, x264Bitrate_;
  bool xvidAutoAspect_ = false;
  bool haveOutput_ = false;
};

bool Parser::LavcOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -lavcopts");
  auto& v = job_.video;
  for (const auto& option : *options) {
    // Plain references: the lambdas below capture them (clang 14 cannot
    // capture structured bindings).
    const std::string& name = option.first;
    const std::optional<std::string>& text = option.second;
    const std::string t = text.value_or("");
    auto rate = [&](std::optional<std::int64_t>& field) {
      const auto n = ParseInteger(t, 1, 100'000'000);
      if (!n) return Fail("bad -lavcopts " + name);
      field = KbitOrBits(*n);
      return true;
    };
    auto integer = [&](std::optional<int>& field, int low, int high) {
      const auto n = ParseInt(t, low, high);
      if (!n) return Fail("bad -lavcopts " + name);
      field = *n;
      return true;
    };
    bool ok = true;
    if (name == "vcodec") {
      static const std::map<std::string, VideoCodec> codecs = {
          {"mpeg4", VideoCodec::kMpeg4},      {"mpeg1video", VideoCodec::kMpeg1},
          {"mpeg2video", VideoCodec::kMpeg2}, {"wmv2", VideoCodec::kWmv2},
          {"msmpeg4", VideoCodec::kMsmpeg4},  {"msmpeg4v2", VideoCodec::kMsmpeg4v2}};
      const auto it = codecs.find(t);
      if (it == codecs.end()) return Fail("unknown vcodec " + t);
      lavcVideoCodec_ = it->second;
    } else if (name == "acodec") {
      static const std::map<std::string, AudioCodec> codecs = {
          {"mp2", AudioCodec::kMp2}, {"ac3", AudioCodec::kAc3},
          {"wmav1", AudioCodec::kWmav1}, {"wmav2", AudioCodec::kWmav2}};
      const auto it = codecs.find(t);
      if (it == codecs.end()) return Fail("unknown acodec " + t);
      lavcAudioCodec_ = it->second;
    } else if (name == "vbitrate") {
      ok = rate(lavcVideoBitrate_);
    } else if (name == "vrc_minrate") {
      ok = rate(v.minRate);
    } else if (name == "vrc_maxrate") {
      ok = rate(v.maxRate);
    } else if (name == "vrc_buf_size") {
      const auto n = ParseInteger(t, 1, 1'000'000);
      if (!n) return Fail("bad -lavcopts vrc_buf_size");
      v.bufferSize = *n * 1000;
    } else if (name == "abitrate") {
      ok = integer(lavcAudioBitrate_, 8, 1000);
    } else if (name == "vhq") {
      if (text) return Fail("vhq takes no value");
      v.bestMacroblockDecision = true;
    } else if (name == "vqmin") {
      ok = integer(v.qmin, 1, 31);
    } else if (name == "vqmax") {
      ok = integer(v.qmax, 1, 31);
    } else if (name == "vqscale") {
      ok = integer(v.qscale, 1, 31);
    } else if (name == "keyint") {
      ok = integer(v.keyint, 1, 1000);
    } else if (name == "aspect" && text && t.empty()) {
      // The converter sends "aspect=" for a stored aspect choice outside its
      // list: no aspect given, so autoaspect decides.
      v.aspect.reset();
    } else if (name == "aspect") {
      const auto aspect = ParseFraction(t);
      if (!aspect || aspect->Value() < 0.2 || aspect->Value() > 5.0) return Fail("bad aspect " + t);
      v.aspect = aspect;
    } else if (name == "autoaspect") {
      const auto flag = FlagValue(text);
      if (!flag) return Fail("bad autoaspect");
      v.autoAspect = *flag;
    } else {
      return Fail("unknown -lavcopts " + name);
    }
    if (!ok) return false;
  }
  return true;
}

bool Parser::LameOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -lameopts");
  auto& a = job_.audio;
  for (const auto& [name, text] : *options) {
    const std::string t = text.value_or("");
    std::optional<int> n;
    if (name == "vbr") {
      n = ParseInt(t, 0, 4);
      if (n) a.lameVbr = *n;
    } else if (name == "br") {
      n = ParseInt(t, 8, 320);
      lameBitrate_ = n;
    } else if (name == "mode") {
      n = ParseInt(t, 0, 3);
      a.lameMode = n;
    } else if (name == "q") {
      n = ParseInt(t, 0, 9);
      a.lameQuality = n;
    } else if (name == "cbr" && !text) {
      a.lameVbr = 0;
      n = 0;
    } else {
      return Fail("unknown -lameopts " + name);
    }
    if (!n) return Fail("bad -lameopts " + name);
  }
  return true;
}

bool Parser::XvidOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -xvidencopts");
  for (const auto& [name, text] : *options) {
    if (name == "bitrate") {
      const auto n = ParseInteger(text.value_or(""), 1, 100'000'000);
      if (!n) return Fail("bad -xvidencopts bitrate");
      xvidBitrate_ = KbitOrBits(*n);
    } else if (name == "autoaspect") {
      const auto flag = FlagValue(text);
      if (!flag) return Fail("bad -xvidencopts autoaspect");
      xvidAutoAspect_ = *flag;
    } else {
      return Fail("unknown -xvidencopts " + name);
    }
  }
  return true;
}

// "bitrate=800:vbv_maxrate=1600:vbv_bufsize=1600:profile=high", rates in
// kbit/s and the buffer in kbit; level as "4.1" or "41".
bool Parser::X264Options(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -x264encopts");
  auto& v = job_.video;
  for (const auto& [name, text] : *options) {
    const std::string t = text.value_or("");
    auto kbit = [&](std::optional<std::int64_t>& field) {
      const auto n = ParseInteger(t, 1, 300'000);
      if (n) field = *n * 1000;
      return n.has_value();
    };
    bool ok = true;
    if (name == "bitrate") {
      ok = kbit(x264Bitrate_);
    } else if (name == "vbv_maxrate") {
      ok = kbit(v.maxRate);
    } else if (name == "vbv_bufsize") {
      ok = kbit(v.bufferSize);
    } else if (name == "profile") {
      ok = t == "high";  // the one profile written
    } else if (name == "level" || name == "level_idc") {
      const auto tenths = ParseDecimal(t);
      const int level = tenths ? static_cast<int>(std::lround(*tenths < 10 ? *tenths * 10 : *tenths)) : 0;
      ok = level >= 10 && level <= 52;
      v.level = level;
    } else if (name == "keyint") {
      const auto n = ParseInt(t, 1, 1000);
      ok = n.has_value();
      v.keyint = n;
    } else {
      return Fail("unknown -x264encopts " + name);
    }
    if (!ok) return Fail("bad -x264encopts " + name);
  }
  return true;
}

// "br=128:mpeg=4:object=2": AAC-LC (object 2) only.
bool Parser::FaacOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -faacopts");
  for (const auto& [name, text] : *options) {
    const std::string t = text.value_or("");
    bool ok = true;
    if (name == "br") {
      faacBitrate_ = ParseInt(t, 16, 512);
      ok = faacBitrate_.has_value();
    } else if (name == "mpeg") {
      ok = t == "2" || t == "4";
    } else if (name == "object") {
      ok = t == "2";
    } else {
      return Fail("unknown -faacopts " + name);
    }
    if (!ok) return Fail("bad -faacopts " + name);
  }
  return true;
}

bool Parser::LavfOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -lavfopts");
  for (const auto& [name, text] : *options) {
    if (name == "format" && text) {
      lavfFormat_ = Lower(*text);
    } else if (name == "i_certify_that_my_video_stream_does_not_use_b_frames" && !text) {
      // Our encoders write no B-frames into AVI anyway.
    } else {
      return Fail("unknown -lavfopts " + name);
    }
  }
  return true;
}

bool Parser::MpegOptions(const std::string& value) {
  const auto options = ParseSubOptions(value);
  if (!options) return Fail("malformed -mpegopts");
  for (const auto& [name, text] : *options) {
    if (name == "format" && text) {
      mpegFormat_ = Lower(*text);
    } else {
      return Fail("unknown -mpegopts " + name);
    }
  }
  return true;
}

// "volume=+6db:0:channels=2:lavcresample=44100"; commas and colons both
// separate the pieces.
bool Parser::AudioFilters(const std::string& value) {
  auto& a = job_.audio;
  const auto pieces = SplitText(value, ":,");
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const std::string& piece = pieces[i];
    const auto equals = piece.find('=');
    const std::string name = piece.substr(0, equals);
    const std::string text = equals == std::string::npos ? "" : piece.substr(equals + 1);
    if (equals == std::string::npos) return Fail("malformed -af piece " + piece);
    if (name == "volume") {
      std::string gain = Lower(text);
      if (gain.size() > 2 && gain.ends_with("db")) gain.resize(gain.size() - 2);
      const auto db = ParseDecimal(gain);
      if (!db || *db < -200.0 || *db > 60.0) return Fail("bad volume " + text);
      a.gainDb = *db;
      // An optional soft-clipping switch follows the gain.
      if (i + 1 < pieces.size() && (pieces[i + 1] == "0" || pieces[i + 1] == "1")) ++i;
    } else if (name == "channels") {
      const auto n = ParseInt(text, 1, 8);
      if (!n) return Fail("bad channels " + text);
      a.channels = n;
    } else if (name == "lavcresample") {
      const auto n = ParseInt(text, 8000, 192000);
      if (!n) return Fail("bad lavcresample " + text);
      a.resampleRate = n;
    } else {
      return Fail("unknown audio filter " + name);
    }
  }
  return true;
}

bool Parser::VideoFilters(const std::string& value) {
  auto& p = job_.picture;
  auto side = [](const std::string& text) -> std::optional<int> {
    const auto n = ParseInt(text, -3, 8192);
    if (!n || *n == 0) return std::nullopt;
    return *n == -2 ? kScaleKeepAspect : *n;
  };
  for (const auto& filter : SplitText(value, ",")) {
    const auto equals = filter.find('=');
    const std::string name = filter.substr(0, equals);
    const auto parts = equals == std::string::npos ? std::vector<std::string>{}
                                                   : SplitText(filter.substr(equals + 1), ":");
    if (name == "harddup" && equals == std::string::npos) {
      p.hardDup = true;
    } else if (name == "scale" && parts.size() == 2) {
      const auto w = side(parts[0]), h = side(parts[1]);
      if (!w || !h || (*w == kScaleKeepAspect && *h == kScaleKeepAspect))
        return Fail("bad scale " + filter);
      p.scale = true;
      p.scaleWidth = *w;
      p.scaleHeight = *h;
    } else if (name == "expand" && parts.size() == 2) {
      const auto w = ParseInt(parts[0], 1, 8192), h = ParseInt(parts[1], 1, 8192);
      if (!w || !h) return Fail("bad expand " + filter);
      p.expand = true;
      p.expandWidth = *w;
      p.expandHeight = *h;
    } else {
      return Fail("unknown video filter " + filter);
    }
  }
  return true;
}

bool Parser::Option(const std::string& name, const std::string& value) {
  if (name == "-o") {
    if (value.empty()) return Fail("empty output name");
    job_.output = value;
    haveOutput_ = true;
  } else if (name == "-ovc") {
    if (value != "lavc" && value != "xvid" && value != "x264") return Fail("unknown -ovc " + value);
    ovc_ = value;
  } else if (name == "-oac") {
    if (value != "lavc" && value != "mp3lame" && value != "faac") return Fail("unknown -oac " + value);
    oac_ = value;
  } else if (name == "-of") {
    if (value != "lavf" && value != "mpeg") return Fail("unknown -of " + value);
    of_ = value;
  } else if (name == "-lavcopts") {
    return LavcOptions(value);
  } else if (name == "-lameopts") {
    return LameOptions(value);
  } else if (name == "-xvidencopts") {
    return XvidOptions(value);
  } else if (name == "-x264encopts") {
    return X264Options(value);
  } else if (name == "-faacopts") {
    return FaacOptions(value);
  } else if (name == "-lavfopts") {
    return LavfOptions(value);
  } else if (name == "-mpegopts") {
    return MpegOptions(value);
  } else if (name == "-ffourcc") {
    if (value.size() != 4) return Fail("bad -ffourcc " + value);
    for (char c : value)
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
        return Fail("bad -ffourcc " + value);
    job_.video.fourcc = value;
  } else if (name == "-sws") {
    const auto n = ParseInt(value, 0, 10);
    if (!n) return Fail("bad -sws " + value);
    job_.picture.swsMode = *n;
  } else if (name == "-srate") {
    const auto n = ParseInt(value, 8000, 192000);
    if (!n) return Fail("bad -srate " + value);
    job_.audio.sampleRate = n;
  } else if (name == "-af") {
    return AudioFilters(value);
  } else if (name == "-vf") {
    return VideoFilters(value);
  } else if (name == "-ofps") {
    const auto fps = ParseFraction(value);
    if (!fps || fps->Value() < 1.0 || fps->Value() > 1000.0) return Fail("bad -ofps " + value);
    job_.outputFps = fps;
  } else if (name == "-endpos") {
    const auto seconds = ParseTimePosition(value);
    if (!seconds || *seconds <= 0 || *seconds > 1e9) return Fail("bad -endpos " + value);
    job_.endSeconds = seconds;
  } else if (name == "-ss") {
    const auto seconds = ParseTimePosition(value);
    if (!seconds || *seconds < 0 || *seconds > 1e9) return Fail("bad -ss " + value);
    job_.previewSeconds = seconds;
  } else {
    return Fail("unknown option " + name);
  }
  return true;
}

bool Parser::Finish() {
  auto& v = job_.video;
  auto& a = job_.audio;
  if (ovc_ == "lavc") {
    v.codec = lavcVideoCodec_;
    v.bitrate = lavcVideoBitrate_;
  } else if (ovc_ == "xvid") {
    v.codec = VideoCodec::kXvid;
    v.bitrate = xvidBitrate_;
    v.autoAspect = v.autoAspect || xvidAutoAspect_;
  } else if (ovc_ == "x264") {
    v.codec = VideoCodec::kH264;
    v.bitrate = x264Bitrate_;
  }
  if (oac_ == "lavc") {
    a.codec = lavcAudioCodec_;
    a.bitrateKbit = lavcAudioBitrate_;
  } else if (oac_ == "mp3lame") {
    a.codec = AudioCodec::kMp3Lame;
    a.bitrateKbit = lameBitrate_;
  } else if (oac_ == "faac") {
    a.codec = AudioCodec::kAac;
    a.bitrateKbit = faacBitrate_;
  }
  if (ovc_ == "lavc" && v.codec == VideoCodec::kNone) return Fail("-ovc lavc without vcodec");
  if (oac_ == "lavc" && a.codec == AudioCodec::kNone) return Fail("-oac lavc without acodec");
  if (v.qmin && v.qmax && *v.qmin > *v.qmax) return Fail("vqmin above vqmax");
  if (v.minRate && v.maxRate && *v.minRate > *v.maxRate) return Fail("vrc_minrate above vrc_maxrate");

  if (of_ == "lavf") {
    std::string format = lavfFormat_;
    if (format.empty()) {
      const auto dot = job_.output.rfind('.');
      if (dot != std::string::npos) format = Lower(job_.output.substr(dot + 1));
    }
    if (format == "avi") job_.container = Container::kAvi;
    else if (format == "mpg" || format == "mpeg") job_.container = Container::kMpeg;
    else if (format == "wmv" || format == "asf") job_.container = Container::kAsf;
    else if (format == "mp4") job_.container = Container::kMp4;
    else return Fail("unknown container format " + format);
  } else if (of_ == "mpeg") {
    if (mpegFormat_.empty()) job_.container = Container::kMpeg;
    else if (mpegFormat_ == "xvcd") job_.container = Container::kVcd;
    else if (mpegFormat_ == "xsvcd") job_.container = Container::kSvcd;
    else if (mpegFormat_ == "dvd") job_.container = Container::kDvd;
    else return Fail("unknown -mpegopts format " + mpegFormat_);
  } else if (!lavfFormat_.empty() || !mpegFormat_.empty()) {
    return Fail("container options without -of");
  }
  if (job_.picture.expand && !job_.picture.scale) return Fail("expand without scale");
  return true;
}

JobParseResult Parser::Run(const std::vector<std::string>& arguments) {
  static const char* const kValued[] = {"-o", "-ovc", "-oac", "-of", "-lavcopts", "-lameopts",
                                        "-xvidencopts", "-x264encopts", "-faacopts", "-lavfopts", "-mpegopts", "-ffourcc",
                                        "-sws", "-srate", "-af", "-vf", "-ofps", "-endpos", "-ss"};
  auto isValued = [&](const std::string& a) {
    for (const char* name : kValued)
      if (a == name) return true;
    return false;
  };
  auto isNumber = [](const std::string& a) { return ParseInteger(a, INT32_MIN, INT32_MAX).has_value(); };
  std::vector<std::string> positional;
  std::map<std::string, int> seen;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& a = arguments[i];
    // The source comes first; it may look like an option ("-y.wmv").
    if (i == 0 && !isValued(a)) {
      positional.push_back(a);
      continue;
    }
    // Our own piece, a switch without a value.
    const bool evenLoudness = a == "-even-loudness";
    if (evenLoudness || isValued(a)) {
      if (!evenLoudness && i + 1 >= arguments.size()) {
        Fail(a + " without a value");
        break;
      }
      if (++seen[a] > 1) {
        Fail(a + " given twice");
        break;
      }
      if (evenLoudness) {
        job_.audio.evenLoudness = true;
        continue;
      }
      if (!Option(a, arguments[i + 1])) break;
      ++i;
    } else if (!a.empty() && a[0] == '-' && !isNumber(a)) {
      Fail("unknown option " + a);
      break;
    } else {
      positional.push_back(a);
    }
  }
  if (error_.empty()) {
    if (positional.size() != 3) {
      Fail("expected the source, the run mode and the window handle");
    } else if (positional[0].empty()) {
      Fail("empty source name");
    } else if (!haveOutput_) {
      Fail("no -o");
    } else {
      job_.source = positional[0];
      const auto mode = ParseInt(positional[1], kRunConvert, kRunPreview);
      const auto handle = ParseInteger(positional[2], INT32_MIN, INT32_MAX);
      if (!mode) Fail("bad run mode " + positional[1]);
      else if (!handle) Fail("bad window handle " + positional[2]);
      else if (job_.previewSeconds && *mode != kRunPreview) Fail("-ss outside a preview");
      else {
        job_.runMode = *mode;
        job_.windowHandle = static_cast<std::int32_t>(*handle);
      }
    }
  }
  if (error_.empty()) Finish();
  JobParseResult result;
  if (error_.empty()) result.job = job_;
  result.error = error_;
  return result;
}

}  // namespace

bool IsAsfTimeBaseRate(const Fraction& fps) { return std::fabs(fps.Value() - 1000.0) < 0.001; }

JobParseResult ParseEncoderArguments(const std::vector<std::string>& arguments) {
  return Parser().Run(arguments);
}

std::string CheckConvertible(const EncoderJob& job) {
  if (job.container == Container::kNone) return "no container (-of)";
  if (job.video.codec == VideoCodec::kNone) return "no video codec (-ovc)";
  if (job.audio.codec == AudioCodec::kNone) return "no audio codec (-oac)";
  return "";
}

}  // namespace velto
