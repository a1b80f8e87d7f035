#include "encoder/front_end_win.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/encoder_interface.h"
#include "base/process_win.h"
#include "base/module_directory.h"
#include "base/text_encoding.h"
#include "base/work_files.h"
#include "encoder/common/command_line_tokens.h"
#include "encoder/common/ffmpeg_search_win.h"
#include "encoder/common/file_access_win.h"
#include "encoder/common/run_log_win.h"
#include "encoder/job/encoder_job.h"
#include "encoder/job/ffmpeg_arguments.h"
#include "encoder/job/output_check.h"
#include "encoder/job/argument_text.h"
#include "encoder/job/segment_plan.h"
#include "encoder/job/split_arguments.h"
#include "encoder/run/converter_watch_win.h"
#include "encoder/run/ffmpeg_run_win.h"
#include "encoder/run/loudness_run_win.h"
#include "encoder/run/output_check_win.h"
#include "encoder/run/output_name_win.h"
#include "encoder/run/preview_run_win.h"
#include "encoder/run/reporter_win.h"
#include "encoder/run/split_folder_win.h"
#include "encoder/run/split_run_win.h"
#include "encoder/source/media_probe.h"
#include "encoder/source/playlist_source_win.h"
#include "encoder/source/source_probe_win.h"

namespace velto {
namespace {

// A run that ends early: why in the log, the cause for the converter, and
// the exit code.
int Fail(RunLog& log, const std::string& why, EncoderCause cause, int exitCode, std::string detail = {}) {
  return log.Fail(why, cause, exitCode, std::move(detail));
}

// A source that gave no media, or media without video.
int FailNoVideo(RunLog& log, bool mediaFound) {
  return mediaFound ? Fail(log, "no video stream found", EncoderCause::kNoVideoStream, kExitSourceUnreadable)
                    : Fail(log, "no media found", EncoderCause::kNotVideoFile, kExitSourceUnreadable);
}

void DeleteIncompleteOutput(const std::wstring& path, RunLog& log) {
  for (int attempt = 0; attempt < 50 && FileExists(path); ++attempt) {
    if (DeleteFileW(path.c_str())) {
      log.Line("incomplete output deleted");
      return;
    }
    Sleep(100);  // ffmpeg may still hold it for a moment
  }
  if (FileExists(path)) log.Line("could not delete the incomplete output");
}

std::string EnvironmentText(const wchar_t* name) {
  wchar_t buffer[1024];
  const DWORD got = GetEnvironmentVariableW(name, buffer, 1024);
  if (got == 0 || got >= 1024) return "";
  return WideToUtf8(std::wstring(buffer, got));
}

// Less than this free on the output's drive after a failed run: the drive
// filled up.
constexpr std::uint64_t kNearlyFullBytes = 1 << 20;

// Why an ffmpeg run failed, learnt before its incomplete output goes: the
// output's drive is (nearly) full, the output cannot be written, or else
// ffmpeg failed by itself, as its last error line says.
void LogFfmpegFailureCause(const std::wstring& path, const FfmpegRunResult& run, RunLog& log) {
  if (const auto free = FreeBytesBeside(path); free && *free < kNearlyFullBytes) {
    log.Line("the output's drive has " + std::to_string(*free) + " bytes free");
    log.Cause(EncoderCause::kDiskFull);
  } else if (const std::uint32_t error = WriteOpenError(path); error != 0) {
    log.Line("the output cannot be opened for writing (system error " + std::to_string(error) + ")");
    log.Cause(CauseOfOutputError(error));
  } else {
    log.Cause(EncoderCause::kFfmpegFailed, run.lastError);
  }
}

// What a conversion writes: the output's name, the temporary name it is
// written under until it has been checked, and what it is to hold.
struct Writing {
  std::wstring output;
  std::wstring partial;
  OutputPlan plan;
};

// The checked output under its own name, or the next free one should that
// have been taken meanwhile, which the window learns; the exit code.
int NameOutput(const Writing& writing, OutputNames& names, Reporter& reporter, RunLog& log) {
  std::wstring output = writing.output;
  if (const std::uint32_t error = names.Publish(writing.partial, output); error != 0) {
    DeleteIncompleteOutput(writing.partial, log);
    return Fail(log, "the output could not be given its name (system error " + std::to_string(error) + ")",
                CauseOfOutputError(error), kExitFfmpegFailed);
  }
  log.Timed("output checked and named " + WideToUtf8(output));
  reporter.SendOutputName(output);
  return kExitDone;
}

// ffmpeg's name and version, as the build wrote them into version.ini
// beside the program; nothing is started to learn them. (The ffmpeg.exe
// run may be another, found on PATH: kept parts go by that file's own
// stamp, SplitSalt.)
std::string FfmpegVersion() {
  wchar_t text[256] = {};
  const std::wstring ini = Utf8ToWide(ModuleDirectory() + "version.ini");
  GetPrivateProfileStringW(L"General", L"Engine", L"", text, 256, ini.c_str());
  return text[0] ? WideToUtf8(text) : "unknown";
}

// What a split's runs do not say about their parts (RunDigest): the
// engine's version, the ffmpeg.exe run (its size and time), and the
// source's size, time and first and last 64 KiB.
std::string SplitSalt(const std::wstring& ffmpeg, const std::wstring& source) {
  constexpr std::size_t kSample = 64 * 1024;
  return FfmpegVersion() + "|" + FileStamp(ffmpeg) + "|" + FileStamp(source) + "|" +
         ReadHead(source, kSample).value_or("") + ReadTail(source, kSample).value_or("");
}

// The outputs the interrupted batch's journal still names, whose kept parts
// wait for its answer; nullopt when a journal is there but cannot be read.
std::optional<std::vector<std::wstring>> WaitingOutputs() {
  const std::wstring folder = LocalAppDataFolder();
  if (folder.empty()) return std::nullopt;
  const std::wstring journal = folder + L"\\" + kEncoderLogParent + L"\\" + kBatchJournalName;
  const auto bytes = FileBytes(journal);
  if (!bytes) return std::vector<std::wstring>{};
  const auto text = ReadHead(journal, static_cast<std::size_t>(*bytes));
  const auto outputs = text ? JournalOutputs(*text) : std::nullopt;
  if (!outputs) return std::nullopt;
  std::vector<std::wstring> waiting;
  for (const std::string& output : *outputs) waiting.push_back(FullPath(Utf8ToWide(output)));
  return waiting;
}

int Probe(const EncoderJob& job, Reporter& reporter, RunLog& log) {
  ProbeReport report;
  int exit = kExitDone;
  const auto prober = FindFfmpegProgram(L"ffprobe.exe");
  if (!prober) {
    exit = Fail(log, "ffprobe.exe not found", EncoderCause::kFfmpegMissing, kExitFfmpegMissing);
  } else if (const auto source = ResolveSource(job.source, log); !source.path) {
    exit = Fail(log, "source unreadable", EncoderCause::kSourceUnreadable, kExitSourceUnreadable, source.whyNone);
  } else if (const auto info = DescribeSource(*prober, *source.path, log); !info || !info->hasVideo) {
    exit = FailNoVideo(log, info.has_value());
  } else {
    report = MakeProbeReport(*info);
    if (report.durationSeconds <= 0 || report.frameRate <= 0) {
      log.Cause(EncoderCause::kNotVideoFile);
      exit = kExitSourceUnreadable;
    }
  }
  char text[160];
  std::snprintf(text, sizeof text, "probe: %d s, %d x %d, frame rate x 1e7 %d", report.durationSeconds,
                report.width, report.height, report.frameRate);
  log.Line(text);
  reporter.Send(kReportDuration, report.durationSeconds);
  reporter.Send(kReportWidth, report.width);
  reporter.Send(kReportHeight, report.height);
  reporter.Send(kReportFrameRate, report.frameRate);
  if (report.statedSeconds > 0) reporter.Send(kReportStatedDuration, report.statedSeconds);
  return exit;
}

int Convert(const EncoderJob& original, Reporter& reporter, RunLog& log) {
  if (const std::string why = CheckConvertible(original); !why.empty())
    return Fail(log, "refused: " + why, EncoderCause::kBadArguments, kExitBadArguments);
  // The output may be neither the source nor the file a playlist source
  // names, however either is spelt; nothing is written or deleted before
  // this is known.
  const auto source = ResolveSource(original.source, log);
  const std::wstring output = Utf8ToWide(original.output);
  if (SameFile(Utf8ToWide(original.source), output) || (source.path && SameFile(Utf8ToWide(*source.path), output)))
    return Fail(log, "refused: the output would overwrite the source", EncoderCause::kBadArguments,
                kExitBadArguments);
  // The output's name is claimed for the whole conversion, or the next
  // free one when another run holds it or a file has it; then what killed
  // runs left beside it goes, but for the parts an interrupted batch keeps.
  OutputNames names(original.source, log);
  const std::wstring fullOutput = names.Claim(FullPath(output));
  SweepWorkFiles(fullOutput.substr(0, fullOutput.find_last_of(L"\\/") + 1), WaitingOutputs());
  const auto ffmpeg = FindFfmpegProgram(L"ffmpeg.exe");
  const auto prober = FindFfmpegProgram(L"ffprobe.exe");
  if (!ffmpeg || !prober)
    return Fail(log, "ffmpeg.exe or ffprobe.exe not found", EncoderCause::kFfmpegMissing, kExitFfmpegMissing);
  if (!source.path)
    return Fail(log, "source unreadable", EncoderCause::kSourceUnreadable, kExitSourceUnreadable, source.whyNone);
  EncoderJob job = original;
  job.source = *source.path;
  job.output = WideToUtf8(fullOutput);
  auto info = ReadSourceHeader(job.source, log);
  if (!info) info = ProbeSource(*prober, job.source, false, log);
  if (!info || !info->hasVideo) return FailNoVideo(log, info.has_value());
  // A long source may be split by time: cuts between its own frames need
  // its frame rate, which an ASF header does not state. The rate measured
  // then serves the one run as well, so that a split that falls back to
  // one run gives the output the same rate.
  if (info->durationSeconds >= kShortestSplitSeconds && FrameRateNeedsCounting(*info)) {
    if (const auto described = DescribeSource(*prober, job.source, log)) info->frameRate = described->frameRate;
  }
  // ffmpeg writes under a temporary name; the output gets its own name once
  // it has been checked.
  Writing writing{Utf8ToWide(job.output), PartialOutputFor(Utf8ToWide(job.output)), PlanOutput(job, *info)};
  EncoderJob written = job;
  written.output = WideToUtf8(writing.partial);
  FfmpegArguments translated = TranslateJob(written, *info);
  if (!translated.error.empty())
    return Fail(log, "refused: " + translated.error, EncoderCause::kBadArguments, kExitBadArguments);
  // One that a killed run left would refuse ffmpeg, being hidden.
  DeleteFileW(writing.partial.c_str());
  // An output folder that takes no file fails here, before ffmpeg runs; the
  // file tried is the temporary one, never the output's own name.
  if (const std::uint32_t error = WriteOpenError(writing.partial); error != 0)
    return Fail(log, "the output cannot be opened for writing (system error " + std::to_string(error) + ")",
                CauseOfOutputError(error), kExitFfmpegFailed);
  if (job.audio.evenLoudness) {
    if (EvenOutLoudness(*ffmpeg, job, *info, reporter, log) == LoudnessOutcome::kStopped) return kExitStopped;
    written.audio = job.audio;
    translated = TranslateJob(written, *info);
  }
  LeaveFfmpegArguments(translated.arguments);

  // Long sources are split by time and their ranges encoded side by side
  // in the output's parts folder, where the parts a killed run finished
  // wait; the parts go once the output is named, stopped or failed.
  // Should the split fail, or its output fall short, the conversion runs
  // once more in one piece.
  const int processors = ProcessorsToUse(LogicalProcessors(), EnvironmentText(L"VELTO_SEGMENTS"));
  OutputProber checker(*prober);
  const WorkClaim* claim = names.Held();
  if (const auto split = claim ? TranslateSplitJob(written, *info, processors, WideToUtf8(claim->Folder()),
                                                   LongestRangeSeconds(EnvironmentText(L"VELTO_RANGE_SECONDS")))
                               : std::nullopt) {
    SplitFolder folder(*claim, log);
    checker.Start();
    const std::string salt = SplitSalt(*ffmpeg, Utf8ToWide(job.source));
    SplitOutcome outcome = ConvertSplit(*ffmpeg, written.output, *split, folder, salt, reporter, log);
    if (outcome == SplitOutcome::kDone) {
      const std::string why = checker.Check(writing.partial, writing.plan, log);
      if (why.empty()) return NameOutput(writing, names, reporter, log);
      log.Line("the split conversion's output is incomplete: " + why);
      outcome = SplitOutcome::kFailed;
    }
    DeleteIncompleteOutput(writing.partial, log);
    if (outcome == SplitOutcome::kStopped) return kExitStopped;
    log.Line("the split conversion failed; converting in one run");
  }

  // Beside other conversions the converter runs at once, one in one piece
  // keeps to its share of the processors.
  if (const int threads = ThreadsToUse(EnvironmentText(kThreadsVariable)); threads > 0)
    SetThreads(translated.arguments, threads);
  checker.Start();
  const FfmpegRunResult run = RunFfmpeg(*ffmpeg, translated.arguments, writing.partial, reporter, log);
  if (!run.started) {
    log.Cause(EncoderCause::kFfmpegMissing);
    return kExitFfmpegMissing;
  }
  if (run.stopped) {
    DeleteIncompleteOutput(writing.partial, log);
    return kExitStopped;
  }
  if (run.exitCode != 0 || run.frames == 0 || !FileExists(writing.partial)) {
    log.Line("engine failed with exit code " + std::to_string(run.exitCode) + " after " +
             std::to_string(run.frames) + " frames");
    LogFfmpegFailureCause(writing.partial, run, log);
    DeleteIncompleteOutput(writing.partial, log);
    return kExitFfmpegFailed;
  }
  if (const std::string why = checker.Check(writing.partial, writing.plan, log); !why.empty()) {
    DeleteIncompleteOutput(writing.partial, log);
    return Fail(log, "the output is incomplete: " + why, EncoderCause::kOutputIncomplete, kExitFfmpegFailed, why);
  }
  return NameOutput(writing, names, reporter, log);
}

// Zeros for the four values: the caller learns that the probe failed.
void SendFailedProbe(Reporter& reporter) {
  for (unsigned kind : {kReportDuration, kReportWidth, kReportHeight, kReportFrameRate}) reporter.Send(kind, 0);
}

// A line refused whole that still asked for a probe: the caller learns that
// the probe failed.
void ReportFailedProbe(const std::vector<std::string>& words) {
  if (words.size() < 2 || words[words.size() - 2] != "1") return;
  const std::string& handle = words.back();
  char* end = nullptr;
  const long long value = std::strtoll(handle.c_str(), &end, 10);
  if (handle.empty() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return;
  Reporter reporter(static_cast<std::int32_t>(value));
  SendFailedProbe(reporter);
}

const char* ExitName(int code) {
  switch (code) {
    case kExitDone: return "done";
    case kExitBadArguments: return "bad arguments";
    case kExitStopped: return "stopped on request";
    case kExitSourceUnreadable: return "source unreadable";
    case kExitFfmpegMissing: return "engine missing";
    default: return "engine failed";
  }
}

}  // namespace

int RunEncoderFrontEnd(const std::wstring& commandLine) {
  const std::string line = WideToUtf8(commandLine);
  const std::vector<std::string> words = SplitCommandLine(line, true);
  RunLog log;
  log.Line("arguments: " + line);
  log.Line("engine version: " + FfmpegVersion());
  const JobParseResult parsed = ParseEncoderArguments(words);
  int exit = kExitBadArguments;
  if (!parsed.job) {
    log.Line("refused: " + parsed.error);
    log.Cause(EncoderCause::kBadArguments);
    ReportFailedProbe(words);
  } else {
    const bool probe = parsed.job->runMode == kRunProbe;
    Reporter reporter(parsed.job->windowHandle);
    // A probe is over in moments; a conversion ends with its converter.
    const ConverterWatch watch(probe ? 0 : parsed.job->windowHandle, log);
    try {
      exit = probe ? Probe(*parsed.job, reporter, log)
             : parsed.job->runMode == kRunPreview ? RunPreview(*parsed.job, reporter, log)
                                                   : Convert(*parsed.job, reporter, log);
    } catch (const SourceReadTimedOut&) {
      exit = Fail(log, "source refused: it could not be read in time", EncoderCause::kSourceReadTimeout,
                  kExitSourceUnreadable);
      if (probe) SendFailedProbe(reporter);
    }
  }
  log.Timed(std::string("exit ") + std::to_string(exit) + ": " + ExitName(exit));
  log.Write();
  return exit;
}

}  // namespace velto
