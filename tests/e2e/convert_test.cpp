// The real VeltoConverter.exe driven from outside as a user would: files
// picked in the open-file dialog (one of them not a video), DVD PAL chosen,
// the batch converted and its outputs checked with the engine's prober; in
// a second session a batch stopped during its second file; the settings
// kept in option.ini between the sessions. A list fitted on one disc, as
// SVCD and as DVD. A list brought to one loudness. A batch's time left, and
// what happens when it is done. MP4 against DivX at the default presets.
#include "tests/e2e/program_test.h"

namespace velto::testing {
namespace {

TEST_F(ConverterEndToEnd, ConvertsToDvdPalStopsOnRequestAndKeepsTheSettings) {
  MakeClip(Source(L"wide clip.wmv"), 320, 180, 2);  // 16:9
  MakeClip(Source(L"tv clip.wmv"), 320, 240, 2);    // 4:3
  ASSERT_TRUE(WriteFileBytes(Source(L"garbage.wmv"), std::string(4096, '\x5a')));
  MakeClip(Source(L"first.wmv"), 320, 240, 2);
  MakeClip(Source(L"long.wmv"), 320, 240, 60);  // still running when Cancel comes
  MakeClip(Source(L"third.wmv"), 320, 240, 2);

  // ---- first session: add three files, one of them not a video
  HWND main = StartProgram();
  ASSERT_NE(main, nullptr) << "no main window";
  AddFiles(main, {L"wide clip.wmv", L"garbage.wmv", L"tv clip.wmv"});
  HWND box = WaitForMessageBox(kWindowTimeoutMs);
  ASSERT_NE(box, nullptr) << "no message about the file that could not be loaded";
  EXPECT_EQ(MessageBoxText(box), L"Load file " + Source(L"garbage.wmv") + L" failed. (the source is not a video file)");
  PostCommand(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }, kWindowTimeoutMs));
  EXPECT_EQ(WaitForMessageBox(500), nullptr) << "more than one message about failed files";
  const std::vector<std::vector<std::wstring>> rows = Rows(main);
  const std::vector<std::vector<std::wstring>> expectedRows = {
      {L"          1", Source(L"wide clip.wmv"), L"00:00:02"},
      {L"          2", Source(L"tv clip.wmv"), L"00:00:02"}};
  EXPECT_EQ(rows, expectedRows);

