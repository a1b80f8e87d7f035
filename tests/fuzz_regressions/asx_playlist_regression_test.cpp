#include <gtest/gtest.h>

#include "encoder/source/asx_playlist.h"

namespace velto {
namespace {

// "%00" in a file: URL decoded to a NUL inside the path, which Windows would
// have taken as its end and so opened another file.
TEST(AsxPlaylistFuzzRegression, EncodedNulInFileUrlIsRefused) {
  EXPECT_FALSE(LocalPathOfEntry("file:///C:/a%00b/c.wmv", "C:\\lists\\"));
  EXPECT_FALSE(LocalPathOfEntry("file://localhost/C:/clip.wmv%00.txt", "C:\\lists\\"));
  EXPECT_EQ(LocalPathOfEntry("file:///C:/a%20b/c.wmv", "C:\\lists\\"), "C:\\a b\\c.wmv");
}

TEST(AsxPlaylistFuzzRegression, FoundPlaylistGivesNoPathWithNul) {
  const auto entries = AsxEntries("<ASX><ENTRY><ref href='file:///C:/a%00b/c.wmv'/></ENTRY></ASX>");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(LocalPathOfEntry(entries[0], "C:\\lists\\"));
}

}  // namespace
}  // namespace velto
