#include "encoder/source/playlist_source_win.h"

#include "base/text_encoding.h"
#include "encoder/common/file_access_win.h"
#include "encoder/source/asx_playlist.h"

namespace velto {
namespace {

constexpr int kPlaylistDepth = 4;

void AddReason(std::string& reasons, const std::string& reason) {
  reasons += (reasons.empty() ? "" : "; ") + reason;
}

}  // namespace

ResolvedSource ResolveSource(const std::string& source, RunLog& log) {
  std::wstring current = FullPath(Utf8ToWide(source));
  for (int depth = 0; depth < kPlaylistDepth; ++depth) {
    const auto head = ReadHead(current, 1 << 16);
    if (!head) return {std::nullopt, depth == 0 ? "" : WideToUtf8(current) + " cannot be read"};
    if (!LooksLikeAsx(*head)) return {WideToUtf8(current), ""};
    const std::string text = PlaylistTextToUtf8(*head);
    const std::wstring folder = current.substr(0, current.find_last_of(L"\\/") + 1);
    std::optional<std::wstring> next;
    std::string passedOver;
    for (const auto& entry : AsxEntries(text)) {
      const EntryPlace place = PlaceOfEntry(entry, WideToUtf8(folder));
      if (!place.path) {
        log.Line("playlist entry skipped (" + place.whyNotLocal + "): " + entry);
        AddReason(passedOver, entry + " is " + place.whyNotLocal);
        continue;
      }
      const std::string& local = *place.path;
      const std::wstring candidate = FullPath(Utf8ToWide(local));
      if (FileExists(candidate)) {
        next = candidate;
        break;
      }
      log.Line("playlist entry missing: " + local);
      AddReason(passedOver, local + " is missing");
    }
    if (!next) return {std::nullopt, passedOver.empty() ? "it names no entry" : passedOver};
    log.Line("playlist entry used: " + WideToUtf8(*next));
    current = *next;
  }
  return {std::nullopt, "playlists name playlists more than " + std::to_string(kPlaylistDepth) + " deep"};
}

}  // namespace velto
