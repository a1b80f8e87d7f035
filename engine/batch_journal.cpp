#include "engine/batch_journal.h"

#include <charconv>
#include <cstdio>

#include "base/work_files.h"
#include "settings/settings_store.h"

namespace velto {
namespace {

constexpr std::string_view kSettingPrefix = "setting.";

// Line breaks and '%' in a value are written as %0A, %0D and %25, so that
// every value stays on its line (read back by JournalValue).
std::string Escape(std::string_view value) {
  std::string out;
  for (char c : value) {
    if (c == '%') out += "%25";
    else if (c == '\n') out += "%0A";
    else if (c == '\r') out += "%0D";
    else out += c;
  }
  return out;
}

std::string Number(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

const char* StateName(JournalState state) {
  switch (state) {
    case JournalState::kDone: return "done";
    case JournalState::kFailed: return "failed";
    default: return "waiting";
  }
}

std::optional<JournalState> ParseState(std::string_view name) {
  if (name == "waiting") return JournalState::kWaiting;
  if (name == "done") return JournalState::kDone;
  if (name == "failed") return JournalState::kFailed;
  return std::nullopt;
}

// One "key=value" line into the journal; false when it does not fit.
bool TakeLine(std::string_view key, const std::string& value, BatchJournal& journal) {
  if (key == "file") {
    journal.files.push_back({});
    journal.files.back().media.path = value;
    return !value.empty();
  }
  if (key == "output-folder") {
    journal.outputFolder = value;
    return true;
  }
  if (key == "fit-kbps") return ParseNumber(value, journal.fitKbps);
  if (key.starts_with(kSettingPrefix)) {
    const std::string_view name = key.substr(kSettingPrefix.size());
    for (const SettingKey& setting : kSettingKeys)
      if (setting.field && setting.name == name) return ParseNumber(value, journal.settings.*setting.field);
    return true;  // a setting of a later version: its default stays
  }
  if (journal.files.empty()) return false;
  JournalFile& file = journal.files.back();
  if (key == "duration") return ParseNumber(value, file.media.duration);
  if (key == "width") return ParseNumber(value, file.media.width);
  if (key == "height") return ParseNumber(value, file.media.height);
  if (key == "frame-rate") return ParseNumber(value, file.media.frameRate);
  if (key == "stated-duration") return ParseNumber(value, file.media.statedDuration);
  if (key == "output") {
    file.output = value;
    return true;
  }
  if (key == "named") {
    file.named = value;
    return true;
  }
  if (key == "started") return ParseNumber(value, file.started);
  if (key == "state") {
    const auto state = ParseState(value);
    if (state) file.state = *state;
    return state.has_value();
  }
  return false;
}

// FAT's write times are even seconds.
constexpr std::uint64_t kWriteTimeSlack = 2 * 10'000'000ull;

bool SamePath(std::string_view a, std::string_view b) {
  if (a.empty() || a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

bool GivenOut(const BatchJournal& journal, std::string_view path) {
  for (const JournalFile& file : journal.files)
    if (SamePath(file.output, path) || SamePath(file.named, path)) return true;
  return false;
}

bool OutputIsFilesOwn(const BatchJournal& journal, std::size_t index, std::uint64_t written, long long bytes) {
  if (index >= journal.files.size() || bytes <= 0) return false;
  const JournalFile& file = journal.files[index];
  if (file.started == 0 || written + kWriteTimeSlack < file.started) return false;
  for (std::size_t i = 0; i < journal.files.size(); ++i)
    if (i != index && journal.files[i].state == JournalState::kDone &&
        SamePath(journal.files[i].Published(), file.Published()))
      return false;
  return true;
}

int BatchJournal::DoneCount() const {
  int done = 0;
  for (const JournalFile& file : files) done += file.state == JournalState::kDone ? 1 : 0;
  return done;
}

std::vector<JournalFile> BatchJournal::NotDone() const {
  std::vector<JournalFile> rest;
  for (const JournalFile& file : files)
    if (file.state != JournalState::kDone) rest.push_back(file);
  return rest;
}

std::string FormatBatchJournal(const BatchJournal& journal) {
  std::string text = std::string(kJournalFirstLine) + "\n";
  const auto line = [&text](std::string_view key, std::string_view value) {
    text += std::string(key) + "=" + Escape(value) + "\n";
  };
  line("output-folder", journal.outputFolder);
  line("fit-kbps", std::to_string(journal.fitKbps));
  for (const SettingKey& setting : kSettingKeys)
    if (setting.field) line(std::string(kSettingPrefix) + std::string(setting.name), std::to_string(journal.settings.*setting.field));
  for (const JournalFile& file : journal.files) {
    line("file", file.media.path);
    line("duration", Number(file.media.duration));
    line("width", std::to_string(file.media.width));
    line("height", std::to_string(file.media.height));
    line("frame-rate", Number(file.media.frameRate));
    line("stated-duration", Number(file.media.statedDuration));
    line("output", file.output);
    line("named", file.named);
    line("started", std::to_string(file.started));
    line("state", StateName(file.state));
  }
  return text + std::string(kJournalEndLine) + "\n";
}

std::optional<BatchJournal> ParseBatchJournal(std::string_view text) {
  BatchJournal journal;
  const bool whole = ReadJournalLines(
      text, [&journal](std::string_view key, const std::string& value) { return TakeLine(key, value, journal); });
  if (!whole) return std::nullopt;
  return journal;
}

std::string ResumeQuestion(const BatchJournal& journal) {
  return "The last conversion stopped before it finished (" + std::to_string(journal.DoneCount()) + " of " +
         std::to_string(journal.files.size()) + " files done). Continue it?";
}

std::string MissingSourcesText(const std::vector<std::string>& missing) {
  if (missing.empty()) return {};
  std::string text = missing.size() == 1 ? "This file of the stopped conversion is gone and is left out:"
                                         : "These files of the stopped conversion are gone and are left out:";
  for (const std::string& path : missing) text += "\n" + path;
  return text;
}

}  // namespace velto
