// veltoenc.exe end to end: real clips made by the engine itself, converted
// into every format and checked with the prober; reports received by a
// window of this test.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "base/encoder_interface.h"
#include "base/file_system.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "encoder/common/command_line_tokens.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "encoder/job/loudness_arguments.h"
#include "encoder/source/asf_header.h"
#include "encoder/source/asf_objects.h"
#include "job_strings.h"
#include "tests/support/process_list.h"
#include "tests/support/report_window.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/stand_in_ffmpeg.h"

namespace velto {
namespace {

using nlohmann::json;

using testing::g_answerStop;
using testing::g_reports;
using testing::g_stopFromSecond;
using testing::ReportWindow;

std::wstring Beside(const wchar_t* name) { return Utf8ToWide(ModuleDirectory()) + name; }

std::string NewestLog();

// Runs veltoenc.exe with an argument string as the converter writes it,
// taking the window's reports meanwhile. Returns the exit code; a run that
// has not ended after 5 minutes is ended (998) and its log shown, so that a
// stuck conversion fails its test rather than the whole group's time.
DWORD RunEncoder(const std::string& arguments, const std::wstring& program = Beside(L"veltoenc.exe")) {
  constexpr DWORD kLongestRunMs = 300000;
  const DWORD code = testing::RunWithReports(program, arguments, kLongestRunMs);
  if (code == 998) ADD_FAILURE() << "veltoenc.exe did not end in time: " << arguments << "\n" << NewestLog();
  return code;
}

bool RunFfmpeg(const wchar_t* program, const std::vector<std::string>& args, std::string* out, std::string* err) {
  FfmpegProcess process;
  std::string o, e;
  if (!process.Start(Beside(program), args, [&](const std::string& b) { o += b; },
                     [&](const std::string& b) { e += b; }))
    return false;
  process.Wait(INFINITE);
  process.JoinReaders();
  if (out) *out = o;
  if (err) *err = e;
  return process.ExitCode() == 0;
}

json Probe(const std::string& path) {
  std::string out;
  if (!RunFfmpeg(L"ffprobe.exe", {"-v", "error", "-print_format", "json", "-show_format", "-show_streams",
                                  "file:" + path}, &out, nullptr))
    return json();
  return json::parse(out, nullptr, false);
}

const json* Stream(const json& probe, const char* type) {
  if (!probe.is_object() || !probe.contains("streams")) return nullptr;
  for (const auto& s : probe["streams"])
    if (s.value("codec_type", "") == type) return &s;
  return nullptr;
}

double MeanVolume(const std::string& path) {
  std::string err;
  RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-nostats", "-i", "file:" + path, "-vn", "-af", "volumedetect", "-f",
                            "null", "-"}, nullptr, &err);
  const auto at = err.find("mean_volume:");
  if (at == std::string::npos) return -999;
  return std::atof(err.c_str() + at + 12);
}

// Longest run of frames between key frames of the first video stream.
int LongestGop(const std::string& path) {
  std::string out;
  RunFfmpeg(L"ffprobe.exe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "frame=key_frame",
                             "-of", "csv=p=0", "file:" + path}, &out, nullptr);
  int longest = 0, run = 0;
  for (char c : out) {
    if (c == '1') {
      longest = std::max(longest, run);
      run = 1;
    } else if (c == '0') {
      ++run;
    }
  }
  return std::max(longest, run);
}

// The picture types of the first video stream's frames, one letter each.
std::string PictureTypes(const std::string& path) {
  std::string out, types;
  RunFfmpeg(L"ffprobe.exe", {"-v", "error", "-select_streams", "v:0", "-show_entries", "frame=pict_type",
                             "-of", "csv=p=0", "file:" + path}, &out, nullptr);
  for (char c : out)
    if (std::isalpha(static_cast<unsigned char>(c))) types += c;
  return types;
}

using testing::Exists;

// ---- the clips ----------------------------------------------------------------

std::string g_folder;  // with spaces and letters beyond ASCII
std::string g_stereo43, g_mono169, g_videoOnly;

struct Conversion;

class EncoderConversion : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = std::make_unique<testing::ScratchDir>("enc \xC3\xBC\xD0\xB6");
    g_folder = scratch_->Directory();
    g_stereo43 = g_folder + "clip 4x3 stereo.wmv";
    g_mono169 = g_folder + "clip 16x9 m\xC3\xB6no.asf";
    g_videoOnly = g_folder + "video only.wmv";
    const std::vector<std::string> common = {"-hide_banner", "-loglevel", "error", "-y"};
    auto make = [&](std::vector<std::string> args) {
      std::vector<std::string> all = common;
      all.insert(all.end(), args.begin(), args.end());
      ASSERT_TRUE(RunFfmpeg(L"ffmpeg.exe", all, nullptr, nullptr));
    };
    make({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
          "sine=frequency=440:sample_rate=44100", "-t", "2", "-c:v", "wmv2", "-b:v", "400k", "-c:a", "wmav2",
          "-b:a", "128k", "-ac", "2", "-f", "asf", "file:" + g_stereo43});
    make({"-f", "lavfi", "-i", "testsrc=size=320x180:rate=30000/1001", "-f", "lavfi", "-i",
          "sine=frequency=1000:sample_rate=22050", "-t", "2", "-c:v", "msmpeg4", "-b:v", "300k", "-c:a", "wmav1",
          "-b:a", "64k", "-ac", "1", "-f", "asf", "file:" + g_mono169});
    make({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=15", "-t", "2", "-c:v", "wmv2", "-an", "-f", "asf",
          "file:" + g_videoOnly});
  }

  static void TearDownTestSuite() { scratch_.reset(); }
  static inline std::unique_ptr<testing::ScratchDir> scratch_;

  void SetUp() override {
    g_reports.clear();
    g_answerStop = false;
    g_stopFromSecond = INT_MAX;
  }

  std::string Output(const std::string& name) {
    const std::string path = g_folder + name;
    DeleteFileW(Utf8ToWide(path).c_str());
    return path;
  }

  DWORD Convert(const char* pattern, const std::string& source, const std::string& output, bool withWindow = false) {
    const auto window = withWindow ? static_cast<long long>(reinterpret_cast<INT_PTR>(ReportWindow())) : 0LL;
    return RunEncoder(test::Fill(pattern, source, output, kRunConvert, window));
  }

  void ConvertAndCheck(const Conversion& c);
};

// ---- probing -------------------------------------------------------------------

TEST_F(EncoderConversion, ProbeReportsTheFourValues) {
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  EXPECT_EQ(RunEncoder(test::Fill(test::kAviMp3, g_mono169, g_folder + "unused.avi", kRunProbe, window)), 0u);
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_EQ(g_reports[0].kind, kReportDuration);
  EXPECT_EQ(g_reports[0].value, 2);
  EXPECT_EQ(g_reports[1].kind, kReportWidth);
  EXPECT_EQ(g_reports[1].value, 320);
  EXPECT_EQ(g_reports[2].kind, kReportHeight);
  EXPECT_EQ(g_reports[2].value, 180);
  EXPECT_EQ(g_reports[3].kind, kReportFrameRate);
  EXPECT_NEAR(g_reports[3].value, 299700300, 3'000'000);  // 29.97
  EXPECT_FALSE(Exists(g_folder + "unused.avi"));

  g_reports.clear();
  EXPECT_EQ(RunEncoder(test::Fill(test::kWmv, g_videoOnly, g_folder + "unused.wmv", kRunProbe, window)), 0u);
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_NEAR(g_reports[3].value, 150000000, 1'500'000);
}

