// ASX playlists: any bytes convert to UTF-8 text, their entries are read,
// and an entry only ever names a local, absolute Windows path.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text_encoding.h"
#include "encoder/source/asx_playlist.h"
#include "fuzz_check.h"

namespace {

bool IsDriveAbsolute(const std::string& p) {
  return p.size() >= 3 && ((p[0] >= 'a' && p[0] <= 'z') || (p[0] >= 'A' && p[0] <= 'Z')) && p[1] == ':' &&
         p[2] == '\\';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)velto::LooksLikeAsx(bytes);
  const std::string text = velto::PlaylistTextToUtf8(bytes);
  FUZZ_CHECK(velto::IsValidUtf8(text));
  (void)velto::LooksLikeAsx(text);
  for (const std::string& entry : velto::AsxEntries(text)) {
    FUZZ_CHECK(!entry.empty());
    for (const std::string_view folder : {"C:\\Play lists\\", "D:/clips", ""}) {
      const auto path = velto::LocalPathOfEntry(entry, folder);
      if (!path) continue;
      FUZZ_CHECK(path->find('/') == std::string::npos);
      FUZZ_CHECK(path->find('\0') == std::string::npos);
      if (!folder.empty()) FUZZ_CHECK(IsDriveAbsolute(*path));
    }
  }
  // Entries straight from the fuzzer's text as well.
  (void)velto::LocalPathOfEntry(text, "C:\\x\\");
  return 0;
}
