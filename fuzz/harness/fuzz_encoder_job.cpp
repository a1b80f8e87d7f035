// The encoder's option reader and its translation into the engine's
// arguments. Input: the arguments one per line, then bytes describing the
// source. Any arguments are read or refused with a reason; a job that is
// read translates, for any source, into arguments that name the source and
// the output only as file: URLs.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "encoder/common/command_line_tokens.h"
#include "encoder/job/encoder_job.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "fuzz_check.h"
#include "source_info.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const velto::SourceInfo source = ConsumeSourceInfo(input);
  const std::vector<std::string> arguments = Lines(input.ConsumeRemainingBytesAsString());

  const velto::JobParseResult parsed = velto::ParseEncoderArguments(arguments);
  FUZZ_CHECK(parsed.job.has_value() == parsed.error.empty());
  // The same arguments through a command line read the same way.
  const auto reparsed = velto::ParseEncoderArguments(velto::SplitCommandLine(velto::JoinCommandLine(arguments)));
  FUZZ_CHECK(reparsed.error == parsed.error);
  if (!parsed.job) return 0;

  const velto::EncoderJob& job = *parsed.job;
  FUZZ_CHECK(!job.source.empty() && !job.output.empty());
  const velto::FfmpegArguments engine = velto::TranslateJob(job, source);
  if (!engine.error.empty()) {
    FUZZ_CHECK(engine.arguments.empty());
    return 0;
  }
  FUZZ_CHECK(velto::CheckConvertible(job).empty());
  const auto& args = engine.arguments;
  FUZZ_CHECK(!args.empty() && args.back() == velto::FileUrl(job.output));
  bool sourceNamed = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    FUZZ_CHECK(!args[i].empty());
    if (args[i] == "-i" && i + 1 < args.size() && args[i + 1] == velto::FileUrl(job.source)) sourceNamed = true;
  }
  FUZZ_CHECK(sourceNamed);
  return 0;
}
