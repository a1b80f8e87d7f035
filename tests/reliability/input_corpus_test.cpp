// Whatever lies on users' disks, added through the Add command and probed by
// the real veltoenc.exe: each file is either added with the values it really
// has or refused with "Load file %s failed."; never a crash, a hang or a row
// with made-up values. The clips are made with ffmpeg.exe when the suite
// starts; nothing binary is kept in the repository.
#include "tests/reliability/reliability_support.h"

#include <cstdio>
#include <cstdlib>

#include "base/encoder_interface.h"
#include "encoder/common/command_line_tokens.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "tests/encoder/job_strings.h"

namespace velto::reliability {
namespace {

// What a probe should find in a clip.
struct Expected {
  std::string duration;  // the list's duration text
  int width;
  int height;
  double frameRate;  // 0: any positive rate
};

class Corpus {
 public:
  Corpus() {
    folder = dir.Directory();
    made = Make();
  }
  std::string Path(const std::string& name) const { return folder + name; }

  ScratchDir dir{"reliability corpus"};
  std::string folder;
  bool made = false;
  std::string failures;  // names of the clips ffmpeg.exe could not make

 private:
  bool Make() {
    const std::string video = "-f lavfi -i testsrc=size=160x120:rate=25:duration=";
    const std::string audio = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=";
    const std::string wmv = " -c:v wmv2 -b:v 300k -c:a wmav2 -f asf";
    auto make = [this](const std::string& arguments, const std::string& name) {
      if (Ffmpeg(arguments, Path(name))) return true;
      failures += " " + name;
      return false;
    };
    bool ok = true;
    ok &= make(video + "2 " + audio + "2" + wmv, "good.wmv");
    ok &= make("-f lavfi -i testsrc=size=320x240:rate=25:duration=4 " + audio + "4 -c:v wmv2 -b:v 800k"
               " -c:a wmav2 -f asf",
               "long.wmv");
    ok &= make(audio + "2 -c:a wmav2 -f asf", "audio only.asf");
    ok &= make(video + "2 -an -c:v wmv2 -f asf", "video only.wmv");
    // Frames 10 to 40 left out: timestamps with a gap.
    ok &= make(video + "3 -vf \"select='not(between(n,10,40))'\" -vsync vfr -an -c:v wmv2 -f asf",
               "variable rate.wmv");
    ok &= make(video + "0.4 " + audio + "0.4" + wmv, "short.wmv");
    ok &= make(video + "2 -f lavfi -i \"sine=duration=2,aformat=channel_layouts=5.1\" -c:v wmv2 -c:a ac3"
               " -f asf",
               "surround.wmv");
    ok &= make("-f lavfi -i testsrc=size=321x241:rate=25:duration=2 -an -c:v msmpeg4 -f asf", "odd size.wmv");
    ok &= make("-f lavfi -i testsrc=size=160x120:rate=60000/1001:duration=2 -an -c:v wmv2 -f asf",
               "ntsc rate.wmv");
    if (!ok) return false;
    const std::string long_ = ReadBytes(Path("long.wmv"));
    WriteBytes(Path("cut at 10.wmv"), long_.substr(0, long_.size() / 10));
    WriteBytes(Path("cut at 90.wmv"), long_.substr(0, long_.size() * 9 / 10));
    WriteBytes(Path("empty.wmv"), "");
    std::string noise(20000, '\0');
    unsigned seed = 12345;
    for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    WriteBytes(Path("noise.wmv"), noise);
    return true;
  }
};

Corpus* g_corpus = nullptr;

class InputCorpus : public MainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!g_corpus && RealEncoderPresent()) g_corpus = new Corpus();
  }
  static void TearDownTestSuite() {
    delete g_corpus;
    g_corpus = nullptr;
  }
  void SetUp() override {
    if (!RealEncoderPresent()) GTEST_SKIP() << "veltoenc.exe, ffmpeg.exe or ffprobe.exe is not beside the tests";
    ASSERT_TRUE(g_corpus && g_corpus->made) << "ffmpeg.exe could not make:" << (g_corpus ? g_corpus->failures : "");
    MainWindowTest::SetUp();
  }
  std::string Clip(const std::string& name) const { return g_corpus->Path(name); }

  // Adds `paths` at once; every probe must end within the time given.
  std::vector<std::string> Add(const std::vector<std::string>& paths) {
    testing::MessageBoxAnswerer answerer(IDOK);
    const DWORD start = GetTickCount();
    dialog->AddFilesFrom(paths);
    EXPECT_LT(GetTickCount() - start, 15000u * paths.size()) << "a probe hung";
    return Utf8Texts(answerer.texts);
  }
  void ExpectEntry(int index, const std::string& path, const Expected& expected) {
    SCOPED_TRACE(path);
    ASSERT_LT(index, g_mediaList.count());
    const MediaEntry& entry = g_mediaList.at(index);
    EXPECT_EQ(entry.path, path);
    EXPECT_EQ(list.GetItemText(index, 1), path);
    EXPECT_EQ(list.GetItemText(index, 2), expected.duration);
    EXPECT_EQ(entry.width, expected.width);
    EXPECT_EQ(entry.height, expected.height);
    if (expected.frameRate > 0) {
      EXPECT_NEAR(entry.frameRate, expected.frameRate, 0.02);
    } else {
      EXPECT_GT(entry.frameRate, 0.0);
      EXPECT_LE(entry.frameRate, 1000.0);
    }
  }
  // The one message for refused files: a line each, with its cause.
  static std::vector<std::string> Refusals(const std::vector<std::pair<std::string, std::string>>& refused) {
    if (refused.empty()) return {};
    std::string text;
    for (const auto& [path, why] : refused) {
      text += (text.empty() ? "Load file " : "\nLoad file ") + path + " failed. (" + why + ")";
    }
    return {text};
  }
};

