#pragma once
// How long a batch has left: the media seconds still to convert (the rest of
// the files at work and the files after them) over the speed the batch has
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
  // File `index` (of the durations given) has written this many seconds;
  // for a conversion split into ranges, all of its ranges together.
  // Several files may be at work at once.
  void SetPosition(std::size_t index, double seconds);
  // File `index`'s run is over. A converted file counts as converted whole;
  // one that was not counts what it reached, and the rest of it is no
  // longer to be done.
  void EndFile(std::size_t index, bool converted);
  // File `index` was converted before the batch was interrupted: it is
  // passed over without counting in the speed.
  void SkipFile(std::size_t index);
  // File `index` continues from kept parts: its first position, which
  // arrives at once, is media converted before and does not count in the
  // speed.
  void ExpectReusedStart(std::size_t index);

  // The line for the moment nowMs: "About 00:01:23 left", or "" before
  // enough is measured; nullopt while the line shown stays as it is (the
  // same text, or changed less than a second ago). The end it foretells
  // moves only when a new reckoning lies further from it than the noise, so
  // between such moves the line counts down a second a second.
  std::optional<std::string> LineToShow(std::uint32_t nowMs);

 private:
  struct File {
    double duration = 0.0;
    double position = 0.0;  // seconds it has written
    double reused = 0.0;    // of those, the seconds its kept parts held
    bool reusedPending = false;
    bool over = false;
  };
  double SecondsToDo() const;
  void SampleSpeed(std::int64_t elapsedMs);

  std::vector<File> files_;
  double worked_ = 0.0;  // media seconds that the ended files took work for in this run
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
