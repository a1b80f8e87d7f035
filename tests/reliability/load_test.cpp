// Load and the stop question at the edges of a file, with the stand-in
// encoder reporting as fast as it is answered (the real one would spend minutes
// on 99 files under Wine): a full list of 99 files converts completely with
// the right rows, progress and totals, and a flood of 100 000 reports keeps
// the progress window painting and Cancel answering within a second.
#include "tests/reliability/reliability_support.h"
#include "tests/support/stand_in_encoder.h"

#include <cstdio>
#include <cstdlib>

namespace velto::reliability {
namespace {

constexpr char kStubSource[] = "duration=1\nwidth=160\nheight=120\nfps=250000000\necho=0\n";

using testing::MessageBoxAnswerer;

class Load : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    if (HasFatalFailure()) return;
    stub = testing::InstallStandInEncoder(scratch.Directory() + "stub\\");
    dialog->SetEncoderDirectory(stub);
  }
  std::string Source(const std::string& name, const std::string& content = kStubSource) {
    return MainWindowTest::Source(name, content);
  }
  void AddAll(const std::vector<std::string>& paths) {
    MessageBoxAnswerer answerer(IDOK);
    dialog->AddFilesFrom(paths);
    ASSERT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{});
  }
  // Three files, a, b and c, of three reports each.
  void AddThreeFiles() {
    const std::string threeReports = std::string(kStubSource) + "reports=3\n";
    AddAll({Source("a.wmv", threeReports), Source("b.wmv", threeReports), Source("c.wmv", threeReports)});
  }
  // Calls `act` at the last report of the second file.
  static ReportWatcher AtTheLastReportOfB(std::function<void()> act) {
    return ReportWatcher([act, seen = 0](WPARAM kind, LPARAM) mutable {
      if (kind == 6 && g_engineState.currentIndex == 1 && ++seen == 3) act();
    });
  }
  int Bar() const {
    return static_cast<int>(SendMessageW(GetDlgItem(ProgressWindow(), IDC_PROGRESS_BAR), PBM_GETPOS, 0, 0));
  }
  std::string Status() const { return testing::WindowText(GetDlgItem(ProgressWindow(), IDC_PROGRESS_STATUS)); }
  std::string stub;
};

TEST_F(Load, NinetyNineFilesConvertCompletelyWithTheirRowsProgressAndTotals) {
  std::vector<std::string> paths;
  for (int i = 1; i <= 99; ++i) paths.push_back(Source("clip " + std::to_string(i) + ".wmv"));
  const auto before = Fingerprints(paths);
  AddAll(paths);
  ASSERT_EQ(g_mediaList.count(), 99);
  EXPECT_DOUBLE_EQ(g_mediaList.totalDuration, 99.0);
  for (int row = 0; row < 99; ++row) {
    EXPECT_EQ(list.GetItemText(row, 0), "          " + std::to_string(row + 1));
    EXPECT_EQ(list.GetItemText(row, 1), paths[static_cast<size_t>(row)]);
    EXPECT_EQ(list.GetItemText(row, 2), "00:00:01");
  }

  std::vector<int> barAtFile(99, -1);
  ReportWatcher watcher([&](WPARAM kind, LPARAM) {
    if (kind == 6) barAtFile[static_cast<size_t>(g_engineState.currentIndex)] = Bar();
  });
  ASSERT_NO_FATAL_FAILURE(ConvertToTheEnd());
  std::vector<std::string> expectedOutputs;
  for (int i = 1; i <= 99; ++i) expectedOutputs.push_back("clip " + std::to_string(i) + ".avi");
  std::sort(expectedOutputs.begin(), expectedOutputs.end());
  EXPECT_EQ(FilesIn(output), expectedOutputs);
  // The bar moves on with every file: before file i's report it shows the
  // files done so far.
  std::vector<int> expectedBar(99, 0);
  for (int i = 1; i < 99; ++i) expectedBar[static_cast<size_t>(i)] = i * 1000 / 99;
  EXPECT_EQ(barAtFile, expectedBar);
  // The progress window keeps what it showed last.
  EXPECT_EQ(Bar(), 1000);
  EXPECT_NE(Status().find("Finished 100.0%"), std::string::npos) << Status();
  EXPECT_EQ(Fingerprints(paths), before);
  ExpectIdle();
}

constexpr DWORD kFloodSeconds = 5;