TEST_F(InputCorpus, DamagedAndUnusableMediaAreRefusedAndUsableOnesAddedWithTheirOwnValues) {
  // A clip cut short (of 4 s) is added with the length of the data it
  // still holds.
  const std::vector<std::string> refused = {Clip("empty.wmv"), Clip("noise.wmv"), Clip("audio only.asf"),
                                            Clip("missing.wmv")};
  const std::vector<std::string> added = {Clip("long.wmv"),          Clip("video only.wmv"),
                                          Clip("variable rate.wmv"), Clip("short.wmv"),
                                          Clip("surround.wmv"),      Clip("odd size.wmv"),
                                          Clip("ntsc rate.wmv"),     Clip("cut at 90.wmv"),
                                          Clip("cut at 10.wmv")};
  std::vector<std::string> all;
  for (size_t i = 0; i < std::max(refused.size(), added.size()); ++i) {
    if (i < refused.size()) all.push_back(refused[i]);
    if (i < added.size()) all.push_back(added[i]);
  }
  const auto before = Fingerprints(all);
  const std::vector<std::string> messages = Add(all);

  EXPECT_EQ(messages, Refusals({{refused[0], "the source is not a video file"},
                                {refused[1], "the source is not a video file"},
                                {refused[2], "the source has no video stream"},
                                {refused[3], "the source cannot be read"}}));
  ASSERT_EQ(g_mediaList.count(), static_cast<int>(added.size()));
  ExpectEntry(0, added[0], {"00:00:04", 320, 240, 25.0});
  ExpectEntry(1, added[1], {"00:00:02", 160, 120, 25.0});
  ExpectEntry(2, added[2], {"00:00:03", 160, 120, 0.0});
  ExpectEntry(3, added[3], {"00:00:01", 160, 120, 25.0});  // under a second counts as one
  ExpectEntry(4, added[4], {"00:00:02", 160, 120, 25.0});
  ExpectEntry(5, added[5], {"00:00:02", 321, 241, 25.0});
  ExpectEntry(6, added[6], {"00:00:02", 160, 120, 59.94});
  for (const int index : {7, 8}) {
    SCOPED_TRACE(added[static_cast<size_t>(index)]);
    ASSERT_LT(index, g_mediaList.count());
    const MediaEntry& entry = g_mediaList.at(index);
    EXPECT_EQ(entry.width, 320);
    EXPECT_NEAR(entry.frameRate, 25.0, 0.02);
    EXPECT_NEAR(entry.duration, index == 7 ? 3.5 : 1.0, 0.5);  // about 3.6 s and 0.4 s
    // The header's 4 s are kept only where more than a second is missing.
    EXPECT_EQ(entry.statedDuration, index == 7 ? 0.0 : 4.0);
  }
  EXPECT_EQ(Fingerprints(all), before);
  EXPECT_TRUE(FilesIn(output).empty());  // probing writes nothing
}