// ASF sources are read in-process: no prober is started, and the frame rate
// read from the frames' times is the one the prober states.
TEST_F(EncoderConversion, AsfSourcesAreProbedWithoutStartingTheProber) {
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  const struct {
    const std::string* source;
    int width, height, frameRate;
  } kCases[] = {{&g_stereo43, 320, 240, 250000000}, {&g_mono169, 320, 180, 299700300},
                {&g_videoOnly, 320, 240, 150000000}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(*c.source);
    g_reports.clear();
    EXPECT_EQ(RunEncoder(test::Fill(test::kAviMp3, *c.source, g_folder + "unused.avi", kRunProbe, window)), 0u);
    ASSERT_EQ(g_reports.size(), 4u);
    EXPECT_EQ(g_reports[0].value, 2);
    EXPECT_EQ(g_reports[1].value, c.width);
    EXPECT_EQ(g_reports[2].value, c.height);
    EXPECT_EQ(g_reports[3].value, c.frameRate);
    const std::string log = NewestLog();
    EXPECT_NE(log.find("read from the ASF header and data packets"), std::string::npos) << log;
  }
}

TEST_F(EncoderConversion, ProbeFailuresSendAZeroWidth) {
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  const std::string notMedia = g_folder + "not media.wmv";
  ASSERT_TRUE(ReplaceFileAtomically(notMedia, "hello"));
  for (const std::string& source : {notMedia, g_folder + "missing.wmv", std::string("http:x.wmv"),
                                    std::string("concat:a|b.wmv")}) {
    g_reports.clear();
    EXPECT_EQ(RunEncoder(test::Fill(test::kWmv, source, "o.wmv", kRunProbe, window)),
              static_cast<DWORD>(kExitSourceUnreadable)) << source;
    ASSERT_EQ(g_reports.size(), 4u) << source;
    EXPECT_EQ(g_reports[1].kind, kReportWidth);
    EXPECT_EQ(g_reports[1].value, 0);
  }
}

TEST_F(EncoderConversion, AsxPlaylistsUseTheFirstLocalEntry) {
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  const std::string playlist = g_folder + "list \xC3\xA9.asx";
  const std::string text = "<ASX version=\"3.0\"><Entry><Ref href=\"http://example.invalid/x.wmv\"/></Entry>"
                           "<ENTRY><REF HREF=\"missing.wmv\"/></ENTRY><entry><ref href=\"video only.wmv\"/></entry></ASX>";
  ASSERT_TRUE(ReplaceFileAtomically(playlist, text));
  EXPECT_EQ(RunEncoder(test::Fill(test::kWmv, playlist, "o.wmv", kRunProbe, window)), 0u);
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_EQ(g_reports[1].value, 320);

  const std::string remoteOnly = g_folder + "remote.asx";
  const std::string remoteText = "[Reference]\r\nRef1=http://example.invalid/x.wmv\r\nRef2=mms://example.invalid/y\r\n";
  ASSERT_TRUE(ReplaceFileAtomically(remoteOnly, remoteText));
  g_reports.clear();
  EXPECT_EQ(RunEncoder(test::Fill(test::kWmv, remoteOnly, "o.wmv", kRunProbe, window)),
            static_cast<DWORD>(kExitSourceUnreadable));
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_EQ(g_reports[1].value, 0);

  // A conversion reads the playlist's entry as well.
  const std::string out = Output("from list.wmv");
  EXPECT_EQ(Convert(test::kWmv, playlist, out), 0u);
  EXPECT_TRUE(Exists(out));
}

// Relative entries, file: URLs among them, are taken from the playlist's
// own folder; a playlist naming itself, or only remote entries, is refused
// and the log says why.
TEST_F(EncoderConversion, RelativePlaylistEntriesAreConverted) {
  const std::string clips = g_folder + "clips\\", lists = g_folder + "lists\\";
  CreateDirectoryW(Utf8ToWide(clips).c_str(), nullptr);
  CreateDirectoryW(Utf8ToWide(lists).c_str(), nullptr);
  ASSERT_TRUE(CopyFileW(Utf8ToWide(g_videoOnly).c_str(), Utf8ToWide(clips + "clip.wmv").c_str(), FALSE));
  const std::pair<std::string, std::string> kPlaylists[] = {
      {clips + "url.asx", "<ASX version=\"3.0\"><ENTRY><REF HREF=\"file:clip.wmv\"/></ENTRY></ASX>"},
      {clips + "name.asx", "<asx><entry><ref href=\"clip.wmv\"/></entry></asx>"},
      {lists + "up.asx", "<Asx><Entry><Ref href=\"..\\clips\\clip.wmv\"/></Entry></Asx>"},
      {clips + "reference.asx", "[Reference]\r\nRef1=clip.wmv\r\n"},
  };
  for (const auto& [playlist, text] : kPlaylists) {
    SCOPED_TRACE(playlist);
    ASSERT_TRUE(ReplaceFileAtomically(playlist, text));
    const std::string out = Output("from relative.wmv");
    EXPECT_EQ(Convert(test::kWmv, playlist, out), 0u);
    EXPECT_TRUE(Exists(out));
  }

  const std::string itself = lists + "itself.asx";
  ASSERT_TRUE(ReplaceFileAtomically(itself, "<asx><entry><ref href=\"file:itself.asx\"/></entry></asx>"));
  EXPECT_EQ(Convert(test::kWmv, itself, Output("itself.wmv")), static_cast<DWORD>(kExitSourceUnreadable));
  const std::string remote = lists + "remote.asx";
  ASSERT_TRUE(ReplaceFileAtomically(remote, "<asx><entry><ref href=\"mms://example.invalid/clip.wmv\"/></entry></asx>"));
  EXPECT_EQ(Convert(test::kWmv, remote, Output("remote.wmv")), static_cast<DWORD>(kExitSourceUnreadable));
  const std::string log = NewestLog();
  EXPECT_NE(log.find("playlist entry skipped (a remote address (mms:), never fetched): mms://"), std::string::npos)
      << log;
}

TEST_F(EncoderConversion, HeaderReaderAgreesWithTheProber) {
  for (const std::string& clip : {g_stereo43, g_mono169, g_videoOnly}) {
    SCOPED_TRACE(clip);
    const auto bytes = ReadWholeFile(clip);
    ASSERT_TRUE(bytes);
    const auto info = ReadAsfHeader(bytes->substr(0, 1 << 16));
    ASSERT_TRUE(info);
    const json probe = Probe(clip);
    const json* video = Stream(probe, "video");
    ASSERT_TRUE(video);
    EXPECT_EQ(info->width, video->value("width", 0));
    EXPECT_EQ(info->height, video->value("height", 0));
    EXPECT_NEAR(info->durationSeconds, std::atof(probe["format"].value("duration", "0").c_str()), 0.1);
    const json* audio = Stream(probe, "audio");
    EXPECT_EQ(info->hasAudio, audio != nullptr);
    if (audio) {
      EXPECT_EQ(info->channels, audio->value("channels", 0));
      EXPECT_EQ(std::to_string(info->sampleRate), audio->value("sample_rate", ""));
    }
  }
}

// ---- the ten formats -------------------------------------------------------------

struct Expected {
  const char* format;       // the prober's format name
  const char* videoCodec;
  const char* videoTag;     // "" when not checked
  const char* audioCodec;   // "" for no audio
  int width, height;
  double fps;               // 0 when not checked
  int sampleRate, channels;
  const char* aspect;       // display aspect, "" when not checked
};

void CheckOutput(const std::string& path, const Expected& e, double seconds = 2.0) {
  SCOPED_TRACE(path);
  const json probe = Probe(path);
  ASSERT_TRUE(probe.is_object());
  EXPECT_EQ(probe["format"].value("format_name", ""), e.format);
  const double duration = std::atof(probe["format"].value("duration", "0").c_str());
  EXPECT_NEAR(duration, seconds, 0.6);
  const json* video = Stream(probe, "video");
  ASSERT_TRUE(video);
  EXPECT_EQ(video->value("codec_name", ""), e.videoCodec);
  if (*e.videoTag) {
    EXPECT_EQ(video->value("codec_tag_string", ""), e.videoTag);
  }
  EXPECT_EQ(video->value("width", 0), e.width);
  EXPECT_EQ(video->value("height", 0), e.height);
  if (e.fps > 0) {
    const std::string rate = video->value("avg_frame_rate", video->value("r_frame_rate", "0/1"));
    int num = 0, den = 1;
    std::sscanf(rate.c_str(), "%d/%d", &num, &den);
    EXPECT_NEAR(den ? double(num) / den : 0, e.fps, 0.05) << rate;
  }
  if (*e.aspect) {
    EXPECT_EQ(video->value("display_aspect_ratio", ""), e.aspect);
  }
  const json* audio = Stream(probe, "audio");
  if (!*e.audioCodec) {
    EXPECT_FALSE(audio);
    return;
  }
  ASSERT_TRUE(audio);
  EXPECT_EQ(audio->value("codec_name", ""), e.audioCodec);
  EXPECT_EQ(audio->value("sample_rate", ""), std::to_string(e.sampleRate));
  EXPECT_EQ(audio->value("channels", 0), e.channels);
}

