#pragma once
// The running batch, kept on disk so that a batch a crash, a kill or a
// power cut interrupted can be continued at the next start: the settings it
// started with, and each file with its probed values, its output and how
// far it got. A text of "key=value" lines; a journal that does not read
// back whole is no journal.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/media_list.h"
#include "settings/conversion_settings.h"

namespace velto {

enum class JournalState { kWaiting, kDone, kFailed };

struct JournalFile {
  MediaEntry media;
  // The output's full path, chosen as its conversion starts; empty before.
  // Its run's hidden work files are named after it.
  std::string output;
  JournalState state = JournalState::kWaiting;
  // The name the output got when another run had taken `output` meanwhile;
  // empty otherwise.
  std::string named;
  // When its last run started, as a file time (100 ns units since 1601,
  // UTC); 0 when unknown (journals written before it was kept).
  std::uint64_t started = 0;

  bool operator==(const JournalFile&) const = default;
  // Where its output is once its run has published it.
  const std::string& Published() const { return named.empty() ? output : named; }
};

struct BatchJournal {
  ConversionSettings settings;
  std::string outputFolder;     // as the user gave it
  std::int32_t fitKbps = 0;     // the video bitrate a disc fit chose; 0: none
  std::vector<JournalFile> files;

  bool operator==(const BatchJournal&) const = default;

  int DoneCount() const;
  // The files a continued batch converts: those not done, in order.
  std::vector<JournalFile> NotDone() const;
  // Whether any file is still to be converted.
  bool Unfinished() const { return DoneCount() < static_cast<int>(files.size()); }
};

// Whether the batch has given out `path` (letter case aside) as a file's
// output, asked for or got, whatever became of that file: no later file of
// the batch is given the name.
bool GivenOut(const BatchJournal& journal, std::string_view path);

// Whether the existing output of file `index`, of `bytes` bytes and last
// written at `written` (a file time), is that file's own: not empty, written
// since its last run started (a FAT disc keeps write times to 2 s), and no
// other file is done with it. So a file killed after its output was
// published and before the journal learnt of it counts as done, and one
// whose name another file's output took, or an empty file, does not.
bool OutputIsFilesOwn(const BatchJournal& journal, std::size_t index, std::uint64_t written, long long bytes);

std::string FormatBatchJournal(const BatchJournal& journal);
// nullopt for a text that is not a whole journal: another first line, a
// line that is no "key=value", a value that is no number where one is
// due, or no end line (a text cut short).
std::optional<BatchJournal> ParseBatchJournal(std::string_view text);

// "The last conversion stopped before it finished (1 of 3 files done).
// Continue it?"
std::string ResumeQuestion(const BatchJournal& journal);
// The message naming the files whose source is gone; empty when none is.
std::string MissingSourcesText(const std::vector<std::string>& missing);

}  // namespace velto