TEST_F(InputCorpus, AFileRefusedAloneIsNamedWithItsCause) {
  EXPECT_EQ(Add({Clip("audio only.asf")}), Refusals({{Clip("audio only.asf"), "the source has no video stream"}}));
  const std::string remote = sources + "remote.asx";
  WriteBytes(remote, "<ASX version=\"3.0\"><Entry><Ref href=\"mms://127.0.0.1/good.wmv\"/></Entry></ASX>");
  EXPECT_EQ(Add({remote}), Refusals({{remote, "the playlist has no local file to convert: mms://127.0.0.1/good.wmv"
                                              " is a remote address (mms:), never fetched"}}));
}

TEST_F(InputCorpus, ABatchWithASourceCutShortSaysHowMuchWasConverted) {
  ASSERT_TRUE(Add({Clip("cut at 10.wmv")}).empty());
  g_settings.outputFormat = kFormatAvi;
  ASSERT_NO_FATAL_FAILURE(ConvertToTheEnd());
  const std::string line = "\ncut at 10.wmv was cut short: 0:00:01 of 0:00:04 converted.";
  ASSERT_GT(closingMessage.size(), line.size());
  EXPECT_EQ(closingMessage.substr(closingMessage.size() - line.size()), line) << closingMessage;
  EXPECT_GT(Size(output + "cut at 10.avi"), 1000u);
}

// Every clip above and every seed of the fuzzing corpora, probed by
// ffprobe.exe as the encoder front end probes and converted by veltoenc.exe:
// each run ends by itself within 10 s with an exit code of its own.
TEST_F(InputCorpus, EngineAndEncoderEndEveryCorpusAndFuzzSeedFileQuicklyWithoutACrash) {
  const char* seeds = std::getenv("VELTO_FUZZ_CORPUS");
  ASSERT_TRUE(seeds) << "VELTO_FUZZ_CORPUS names no folder";
  std::vector<std::string> files;
  for (const std::string& name : FilesIn(g_corpus->folder)) files.push_back(Clip(name));
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(PathFromUtf8(seeds), error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->is_regular_file()) files.push_back(testing::Utf8FromPath(it->path()));
  }
  ASSERT_GT(files.size(), 40u);
  const std::wstring ffprobe = Utf8ToWide(ModuleDirectory() + "ffprobe.exe");
  const std::wstring veltoenc = Utf8ToWide(ModuleDirectory() + "veltoenc.exe");
  const std::string out = output + "out.avi";
  constexpr DWORD kLimitMs = 10000;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    DWORD start = GetTickCount();
    const int probed = RunProgram(ffprobe, Utf8ToWide(JoinCommandLine(ProbeArguments(file, true))), kLimitMs);
    EXPECT_LT(GetTickCount() - start, kLimitMs);
    EXPECT_TRUE(probed == 0 || probed == 1) << "ffprobe.exe ended with " << probed;
    start = GetTickCount();
    const int converted = RunProgram(veltoenc, Utf8ToWide(test::Fill(test::kAviMp3, file, out, kRunConvert, 0)), kLimitMs);
    EXPECT_LT(GetTickCount() - start, kLimitMs);
    EXPECT_TRUE(converted == kExitDone || converted == kExitSourceUnreadable || converted == kExitFfmpegFailed)
        << "veltoenc.exe ended with " << converted;
    DeleteFileW(Utf8ToWide(out).c_str());
  }
}