// One row of the format tables: the job, its source, and what must come out.
struct Conversion {
  const char* output;  // a file name in the scratch folder
  const char* pattern;
  const std::string* source;
  Expected expected;
  int longestGop = 0;  // 0 when not checked
};

void EncoderConversion::ConvertAndCheck(const Conversion& c) {
  SCOPED_TRACE(c.output);
  const std::string out = Output(c.output);
  ASSERT_EQ(Convert(c.pattern, *c.source, out), 0u);
  CheckOutput(out, c.expected);
  if (c.longestGop) {
    EXPECT_LE(LongestGop(out), c.longestGop);
  }
}

TEST_F(EncoderConversion, AviFamily) {
  // MP3 keeps the source's channels: stereo here, mono below.
  const Conversion rows[] = {
      {"avi mp3.avi", test::kAviMp3, &g_stereo43, {"avi", "mpeg4", "DX50", "mp3", 320, 240, 25, 44100, 2, ""}},
      {"divx ac3 \xC3\xBC.avi", test::kAviAc3, &g_mono169,
       {"avi", "mpeg4", "DX50", "ac3", 176, 144, 14.985, 44100, 6, ""}},
      {"xvid mp3.avi", test::kXvidMp3, &g_stereo43, {"avi", "mpeg4", "XVID", "mp3", 320, 240, 20, 44100, 2, ""}},
      {"xvid mp3 mono.avi", test::kXvidMp3, &g_mono169, {"avi", "mpeg4", "XVID", "mp3", 320, 180, 20, 22050, 1, ""}},
      {"xvid ac3.avi", test::kXvidAc3, &g_videoOnly, {"avi", "mpeg4", "XVID", "", 320, 240, 23.976, 0, 0, ""}},
  };
  for (const Conversion& c : rows) ConvertAndCheck(c);
  const std::string types = PictureTypes(g_folder + "xvid mp3.avi");
  EXPECT_GE(types.size(), 40u);
  EXPECT_EQ(types.find('B'), std::string::npos) << "hardware players of Xvid files need no B-frames: " << types;
}

TEST_F(EncoderConversion, MpegFormats) {
  const Conversion rows[] = {
      {"mpeg1.mpg", test::kMpeg1, &g_mono169, {"mpeg", "mpeg1video", "", "mp2", 320, 240, 25, 44100, 2, ""}},
      {"mpeg2.mpg", test::kMpeg2, &g_stereo43, {"mpeg", "mpeg2video", "", "mp2", 640, 480, 29.97, 44100, 2, "16:9"}},
  };
  for (const Conversion& c : rows) ConvertAndCheck(c);
}

TEST_F(EncoderConversion, DiscFormatsAreRealDiscs) {
  // A video-only source gets a silent track.
  const Conversion rows[] = {
      {"vcd ntsc.mpg", test::kVcdNtsc, &g_mono169,
       {"mpeg", "mpeg1video", "", "mp2", 352, 240, 23.976, 44100, 2, ""}, 18},
      {"vcd pal.mpg", test::kVcdPal, &g_videoOnly, {"mpeg", "mpeg1video", "", "mp2", 352, 288, 25, 44100, 2, ""}, 15},
      {"svcd ntsc.mpg", test::kSvcdNtsc, &g_stereo43,
       {"mpeg", "mpeg2video", "", "mp2", 480, 480, 29.97, 44100, 2, "4:3"}, 18},
      {"svcd pal.mpg", test::kSvcdPal, &g_mono169,
       {"mpeg", "mpeg2video", "", "mp2", 480, 576, 25, 44100, 2, "16:9"}, 15},
      {"dvd ntsc.vob", test::kDvdNtscAc3, &g_stereo43,
       {"mpeg", "mpeg2video", "", "ac3", 720, 480, 29.97, 48000, 2, "16:9"}, 18},
      {"dvd pal.vob", test::kDvdPalMp2, &g_videoOnly,
       {"mpeg", "mpeg2video", "", "mp2", 720, 576, 25, 48000, 2, "4:3"}, 15},
  };
  for (const Conversion& c : rows) ConvertAndCheck(c);
}

TEST_F(EncoderConversion, LetterboxBarsAreBlackAndCentred) {
  // A 16:9 picture in a 4:3 PAL VCD frame: bars above and below.
  const std::string out = Output("letterbox.mpg");
  ASSERT_EQ(Convert(test::kVcdPal, g_mono169, out), 0u);
  std::string crop;
  RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-nostats", "-i", "file:" + out, "-vf", "cropdetect=24:2:0", "-frames:v",
                            "10", "-f", "null", "-"}, nullptr, &crop);
  // 352x288 at 4:3 holds a 16:9 picture 216 lines high, 36 lines of bars each side.
  EXPECT_NE(crop.find("crop=352:216:0:36"), std::string::npos) << crop.substr(crop.size() > 600 ? crop.size() - 600 : 0);
}

TEST_F(EncoderConversion, WindowsMediaFormats) {
  const Conversion rows[] = {
      {"wmv.wmv", test::kWmv, &g_stereo43, {"asf", "wmv2", "", "wmav2", 320, 240, 25, 44100, 2, ""}},
      {"asf msmpeg4.asf", test::kAsfMsmpeg4, &g_mono169,
       {"asf", "msmpeg4v3", "", "wmav1", 160, 120, 29.97, 44100, 2, ""}},
      {"asf msmpeg4v2.asf", test::kAsfMsmpeg4v2, &g_stereo43,
       {"asf", "msmpeg4v2", "", "wmav2", 320, 240, 25, 44100, 2, ""}},
  };
  for (const Conversion& c : rows) ConvertAndCheck(c);
}

TEST_F(EncoderConversion, GainOfSixDecibels) {
  const std::string plain = Output("gain 0.wmv"), louder = Output("gain 6.wmv");
  std::string pattern = test::kWmv;
  ASSERT_EQ(Convert(pattern.c_str(), g_stereo43, plain), 0u);
  pattern.replace(pattern.find("volume=+0db"), 11, "volume=+6db");
  ASSERT_EQ(Convert(pattern.c_str(), g_stereo43, louder), 0u);
  EXPECT_NEAR(MeanVolume(louder) - MeanVolume(plain), 6.0, 0.5);
}

// ---- evened loudness ------------------------------------------------------------------

// An argument string with the converter's piece for evened loudness.
std::string EvenLoudness(const char* pattern) {
  std::string line = pattern;
  return line.insert(line.find(" -endpos"), " -even-loudness");
}

// A file's loudness and true peak as ffmpeg's ebur128 filter measures them.
Loudness MeasuredLoudness(const std::string& path) {
  std::string err;
  RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-nostats", "-i", "file:" + path, "-map", "0:a:0", "-af",
                            "ebur128=peak=true:framelog=verbose", "-f", "null", "-"}, nullptr, &err);
  return ReadLoudnessReport(err).value_or(Loudness{NAN, NAN, NAN});
}

