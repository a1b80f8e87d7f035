#pragma once
// What a finished part of a split conversion was made from, written beside
// the part (`<part>.manifest`), so that a later conversion of the same
// output, after a kill, uses the part instead of encoding it again. One
// field a line:
//   velto-part 1
//   digest 9f2c47a0b1d3e5f7   the run's digest (RunDigest)
//   range 2 225 225           the range's number from 1 (0: the sound), its
//                             first output frame and its planned frames
//                             (0: to the end)
//   frames 225                the frames the run gave
//   bytes 1048576             the part's size
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

struct PartManifest {
  std::string digest;
  int index = 0;
  std::int64_t first = 0;
  std::int64_t count = 0;
  std::int64_t frames = 0;
  std::uint64_t bytes = 0;
};

inline constexpr char kManifestSuffix[] = ".manifest";

// 64-bit FNV-1a, in 16 lower-case hex digits, of `salt` (what the argument
// line does not say: the engine run and the source's size, time and bytes
// at either end) and the run's argument line.
std::string RunDigest(std::string_view salt, const std::vector<std::string>& arguments);

// A range whose frames are fixed gave exactly them; any other gave some.
bool PartIsWhole(std::int64_t plannedFrames, std::int64_t givenFrames);

std::string FormatManifest(const PartManifest& manifest);
// nullopt unless every field is there once, well formed (a manifest cut
// short by a kill is none).
std::optional<PartManifest> ParseManifest(std::string_view text);

// Whether a kept part stands for the run `wanted` describes (its digest and
// range; `frames` the range's fixed frames, 0 when not fixed): the same
// digest and range, a whole range, and a file of `bytes`, the size the
// manifest states.
bool ManifestMatches(const PartManifest& kept, const PartManifest& wanted, std::uint64_t bytes);

}  // namespace velto
