// Layout of the committed icon and bitmap files: the resource compiler takes
// any file as is, so a broken regeneration would only show at run time.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& name) {
  std::ifstream in(std::string(VELTO_RES_DIR) + "/" + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::uint32_t Le(const Bytes& b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b.at(at + i);
  return v;
}

struct IconImage {
  int size = 0;
  int bitCount = 0;
  int transparent = 0;  // pixels with alpha 0
  int opaque = 0;       // pixels with alpha 255
  int partial = 0;      // anti-aliased edge pixels
  bool cornersClear = false;
};

// Reads one directory entry and its 32-bit DIB, counting the alpha values.
IconImage ReadIconImage(const Bytes& file, int index) {
  const std::size_t entry = 6 + 16 * index;
  IconImage image;
  image.size = file.at(entry) == 0 ? 256 : file.at(entry);
  EXPECT_EQ(file.at(entry + 1), file.at(entry)) << "square image";
  EXPECT_EQ(Le(file, entry + 4, 2), 1u) << "planes";
  image.bitCount = static_cast<int>(Le(file, entry + 6, 2));
  const std::uint32_t length = Le(file, entry + 8, 4);
  const std::uint32_t offset = Le(file, entry + 12, 4);
  EXPECT_LE(std::size_t{offset} + length, file.size()) << "image inside the file";
  if (std::size_t{offset} + length > file.size()) return image;

  // A DIB with a doubled height (colour rows, then the AND mask), not a PNG.
  EXPECT_EQ(Le(file, offset, 4), 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(Le(file, offset + 4, 4), static_cast<std::uint32_t>(image.size));
  EXPECT_EQ(Le(file, offset + 8, 4), static_cast<std::uint32_t>(2 * image.size));
  EXPECT_EQ(static_cast<int>(Le(file, offset + 14, 2)), image.bitCount);
  if (image.bitCount != 32) return image;

  const std::size_t pixels = offset + 40;
  const int n = image.size;
  EXPECT_LE(pixels + std::size_t(4) * n * n, std::size_t{offset} + length);
  auto alpha = [&](int x, int y) { return file.at(pixels + 4 * (std::size_t(y) * n + x) + 3); };
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const int a = alpha(x, y);
      if (a == 0) ++image.transparent;
      else if (a == 255) ++image.opaque;
      else ++image.partial;
    }
  }
  image.cornersClear = alpha(0, 0) == 0 && alpha(n - 1, 0) == 0 && alpha(0, n - 1) == 0 &&
                       alpha(n - 1, n - 1) == 0;
  return image;
}

struct IconFile {
  const char* name;
  int defaultSize;  // listed first in the file
};

const IconFile kIcons[] = {{"app", 48},       {"add", 48},    {"convert", 48},
                           {"settings", 48},  {"help", 32},   {"add-small", 16},
                           {"remove", 16},    {"up", 16},     {"down", 16}};

// 16, 32 and 48 pixels, and the icon's own size at 125, 150 and 200 %.
TEST(ArtFiles, EveryIconHoldsItsSizesForEachScalingWithAlphaDefaultSizeFirst) {
  for (const IconFile& icon : kIcons) {
    SCOPED_TRACE(icon.name);
    const Bytes file = ReadFile(std::string("icons/") + icon.name + ".ico");
    ASSERT_GE(file.size(), 6u + 3 * 16) << "missing or truncated";
    EXPECT_EQ(Le(file, 0, 2), 0u);
    EXPECT_EQ(Le(file, 2, 2), 1u) << "icon, not cursor";
    const int count = static_cast<int>(Le(file, 4, 2));
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
      const IconImage image = ReadIconImage(file, i);
      if (i == 0) {
        EXPECT_EQ(image.size, icon.defaultSize);
      }
      sizes.insert(image.size);
      EXPECT_EQ(image.bitCount, 32);
      // Transparent background, a solid picture and smoothed edges.
      EXPECT_GT(image.transparent, 0);
      EXPECT_GT(image.opaque, image.size * image.size / 12);
      EXPECT_GT(image.partial, 0);
      EXPECT_TRUE(image.cornersClear);
    }
    const int d = icon.defaultSize;
    for (const int wanted : {16, 32, 48, d, d * 5 / 4, d * 3 / 2, d * 2}) {
      EXPECT_EQ(sizes.count(wanted), 1u) << wanted;
    }
    EXPECT_EQ(static_cast<int>(sizes.size()), count) << "each size once";
  }
}

// Uncompressed 32-bit images up to 96 pixels: about 40 KB for the largest.
TEST(ArtFiles, IconsStaySmall) {
  for (const IconFile& icon : kIcons) {
    EXPECT_LT(ReadFile(std::string("icons/") + icon.name + ".ico").size(), 128u * 1024) << icon.name;
  }
}

TEST(ArtFiles, TipPictureIs40x53With16Colours) {
  const Bytes file = ReadFile("tip.bmp");
  ASSERT_GE(file.size(), 54u) << "missing or truncated";
  EXPECT_EQ(file[0], 'B');
  EXPECT_EQ(file[1], 'M');
  EXPECT_EQ(Le(file, 2, 4), file.size());
  EXPECT_EQ(Le(file, 14, 4), 40u) << "BITMAPINFOHEADER";
  EXPECT_EQ(Le(file, 18, 4), 40u) << "width";
  EXPECT_EQ(Le(file, 22, 4), 53u) << "height, bottom-up";
  EXPECT_EQ(Le(file, 28, 2), 4u) << "bits per pixel";
  EXPECT_EQ(Le(file, 30, 4), 0u) << "uncompressed";
  const std::uint32_t colours = Le(file, 46, 4);
  EXPECT_TRUE(colours == 0 || colours <= 16);
  // Rows of 4-bit pixels are padded to 4 bytes: 20 pixel bytes, 20 per row.
  EXPECT_EQ(Le(file, 10, 4) + 20u * 53u, file.size());
}

}  // namespace