  // ---- DVD PAL into a folder that does not exist yet, and Convert
  ChooseComboItem(main, IDC_MAIN_FORMAT, kDvdFormat);
  ChooseComboItem(main, IDC_MAIN_TV_MODE, kPalMode);
  SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), outputs);
  PostCommand(main, IDC_MAIN_CONVERT);
  box = WaitForMessageBox(kBatchTimeoutMs);
  ASSERT_NE(box, nullptr) << "no final message";
  EXPECT_TRUE(std::regex_match(Narrow(MessageBoxText(box)),
                               std::regex("Mission accomplished! Total Time:[0-9]{2}:[0-9]{2}:[0-9]{2}")))
      << Narrow(MessageBoxText(box));
  EXPECT_FALSE(IsWindowEnabled(main)) << "the main window is enabled while the final message is up";
  PostCommand(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kWindowTimeoutMs));
  // The batch's end enables the main window and then hides the progress
  // window: from outside the two steps are seen one after the other.
  EXPECT_TRUE(WaitUntil([&] { return program.FindDialog(IsProgressWindow) == nullptr; }, 5000))
      << "the progress window is still shown";
  // The default DVD aspect ratio is 16:9: the wide clip fills the frame, the
  // 4:3 clip gets bars.
  const Bars wide = ExpectDvdPal(Output(L"wide clip.vob"), 16.0 / 9.0);
  const Bars tv = ExpectDvdPal(Output(L"tv clip.vob"), 4.0 / 3.0);
  EXPECT_GT(tv.left + tv.right + tv.top + tv.bottom, wide.left + wide.right + wide.top + wide.bottom + 100)
      << "no letterbox for the 4:3 clip";

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";

  // ---- second session: the settings are back; a batch of three stopped during the second
  main = StartProgram();
  ASSERT_NE(main, nullptr) << "no main window in the second session";
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_MAIN_FORMAT), CB_GETCURSEL, 0, 0), kDvdFormat);
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_MAIN_TV_MODE), CB_GETCURSEL, 0, 0), kPalMode);
  EXPECT_EQ(WideWindowText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER)), outputs);
  ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(main, {L"first.wmv", L"long.wmv", L"third.wmv"}, 3));
  ASSERT_EQ(WaitForMessageBox(0), nullptr) << Narrow(MessageBoxText(WaitForMessageBox(0)));

  PostCommand(main, IDC_MAIN_CONVERT);
  // A long source is written in ranges and joined at its end, so its output
  // appears only then: the progress window's file line tells it has begun.
  HWND progress = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        progress = program.FindDialog(IsProgressWindow);
        return progress && WideWindowText(GetDlgItem(progress, IDC_PROGRESS_FILE)).starts_with(L"File 2 of 3");
      },
      kBatchTimeoutMs))
      << "the second file was never started";
  PostCommand(progress, IDC_PROGRESS_CANCEL);
  box = WaitForMessageBox(kBatchTimeoutMs);
  ASSERT_NE(box, nullptr) << "no question after Cancel";
  EXPECT_EQ(MessageBoxText(box), L"Do you really want to stop?");
  PostCommand(box, IDYES);
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(main) != FALSE; }, kBatchTimeoutMs))
      << "the main window stayed disabled";
  Sleep(1000);  // a final message would be up by now
  EXPECT_EQ(WaitForMessageBox(0), nullptr) << "a message after the stop";
  EXPECT_FALSE(FileExists(Output(L"long.vob"))) << "the stopped file's output was kept";
  EXPECT_FALSE(FileExists(Output(L"third.vob"))) << "the third file was converted after the stop";
  ASSERT_TRUE(FileExists(Output(L"first.vob")));
  EXPECT_EQ(ProbeVideo(Output(L"first.vob"))["height"], "576") << "the first output is damaged";

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";
  const std::string saved = ReadFileBytes(settingsPath);
  EXPECT_NE(saved.find("Output format=7"), std::string::npos) << saved;
  EXPECT_NE(saved.find("TV mode=1"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Temporary folder=" + Narrow(outputs)), std::string::npos) << saved;
}

// Four clips of 90 s together, fitted on a disc of 30,000,000 bytes as SVCD
// and as DVD: the outputs fill it to between 85 and 100 %. On a smaller
// disc the list is asked about first.
TEST_F(ConverterEndToEnd, FitsAListOnOneDiscAsSvcdAndAsDvd) {
  const std::vector<std::wstring> names = {L"one.wmv", L"two.wmv", L"three.wmv", L"four.wmv"};
  const int seconds[] = {15, 20, 25, 30};
  for (size_t i = 0; i < names.size(); ++i) MakePatternClip(Source(names[i]), seconds[i], true);
  constexpr long long kCapacity = 30'000'000;
  SetEnvironmentVariableW(L"VELTO_DISC_CAPACITY_BYTES", std::to_wstring(kCapacity).c_str());
  WritePrivateProfileStringW(L"Destinate", L"Output format", L"6", settingsPath.c_str());
  WritePrivateProfileStringW(L"Destinate", L"Fit to disc", L"1", settingsPath.c_str());

  const HWND main = StartProgram();
  ASSERT_NE(main, nullptr) << "no main window";
  ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(main, names, 4));

  const std::regex closing(
      "Mission accomplished! Total Time:[0-9]{2}:[0-9]{2}:[0-9]{2}\n"
      "Predicted total size: [0-9]+\\.[0-9] MB, actual total size: ([0-9]+\\.[0-9]) MB");
  for (const auto& [format, extension] : {std::pair{6, L"mpeg"}, std::pair{7, L"vob"}}) {
    SCOPED_TRACE(format);
    const std::wstring folder = work + L"\\disc " + extension;
    const std::string text = ConvertList(main, format, folder);

    long long total = 0;
    for (const std::wstring& name : names) {
      const long long size = FileSize(folder + L"\\" + name.substr(0, name.size() - 3) + extension);
      EXPECT_GT(size, 0) << Narrow(name);
      total += size;
    }
    std::smatch match;
    ASSERT_TRUE(std::regex_match(text, match, closing)) << text;
    EXPECT_NEAR(std::stod(match[1].str()), static_cast<double>(total) / 1e6, 0.051) << text;
    EXPECT_GE(total, kCapacity * 85 / 100) << text;
    EXPECT_LE(total, kCapacity) << text;
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";

  // On a disc of two thirds the size the DVD rate falls below its floor:
  // the question comes first, and No converts nothing.
  SetEnvironmentVariableW(L"VELTO_DISC_CAPACITY_BYTES", L"20000000");
  const HWND again = StartProgram();
  ASSERT_NE(again, nullptr) << "no main window in the second session";
  ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(again, names, 4));
  const std::wstring unused = work + L"\\not converted";
  SetText(GetDlgItem(again, IDC_MAIN_OUTPUT_FOLDER), unused);
  PostCommand(again, IDC_MAIN_CONVERT);
  const HWND question = WaitForMessageBox(kWindowTimeoutMs);
  ASSERT_NE(question, nullptr) << "no question";
  EXPECT_TRUE(std::regex_match(
      Narrow(MessageBoxText(question)),
      std::regex("The list needs more than one disc: it would be converted at 1[0-9]{3} kbit/s\\. Convert anyway\\?")))
      << Narrow(MessageBoxText(question));
  PostCommand(question, IDNO);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }, kWindowTimeoutMs));
  Sleep(500);
  EXPECT_EQ(WaitForMessageBox(0), nullptr) << "a message after No";
  EXPECT_EQ(GetFileAttributesW(unused.c_str()), INVALID_FILE_ATTRIBUTES) << "the output folder was made";
  PostMessageW(again, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";
}

