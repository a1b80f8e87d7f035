#pragma once
// How long a batch has left: the media seconds still to convert (the rest of
// the current file and the files after it) over the speed the batch has
// shown so far (media seconds converted per wall second). For its first
// minute that speed is the batch's average; later the last minute or so
// weighs most, so that a computer that gets busier or quieter during a long
// batch is followed.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velto {

class TimeLeftEstimate {
 public:
  // Nothing is shown before this much of the batch has been measured.
  static constexpr std::int64_t kMeasuredBeforeShownMs = 5000;
  // The line changes at most this often; the speed is sampled as often.
  static constexpr std::int64_t kShownAtMostEveryMs = 1000;
  // The speed's memory.
  static constexpr std::int64_t kSpeedTimeConstantMs = 60000;

  // A batch of files of these probed durations (seconds), in the order they
  // are converted, starts at startMs (a tick count). Before the first Begin
  // nothing is ever shown.
  void Begin(std::vector<double> durations, std::uint32_t startMs);
  // The current file has written this many seconds; for a conversion split
  // into ranges, all of its ranges together.
  void SetPosition(double seconds);
  // The current file's run is over and the next one is current. A converted
  // file counts as converted whole; one that was not counts what it
  // reached, and the rest of it is no longer to be done.
  void EndFile(bool converted);
  // The current file was converted before the batch was interrupted: it is
  // passed over without counting in the speed.
  void SkipFile();
  // The current file continues from kept parts: its first position, which
  // arrives at once, is media converted before and does not count in the
  // speed.
  void ExpectReusedStart() { reusedPending_ = true; }

  // The line for the moment nowMs: "About 00:01:23 left", or "" before
  // enough is measured; nullopt while the line shown stays as it is (the
  // same text, or changed less than a second ago). The end it foretells
  // moves only when a new reckoning lies further from it than the noise, so
  // between such moves the line counts down a second a second.
  std::optional<std::string> LineToShow(std::uint32_t nowMs);

 private:
  double SecondsToDo() const;
  void SampleSpeed(std::int64_t elapsedMs);

  std::vector<double> durations_;
  std::size_t current_ = 0;  // index of the file at work
  double position_ = 0.0;    // seconds it has written
  double reused_ = 0.0;      // of those, the seconds its kept parts held
  bool reusedPending_ = false;
  double worked_ = 0.0;      // media seconds that the ended files took work for in this run
  std::uint32_t startMs_ = 0;
  bool begun_ = false;
  double speed_ = 0.0;  // media seconds per wall millisecond, smoothed
  std::int64_t sampledAtMs_ = 0;
  double workedAtSample_ = 0.0;
  std::optional<std::int64_t> foretoldEndMs_;  // since the start
  std::string shownLine_;
  std::optional<std::uint32_t> shownAtMs_;
};

}  // namespace velto
