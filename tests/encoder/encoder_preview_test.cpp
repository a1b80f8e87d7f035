// veltoenc.exe's preview run against the conversion itself: argument lines
// as the converter builds them, the moment inserted; the picture must be
// the converted output's frame at that moment.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/encoder_interface.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "encoder/common/ffmpeg_process_win.h"
#include "engine/batch_rules.h"
#include "engine/command_line.h"
#include "tests/support/fresh_settings.h"
#include "tests/support/process_list.h"
#include "tests/support/report_window.h"
#include "tests/support/run_program.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/stand_in_ffmpeg.h"

namespace velto {
namespace {

std::wstring Beside(const wchar_t* name) { return Utf8ToWide(ModuleDirectory()) + name; }

// A 24-bit BMP read back: its size and its rows from the top, unpadded.
struct Bitmap {
  std::uint32_t width = 0, height = 0, bits = 0;
  std::string rows;
};

Bitmap ReadBitmap(const std::string& file) {
  Bitmap b;
  if (file.size() < 54 || file.compare(0, 2, "BM") != 0) return b;
  auto number = [&](std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(file[at + i]);
    return value;
  };
  b.width = number(18, 4);
  b.height = number(22, 4);
  b.bits = number(28, 2);
  const std::size_t row = b.width * 3, stride = (row + 3) / 4 * 4, offset = number(10, 4);
  if (b.bits != 24 || file.size() != offset + stride * b.height) return b;
  for (std::uint32_t y = b.height; y-- > 0;) b.rows.append(file, offset + y * stride, row);
  return b;
}

// A file's frame `index` (counted from its first), as bgr24 rows from the
// top.
std::string FrameAt(const std::string& path, int index) {
  std::string frame;
  RunAndCapture(Beside(L"ffmpeg.exe"),
                {"-hide_banner", "-loglevel", "error", "-i", "file:" + path, "-vf",
                 "select=eq(n\\," + std::to_string(index) + ")", "-frames:v", "1", "-pix_fmt", "bgr24", "-f",
                 "rawvideo", "pipe:1"},
                frame, 60000);
  return frame;
}

// PSNR of the luma of two bgr24 pictures; 0 when their sizes differ.
double LumaPsnr(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) return 0;
  auto luma = [](std::string_view p, std::size_t i) {
    return 0.114 * static_cast<unsigned char>(p[i]) + 0.587 * static_cast<unsigned char>(p[i + 1]) +
           0.299 * static_cast<unsigned char>(p[i + 2]);
  };
  double sum = 0;
  for (std::size_t i = 0; i + 2 < a.size(); i += 3) sum += std::pow(luma(a, i) - luma(b, i), 2);
  const double mse = sum / static_cast<double>(a.size() / 3);
  return mse > 0 ? 10 * std::log10(255.0 * 255.0 / mse) : 99.0;
}

class EncoderPreview : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = std::make_unique<testing::ScratchDir>("preview");
    ASSERT_TRUE(testing::Ffmpeg("-f lavfi -i testsrc=size=640x272:rate=25 -f lavfi -i sine=frequency=440 -t 8"
                                " -c:v wmv2 -b:v 2000k -c:a wmav2 -f asf",
                                Source()));
  }
  static void TearDownTestSuite() { scratch_.reset(); }
  static std::string Source() { return scratch_->File("wide clip.wmv"); }

  // The line the converter sends for `output`; a preview's with the moment
  // inserted before -endpos and run mode 2.
  static std::string Line(const ConversionSettings& settings, const std::string& output, const char* moment = "") {
    EncodingParameters params;
    SelectOutputSize(settings, params);
    const Letterbox bars = ComputeLetterbox(settings.letterbox != 0, 640, 272, params.outputWidth, params.outputHeight);
    const std::string source = Source();
    EncoderRun run;
    run.sourcePath = source;
    run.outputPath = output;
    run.padWidth = bars.padWidth;
    run.padHeight = bars.padHeight;
    run.mainWindow = reinterpret_cast<std::intptr_t>(testing::ReportWindow());
    std::string line = BuildCommandLine(settings, params, 25.0, run, ModuleDirectory()).arguments;
    if (*moment) {
      const std::string tail = " -endpos 9:0:0 0 ";
      line.replace(line.find(tail), tail.size(), std::string(" -ss ") + moment + " -endpos 9:0:0 2 ");
    }
    return line;
  }

  static DWORD Run(const std::string& line) {
    testing::g_reports.clear();
    return testing::RunWithReports(Beside(L"veltoenc.exe"), line, 120000);
  }

  static inline std::unique_ptr<testing::ScratchDir> scratch_;
};