// Digital silence gets no gain and no sound nothing to measure; neither is
// an error.
TEST_F(EncoderConversion, EvenLoudnessLeavesSilenceAndNoSoundAlone) {
  const std::string silent = g_folder + "silent.wmv";
  ASSERT_TRUE(RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                        "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
                                        "anullsrc=r=44100:cl=stereo", "-t", "2", "-c:v", "wmv2", "-c:a", "wmav2",
                                        "-f", "asf", "file:" + silent}, nullptr, nullptr));
  ASSERT_EQ(Convert(EvenLoudness(test::kWmv).c_str(), silent, Output("silent even.wmv")), 0u);
  EXPECT_NE(NewestLog().find(" LUFS, range 0.00 LU, peak -inf dBFS: gain +0.00 dB\r\n"),
            std::string::npos) << NewestLog();
  ASSERT_EQ(Convert(EvenLoudness(test::kDvdPalMp2).c_str(), g_videoOnly, Output("no sound even.vob")), 0u);
  EXPECT_NE(NewestLog().find("loudness: the output carries no sound of the source"), std::string::npos)
      << NewestLog();
}

// The window hears from the pass at once, and its answer stops the run.
TEST_F(EncoderConversion, AStopWhileTheSoundIsMeasuredLeavesNoFile) {
  g_answerStop = true;
  const std::string out = Output("stopped even.wmv");
  EXPECT_EQ(Convert(EvenLoudness(test::kWmv).c_str(), g_stereo43, out, true), static_cast<DWORD>(kExitStopped));
  EXPECT_EQ(g_reports.size(), 1u);
  EXPECT_FALSE(Exists(out));
  EXPECT_EQ(NewestLog().find(" LUFS, range "), std::string::npos) << NewestLog();
}

// ---- reports, stopping, refusals ---------------------------------------------------

TEST_F(EncoderConversion, PositionsRiseDuringAConversion) {
  const std::string out = Output("reports.mpg");
  ASSERT_EQ(Convert(test::kDvdPalMp2, g_stereo43, out, true), 0u);
  ASSERT_FALSE(g_reports.empty());
  int last = -1;
  for (const auto& r : g_reports) {
    EXPECT_EQ(r.kind, kReportPosition);
    EXPECT_GE(r.value, last);
    last = r.value;
  }
  EXPECT_GE(last, 1);
  // A stop answered to the last report, sent once ffmpeg has ended, is a
  // stop as well.
  g_stopFromSecond = last;
  EXPECT_EQ(Convert(test::kDvdPalMp2, g_stereo43, Output("reports.mpg"), true), static_cast<DWORD>(kExitStopped));
  EXPECT_FALSE(Exists(out));
}

TEST_F(EncoderConversion, AnsweringOneStopsAndLeavesNoFile) {
  g_answerStop = true;
  const std::string out = Output("stopped.vob");
  EXPECT_EQ(Convert(test::kDvdNtscAc3, g_stereo43, out, true), static_cast<DWORD>(kExitStopped));
  EXPECT_EQ(g_reports.size(), 1u);
  EXPECT_FALSE(Exists(out));
}

TEST_F(EncoderConversion, AHandleThatIsNoWindowStillConverts) {
  const std::string out = Output("no window.wmv");
  EXPECT_EQ(RunEncoder(test::Fill(test::kWmv, g_stereo43, out, kRunConvert, 12345)), 0u);
  EXPECT_TRUE(Exists(out));
}

// veltoenc.exe run from a folder without the engine, with none on the PATH.
DWORD RunWithoutEngine(const std::string& arguments) {
  const std::wstring lonely = Utf8ToWide(g_folder) + L"veltoenc.exe";
  CopyFileW(Beside(L"veltoenc.exe").c_str(), lonely.c_str(), FALSE);
  wchar_t path[32767];
  const DWORD length = GetEnvironmentVariableW(L"PATH", path, 32767);
  SetEnvironmentVariableW(L"PATH", L"C:\\windows\\system32;C:\\windows");
  const DWORD code = RunEncoder(arguments, lonely);
  SetEnvironmentVariableW(L"PATH", length ? path : nullptr);
  return code;
}

TEST_F(EncoderConversion, AMissingEngineIsNamed) {
  const std::string out = Output("no engine.wmv");
  EXPECT_EQ(RunWithoutEngine(test::Fill(test::kWmv, g_stereo43, out, kRunConvert, 0)),
            static_cast<DWORD>(kExitFfmpegMissing));
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  EXPECT_EQ(RunWithoutEngine(test::Fill(test::kWmv, g_stereo43, out, kRunProbe, window)),
            static_cast<DWORD>(kExitFfmpegMissing));
  EXPECT_FALSE(Exists(out));
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_EQ(g_reports[1].value, 0);
}

TEST_F(EncoderConversion, RefusalsWriteNothing) {
  const std::string out = Output("refused.avi");
  std::string bad = test::kAviMp3;
  bad.replace(bad.find("vbitrate=1000"), 13, "vbitrate=lots");
  EXPECT_EQ(Convert(bad.c_str(), g_stereo43, out), static_cast<DWORD>(kExitBadArguments));
  EXPECT_FALSE(Exists(out));
  // The output may not overwrite the source.
  EXPECT_EQ(Convert(test::kWmv, g_stereo43, g_stereo43), static_cast<DWORD>(kExitBadArguments));
  EXPECT_TRUE(Exists(g_stereo43));
  EXPECT_TRUE(Stream(Probe(g_stereo43), "video"));
}

// Nor the file a playlist source names, however the output spells it, and
// whether the engine is there or not.
TEST_F(EncoderConversion, AnOutputThatIsThePlaylistsEntryIsRefused) {
  const std::string entry = g_folder + "playlist entry.wmv", playlist = g_folder + "names its entry.asx";
  ASSERT_TRUE(CopyFileW(Utf8ToWide(g_videoOnly).c_str(), Utf8ToWide(entry).c_str(), FALSE));
  ASSERT_TRUE(ReplaceFileAtomically(playlist, "<asx><entry><ref href=\"playlist entry.wmv\"/></entry></asx>"));
  const std::string bytes = ReadWholeFile(entry).value_or("");
  wchar_t shortName[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(Utf8ToWide(entry).c_str(), shortName, MAX_PATH), 0u);
  for (const std::string& output : {entry, g_folder + "PLAYLIST ENTRY.WMV", WideToUtf8(shortName)}) {
    SCOPED_TRACE(output);
    EXPECT_EQ(Convert(test::kWmv, playlist, output), static_cast<DWORD>(kExitBadArguments));
    EXPECT_NE(NewestLog().find("cause=bad-arguments"), std::string::npos);
    EXPECT_EQ(RunWithoutEngine(test::Fill(test::kWmv, playlist, output, kRunConvert, 0)),
              static_cast<DWORD>(kExitBadArguments));
    EXPECT_TRUE(ReadWholeFile(entry) == bytes) << "the source was changed";
  }
}

// Where the logs and the batch journal are, with a backslash at its end.
std::wstring DataFolder() {
  wchar_t base[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, base))) return L"";
  return std::wstring(base) + L"\\" + kEncoderLogParent + L"\\";
}

std::string NewestLog() {
  const std::wstring folder = DataFolder() + L"logs\\";
  std::wstring newest;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"veltoenc-*.log").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return "";
  do {
    if (newest.empty() || std::wstring(found.cFileName) > newest) newest = found.cFileName;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return ReadWholeFile(WideToUtf8(folder + newest)).value_or("");
}

TEST_F(EncoderConversion, AFailingEngineLeavesNoFileAndALog) {
  // The header of a real clip with its data cut away.
  const std::string cut = g_folder + "cut short.wmv";
  const auto whole = ReadWholeFile(g_stereo43);
  ASSERT_TRUE(whole);
  ASSERT_TRUE(ReplaceFileAtomically(cut, whole->substr(0, 1500)));
  const std::string output = Output("from cut.avi");
  const DWORD code = Convert(test::kAviMp3, cut, output);
  EXPECT_TRUE(code == static_cast<DWORD>(kExitFfmpegFailed) || code == static_cast<DWORD>(kExitSourceUnreadable)) << code;
  EXPECT_FALSE(Exists(output));
  const std::string log = NewestLog();
  EXPECT_NE(log.find("arguments: "), std::string::npos) << log;
  EXPECT_NE(log.find("engine version: FFmpeg "), std::string::npos) << log;
  EXPECT_NE(log.find("exit " + std::to_string(code)), std::string::npos) << log;
}