TEST_F(InputCorpus, TheAddedOddSourcesConvertAndNoSourceIsTouched) {
  const std::vector<std::string> paths = {Clip("surround.wmv"), Clip("odd size.wmv"), Clip("ntsc rate.wmv"),
                                          Clip("variable rate.wmv"), Clip("short.wmv"), Clip("video only.wmv")};
  ASSERT_TRUE(Add(paths).empty());
  const auto before = Fingerprints(paths);
  g_settings.outputFormat = kFormatAvi;
  ASSERT_NO_FATAL_FAILURE(ConvertToTheEnd());
  for (const char* name : {"surround.avi", "odd size.avi", "ntsc rate.avi", "variable rate.avi", "short.avi",
                           "video only.avi"}) {
    EXPECT_GT(Size(output + name), 1000u) << name;
  }
  EXPECT_EQ(Fingerprints(paths), before);
  ExpectIdle();
}

TEST_F(InputCorpus, PlaylistsAreFollowedOnlyToAnExistingLocalFile) {
  const std::string folder = sources;
  std::filesystem::copy_file(PathFromUtf8(Clip("good.wmv")), PathFromUtf8(folder + "good.wmv"));
  auto asx = [&](const std::string& name, const std::string& content) {
    WriteBytes(folder + name, content);
    return folder + name;
  };
  auto entry = [](const std::string& href) {
    return "<ASX version=\"3.0\"><Entry><Ref href=\"" + href + "\"/></Entry></ASX>\r\n";
  };
  const std::vector<std::string> refused = {
      asx("broken.asx", "<ASX version=\"3.0\"><Entry><Ref href=\"good.wm"),
      asx("empty.asx", ""),
      asx("missing.asx", entry("not there.wmv")),
      asx("remote.asx", entry("http://127.0.0.1:9/good.wmv") + entry("mms://127.0.0.1/good.wmv") +
                            entry("\\\\127.0.0.1\\share\\good.wmv")),
      asx("self.asx", entry("self.asx")),
      asx("ping.asx", entry("pong.asx")),
      asx("pong.asx", entry("ping.asx")),
      asx("noise.asx", ReadBytes(Clip("noise.wmv"))),
  };
  const std::string good = asx("good.asx", entry("http://127.0.0.1:9/x.wmv") + entry("good.wmv"));
  const std::string old = asx("old form.asx", "[Reference]\r\nRef1=missing.wmv\r\nRef2=good.wmv\r\n");
  std::vector<std::string> all = refused;
  all.push_back(good);
  all.push_back(old);

  // A playlist without a local file behind it says why of each entry; one
  // that is no playlist and no media is not a video file.
  const std::string noLocal = "the playlist has no local file to convert: ";
  const std::string tooDeep = noLocal + "playlists name playlists more than 4 deep";
  const std::string notVideo = "the source is not a video file";
  const std::vector<std::string> why = {
      noLocal + "it names no entry",
      notVideo,
      noLocal + folder + "not there.wmv is missing",
      noLocal + "http://127.0.0.1:9/good.wmv is a remote address (http:), never fetched; mms://127.0.0.1/good.wmv"
                " is a remote address (mms:), never fetched; \\\\127.0.0.1\\share\\good.wmv is a network share",
      tooDeep, tooDeep, tooDeep, notVideo};
  std::vector<std::pair<std::string, std::string>> causes;
  for (size_t i = 0; i < refused.size(); ++i) causes.emplace_back(refused[i], why[i]);
  EXPECT_EQ(Add(all), Refusals(causes));
  ASSERT_EQ(g_mediaList.count(), 2);
  ExpectEntry(0, good, {"00:00:02", 160, 120, 25.0});
  ExpectEntry(1, old, {"00:00:02", 160, 120, 25.0});
}

// Copies the good clip under `name` in `folder`; false when the file system
// does not take such a name.
bool CopyAs(const std::string& from, const std::string& to) {
  return CopyFileW(Utf8ToWide(from).c_str(), Utf8ToWide(to).c_str(), TRUE) != FALSE;
}

