#pragma once
// The list of source files with what their probes reported, and the run
// state of the engine. One instance of each lives for the whole process and
// is used on the user-interface thread only.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/time_left.h"

namespace velto {

class ProgressDialog;

struct MediaEntry {
  std::string path;       // UTF-8 full path of the source file
  double duration = 0.0;  // seconds
  std::int32_t width = 0;
  std::int32_t height = 0;
  double frameRate = 0.0;
  double statedDuration = 0.0;  // a source cut short: the seconds its header states; else 0

  bool operator==(const MediaEntry&) const = default;
};

class MediaList {
 public:
  static constexpr int kMaxEntries = 99;

  int count() const { return static_cast<int>(entries_.size()); }
  bool empty() const { return entries_.empty(); }
  bool full() const { return count() >= kMaxEntries; }
  const std::vector<MediaEntry>& entries() const { return entries_; }
  // Index must be in 0..count()-1.
  const MediaEntry& at(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
  bool IsValidIndex(int index) const { return index >= 0 && index < count(); }

  // Appends `entry` and adds its duration to totalDuration. Returns false,
  // changing nothing, when the list already holds kMaxEntries entries.
  bool Append(const MediaEntry& entry);
  // Appends the probe results held in `pending` with `path` as the file.
  bool AppendPending(const std::string& path);
  // Removes the entry, later entries moving one place up, and subtracts its
  // duration from totalDuration. False for an index outside the list.
  bool Remove(int index);
  // Exchanges two entries whole. False (and nothing changed) when either
  // index lies outside the list.
  bool Swap(int a, int b);
  // Moves one entry to position `to`, the others closing up behind it.
  bool Move(int from, int to);
  // Empties the list; totalDuration becomes 0.
  void Clear();
  // Each entry's duration, in list order.
  std::vector<double> Durations() const;

  // Sum of all entries' durations in seconds.
  double totalDuration = 0.0;
  // Filled by the probe reports; becomes the new entry on append. Never
  // cleared: a value the encoder does not report keeps what it held.
  MediaEntry pending;

 private:
  std::vector<MediaEntry> entries_;
};

// The last position shown before any report: a first report of exactly
// this value is not shown.
inline constexpr double kNoPositionShown = 999.0;

struct EngineState {
  bool stopRequested = false;        // Cancel pressed and not yet answered No
  std::uint32_t stopRequestTick = 0; // tick count when Cancel set stopRequested
  bool stopConfirmed = false;        // the stop question was answered Yes
  bool stopQuestionOpen = false;     // the stop question is on the screen
  bool probeFailed = false;          // a probe report had a non-positive value
  std::uint32_t batchStartTick = 0;  // tick count in milliseconds at batch start
  double completedDuration = 0.0;    // seconds of the entries already converted
  std::int32_t currentIndex = 0;     // list index of the file being converted
  double lastPosition = kNoPositionShown;  // last position shown; back to the start value for each file
  std::int32_t reportCounter = 0;    // position reports seen, modulo 100
  unsigned probeReports = 0;         // bit k set: kind k (1..4) reported a usable value
  ProgressDialog* progressDialog = nullptr;  // owned by the main window
  TimeLeftEstimate timeLeft;                 // of the batch that runs or ran last
  std::map<std::int32_t, double> positions;  // of the files at work, by list index
};

extern MediaList g_mediaList;
extern EngineState g_engineState;

// The frame rate of the entry at currentIndex, the source rate that the
// next encoder run's frame-rate choice starts from; 0.0 when the index lies
// outside the list.
double CurrentSourceFrameRate(const MediaList& list, const EngineState& state);

}  // namespace velto
