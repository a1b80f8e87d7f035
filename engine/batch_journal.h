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
  std::string output;  // the output's full path, chosen as its conversion starts; empty before
  JournalState state = JournalState::kWaiting;

  bool operator==(const JournalFile&) const = default;
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
