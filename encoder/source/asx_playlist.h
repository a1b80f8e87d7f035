#pragma once
// ASX playlists: the XML form (<ASX><ENTRY><REF HREF="..."/></ENTRY></ASX>)
// and the older "[Reference]" form (Ref1=...), in any letter case.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velto {

// Whether the start of a file shows a playlist rather than media. The text
// may begin with a byte-order mark, blanks, an XML declaration or comments.
bool LooksLikeAsx(std::string_view head);

// The file's bytes (UTF-8, UTF-16 with a byte-order mark, or ANSI) as UTF-8.
std::string PlaylistTextToUtf8(std::string_view bytes);

// The entries' addresses in playlist order, entities decoded.
std::vector<std::string> AsxEntries(std::string_view text);

// Where an entry points: the Windows path of a local file (relative to the
// playlist's folder, absolute, or a file: URL with either), or else why it
// is not taken. Remote addresses (http, mms, rtsp, network shares ...) are
// never fetched.
struct EntryPlace {
  std::optional<std::string> path;
  std::string whyNotLocal;  // when there is no path
};
EntryPlace PlaceOfEntry(std::string_view entry, std::string_view playlistFolder);

// The path alone.
std::optional<std::string> LocalPathOfEntry(std::string_view entry, std::string_view playlistFolder);

}  // namespace velto