// An ASF whose declared video stream carries no frames is read for a
// bounded while, then given to the prober; a prober that does not answer in
// its time is given up on, and the source refused.
TEST_F(EncoderConversion, AProberThatDoesNotAnswerRefusesTheSource) {
  std::string bytes = ReadWholeFile(g_stereo43).value_or("");
  const auto header = asf::HeaderObject(bytes);
  ASSERT_TRUE(header);
  asf::ForEachChild(*header, [&](std::string_view object) {
    if (asf::SameGuid(object, 0, asf::kStreamProperties) && asf::SameGuid(object, 24, asf::kVideoMedia))
      bytes[static_cast<std::size_t>(object.data() - bytes.data()) + 72] = 9;  // a stream no packet carries
    return true;
  });
  const std::string source = g_folder + "no video packets.wmv";
  ASSERT_TRUE(ReplaceFileAtomically(source, bytes));
  const std::wstring encoder = testing::InstallStandInEngine(g_folder + "silent prober\\", true);
  const testing::EngineFault fault(L"hang");
  SetEnvironmentVariableW(L"VELTO_PROBER_SECONDS", L"1");
  const long long window = reinterpret_cast<INT_PTR>(ReportWindow());
  EXPECT_EQ(testing::RunWithReports(encoder, test::Fill(test::kWmv, source, "o.wmv", kRunProbe, window), 60000),
            static_cast<DWORD>(kExitSourceUnreadable));
  SetEnvironmentVariableW(L"VELTO_PROBER_SECONDS", nullptr);
  ASSERT_EQ(g_reports.size(), 4u);
  EXPECT_EQ(g_reports[1].value, 0);
  EXPECT_NE(NewestLog().find("cause=source-read-timeout"), std::string::npos) << NewestLog();
}

// An output the prober twice cannot read in its time is named unchecked:
// the conversion itself ended well.
TEST_F(EncoderConversion, AnOutputThatCannotBeCheckedInTimeIsNamedUnchecked) {
  const std::wstring encoder = testing::InstallStandInEngine(g_folder + "slow prober\\", true);
  const testing::EngineFault fault(L"hang-prober");
  SetEnvironmentVariableW(L"VELTO_PROBER_SECONDS", L"1");
  const std::string out = Output("unchecked.wmv");
  EXPECT_EQ(testing::RunWithReports(encoder, test::Fill(test::kWmv, g_videoOnly, out, kRunConvert, 0), 60000), 0u);
  SetEnvironmentVariableW(L"VELTO_PROBER_SECONDS", nullptr);
  EXPECT_TRUE(Stream(Probe(out), "video"));
  EXPECT_NE(NewestLog().find("the output could not be checked in time"), std::string::npos) << NewestLog();
}

// Outputs that ffmpeg ends well but that do not hold what was planned are
// refused with what they lack, and nothing of them is left.
TEST_F(EncoderConversion, AnIncompleteOutputIsRefusedAndRemoved) {
  const std::string folder = g_folder + "faulty engine\\";
  const std::wstring encoder = testing::InstallStandInEngine(folder);
  const struct {
    const wchar_t* fault;
    const char* pattern;
    const char* detail;  // how the cause's detail begins
  } kCases[] = {{L"cut-output=50", test::kAviMp3, "the output holds "},
                {L"cut-output=3", test::kDvdPalMp2, "the output "},
                {L"empty-output", test::kWmv, "the output cannot be read"},
                {L"no-sound", test::kMpeg1, "no sound stream"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(WideToUtf8(c.fault));
    const testing::EngineFault fault(c.fault);
    EXPECT_EQ(RunEncoder(test::Fill(c.pattern, g_stereo43, folder + "incomplete.out", kRunConvert, 0), encoder),
              static_cast<DWORD>(kExitFfmpegFailed));
    const std::string log = NewestLog();
    EXPECT_NE(log.find("cause=output-incomplete\r\ncause-detail=" + std::string(c.detail)), std::string::npos) << log;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(testing::PathFromUtf8(folder)), {}), 3)
        << "only the programs are left";
  }
}

// A WMV download that stopped is converted as far as its data goes, and
// that is what its output is held to.
TEST_F(EncoderConversion, ACutSourceConvertsAsFarAsItsDataGoes) {
  const std::string cut = g_folder + "cut download.wmv";
  const auto whole = ReadWholeFile(g_stereo43);
  ASSERT_TRUE(whole);
  ASSERT_TRUE(ReplaceFileAtomically(cut, whole->substr(0, whole->size() * 7 / 10)));
  for (const auto& [pattern, name] : {std::pair{test::kAviMp3, "from cut.avi"}, std::pair{test::kWmv, "from cut.wmv"}}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Convert(pattern, cut, Output(name)), 0u);
    EXPECT_NE(NewestLog().find("cut short"), std::string::npos);
  }
}

TEST_F(EncoderConversion, HostileNamesAreOnlyFiles) {
  // A source whose name looks like an option, in a folder with spaces.
  const std::string dashed = g_folder + "-y.wmv";
  CopyFileW(Utf8ToWide(g_stereo43).c_str(), Utf8ToWide(dashed).c_str(), FALSE);
  std::string out = Output("-i %TEMP% & ^!x.avi");
  EXPECT_EQ(Convert(test::kAviMp3, dashed, out), 0u);
  EXPECT_TRUE(Exists(out));
  // Relative names beginning with a dash, from the current folder.
  wchar_t previous[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, previous);
  SetCurrentDirectoryW(Utf8ToWide(g_folder).c_str());
  DeleteFileW(L"-y.avi");
  EXPECT_EQ(Convert(test::kAviMp3, "-y.wmv", "-y.avi"), 0u);
  EXPECT_TRUE(Exists(g_folder + "-y.avi"));
  // Names that would be protocols elsewhere are missing files here.
  EXPECT_EQ(Convert(test::kAviMp3, "concat:-y.wmv|-y.wmv", "c.avi"), static_cast<DWORD>(kExitSourceUnreadable));
  EXPECT_FALSE(Exists(g_folder + "c.avi"));
  SetCurrentDirectoryW(previous);
}

// ---- long sources, split by time ---------------------------------------------------

// A 36 s clip: a picture with a frame counter, and beeps at 1, 18 and 35 s.
std::string g_long;
constexpr double kBeeps[] = {1.0, 18.0, 35.0};

// Conversions of the long clip, split in two ranges or in one run.
class SplitConversion : public EncoderConversion {
 protected:
  static void SetUpTestSuite() {
    EncoderConversion::SetUpTestSuite();
    g_long = g_folder + "long clip.wmv";
    ASSERT_TRUE(RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                          "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
                                          "sine=frequency=1000:sample_rate=44100,volume=0:enable='not(between(t,1,1.1)"
                                          "+between(t,18,18.1)+between(t,35,35.1))'",
                                          "-t", "36", "-c:v", "wmv2", "-b:v", "600k", "-c:a", "wmav2", "-b:a", "128k",
                                          "-ac", "2", "-f", "asf", "file:" + g_long}, nullptr, nullptr));
  }

  void TearDown() override {
    SetEnvironmentVariableW(L"VELTO_SEGMENTS", nullptr);
    SetEnvironmentVariableW(L"VELTO_RANGE_SECONDS", nullptr);
  }

  // A conversion of the long clip in `ranges` ranges (1: one run).
  DWORD ConvertLong(const char* pattern, const std::string& output, int ranges, bool withWindow = false) {
    SetEnvironmentVariableW(L"VELTO_SEGMENTS", std::to_wstring(ranges).c_str());
    return Convert(pattern, g_long, output, withWindow);
  }
};

// How many files in `folder` match `pattern`.
int Files(const std::string& folder, const wchar_t* pattern) {
  WIN32_FIND_DATAW found;
  const FileSearch search(FindFirstFileW((Utf8ToWide(folder) + pattern).c_str(), &found));
  int count = 0;
  if (search) {
    do ++count;
    while (FindNextFileW(search.Get(), &found));
  }
  return count;
}

