#include "engine/progress_text.h"

#include <cstdio>

#include "base/text_encoding.h"
#include "engine/format_duration.h"

namespace velto {

std::optional<ProgressDisplay> ComputeProgressDisplay(double position, double completedDuration,
                                                      double totalDuration, std::uint32_t elapsedMs) {
  const double perMille =
      totalDuration > 0 ? (position + completedDuration) * 1000.0 / totalDuration : 0.0;
  if (perMille > 1000.0 || perMille < 0.0) return std::nullopt;

  // E x 1000 overflows 32 bits after about 72 minutes.
  std::int64_t totalMs;
  if (perMille == 0.0) {
    totalMs = static_cast<std::int64_t>(totalDuration) * 1000;
  } else {
    totalMs = static_cast<std::int64_t>(static_cast<double>(std::int64_t{elapsedMs} * 1000) / perMille);
  }
  const int n = static_cast<int>(perMille);

  ProgressDisplay display;
  display.perMille = n;
  display.statusText = "Total time:" + FormatDuration(static_cast<std::int32_t>(totalMs / 1000)) + ";";
  display.statusText += "Elapsed time:" + FormatDuration(static_cast<std::int32_t>(elapsedMs / 1000)) + ";";
  char finished[32];
  std::snprintf(finished, sizeof finished, "Finished %d.%01d%%", n / 10, n % 10);
  display.statusText += finished;
  return display;
}

std::string FileLineText(int number, int count, std::string_view path,
                         const std::function<bool(const std::string&)>& fits, int beside) {
  const std::size_t cut = path.find_last_of("\\/");
  const std::string_view name = cut == std::string_view::npos ? path : path.substr(cut + 1);
  const std::string prefix = "File " + std::to_string(number) + " of " + std::to_string(count) + ": ";
  const std::string suffix = beside > 0 ? " (and " + std::to_string(beside) + " more)" : std::string();
  std::string line = prefix + std::string(name) + suffix;
  for (std::size_t keep = Utf8Length(name); keep > 1 && !fits(line);) {
    line = prefix + ShortenInMiddle(name, --keep) + suffix;
  }
  return line;
}

}  // namespace velto
