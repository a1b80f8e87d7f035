#include "encoder/source/asx_playlist.h"

#include <gtest/gtest.h>

namespace velto {
namespace {

using Entries = std::vector<std::string>;

TEST(AsxPlaylist, RecognisesBothForms) {
  EXPECT_TRUE(LooksLikeAsx("<ASX version=\"3.0\">"));
  EXPECT_TRUE(LooksLikeAsx("\xEF\xBB\xBF  <?xml version=\"1.0\"?>\r\n<!-- x --><asx>"));
  EXPECT_TRUE(LooksLikeAsx("[Reference]\r\nRef1=http://x/a.wmv"));
  EXPECT_TRUE(LooksLikeAsx("[REFERENCE]"));
  EXPECT_TRUE(LooksLikeAsx(std::string("\xFF\xFE<\0a\0s\0x\0>\0", 12)));
  EXPECT_FALSE(LooksLikeAsx("0&\xB2" "u\x8E" "f\xCF\x11"));  // an ASF header
  EXPECT_FALSE(LooksLikeAsx("<asxfoo>"));
  EXPECT_FALSE(LooksLikeAsx(""));
}

TEST(AsxPlaylist, XmlEntriesInOrderAnyCase) {
  const char* text = R"(<Asx Version="3.0"><Title>t</Title>
    <!-- <entry><ref href="commented.wmv"/></entry> -->
    <Entry><Ref HREF = 'first one.wmv' /><REF href="first-fallback.wmv"/></Entry>
    <ENTRY>
      <ref href="a&amp;b.wmv">
    </ENTRY>
    <ref href="outside-entry.wmv"/>
    <entry><ref href="&#x00FC;&#252;.wmv"/></entry>
  </asx>)";
  EXPECT_EQ(AsxEntries(text), (Entries{"first one.wmv", "first-fallback.wmv", "a&b.wmv", "\xC3\xBC\xC3\xBC.wmv"}));
}

TEST(AsxPlaylist, ReferenceEntriesByNumber) {
  EXPECT_EQ(AsxEntries("[Reference]\r\nref2=b.wmv\r\nRef1= a.wmv \r\nOther=x\r\nRefX=y\r\n"),
            (Entries{"a.wmv", "b.wmv"}));
}

TEST(AsxPlaylist, Utf16AndAnsiText) {
  const std::string utf16("\xFF\xFE[\0R\0e\0f\0]\0\xFC\0", 14);
  EXPECT_EQ(PlaylistTextToUtf8(utf16), "[Ref]\xC3\xBC");
  EXPECT_EQ(PlaylistTextToUtf8("caf\xE9"), "caf\xC3\xA9");
}

TEST(AsxPlaylist, OnlyLocalFilesAreTaken) {
  const std::string folder = R"(C:\lists\)";
  EXPECT_EQ(LocalPathOfEntry("clip.wmv", folder), R"(C:\lists\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("sub/clip.wmv", R"(C:\lists)"), R"(C:\lists\sub\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry(R"(\media\clip.wmv)", folder), R"(C:\media\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry(R"(D:\media\clip.wmv)", folder), R"(D:\media\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("d:/media/clip.wmv", folder), R"(d:\media\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("file:///D:/my%20media/clip.wmv", folder), R"(D:\my media\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("FILE://localhost/D:/a.wmv", folder), R"(D:\a.wmv)");
  // file: URLs with relative or rooted paths, as plain entries.
  EXPECT_EQ(LocalPathOfEntry("file:clip.wmv", folder), R"(C:\lists\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("file:../my%20clips/clip.wmv", folder), R"(C:\lists\..\my clips\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry(R"(..\clips\clip.wmv)", folder), R"(C:\lists\..\clips\clip.wmv)");
  EXPECT_EQ(LocalPathOfEntry("file:///media/clip.wmv", folder), R"(C:\media\clip.wmv)");
  for (const char* remote : {"http://example.com/a.wmv", "mms://example.com/a", "rtsp://x/y", "MMSH://x",
                             "https:a.wmv", R"(\\server\share\a.wmv)", "//server/share/a.wmv",
                             "file://server/share/a.wmv", "file:C:relative.wmv", "concat:a|b", "", "   "}) {
    EXPECT_FALSE(LocalPathOfEntry(remote, folder)) << remote;
  }
  // The log says why an entry is not taken.
  EXPECT_EQ(PlaceOfEntry("mms://example.com/a", folder).whyNotLocal, "a remote address (mms:), never fetched");
  EXPECT_EQ(PlaceOfEntry("file://server/share/a.wmv", folder).whyNotLocal, "a network share");
}

}  // namespace
}  // namespace velto