// The parts folders of runs in the test folder (or in `folder`).
int SplitFolders(const std::string& folder = g_folder) { return Files(folder, L"~velto-*.parts"); }

double Number(const json& object, const char* key) { return std::atof(object.value(key, "0").c_str()); }

// Where each beep starts in a file's sound, in seconds of the file's clock;
// each is looked for within half a second of its time in the source.
std::vector<double> BeepTimes(const std::string& path) {
  const std::string pcm = path + ".pcm.avi";
  RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-loglevel", "error", "-y", "-i", "file:" + path, "-vn", "-ac", "1", "-ar",
                            "8000", "-c:a", "pcm_s16le", "-f", "avi", "file:" + pcm}, nullptr, nullptr);
  const std::string avi = ReadWholeFile(pcm).value_or("");
  std::vector<std::int16_t> samples;
  const auto movi = avi.find("movi");
  for (std::size_t at = movi == std::string::npos ? avi.size() : movi + 4; at + 8 <= avi.size();) {
    std::uint32_t size = 0;
    std::memcpy(&size, avi.data() + at + 4, 4);
    if (avi.compare(at, 4, "00wb") == 0) {
      for (std::size_t i = 0; i + 1 < size && at + 8 + i + 1 < avi.size(); i += 2)
        samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(avi[at + 8 + i]) |
                                                    (static_cast<unsigned char>(avi[at + 9 + i]) << 8)));
    } else if (avi.compare(at, 4, "idx1") == 0) {
      break;
    }
    at += 8 + size + (size & 1);
  }
  const json probe = Probe(path);
  const json* audio = Stream(probe, "audio");
  const double start = audio ? Number(*audio, "start_time") : 0;
  std::vector<double> beeps;
  for (double beep : kBeeps) {
    const auto from = static_cast<std::size_t>((beep - 0.5) * 8000);
    for (std::size_t i = from; i < samples.size() && i < from + 8000; ++i) {
      if (std::abs(samples[i]) > 1000) {
        beeps.push_back(start + i / 8000.0);
        break;
      }
    }
  }
  return beeps;
}

struct Psnr {
  double average = 0, worstFrame = 0;
};

// The picture measured against the source, frame by frame in order.
Psnr PsnrAgainstSource(const std::string& path, int width, int height) {
  std::string err;
  RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-nostats", "-i", "file:" + path, "-i", "file:" + g_long, "-lavfi",
                            "[0:v]setpts=PTS-STARTPTS[a];[1:v]scale=" + std::to_string(width) + ":" +
                                std::to_string(height) + ",setpts=PTS-STARTPTS[b];[a][b]psnr",
                            "-f", "null", "-"}, nullptr, &err);
  Psnr psnr;
  if (const auto at = err.find("average:"); at != std::string::npos) psnr.average = std::atof(err.c_str() + at + 8);
  if (const auto at = err.find("min:"); at != std::string::npos) psnr.worstFrame = std::atof(err.c_str() + at + 4);
  return psnr;
}

// Navigation packs (private stream 2) of a DVD program stream.
int NavigationPacks(const std::string& path) {
  const std::string bytes = ReadWholeFile(path).value_or("");
  int count = 0;
  for (auto at = bytes.find(std::string("\0\0\x01\xBF", 4)); at != std::string::npos;
       at = bytes.find(std::string("\0\0\x01\xBF", 4), at + 4))
    ++count;
  return count;
}

// What a user can tell of two conversions of the long clip.
void ExpectAlike(const std::string& split, const std::string& whole, double fps) {
  SCOPED_TRACE(split);
  const json a = Probe(split), b = Probe(whole);
  ASSERT_TRUE(a.is_object() && b.is_object());
  EXPECT_EQ(a["format"].value("format_name", ""), b["format"].value("format_name", ""));
  EXPECT_NEAR(Number(a["format"], "duration"), Number(b["format"], "duration"), 1 / fps);
  const json *videoA = Stream(a, "video"), *videoB = Stream(b, "video");
  ASSERT_TRUE(videoA && videoB);
  for (const char* key : {"codec_name", "codec_tag_string", "avg_frame_rate", "display_aspect_ratio"})
    EXPECT_EQ(videoA->value(key, ""), videoB->value(key, "")) << key;
  EXPECT_EQ(videoA->value("width", 0), videoB->value("width", 0));
  EXPECT_EQ(videoA->value("height", 0), videoB->value("height", 0));
  const json *audioA = Stream(a, "audio"), *audioB = Stream(b, "audio");
  ASSERT_TRUE(audioA && audioB);
  for (const char* key : {"codec_name", "sample_rate"}) EXPECT_EQ(audioA->value(key, ""), audioB->value(key, "")) << key;

  // Exactly the same frames: as many, and each the source's frame of its time.
  auto frames = [](const std::string& path) {
    std::string out;
    RunFfmpeg(L"ffprobe.exe", {"-v", "error", "-count_packets", "-select_streams", "v:0", "-show_entries",
                               "stream=nb_read_packets", "-of", "csv=p=0", "file:" + path}, &out, nullptr);
    return std::atoi(out.c_str());
  };
  EXPECT_GT(frames(whole), 30 * fps);
  EXPECT_EQ(frames(split), frames(whole));
  const int width = videoA->value("width", 0), height = videoA->value("height", 0);
  const Psnr psnrA = PsnrAgainstSource(split, width, height), psnrB = PsnrAgainstSource(whole, width, height);
  EXPECT_GT(psnrB.average, 20.0);
  EXPECT_GE(psnrA.average, psnrB.average - 0.5);
  EXPECT_GE(psnrA.worstFrame, psnrB.worstFrame - 1.0) << "a frame out of place";

  // Sound against picture at the start, the middle (the cut) and the end.
  const std::vector<double> beepsA = BeepTimes(split), beepsB = BeepTimes(whole);
  ASSERT_EQ(beepsA.size(), std::size(kBeeps));
  ASSERT_EQ(beepsB.size(), std::size(kBeeps));
  const double startA = Number(*videoA, "start_time"), startB = Number(*videoB, "start_time");
  for (std::size_t i = 0; i < std::size(kBeeps); ++i) {
    EXPECT_NEAR(beepsB[i] - startB, kBeeps[i], 3 / fps) << "one run, beep " << i;
    EXPECT_NEAR(beepsA[i] - startA, beepsB[i] - startB, 1 / fps) << "beep " << i;
  }
}

TEST_F(SplitConversion, DvdIsTheOneRunsDiscInTwoRanges) {
  const std::string whole = Output("long one run.vob"), split = Output("long split.vob");
  ASSERT_EQ(ConvertLong(test::kDvdPalMp2, whole, 1), 0u);
  EXPECT_EQ(NewestLog().find("split into"), std::string::npos);
  ASSERT_EQ(ConvertLong(test::kDvdPalMp2, split, 2, true), 0u);
  EXPECT_NE(NewestLog().find("split into 2 ranges"), std::string::npos) << NewestLog();
  CheckOutput(split, {"mpeg", "mpeg2video", "", "mp2", 720, 576, 25, 48000, 2, "4:3"}, 36.0);
  EXPECT_LE(LongestGop(split), 15);
  EXPECT_GE(NavigationPacks(split), NavigationPacks(whole));
  EXPECT_GT(NavigationPacks(whole), 36 * 25 / 15 - 2);
  ExpectAlike(split, whole, 25);
  // Seconds over both ranges, rising to the whole length.
  ASSERT_FALSE(g_reports.empty());
  for (std::size_t i = 1; i < g_reports.size(); ++i) {
    EXPECT_EQ(g_reports[i].kind, kReportPosition);
    EXPECT_GE(g_reports[i].value, g_reports[i - 1].value);
  }
  EXPECT_GE(g_reports.back().value, 35);
  EXPECT_LE(g_reports.back().value, 36);
  EXPECT_EQ(SplitFolders(), 0);
}