TEST_F(Load, AFloodOfReportsKeepsTheWindowPaintingAndCancelAnsweringWithinASecond) {
  const std::string flood = Source("flood.wmv", "duration=100\nwidth=160\nheight=120\nfps=250000000\n"
                                                "reports=100000\nseconds=100\n");
  AddAll({flood});
  const HWND bar = GetDlgItem(ProgressWindow(), IDC_PROGRESS_BAR);
  MessageBoxAnswerer answerer(IDYES);
  // Every 50 ms, what the progress window shows and whether a paint of the
  // bar is still owed.
  std::vector<std::string> shown;
  int samples = 0, owed = 0;
  WhenReady sampler(
      [&] {
        if (IsWindowVisible(ProgressWindow()) && answerer.texts.empty()) {
          ++samples;
          if (GetUpdateRect(bar, nullptr, FALSE)) ++owed;
          if (shown.empty() || shown.back() != Status()) shown.push_back(Status());
        }
        return false;
      },
      [] {}, 50);
  // Cancel is clicked when the flood is well under way; the question must
  // come up within a second.
  DWORD clickedAt = 0;
  const DWORD batchStart = GetTickCount();
  WhenReady cancel([&] { return GetTickCount() - batchStart > kFloodSeconds * 1000; },
                   [&] {
                     clickedAt = GetTickCount();
                     QueueCancel();
                   });
  Command(IDC_MAIN_CONVERT);

  ASSERT_NE(clickedAt, 0u);
  ASSERT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Do you really want to stop?"});
  EXPECT_LT(answerer.ticks[0] - clickedAt, 1000u);
  const int sent = std::atoi(ReadBytes(stub + "reports.txt").c_str());
  EXPECT_GT(sent, 1000);
  EXPECT_LT(sent, 100000) << "the encoder was not stopped";
  // The window kept showing the progress and painting it.
  EXPECT_GE(shown.size(), 5u);
  EXPECT_NE(shown.back().find("Finished "), std::string::npos) << shown.back();
  EXPECT_LT(owed * 2, samples) << owed << " of " << samples << " samples found the bar unpainted";
  std::printf("flood: %d reports in %lu ms; %d samples, %d owing a paint, %zu texts; question after "
              "%lu ms\n",
              sent, static_cast<unsigned long>(clickedAt - batchStart), samples, owed, shown.size(),
              static_cast<unsigned long>(answerer.ticks[0] - clickedAt));
  EXPECT_TRUE(FilesIn(output).empty());
  ExpectIdle();
}

// A Cancel click that the run's last report no longer sees: the question is
// still asked when the file ends, and the finished file is kept either way.
TEST_F(Load, CancelAfterTheLastReportOfAFileIsStillAskedAndKeepsTheFinishedFile) {
  for (const int answer : {IDYES, IDNO}) {
    SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
    dialog->SetEncoderDirectory(stub);
    for (const std::string& name : FilesIn(output)) std::filesystem::remove(PathFromUtf8(output + name));
    g_mediaList = MediaList{};
    list.DeleteAllItems();
    AddThreeFiles();
    const ReportWatcher watcher = AtTheLastReportOfB([&] { QueueCancel(); });
    MessageBoxAnswerer answerer(answer);
    Command(IDC_MAIN_CONVERT);
    ASSERT_GE(answerer.texts.size(), 1u);
    EXPECT_EQ(answerer.texts[0], L"Do you really want to stop?");
    if (answer == IDYES) {
      EXPECT_EQ(answerer.texts.size(), 1u);  // the batch ends without a closing message
      EXPECT_EQ(FilesIn(output), (std::vector<std::string>{"a.avi", "b.avi"}));
    } else {
      ASSERT_EQ(answerer.texts.size(), 2u);
      EXPECT_EQ(answerer.texts[1].rfind(L"Mission accomplished! Total Time:", 0), 0u) << WideToUtf8(answerer.texts[1]);
      EXPECT_EQ(FilesIn(output), (std::vector<std::string>{"a.avi", "b.avi", "c.avi"}));
    }
    EXPECT_EQ(ReadBytes(output + "b.avi"), "converted\r\n");
    ExpectIdle();
  }
}

TEST_F(Load, CancelAtTheLastReportOfAFileStopsWithThatFileRemoved) {
  AddThreeFiles();
  const ReportWatcher watcher = AtTheLastReportOfB([&] { ClickCancel(); });
  MessageBoxAnswerer answerer(IDYES);
  Command(IDC_MAIN_CONVERT);
  EXPECT_EQ(Utf8Texts(answerer.texts), std::vector<std::string>{"Do you really want to stop?"});
  EXPECT_EQ(FilesIn(output), std::vector<std::string>{"a.avi"});
  EXPECT_EQ(ReadBytes(stub + "reports.txt"), "3");
  ExpectIdle();
}

}  // namespace
}  // namespace velto::reliability