// "Even out loudness": two clips of the same picture, a quiet one (about
// -35 LUFS, with clicks that its gain lifts past full scale) and a loud one
// (about -10 LUFS), come out as AVI, DVD and WMV at -16 LUFS, their true
// peak at most -1 dBTP; a third of hiss alone (about -65 LUFS) is lifted by
// 24 dB at most; with the box cleared they keep their difference.
TEST_F(ConverterEndToEnd, EvensOutTheLoudnessOfAList) {
  const std::vector<std::wstring> names = {L"quiet.wmv", L"loud.wmv", L"hiss.wmv"};
  MakeClip(Source(names[0]), 320, 240, 3,
           L"sine=frequency=440:samples_per_frame=8,volume=-14dB,volume='if(lt(mod(t,1),0.0001),10,1)':eval=frame");
  MakeClip(Source(names[1]), 320, 240, 3, L"sine=frequency=440,volume=11dB");
  // Stereo, as every output carries it: a mono sound played on both
  // channels of a pair is 3 LU louder.
  MakeClip(Source(names[2]), 320, 240, 3, L"anoisesrc=color=white:amplitude=0.00045,pan=stereo|c0=c0|c1=c0");
  const double hissLoudness = MeasuredLoudness(Source(names[2])).integrated;
  for (const bool even : {true, false}) {
    SCOPED_TRACE(even ? "evened" : "as they are");
    WritePrivateProfileStringW(L"Destinate", L"Normalize loudness", even ? L"1" : L"0", settingsPath.c_str());
    const HWND main = StartProgram();
    ASSERT_NE(main, nullptr) << "no main window";
    ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(main, names, 3));
    const std::vector<std::pair<int, std::wstring>> evened = {{0, L"avi"}, {7, L"vob"}, {8, L"wmv"}};
    for (const auto& [format, extension] : even ? evened : decltype(evened){{0, L"avi"}}) {
      SCOPED_TRACE(format);
      const std::wstring folder = work + L"\\loudness " + extension + (even ? L" even" : L"");
      ConvertList(main, format, folder);
      const Loudness quiet = MeasuredLoudness(folder + L"\\quiet." + extension);
      const Loudness loud = MeasuredLoudness(folder + L"\\loud." + extension);
      if (even) {
        for (const Loudness& output : {quiet, loud}) {
          EXPECT_NEAR(output.integrated, kTargetLoudness, 1.0) << output.peak;
          EXPECT_LE(output.peak, -1.0) << output.integrated;
        }
        const double lift = MeasuredLoudness(folder + L"\\hiss." + extension).integrated - hissLoudness;
        EXPECT_LE(lift, 24.5) << hissLoudness;
        EXPECT_GE(lift, 22.0) << hissLoudness;
      } else {
        EXPECT_GT(loud.integrated - quiet.integrated, 20.0);
      }
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";
  }
}