TEST_F(InputCorpus, NamesThatLookLikeOptionsUrlsOrShellTextAreOnlyNames) {
  std::vector<std::string> added;
  std::vector<std::string> refused;
  for (const std::string name : {"-y.wmv", "-i.wmv", "a b  c.wmv", "\xC3\xBC\xC3\xA9\xE6\x97\xA5\xD0\xB6.wmv",
                                 "100% & !x! ^ %PATH%.wmv", "'quote'.wmv", "x;del.wmv", "http:x.wmv",
                                 "concat:a|b.wmv", "file:y.wmv"}) {
    const std::string path = sources + name;
    if (CopyAs(Clip("good.wmv"), path)) {
      added.push_back(path);
    } else {
      refused.push_back(path);  // not a name this file system takes: there is no such file
    }
  }
  // Colons and bars are no part of Windows file names.
  EXPECT_GE(added.size(), 7u);
  for (const std::string& path : refused) std::printf("no such name here: %s\n", path.c_str());
  std::vector<std::string> all = added;
  all.insert(all.end(), refused.begin(), refused.end());
  const auto before = Fingerprints(added);

  std::vector<std::pair<std::string, std::string>> missing;
  for (const std::string& path : refused) missing.emplace_back(path, "the source cannot be read");
  EXPECT_EQ(Add(all), Refusals(missing));
  ASSERT_EQ(g_mediaList.count(), static_cast<int>(added.size()));
  for (size_t i = 0; i < added.size(); ++i) ExpectEntry(static_cast<int>(i), added[i], {"00:00:02", 160, 120, 25.0});

  // Converted into the sources' own folder, as WMV: every output gets a new
  // name beside its source and no source is overwritten.
  SetOutputFolder(sources);
  g_settings.outputFormat = kFormatWmv;
  ASSERT_NO_FATAL_FAILURE(ConvertToTheEnd());
  EXPECT_EQ(Fingerprints(added), before);
  for (const std::string& path : added) {
    const std::string converted = path.substr(0, path.size() - 4) + "_wmv.wmv";
    EXPECT_GT(Size(converted), 1000u) << converted;
  }
  EXPECT_EQ(FilesIn(sources).size(), 2 * added.size());
}

TEST_F(InputCorpus, LongPathsAreAddedAndConverted) {
  // Folders of 50 characters each, nested to reach the lengths wanted.
  auto pathOfLength = [&](size_t length) {
    std::string folder = sources;
    while (folder.size() + 51 + 10 <= length) {
      folder += std::string(50, 'd') + "\\";
    }
    std::filesystem::create_directories(PathFromUtf8(folder));
    const size_t room = length - folder.size() - 4;
    return folder + std::string(room, 'n') + ".wmv";
  };
  const std::string fits = pathOfLength(255);
  const std::string longer = pathOfLength(300);  // beyond MAX_PATH
  ASSERT_EQ(fits.size(), 255u);
  ASSERT_EQ(longer.size(), 300u);
  std::filesystem::copy_file(PathFromUtf8(Clip("good.wmv")), PathFromUtf8(fits));
  std::filesystem::copy_file(PathFromUtf8(Clip("good.wmv")), PathFromUtf8(longer));
  const auto before = Fingerprints({fits, longer});
  EXPECT_TRUE(Add({fits, longer}).empty());
  ASSERT_EQ(g_mediaList.count(), 2);
  ExpectEntry(0, fits, {"00:00:02", 160, 120, 25.0});
  ExpectEntry(1, longer, {"00:00:02", 160, 120, 25.0});

  g_settings.outputFormat = kFormatAvi;
  ASSERT_NO_FATAL_FAILURE(ConvertToTheEnd());
  for (const std::string& source : {fits, longer}) {
    const std::string name = source.substr(source.rfind('\\') + 1);
    EXPECT_GT(Size(output + name.substr(0, name.size() - 4) + ".avi"), 1000u) << name;
  }
  EXPECT_EQ(Fingerprints({fits, longer}), before);
}

}  // namespace
}  // namespace velto::reliability