TEST_F(SplitConversion, AviAndWmvAreTheOneRunsFiles) {
  // The parts lie beside the output, here in a folder whose name the
  // join's list must quote.
  CreateDirectoryW(Utf8ToWide(g_folder + "it's").c_str(), nullptr);
  for (const auto& [pattern, extension] : {std::pair{test::kAviMp3, ".avi"}, std::pair{test::kWmv, ".wmv"}}) {
    const std::string whole = Output(std::string("long one run") + extension);
    const std::string split = Output(std::string("it's\\long split") + extension);
    ASSERT_EQ(ConvertLong(pattern, whole, 1), 0u);
    ASSERT_EQ(ConvertLong(pattern, split, 2), 0u);
    const std::string log = NewestLog();
    EXPECT_NE(log.find("split into 2 ranges"), std::string::npos) << log;
    EXPECT_EQ(log.find("converting in one run"), std::string::npos) << log;
    ExpectAlike(split, whole, 25);
  }
  EXPECT_EQ(SplitFolders(g_folder + "it's\\"), 0);
}

// MP4 split and joined is the one run's file: H.264 and AAC, a key frame at
// every join and at least every 10 s, and the index before the media data.
TEST_F(SplitConversion, Mp4IsTheOneRunsFileWithItsIndexFirst) {
  const std::string whole = Output("long one run.mp4"), split = Output("long split.mp4");
  ASSERT_EQ(ConvertLong(test::kMp4, whole, 1), 0u);
  ASSERT_EQ(ConvertLong(test::kMp4, split, 2), 0u);
  EXPECT_NE(NewestLog().find("split into 2 ranges"), std::string::npos) << NewestLog();
  CheckOutput(split, {"mov,mp4,m4a,3gp,3g2,mj2", "h264", "", "aac", 320, 240, 25, 44100, 2, ""}, 36.0);
  EXPECT_EQ(Stream(Probe(split), "video")->value("profile", ""), "High");
  EXPECT_LE(LongestGop(split), 250);
  EXPECT_EQ(PictureTypes(split).substr(450, 1), "I");  // the second range's first frame
  ExpectAlike(split, whole, 25);
  const std::string bytes = ReadWholeFile(split).value_or("");
  EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));
}

// The sound is measured once, before the ranges; the one sound run carries
// the gain.
TEST_F(SplitConversion, EvenLoudnessMeasuresTheSoundOnce) {
  const std::string out = Output("long even.vob");
  ASSERT_EQ(ConvertLong(EvenLoudness(test::kDvdPalMp2).c_str(), out, 2), 0u);
  const std::string log = NewestLog();
  EXPECT_NE(log.find("split into 2 ranges"), std::string::npos) << log;
  const auto measured = log.find(" LUFS, range ");
  EXPECT_NE(measured, std::string::npos) << log;
  EXPECT_EQ(log.find(" LUFS, range ", measured + 1), std::string::npos) << log;
  EXPECT_NEAR(MeasuredLoudness(out).integrated, kTargetLoudness, 1.0);
}

TEST_F(SplitConversion, StopEndsEveryRunAndLeavesNothing) {
  g_answerStop = true;
  const std::string out = Output("long stopped.vob");
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(ConvertLong(test::kDvdPalMp2, out, 2, true), static_cast<DWORD>(kExitStopped));
  EXPECT_LT(GetTickCount64() - started, 5000u);
  EXPECT_FALSE(Exists(out));
  EXPECT_EQ(SplitFolders(), 0);
  EXPECT_NE(NewestLog().find("stop requested by the window"), std::string::npos);
}

TEST_F(SplitConversion, AFailingRangeEndsInOneRun) {
  // The picture ends after 10 s, the sound goes on to 36 s: the ranges come
  // out short, one run converts what there is.
  const std::string source = g_folder + "long sound short picture.wmv";
  ASSERT_TRUE(RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                        "testsrc=size=320x240:rate=25:duration=10", "-f", "lavfi", "-i",
                                        "sine=frequency=440:sample_rate=44100:duration=36", "-c:v", "wmv2", "-c:a",
                                        "wmav2", "-f", "asf", "file:" + source}, nullptr, nullptr));
  const std::string out = Output("long from short picture.avi");
  SetEnvironmentVariableW(L"VELTO_SEGMENTS", L"2");
  EXPECT_EQ(Convert(test::kAviMp3, source, out), 0u);
  const std::string log = NewestLog();
  EXPECT_NE(log.find("split into 2 ranges"), std::string::npos) << log;
  EXPECT_NE(log.find("converting in one run"), std::string::npos) << log;
  EXPECT_TRUE(Stream(Probe(out), "video"));
  EXPECT_EQ(SplitFolders(), 0);
}

// A split that falls back to one run gives the output the frame rate it
// measured from the source, as the split would have.
TEST_F(SplitConversion, AFallbackKeepsTheMeasuredFrameRate) {
  const std::string source = g_folder + "long ntsc.wmv";
  ASSERT_TRUE(RunFfmpeg(L"ffmpeg.exe", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                        "testsrc=size=160x120:rate=30000/1001", "-t", "31", "-c:v", "wmv2", "-an",
                                        "-f", "asf", "file:" + source}, nullptr, nullptr));
  const std::wstring encoder = testing::InstallStandInEngine(g_folder + "failing parts\\");
  const testing::EngineFault fault(L"fail-parts");
  std::string pattern = test::kMpeg1;
  pattern.erase(pattern.find(" -ofps 25.000000"), 16);
  SetEnvironmentVariableW(L"VELTO_SEGMENTS", L"2");
  const std::string out = Output("long ntsc.mpg");
  EXPECT_EQ(RunEncoder(test::Fill(pattern, source, out, kRunConvert, 0), encoder), 0u);
  EXPECT_NE(NewestLog().find("converting in one run"), std::string::npos) << NewestLog();
  const json probe = Probe(out);
  const json* video = Stream(probe, "video");
  ASSERT_TRUE(video);
  EXPECT_EQ(video->value("avg_frame_rate", ""), "30000/1001");
}

// A part that comes out short makes a split conversion fall back to one
// run, whose output passes.
TEST_F(SplitConversion, AShortPartEndsInOneRun) {
  const std::wstring encoder = testing::InstallStandInEngine(g_folder + "short parts\\");
  const testing::EngineFault fault(L"cut-parts=60");
  SetEnvironmentVariableW(L"VELTO_SEGMENTS", L"2");
  const std::string out = Output("long from short parts.vob");
  EXPECT_EQ(RunEncoder(test::Fill(test::kDvdPalMp2, g_long, out, kRunConvert, 0), encoder), 0u);
  const std::string log = NewestLog();
  EXPECT_NE(log.find("the split conversion's output is incomplete"), std::string::npos) << log;
  EXPECT_NE(log.find("converting in one run"), std::string::npos) << log;
  EXPECT_TRUE(Exists(out));
  EXPECT_EQ(SplitFolders(), 0);
}

// ---- kept parts ------------------------------------------------------------

