#pragma once
// A conversion split by time (encoder/job/segment_plan.h) as ffmpeg runs:
// one run per range of the video timeline writes that range's video into a
// folder, one more the whole sound, and a last one joins them into the
// output by stream copy.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/common/fraction.h"
#include "encoder/job/encoder_job.h"
#include "encoder/job/segment_plan.h"
#include "encoder/source/media_probe.h"

namespace velto {

// How the frames of a split conversion are timed.
struct FrameTiming {
  Fraction rate;          // frames a second: the output's constant rate, or the source's own
  bool constant = true;   // false: the output keeps the source's millisecond times (ASF, -ofps 1000)
};

// Where one range is read from the source, where it stops, and how its part
// is listed in the join. Seconds throughout.
struct RangeCut {
  double seek = 0;                      // -ss; 0 reads from the start
  double shift = 0;                     // setpts moves the part's timeline back by this much
  std::int64_t frames = 0;              // -frames:v, the part's exact frames; 0 when it ends otherwise
  std::optional<double> length;         // -t, from the part's first frame
  std::optional<double> listedLength;   // the join list's duration; none for the last part
  bool listedFromZero = false;          // the join list's inpoint 0
};

// Range `index` of `ranges` begins at output frame n, at n / rate seconds.
// - The first range is read from the start and left where it is.
// - Any other is read from half a frame before n, so that the rate
//   conversion picks for n the source frame one run would pick. Kept source
//   times are cut a quarter of a millisecond later still, so that no
//   millisecond-timed frame lies on a cut.
// - Its timeline is moved back by n / rate - seek: it is then the whole
//   conversion's timeline less n whole frames, and kept source times are
//   rounded to the same frame times as in one run.
// - At a constant rate a range stops after exactly its frames; with kept
//   times at the next range's seek. The last runs to the source's end, or to
//   `end` (the job's -endpos, when that comes before the source's end).
// - The join list gives every part but the last its length in frames, so
//   each begins where the frames before it end; kept-time parts are read
//   from their own zero (inpoint 0), not from their first frame.
RangeCut CutRange(const FrameTiming& timing, const std::vector<FrameRange>& ranges, std::size_t index,
                  std::optional<double> end);

struct SplitArguments {
  std::vector<std::vector<std::string>> video;  // one run per range, in order
  std::vector<FrameRange> ranges;               // each range's place in the output's frames
  std::vector<std::int64_t> frames;             // each range's frames where fixed, else 0
  std::vector<double> seconds;                  // each range's length
  int mostAtOnce = 1;                           // ranges encoded at once, one a processor
  std::vector<std::string> audio;               // empty when the output has no sound
  std::vector<std::string> join;
  std::string partList;                         // the join's list of the parts, for its input
  std::vector<std::string> files;               // every file the runs make in the folder
};

// nullopt when the job stays one ffmpeg run: refused, shorter than 30 s,
// one processor, or an output whose frame times are not known beforehand.
// `folder` ends with a path separator.
std::optional<SplitArguments> TranslateSplitJob(const EncoderJob& job, const SourceInfo& source, int processors,
                                                const std::string& folder,
                                                double longestRangeSeconds = kLongestRangeSeconds);

}  // namespace velto
