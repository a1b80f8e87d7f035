#pragma once
// What happens when a batch ends: the choice made in the progress window,
// the countdown before the computer sleeps or shuts down, and the text file
// the closing summary is kept in.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

// In the order of the progress window's list; the first is the default.
enum class WhenDone { kNothing, kCloseProgram, kSleep, kShutDown };
inline constexpr std::array<std::string_view, 4> kWhenDoneTexts = {"Do nothing", "Close the program", "Sleep",
                                                                   "Shut down"};
// The list's item (an index, CB_ERR or out of range: kNothing).
WhenDone WhenDoneAt(int index);
// Sleep and Shut down wait for a countdown the user can cancel.
inline bool NeedsCountdown(WhenDone choice) { return choice == WhenDone::kSleep || choice == WhenDone::kShutDown; }

inline constexpr int kCountdownSeconds = 60;
// For tests: the countdown's length in seconds instead of kCountdownSeconds,
// and a file that Sleep and Shut down append their names to ("sleep",
// "shut down") instead of acting.
inline constexpr std::string_view kCountdownSecondsVariable = "VELTO_COUNTDOWN_SECONDS";
inline constexpr std::string_view kWhenDoneRecordVariable = "VELTO_WHEN_DONE_RECORD";
// A countdown length from its variable; kCountdownSeconds when it does not
// hold a whole number of 1 to 3600 seconds.
int CountdownSecondsFrom(std::string_view text);
// "The computer will shut down in 60 seconds."
std::string CountdownText(WhenDone choice, int secondsLeft);
// What the record holds for Sleep ("sleep") and Shut down ("shut down").
std::string_view WhenDoneRecordName(WhenDone choice);

// The summaries kept beside the encoder's logs.
inline constexpr std::size_t kSummariesKept = 20;
struct SummaryTime {
  int year, month, day, hour, minute, second, millisecond;
};
// "batch-20261208-091402-123-4711.txt": names sort by their time.
std::string BatchSummaryName(const SummaryTime& time, std::uint32_t processId);
// The closing summary as a text file: Windows line ends.
std::string BatchSummaryFileText(std::string_view summary);
// Of the file names of the log folder, the summaries beyond the newest
// `keep`, oldest first; other files are never named.
std::vector<std::string> SummariesToRemove(std::vector<std::string> names, std::size_t keep = kSummariesKept);

}  // namespace velto
