#include "engine/batch_end.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace velto {

WhenDone WhenDoneAt(int index) {
  if (index < 0 || index >= static_cast<int>(kWhenDoneTexts.size())) return WhenDone::kNothing;
  return static_cast<WhenDone>(index);
}

int CountdownSecondsFrom(std::string_view text) {
  int seconds = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
  if (error != std::errc() || end != text.data() + text.size() || seconds < 1 || seconds > 3600) {
    return kCountdownSeconds;
  }
  return seconds;
}

std::string CountdownText(WhenDone choice, int secondsLeft) {
  const char* what = choice == WhenDone::kSleep ? "go to sleep" : "shut down";
  return std::string("The computer will ") + what + " in " + std::to_string(secondsLeft) +
         (secondsLeft == 1 ? " second." : " seconds.");
}

std::string_view WhenDoneRecordName(WhenDone choice) {
  return choice == WhenDone::kSleep ? "sleep" : "shut down";
}

std::string BatchSummaryName(const SummaryTime& t, std::uint32_t processId) {
  char name[80];
  std::snprintf(name, sizeof name, "batch-%04d%02d%02d-%02d%02d%02d-%03d-%lu.txt", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond, static_cast<unsigned long>(processId));
  return name;
}

std::string BatchSummaryFileText(std::string_view summary) {
  std::string text;
  for (const char c : summary) {
    if (c == '\n' && (text.empty() || text.back() != '\r')) text += '\r';
    text += c;
  }
  return text + "\r\n";
}

std::vector<std::string> SummariesToRemove(std::vector<std::string> names, std::size_t keep) {
  std::erase_if(names, [](const std::string& name) {
    return name.size() <= 10 || name.rfind("batch-", 0) != 0 || name.substr(name.size() - 4) != ".txt";
  });
  std::sort(names.begin(), names.end());
  if (names.size() <= keep) return {};
  names.resize(names.size() - keep);
  return names;
}

}  // namespace velto