// Four clips of unequal length converted while nobody watches: at about 40 %
// of the batch the time left is within 35 % of the time the batch then
// takes, give or take the 2 s a figure in whole seconds, shown once a
// second and read four times a second, can be off by. (The estimate counts
// media seconds alone; each file's start, some second here, makes it high
// when the short files come first, low when they come last: the clips are
// in no order of length.) "Do nothing" is the choice at every start; Shut down and Sleep
// (written down instead of done, by the test's setting) come after their
// countdown; Cancel in the countdown leaves the computer alone.
TEST_F(ConverterEndToEnd, TellsTheTimeLeftAndSleepsOrShutsDownWhenDoneAfterACountdown) {
  const std::vector<std::wstring> names = {L"one.wmv", L"two.wmv", L"three.wmv", L"four.wmv"};
  const int seconds[] = {70, 120, 40, 90};
  for (size_t i = 0; i < names.size(); ++i) MakePatternClip(Source(names[i]), seconds[i], false);
  const std::wstring record = work + L"\\when done.txt";
  SetEnvironmentVariableW(L"VELTO_WHEN_DONE_RECORD", record.c_str());

  // Converts `files`; once the progress window shows (with `timeLeft`, once
  // it shows the time left at 40 % or more) `atWork` runs and chooses what
  // happens when done. Returns the countdown window.
  const auto convert = [&](const std::vector<std::wstring>& files, bool timeLeft,
                           const std::function<void(HWND)>& atWork) {
    const HWND main = StartProgram();
    EXPECT_NE(main, nullptr) << "no main window";
    if (!main) return HWND{};
    AddFilesAndWait(main, files, static_cast<LRESULT>(files.size()));
    ChooseComboItem(main, IDC_MAIN_FORMAT, kDvdFormat);  // slower than AVI at the clips' size: a longer batch
    SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), outputs);
    PostCommand(main, IDC_MAIN_CONVERT);
    HWND progress = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
          progress = program.FindDialog(IsProgressWindow);
          if (!progress || !timeLeft) return progress != nullptr;
          return SendMessageW(GetDlgItem(progress, IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0) >= 400 &&
                 !WideWindowText(GetDlgItem(progress, IDC_PROGRESS_TIME_LEFT)).empty();
        },
        kBatchTimeoutMs, timeLeft ? kTimedLookMs : 20))
        << "no progress window, or no time left at 40 %";
    if (!progress) return HWND{};
    EXPECT_EQ(WideWindowText(GetDlgItem(progress, IDC_PROGRESS_WHEN_DONE)), L"Do nothing");
    atWork(progress);
    HWND countdown = nullptr;
    WaitUntil([&] { return (countdown = program.FindDialog(IsCountdown)) != nullptr || program.HasEnded(); },
              kBatchTimeoutMs, kTimedLookMs);
    return countdown;
  };
  // The closing message follows; `recorded` is what the record holds then.
  const auto closeSession = [&](const std::string& recorded) {
    const HWND box = WaitForMessageBox(kWindowTimeoutMs);
    ASSERT_NE(box, nullptr) << "no final message";
    EXPECT_EQ(MessageBoxText(box).rfind(L"Mission accomplished!", 0), 0u) << Narrow(MessageBoxText(box));
    EXPECT_EQ(ReadFileBytes(record), recorded);
    PostCommand(box, IDOK);
    PostMessageW(program.FindDialog(IsMainWindow), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.WaitForEnd(30000)) << "the program did not end";
  };

  SetEnvironmentVariableW(L"VELTO_COUNTDOWN_SECONDS", L"2");
  int figure = -1;
  ULONGLONG at = 0;
  std::wstring line;
  HWND countdown = convert(names, true, [&](HWND progress) {
    at = GetTickCount64();
    line = WideWindowText(GetDlgItem(progress, IDC_PROGRESS_TIME_LEFT));
    std::wsmatch time;
    if (std::regex_match(line, time, std::wregex(L"About ([0-9]+):([0-9]{2}):([0-9]{2}) left"))) {
      figure = std::stoi(time[1].str()) * 3600 + std::stoi(time[2].str()) * 60 + std::stoi(time[3].str());
    }
    ChooseComboItem(progress, IDC_PROGRESS_WHEN_DONE, 3);  // Shut down
  });
  ASSERT_NE(countdown, nullptr) << "no countdown";
  const double taken = static_cast<double>(GetTickCount64() - at) / 1000.0;
  EXPECT_NEAR(figure, taken, taken * 0.35 + 2.0) << Narrow(line);
  EXPECT_TRUE(std::regex_match(Narrow(WideWindowText(GetDlgItem(countdown, IDC_COUNTDOWN_TEXT))),
                               std::regex("The computer will shut down in [12] seconds?\\.")));
  ASSERT_NO_FATAL_FAILURE(closeSession("shut down\n"));

  const auto chooseSleep = [](HWND progress) { ChooseComboItem(progress, IDC_PROGRESS_WHEN_DONE, 2); };
  countdown = convert({L"three.wmv"}, false, chooseSleep);
  ASSERT_NE(countdown, nullptr) << "no countdown";
  ASSERT_NO_FATAL_FAILURE(closeSession("shut down\nsleep\n"));

  SetEnvironmentVariableW(L"VELTO_COUNTDOWN_SECONDS", L"600");
  countdown = convert({L"three.wmv"}, false, chooseSleep);
  ASSERT_NE(countdown, nullptr) << "no countdown";
  PostCommand(countdown, IDCANCEL);
  closeSession("shut down\nsleep\n");
}

