#include "engine/disc_fit.h"

#include <gtest/gtest.h>

#include "settings/format_traits.h"
#include "settings/settings_store.h"

namespace velto {
namespace {

constexpr std::int64_t kTestCapacity = 30'000'000;

ConversionSettings Fitting(std::int32_t format) {
  ConversionSettings settings = DefaultConversionSettings();  // SVCD and DVD presets with 224 kbit/s audio
  settings.outputFormat = format;
  settings.fitToDisc = 1;
  return settings;
}

TEST(DiscFit, DiscSizesAndACapacityGivenAsText) {
  EXPECT_EQ(DiscCapacityBytes(0), 737'280'000);
  EXPECT_EQ(DiscCapacityBytes(1), 4'700'372'992);
  EXPECT_EQ(DiscCapacityBytes(2), 8'543'666'176);
  EXPECT_EQ(DiscCapacityBytes(3), std::nullopt);
  EXPECT_EQ(DiscCapacityBytes(-1), std::nullopt);

  EXPECT_EQ(ParseCapacityBytes("30000000"), 30'000'000);
  for (const char* text : {"", "0", "-5", "+5", " 5", "5 ", "12x", "1e9", "99999999999999999999"}) {
    EXPECT_EQ(ParseCapacityBytes(text), std::nullopt) << text;
  }
}

TEST(DiscFit, NoPlanUnlessAFormatThatOffersItFitsAList) {
  ConversionSettings svcd = Fitting(kFormatSvcd);
  EXPECT_TRUE(PlanDiscFit(svcd, 90.0, 4, kTestCapacity));
  EXPECT_FALSE(PlanDiscFit(svcd, 0.0, 0, kTestCapacity));
  for (const std::int32_t format : {0, 2, 5, 8, 10, -1, 11}) {  // AVI, MPEG2, VCD, WMV, MP4, outside the list
    EXPECT_FALSE(PlanDiscFit(Fitting(format), 90.0, 4, kTestCapacity)) << format;
  }
  svcd.svcdQuality = 5;  // outside its presets: no audio rate to plan with
  EXPECT_FALSE(PlanDiscFit(svcd, 90.0, 4, kTestCapacity));
  svcd = Fitting(kFormatSvcd);
  svcd.fitToDisc = 0;
  EXPECT_FALSE(PlanDiscFit(svcd, 90.0, 4, kTestCapacity));
}

// The list's outputs, as predicted, take most of the disc and leave room
// for its file system.
TEST(DiscFit, ThePredictedOutputsFillTheDiscBelowItsCapacity) {
  for (const std::int32_t format : {kFormatSvcd, kFormatDvd}) {
    SCOPED_TRACE(format);
    const std::optional<DiscFitPlan> plan = PlanDiscFit(Fitting(format), 90.0, 4, kTestCapacity);
    ASSERT_TRUE(plan);
    EXPECT_FALSE(plan->belowFloor);
    EXPECT_LT(plan->predictedBytes, kTestCapacity - 854'016);
    EXPECT_GT(plan->predictedBytes, kTestCapacity * 9 / 10);
  }
  // Two hours on a 4.7 GB DVD: (4,700,372,992 - 854,016 - 235,666 for the
  // file) / 7200.5 s = 652,626 B/s; less 5,589 B/s and 1.18 % of
  // multiplexing, 639,491 B/s of streams: 5,116 kbit/s, 224 of them audio.
  const std::optional<DiscFitPlan> film = PlanDiscFit(Fitting(kFormatDvd), 7200.0, 1, *DiscCapacityBytes(1));
  ASSERT_TRUE(film);
  EXPECT_EQ(film->videoKbps, 4891);
}

TEST(DiscFit, ShortListsAreHeldWithinTheStandard) {
  // DVD: the command line's 9400 kbit/s maximum, below 9800 less the audio.
  EXPECT_EQ(PlanDiscFit(Fitting(kFormatDvd), 60.0, 1, *DiscCapacityBytes(1))->videoKbps, 9400);
  // SVCD: the peak rate (halfway to 2500) and 224 kbit/s of audio within 2600.
  const std::int32_t svcd = PlanDiscFit(Fitting(kFormatSvcd), 60.0, 1, *DiscCapacityBytes(0))->videoKbps;
  EXPECT_EQ(svcd, 2253);
  EXPECT_EQ(SvcdPeakKbps(svcd) + 224, 2600);
}

TEST(DiscFit, ListsTooLongForTheDiscAreAskedAbout) {
  // Two hours of DVD on a CD: about 570 kbit/s.
  const std::optional<DiscFitPlan> dvd = PlanDiscFit(Fitting(kFormatDvd), 7200.0, 3, *DiscCapacityBytes(0));
  ASSERT_TRUE(dvd);
  EXPECT_TRUE(dvd->belowFloor);
  EXPECT_GT(dvd->videoKbps, 0);
  EXPECT_LT(dvd->videoKbps, 2000);
  // SVCD's rate control takes nothing below its minimum rate.
  const std::optional<DiscFitPlan> svcd = PlanDiscFit(Fitting(kFormatSvcd), 36000.0, 3, *DiscCapacityBytes(0));
  ASSERT_TRUE(svcd);
  EXPECT_TRUE(svcd->belowFloor);
  EXPECT_EQ(svcd->videoKbps, 600);
  // Forty minutes of SVCD on a CD still pass.
  EXPECT_FALSE(PlanDiscFit(Fitting(kFormatSvcd), 2400.0, 3, *DiscCapacityBytes(0))->belowFloor);
}

TEST(DiscFit, QuestionAndSizeLine) {
  EXPECT_EQ(DiscFitQuestion(570),
            "The list needs more than one disc: it would be converted at 570 kbit/s. Convert anyway?");
  EXPECT_EQ(DiscFitSizeLine(28'123'456, 26'960'000), "Predicted total size: 28.1 MB, actual total size: 27.0 MB");
}

}  // namespace
}  // namespace velto