TEST_F(EncoderPreview, ShowsTheConvertedOutputsFrameAtTheMoment) {
  ConversionSettings dvd = testing::FreshSettings();
  dvd.outputFormat = kFormatDvd;
  dvd.tvMode = kTvPal;
  ConversionSettings avi = testing::FreshSettings();
  avi.aviResolution = 10;  // 320 x 240, stretched
  avi.letterbox = 0;
  const struct {
    const char* name;
    ConversionSettings settings;
    std::uint32_t width, height;
  } cases[] = {{"dvd letterboxed.vob", dvd, 720, 576}, {"avi 320x240.avi", avi, 320, 240}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string picture = scratch_->File(std::string(c.name) + ".bmp");
    const ULONGLONG started = GetTickCount64();
    ASSERT_EQ(Run(Line(c.settings, picture, "5")), 0u);
    EXPECT_LT(GetTickCount64() - started, 3000u);
    EXPECT_EQ(testing::LastReport(kReportPosition), 5);
    const Bitmap shown = ReadBitmap(testing::ReadBytes(picture));
    EXPECT_EQ(shown.width, c.width);
    EXPECT_EQ(shown.height, c.height);
    ASSERT_EQ(Run(Line(c.settings, scratch_->File(c.name))), 0u);
    EXPECT_GE(LumaPsnr(shown.rows, FrameAt(scratch_->File(c.name), 5 * 25)), 28.0);
  }
  EXPECT_EQ(scratch_->Entries(), (std::vector<std::string>{"avi 320x240.avi", "avi 320x240.avi.bmp", "dvd letterboxed.vob",
                                                           "dvd letterboxed.vob.bmp", "wide clip.wmv"}));
}

// A moment past the end (as in a download cut short) shows the last frame
// and says which moment that is.
TEST_F(EncoderPreview, PastTheEndShowsTheLastFrame) {
  const std::string picture = scratch_->File("end.bmp");
  ASSERT_EQ(Run(Line(testing::FreshSettings(), picture, "3600")), 0u);
  EXPECT_EQ(testing::LastReport(kReportPosition), 8);  // the output's last frame, 8.0 s in
  EXPECT_EQ(ReadBitmap(testing::ReadBytes(picture)).width, 640u);
  DeleteFileW(Utf8ToWide(picture).c_str());
}

// The frame is taken once it has come whole: an engine slow to end (here
// one that never does) neither holds the picture back nor outlives the run.
TEST_F(EncoderPreview, TheFrameIsTakenWithoutWaitingForTheEnginesEnd) {
  const testing::ScratchDir engine("lingering engine");
  const std::wstring encoder = testing::InstallStandInEngine(engine.File("bin") + "\\");
  const testing::EngineFault fault(L"linger");
  const std::string picture = scratch_->File("lingering.bmp");
  const ULONGLONG started = GetTickCount64();
  ASSERT_EQ(testing::RunWithReports(encoder, Line(testing::FreshSettings(), picture, "5"), 120000), 0u);
  EXPECT_LT(GetTickCount64() - started, 10000u);  // the engine's time limit is 30 s
  EXPECT_EQ(ReadBitmap(testing::ReadBytes(picture)).width, 640u);
  EXPECT_TRUE(testing::ProcessesNamed({L"ffmpeg.exe"}).empty());
  DeleteFileW(Utf8ToWide(picture).c_str());
}

}  // namespace
}  // namespace velto