// Two clips of 20 s at 640x480, one of fine moving detail and one under
// temporal noise, converted at the default presets as MP4 and as DivX:
// each MP4 is H.264 High or Main at level 4.1 at most, 4:2:0, with AAC-LC
// stereo and its index before the media, as long as its source with as
// many frames (give or take the one at the start), decodes cleanly, and takes at most 85 % of DivX's bytes for
// a picture no more than 0.5 dB below DivX's.
TEST_F(ConverterEndToEnd, Mp4IsSmallerThanDivxForAsGoodAPicture) {
  const std::vector<std::wstring> names = {L"detail.wmv", L"noise.wmv"};
  MakeWmvClip(Source(names[0]), 20, L"testsrc2=s=1280x960:r=30000/1001,scale=640:480", L"4000k");
  MakeWmvClip(Source(names[1]), 20, L"testsrc=s=640x480:r=30000/1001,noise=alls=20:allf=t+u", L"4000k");
  const HWND main = StartProgram();
  ASSERT_NE(main, nullptr) << "no main window";
  ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(main, names, 2));
  for (const auto& [format, folder] : {std::pair{kMp4Format, L"mp4"}, std::pair{kDivxFormat, L"divx"}})
    EXPECT_EQ(ConvertList(main, format, work + L"\\" + folder).rfind("Mission accomplished!", 0), 0u) << format;
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(program.WaitForEnd(30000)) << "the program did not end";

  for (const std::wstring& name : names) {
    SCOPED_TRACE(Narrow(name));
    const std::wstring stem = name.substr(0, name.size() - 4);
    const std::wstring mp4 = work + L"\\mp4\\" + stem + L".mp4", divx = work + L"\\divx\\" + stem + L".avi";
    const wchar_t* fields = L"stream=codec_name,profile,level,pix_fmt,r_frame_rate,nb_read_frames:format=duration";
    auto video = ProbeEntries(mp4, L"v:0", fields, true);
    auto source = ProbeEntries(Source(name), L"v:0", fields, true);
    EXPECT_EQ(video["codec_name"], "h264");
    EXPECT_TRUE(video["profile"] == "High" || video["profile"] == "Main") << video["profile"];
    EXPECT_LE(std::atoi(video["level"].c_str()), 41) << video["level"];
    EXPECT_EQ(video["pix_fmt"], "yuv420p");
    // The source's picture starts some 40 ms in, where the output holds its
    // first frame from 0 beside the sound: one frame more.
    EXPECT_NEAR(std::atoi(video["nb_read_frames"].c_str()), std::atoi(source["nb_read_frames"].c_str()), 1);
    EXPECT_NEAR(std::atof(video["duration"].c_str()), std::atof(source["duration"].c_str()), 0.1);
    auto sound = ProbeEntries(mp4, L"a:0", L"stream=codec_name,profile,channels");
    EXPECT_EQ(sound["codec_name"] + " " + sound["profile"] + " " + sound["channels"], "aac LC 2");
    const std::vector<std::string> boxes = TopLevelBoxes(ReadFileBytes(mp4));
    const auto index = std::find(boxes.begin(), boxes.end(), "moov");
    const auto media = std::find(boxes.begin(), boxes.end(), "mdat");
    EXPECT_TRUE(index < media && media != boxes.end()) << "the index is not before the media";
    EXPECT_EQ(DecodingErrors(mp4), "");
    EXPECT_LE(FileSize(mp4), FileSize(divx) * 85 / 100) << FileSize(divx);
    const std::wstring rate = Utf8ToWide(video["r_frame_rate"]);
    const double divxPsnr = PsnrAgainstSource(divx, Source(name), rate);
    EXPECT_GE(PsnrAgainstSource(mp4, Source(name), rate), divxPsnr - 0.5);
  }
}