// veltoenc.exe started on an argument string, not waited for.
OwnedProcess StartEncoder(const std::string& arguments) {
  std::wstring line = L"\"" + Beside(L"veltoenc.exe") + L"\" " + Utf8ToWide(arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return {};
  return OwnedProcess(pi);
}

std::string PartsOf(const std::string& output) { return WideToUtf8(PartsFolderFor(Utf8ToWide(output))); }

// Once a range's manifest is there: true when it came within a minute.
bool WaitForAFinishedRange(const std::string& parts) {
  for (int i = 0; i < 3000 && Files(parts, L"video-*.manifest") == 0; ++i) Sleep(20);
  return Files(parts, L"video-*.manifest") > 0;
}

// Whether every ffmpeg.exe the encoder started has ended within 3 s.
bool EnginesEnded(const OwnedProcess& encoder) {
  const DWORD id = GetProcessId(encoder.process.Get());
  for (int i = 0; i < 60 && !testing::ChildProcesses(id, L"ffmpeg.exe").empty(); ++i) Sleep(50);
  return testing::ChildProcesses(id, L"ffmpeg.exe").empty();
}

// An interrupted batch's journal that names `output`, as the converter
// leaves it; its path.
std::string JournalNaming(const std::string& output) {
  const std::string journal = WideToUtf8(DataFolder() + kBatchJournalName);
  testing::WriteBytes(journal,
                      "velto batch journal 1\nfile=D:\\source.wmv\noutput=" + output + "\nstate=waiting\nend\n");
  return journal;
}

// What killed runs left beside an output for other outputs goes with its
// conversion, but for the work files of a live run and the parts folder of
// an output the interrupted batch's journal names, which goes once the
// journal does.
TEST_F(EncoderConversion, AConversionRemovesWhatKilledRunsLeftBesideIt) {
  const std::string folder = g_folder + "left over\\";
  const std::string stale = folder + "~velto-other.avi.parts\\", live = folder + "~velto-live.avi.parts\\";
  const std::string waiting = folder + "~velto-waiting.avi.parts\\";
  for (const std::string& made : {folder, stale, live, waiting}) CreateDirectoryW(Utf8ToWide(made).c_str(), nullptr);
  for (const std::string& parts : {stale, waiting}) {
    testing::WriteBytes(parts + "video-1.avi", "part");
    testing::WriteBytes(parts + "video-1.avi.manifest", "velto-part 1\n");
  }
  // A live run's finished temporary output, not open between the engine's
  // end and its naming, stays as well.
  for (const char* partial : {"~velto-other.avi.partial", "~velto-live.avi.partial"}) {
    testing::WriteBytes(folder + partial, "output");
    SetFileAttributesW(Utf8ToWide(folder + partial).c_str(), FILE_ATTRIBUTE_HIDDEN);
  }
  const UniqueHandle lock(CreateFileW(Utf8ToWide(live + "lock").c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  ASSERT_TRUE(lock);
  const std::string journal = JournalNaming(folder + "waiting.avi");
  EXPECT_EQ(Convert(test::kWmv, g_videoOnly, folder + "short.wmv"), 0u);
  EXPECT_EQ(Files(folder, L"~velto-other*"), 0);
  EXPECT_TRUE(Exists(live + "lock"));
  EXPECT_TRUE(Exists(folder + "~velto-live.avi.partial"));
  EXPECT_TRUE(Exists(waiting + "video-1.avi.manifest"));

  DeleteFileW(Utf8ToWide(journal).c_str());
  EXPECT_EQ(Convert(test::kWmv, g_videoOnly, Output("left over\\short.wmv")), 0u);
  EXPECT_FALSE(Exists(waiting));
}

// No conversion replaces an output: a file of the name keeps its bytes, and
// two runs for one name at once both end well under names of their own,
// which the window learns.
TEST_F(EncoderConversion, ConversionsNeverReplaceAnOutput) {
  const std::string folder = g_folder + "one name\\", taken = folder + "talk.wmv";
  CreateDirectoryW(Utf8ToWide(folder).c_str(), nullptr);
  testing::WriteBytes(taken, "mine");
  testing::g_outputNames.clear();
  const std::string arguments = test::Fill(test::kWmv, g_videoOnly, taken, kRunConvert,
                                           static_cast<long long>(reinterpret_cast<INT_PTR>(ReportWindow())));
  EXPECT_EQ(testing::RunAllWithReports(Beside(L"veltoenc.exe"), {arguments, arguments}),
            (std::vector<DWORD>{0, 0}));
  EXPECT_EQ(testing::ReadBytes(taken), "mine");
  std::vector<std::string> names = testing::g_outputNames;
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{folder + "talk_wmv.wmv", folder + "talk_wmv_2.wmv"}));
  for (const std::string& name : names) EXPECT_TRUE(Stream(Probe(name), "video")) << name;
  EXPECT_EQ(Files(folder, L"~velto-*"), 0);
}

// Four ranges of 9 s (the last a frame longer), two at a time: a kill after
// the first ranges keeps them, and the next conversion of the output
// encodes only the others.
TEST_F(SplitConversion, AKilledConversionResumesFromItsFinishedParts) {
  const std::string whole = Output("long resumed one run.vob"), out = Output("long resumed.vob");
  ASSERT_EQ(ConvertLong(test::kDvdPalMp2, whole, 1), 0u);
  SetEnvironmentVariableW(L"VELTO_RANGE_SECONDS", L"10");
  SetEnvironmentVariableW(L"VELTO_SEGMENTS", L"2");
  const std::string parts = PartsOf(out);
  {
    const OwnedProcess encoder = StartEncoder(test::Fill(test::kDvdPalMp2, g_long, out, kRunConvert, 0));
    ASSERT_TRUE(encoder.process);
    ASSERT_TRUE(WaitForAFinishedRange(parts));
    TerminateProcess(encoder.process.Get(), 1);
    EXPECT_TRUE(EnginesEnded(encoder));
  }
  const int kept = Files(parts, L"*.manifest"), keptRanges = Files(parts, L"video-*.manifest");
  ASSERT_LT(keptRanges, 4);
  // Another conversion into the folder leaves them while the batch's
  // journal names their output.
  const std::string journal = JournalNaming(out);
  EXPECT_EQ(Convert(test::kWmv, g_videoOnly, Output("beside kept parts.wmv")), 0u);
  DeleteFileW(Utf8ToWide(journal).c_str());
  EXPECT_EQ(Files(parts, L"*.manifest"), kept);

  ASSERT_EQ(ConvertLong(test::kDvdPalMp2, out, 2, true), 0u);
  const std::string log = NewestLog();
  EXPECT_NE(log.find("split into 4 ranges"), std::string::npos) << log;
  EXPECT_NE(log.find("reused " + std::to_string(kept) + " of 5 parts"), std::string::npos) << log;
  ASSERT_FALSE(g_reports.empty());
  EXPECT_EQ(g_reports.front().value, 9 * keptRanges);  // the bar starts where the work stands
  ExpectAlike(out, whole, 25);
  EXPECT_EQ(Files(g_folder, L"~velto-*"), 0);
}

// The converter's end ends the conversion within a second or so, as a kill
// would: no engine run is left, the finished parts are.
TEST_F(SplitConversion, AConversionEndsWithItsConverter) {
  // Another process with a window stands in for the converter.
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  wchar_t notepad[] = L"notepad.exe";
  if (!CreateProcessW(nullptr, notepad, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    GTEST_SKIP() << "no notepad.exe to own a window";
  const OwnedProcess converter(pi);
  WaitForInputIdle(pi.hProcess, 10000);
  std::pair<DWORD, HWND> owned{pi.dwProcessId, nullptr};  // the process, its first window
  const auto findWindow = [](HWND window, LPARAM found) -> BOOL {
    auto& [process, first] = *reinterpret_cast<std::pair<DWORD, HWND>*>(found);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) first = window;
    return !first;
  };
  for (int i = 0; i < 100 && !owned.second; ++i) {
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&owned));
    if (!owned.second) Sleep(50);
  }
  ASSERT_TRUE(owned.second);

  SetEnvironmentVariableW(L"VELTO_RANGE_SECONDS", L"10");
  SetEnvironmentVariableW(L"VELTO_SEGMENTS", L"2");
  const std::string out = Output("long orphaned.vob");
  const long long window = reinterpret_cast<INT_PTR>(owned.second);
  const OwnedProcess encoder = StartEncoder(test::Fill(test::kDvdPalMp2, g_long, out, kRunConvert, window));
  ASSERT_TRUE(WaitForAFinishedRange(PartsOf(out)));
  TerminateProcess(converter.process.Get(), 1);
  EXPECT_EQ(WaitForSingleObject(encoder.process.Get(), 2000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(encoder.process.Get(), &code);
  EXPECT_EQ(code, static_cast<DWORD>(kExitStopped));
  EXPECT_TRUE(EnginesEnded(encoder));
  EXPECT_GE(Files(PartsOf(out), L"video-*.manifest"), 1);
  EXPECT_NE(NewestLog().find("the converter has ended"), std::string::npos) << NewestLog();
  EXPECT_TRUE(RemoveWorkFiles(Utf8ToWide(out)));
}

}  // namespace
}  // namespace velto
