#include "engine/media_list.h"

#include <algorithm>
#include <utility>

namespace velto {

MediaList g_mediaList;
EngineState g_engineState;

bool MediaList::Append(const MediaEntry& entry) {
  if (full()) return false;
  entries_.push_back(entry);
  totalDuration += entry.duration;
  return true;
}

bool MediaList::AppendPending(const std::string& path) {
  MediaEntry entry = pending;
  entry.path = path;
  return Append(entry);
}

bool MediaList::Remove(int index) {
  if (!IsValidIndex(index)) return false;
  const auto it = entries_.begin() + index;
  totalDuration -= it->duration;
  entries_.erase(it);
  if (entries_.empty()) totalDuration = 0.0;  // no rounding left-overs
  return true;
}

bool MediaList::Swap(int a, int b) {
  if (!IsValidIndex(a) || !IsValidIndex(b)) return false;
  std::swap(entries_[static_cast<std::size_t>(a)], entries_[static_cast<std::size_t>(b)]);
  return true;
}

bool MediaList::Move(int from, int to) {
  if (!IsValidIndex(from) || !IsValidIndex(to)) return false;
  const auto first = entries_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else if (from > to) {
    std::rotate(first + to, first + from, first + from + 1);
  }
  return true;
}

void MediaList::Clear() {
  entries_.clear();
  totalDuration = 0.0;
}

std::vector<double> MediaList::Durations() const {
  std::vector<double> durations;
  durations.reserve(entries_.size());
  for (const MediaEntry& entry : entries_) durations.push_back(entry.duration);
  return durations;
}

double CurrentSourceFrameRate(const MediaList& list, const EngineState& state) {
  if (!list.IsValidIndex(state.currentIndex)) return 0.0;
  return list.at(state.currentIndex).frameRate;
}

}  // namespace velto