// Run once more by ctest with no locale at all in its environment, as on a
// minimal system: Wine can only make such names with a UTF-8 locale.
TEST_F(ConverterEndToEnd, AddsAndConvertsAFileWithANonAsciiName) {
  const std::wstring name = L"vid\u00e9o \u00dcn\u00efcode";
  MakeClip(Source(name + L".wmv"), 320, 240, 1);
  const HWND main = StartProgram();
  ASSERT_NE(main, nullptr) << "no main window";
  ASSERT_NO_FATAL_FAILURE(AddFilesAndWait(main, {name + L".wmv"}, 1));
  ChooseComboItem(main, IDC_MAIN_FORMAT, 0);  // AVI
  SetText(GetDlgItem(main, IDC_MAIN_OUTPUT_FOLDER), outputs);
  PostCommand(main, IDC_MAIN_CONVERT);
  const HWND box = WaitForMessageBox(kBatchTimeoutMs);
  ASSERT_NE(box, nullptr) << "no final message";
  EXPECT_EQ(MessageBoxText(box).rfind(L"Mission accomplished!", 0), 0u) << Narrow(MessageBoxText(box));
  PostCommand(box, IDOK);
  EXPECT_EQ(ProbeVideo(Output(name + L".avi"))["width"], "320");
}

}  // namespace
}  // namespace velto::testing
