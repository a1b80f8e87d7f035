#pragma once
// What the progress window shows for a position report of a batch.
#include <cstdint>
#include <optional>
#include <string>

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

}  // namespace velto
