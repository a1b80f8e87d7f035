// Every codec, format, filter and protocol the translator can put on the
// engine's command line is one the engine is built with: the translator is
// driven over its containers, codecs, picture and sound paths, and each name
// it emits is looked up in scripts/engine/components.txt.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/job/loudness_arguments.h"
#include "encoder/job/split_arguments.h"
#include "odd_source.h"

namespace velto {
namespace {

constexpr const char* kTestsOnlySection = "[tests and samples]";

struct Name {
  std::string kind, name;  // name as the command line gives it
  bool operator<(const Name& o) const { return kind != o.kind ? kind < o.kind : name < o.name; }
};

// The components built for the product itself, by the names ffmpeg takes.
std::set<Name> ProductComponents() {
  std::ifstream file(VELTO_ENGINE_COMPONENTS);
  EXPECT_TRUE(file) << VELTO_ENGINE_COMPONENTS;
  std::set<Name> names;
  bool testsOnly = false;
  for (std::string line; std::getline(file, line);) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string kind, name, commandLineName;
    if (!(words >> kind)) continue;
    if (kind.front() == '[') {
      testsOnly = line.find(kTestsOnlySection) != std::string::npos;
      continue;
    }
    words >> name >> commandLineName;
    if (!testsOnly) names.insert({kind, commandLineName.empty() ? name : commandLineName});
  }
  return names;
}

// Jobs over every container, codec pair and picture path, with gain, a
// peak limiter, channel changes and fitting into a frame.
std::vector<EncoderJob> AllJobs() {
  std::vector<EncoderJob> jobs;
  for (int c = 1; c <= static_cast<int>(Container::kMp4); ++c)
    for (int v = 1; v <= static_cast<int>(VideoCodec::kH264); ++v)
      for (int a = 0; a <= static_cast<int>(AudioCodec::kAac); ++a)
        for (int picture = 0; picture < 3; ++picture) {
          EncoderJob job;
          job.source = "in.wmv";
          job.output = "out.x";
          job.container = static_cast<Container>(c);
          job.video.codec = static_cast<VideoCodec>(v);
          job.audio.codec = static_cast<AudioCodec>(a);
          job.audio.gainDb = 6.0;
          job.audio.peakCeilingDb = kLimiterCeiling;
          job.audio.channels = 6;
          job.picture.scale = picture > 0;
          job.picture.scaleWidth = picture == 2 ? kScaleKeepAspect : 352;
          job.picture.scaleHeight = 240;
          job.picture.expand = picture == 2;
          job.picture.expandWidth = 720;
          job.picture.expandHeight = 480;
          job.video.aspect = Fraction{16, 9};
          job.endSeconds = 1.5;
          jobs.push_back(job);
        }
  return jobs;
}

// The names one engine command line asks for.
void CollectNames(const std::vector<std::string>& args, std::set<Name>& names) {
  auto protocol = [&](const std::string& url) { names.insert({"protocol", url.substr(0, url.find(':'))}); };
  auto filters = [&](const std::string& chain) {
    std::istringstream parts(chain);
    for (std::string part; std::getline(parts, part, ',');) names.insert({"filter", part.substr(0, part.find('='))});
  };
  std::string inputFormat;
  for (std::size_t i = 0; i + 1 < args.size(); ++i) {
    const std::string& option = args[i];
    const std::string& value = args[i + 1];
    if (option == "-c:v" || option == "-c:a") names.insert({"encoder", value});
    if (option == "-vf" || option == "-af") filters(value);
    if (option == "-progress") protocol(value);
    if (option == "-f") {
      const bool beforeInput = i + 4 < args.size() && (args[i + 2] == "-i" || args[i + 4] == "-i");
      if (beforeInput) inputFormat = value;
      else names.insert({"muxer", value});
    }
    if (option == "-i") {
      if (inputFormat == "lavfi") {
        names.insert({"indev", "lavfi"});
        filters(value);
      } else {
        if (!inputFormat.empty()) names.insert({"demuxer", inputFormat});
        protocol(value);
      }
      inputFormat.clear();
    }
  }
  if (args.back() != "-") protocol(args.back());  // the null muxer's "-" opens nothing
}

TEST(FfmpegComponents, EveryNameTheTranslatorEmitsIsBuiltIn) {
  const std::set<Name> built = ProductComponents();
  std::set<Name> emitted;
  int translated = 0;
  for (int channels : {0, 1, 2, 6})
    for (const EncoderJob& job : AllJobs()) {
      const FfmpegArguments result = TranslateJob(job, test::OddSource(channels));
      if (!result.error.empty()) continue;
      ++translated;
      CollectNames(result.arguments, emitted);
      if (const Arguments measure = LoudnessMeasureArguments(job, test::OddSource(channels)); !measure.empty())
        CollectNames(measure, emitted);
    }
  // The same jobs on a long source, split by time.
  int split = 0;
  for (EncoderJob job : AllJobs()) {
    job.endSeconds.reset();
    SourceInfo source = test::OddSource(2);
    source.durationSeconds = 40;
    const auto parts = TranslateSplitJob(job, source, 2, "C:\\t\\");
    if (!parts) continue;
    ++split;
    for (const auto& run : parts->video) CollectNames(run, emitted);
    if (!parts->audio.empty()) CollectNames(parts->audio, emitted);
    CollectNames(parts->join, emitted);
  }
  CollectNames(ProbeArguments("in.wmv", true), emitted);
  EXPECT_GT(translated, 500);
  EXPECT_GT(split, 100);
  // Each kind of name was found, so the reading above still fits the translator's lines.
  for (const char* kind : {"encoder", "muxer", "filter", "protocol", "indev", "demuxer"})
    EXPECT_TRUE(std::any_of(emitted.begin(), emitted.end(), [&](const Name& n) { return n.kind == kind; })) << kind;
  for (const Name& n : emitted)
    EXPECT_TRUE(built.count(n)) << n.kind << " " << n.name << " is missing from components.txt (or only listed for the tests)";
}

}  // namespace
}  // namespace velto
