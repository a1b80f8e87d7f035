#include "encoder/split_run_win.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "base/owned_handles.h"
#include "base/process_win.h"
#include "base/text_encoding.h"
#include "encoder/command_line_tokens.h"
#include "encoder/engine_run_win.h"
#include "encoder/file_access_win.h"

namespace velto {
namespace {

constexpr wchar_t kFolderPrefix[] = L"~velto-";
constexpr wchar_t kFolderSuffix[] = L".parts";

std::wstring FolderName(DWORD pid) { return kFolderPrefix + std::to_wstring(pid) + kFolderSuffix; }

// Only folders named as this program names them are ever emptied.
bool IsSplitFolder(const std::wstring& folder) {
  std::wstring_view path(folder);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.remove_suffix(1);
  const auto slash = path.find_last_of(L"\\/");
  const std::wstring_view name = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  return name.starts_with(kFolderPrefix) && name.ends_with(kFolderSuffix);
}

// The files in the folder, then the folder; the engine may hold a file for
// a moment after its end, so this tries for a few seconds.
bool RemoveSplitFolder(const std::wstring& folder) {
  if (!IsSplitFolder(folder)) return false;
  for (int attempt = 0; attempt < 50; ++attempt) {
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_PATH_NOT_FOUND || GetLastError() == ERROR_FILE_NOT_FOUND) return true;
    } else {
      const FileSearch owned(search);
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
      } while (FindNextFileW(search, &found));
    }
    if (RemoveDirectoryW(folder.c_str()) || GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(100);
  }
  return false;
}

// A second veltoenc.exe, outside the engine's job, that removes the folder
// once this process has ended: also when it is killed, which ends the
// engine runs with it. It finds this process by its number and inherits
// nothing; it is started from a thread of its own while the engine runs
// start, rather than before them.
bool StartWatch(const std::wstring& folder) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  ProcessStart how;
  how.program = self;
  how.commandLine = Utf8ToWide(JoinCommandLine(
      {WideToUtf8(self), kRemoveWhenEnded, std::to_string(GetCurrentProcessId()), WideToUtf8(folder)}));
  return StartHidden(how).has_value();
}

}  // namespace

std::wstring SplitFolderFor(const std::string& output) {
  std::wstring folder = FullPath(Utf8ToWide(output));
  const auto slash = folder.find_last_of(L"\\/");
  folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
  return folder + FolderName(GetCurrentProcessId()) + L"\\";
}

SplitOutcome ConvertSplit(const std::wstring& engine, const std::string& output, const SplitArguments& split,
                          const std::wstring& folder, Reporter& reporter, RunLog& log) {
  RemoveSplitFolder(folder);  // left by an earlier process of the same number
  if (!CreateDirectoryW(folder.c_str(), nullptr)) {
    log.Line("the split folder could not be made");
    return SplitOutcome::kFailed;
  }
  SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
  bool watching = false;
  std::jthread watch([&] { watching = StartWatch(folder); });
  const auto watchStarted = [&] {
    if (!watch.joinable()) return;
    watch.join();
    if (!watching) log.Line("the split folder's watch could not be started");
  };
  log.Line("split into " + std::to_string(split.video.size()) + " ranges in " + WideToUtf8(folder));
  const auto fail = [&](SplitOutcome outcome) {
    watchStarted();
    if (!RemoveSplitFolder(folder)) log.Line("the split folder could not be removed");
    return outcome;
  };
  std::vector<std::vector<std::string>> runs = split.video;
  if (!split.audio.empty()) runs.push_back(split.audio);
  std::int32_t position = 0;
  EngineGroup parts, join;
  if (!parts.Start(engine, runs, log)) return fail(SplitOutcome::kFailed);
  // The join starts now and waits for its list, so that its start is done
  // by the time the ranges are. Should they fail or be stopped, it is ended
  // on the way out, before it has opened the output.
  if (!join.Start(engine, {split.join}, log)) return fail(SplitOutcome::kFailed);
  watchStarted();
  const EngineGroupResult encoded = parts.Follow(split.video.size(), position, reporter, log);
  if (encoded.stopped) return fail(SplitOutcome::kStopped);
  if (encoded.failed) return fail(SplitOutcome::kFailed);
  for (std::size_t i = 0; i < split.video.size(); ++i) {
    const bool shortPart = split.frames[i] > 0 ? encoded.frames[i] != split.frames[i] : encoded.frames[i] == 0;
    if (shortPart) {
      log.Line("range " + std::to_string(i + 1) + " gave " + std::to_string(encoded.frames[i]) + " frames");
      return fail(SplitOutcome::kFailed);
    }
  }
  if (!join.GiveInput(0, split.partList)) log.Line("the join's list could not be written");
  const EngineGroupResult joined = join.Follow(0, position, reporter, log);
  if (joined.stopped) return fail(SplitOutcome::kStopped);
  if (joined.failed || !FileExists(Utf8ToWide(output))) return fail(SplitOutcome::kFailed);
  if (!RemoveSplitFolder(folder)) log.Line("the split folder could not be removed");
  return SplitOutcome::kDone;
}

bool WatchSplitFolder(const std::vector<std::string>& words) {
  if (words.size() != 3 || words[0] != kRemoveWhenEnded) return false;
  const std::wstring folder = Utf8ToWide(words[2]);
  if (!IsSplitFolder(folder)) return true;
  const DWORD id = static_cast<DWORD>(std::strtoul(words[1].c_str(), nullptr, 10));
  const UniqueHandle watched(OpenProcess(SYNCHRONIZE, FALSE, id));
  // A process that cannot be found has ended already.
  const bool ended = watched ? WaitForSingleObject(watched.Get(), INFINITE) == WAIT_OBJECT_0
                             : GetLastError() == ERROR_INVALID_PARAMETER;
  if (ended) RemoveSplitFolder(folder);
  return true;
}

}  // namespace velto
