#pragma once
// What the progress window shows for a position report of a batch.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velto {

struct ProgressDisplay {
  std::string statusText;  // "Total time:..;Elapsed time:..;Finished N.N%"
  int perMille = 0;        // position of the 0..1000 progress bar
};

// The display for position seconds into the current file, with
// completedDuration seconds of earlier files done, totalDuration seconds in
// the whole list and elapsedMs since the batch started. Nothing is shown
// (nullopt) when the batch would be past its end. A list without durations
// shows the elapsed time at 0.0% instead of dividing by zero.
std::optional<ProgressDisplay> ComputeProgressDisplay(double position, double completedDuration,
                                                      double totalDuration, std::uint32_t elapsedMs);

// The line naming the file at work, "File 2 of 3: talk.wmv": the number-th
// of count files, its name without the folder, shortened in the middle with
// an ellipsis until `fits` takes the line; with files at work beside it,
// "File 2 of 9: talk.wmv (and 1 more)".
std::string FileLineText(int number, int count, std::string_view path,
                         const std::function<bool(const std::string&)>& fits, int beside = 0);

}  // namespace velto
