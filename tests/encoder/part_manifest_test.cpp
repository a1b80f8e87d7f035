// The manifest a finished part leaves, and whether a later run may use the
// part it describes.
#include "encoder/job/part_manifest.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

TEST(PartManifest, AKeptPartIsUsedOnlyForTheSameRunWhole) {
  const std::vector<std::string> run = {"-ss", "8.980000", "-i", "file:C:\\v\\a b.wmv", "file:C:\\v\\video-2.mpg"};
  const std::string digest = RunDigest("FFmpeg 5.1|1234|5678", run);
  EXPECT_EQ(digest.size(), 16u);
  EXPECT_NE(RunDigest("FFmpeg 5.1|1234|5679", run), digest);  // the source changed
  EXPECT_NE(RunDigest("FFmpeg 5.1|1234|5678", {"-ss", "8.98", "-i", "file:C:\\v\\a b.wmv file:C:\\v\\video-2.mpg"}),
            digest);  // the same words split otherwise

  const PartManifest written{digest, 2, 225, 225, 225, 1048576};
  const std::string text = FormatManifest(written);
  const auto read = ParseManifest(text);
  ASSERT_TRUE(read);
  PartManifest wanted{digest, 2, 225, 225, 225, 0};
  EXPECT_TRUE(ManifestMatches(*read, wanted, 1048576));
  EXPECT_FALSE(ManifestMatches(*read, wanted, 1048575));  // the file is not what was written
  PartManifest other = wanted;
  other.digest = RunDigest("", run);
  EXPECT_FALSE(ManifestMatches(*read, other, 1048576));
  other = wanted;
  other.first = 224;
  EXPECT_FALSE(ManifestMatches(*read, other, 1048576));
  PartManifest shortRange = written;
  shortRange.frames = 224;
  EXPECT_FALSE(ManifestMatches(shortRange, wanted, 1048576));
  // The sound's runs give no frames; the last range's are not fixed.
  EXPECT_TRUE(ManifestMatches({digest, 0, 0, 0, 0, 9}, {digest, 0, 0, 0, 0, 0}, 9));
  EXPECT_FALSE(ManifestMatches({digest, 3, 450, 0, 0, 9}, {digest, 3, 450, 0, 0, 0}, 9));

  // Cut short by a kill, or not ours: none.
  EXPECT_FALSE(ParseManifest(text.substr(0, text.size() - 1)));
  EXPECT_FALSE(ParseManifest(text.substr(0, text.find("bytes"))));
  EXPECT_FALSE(ParseManifest(""));
  EXPECT_FALSE(ParseManifest(text + "frames 3\n"));
  std::string bad = text;
  bad.replace(bad.find("range 2"), 7, "range -2");
  EXPECT_FALSE(ParseManifest(bad));
  EXPECT_FALSE(ParseManifest("velto-part 2\n" + text.substr(text.find('\n') + 1)));
}

}  // namespace
}  // namespace velto
