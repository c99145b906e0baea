// The backdrop's gradient bands for the client heights that matter: a tall
// screen (two rows a band), exactly one row a level, fewer rows than levels,
// one row, and none.
#include <gtest/gtest.h>

#include <vector>

#include "app/gradient.h"

namespace {

std::vector<GradientBand> BandsFor(int nHeight) {
  std::vector<GradientBand> bands;
  CGradientBands walker(nHeight);
  GradientBand band;
  // One band past the most there can be, so a walker that never ends fails.
  while (bands.size() <= 220 && walker.Next(&band))
    bands.push_back(band);
  return bands;
}

// The bands must tile the client area from the top down, each band's rows
// must all have the band's level, and neighbouring bands must differ.
void ExpectTilesWithLevels(const std::vector<GradientBand>& bands, int nHeight) {
  int nExpectedTop = 0;
  for (size_t i = 0; i < bands.size(); i++) {
    const GradientBand& b = bands[i];
    ASSERT_EQ(nExpectedTop, b.nTop) << "band " << i;
    ASSERT_LT(b.nTop, b.nBottom) << "band " << i;
    for (int y = b.nTop; y < b.nBottom; y++)
      ASSERT_EQ(GradientLevel(y, nHeight), b.nLevel) << "row " << y << " of band " << i;
    if (i > 0) {
      ASSERT_NE(bands[i - 1].nLevel, b.nLevel) << "band " << i;
    }
    nExpectedTop = b.nBottom;
  }
  EXPECT_EQ(nHeight, nExpectedTop) << "the bands end at the bottom";
}

TEST(GradientBands, TallClientHasTwoRowsPerLevel) {
  std::vector<GradientBand> bands = BandsFor(440);
  ASSERT_EQ(220u, bands.size());
  ExpectTilesWithLevels(bands, 440);
  for (const GradientBand& b : bands)
    EXPECT_EQ(2, b.nBottom - b.nTop) << "band at " << b.nTop;
  EXPECT_EQ(236, bands.front().nLevel);
  EXPECT_EQ(17, bands.back().nLevel);
  EXPECT_EQ(RGB(0, 78, 236), GradientColour(bands.front().nLevel));
  EXPECT_EQ(RGB(0, 5, 17), GradientColour(bands.back().nLevel));
}

TEST(GradientBands, OneRowPerLevelAt220) {
  std::vector<GradientBand> bands = BandsFor(220);
  ASSERT_EQ(220u, bands.size());
  ExpectTilesWithLevels(bands, 220);
  for (int i = 0; i < 220; i++)
    EXPECT_EQ(236 - i, bands[i].nLevel) << "band " << i;
}

TEST(GradientBands, ShortClientSkipsLevels) {
  std::vector<GradientBand> bands = BandsFor(110);
  ASSERT_EQ(110u, bands.size());
  ExpectTilesWithLevels(bands, 110);
  for (int i = 0; i < 110; i++)
    EXPECT_EQ(236 - 2 * i, bands[i].nLevel) << "band " << i;
  EXPECT_EQ(18, bands.back().nLevel);
}

TEST(GradientBands, SingleRowAndEmptyClient) {
  std::vector<GradientBand> one = BandsFor(1);
  ASSERT_EQ(1u, one.size());
  EXPECT_EQ(0, one[0].nTop);
  EXPECT_EQ(1, one[0].nBottom);
  EXPECT_EQ(236, one[0].nLevel);
  EXPECT_EQ(0u, BandsFor(0).size());
  EXPECT_EQ(0u, BandsFor(-5).size());
}

TEST(GradientBands, EveryScreenHeightHasAtMost220Bands) {
  // Odd heights are where an off-by-one in the band ends would show.
  for (int h : {221, 439, 441, 599, 743, 768, 1017, 1080, 2160}) {
    std::vector<GradientBand> bands = BandsFor(h);
    EXPECT_EQ(220u, bands.size()) << "height " << h;
    ExpectTilesWithLevels(bands, h);
  }
}

// 220 * y leaves an int's range from y = 9,761,289 on; band k must still
// start exactly at ceil(k * H / 220), worked out here in 64 bits.
TEST(GradientBands, HeightsPastIntArithmeticKeepExactBandEdges) {
  for (int h : {9761290, 1 << 30, 2147483647}) {
    std::vector<GradientBand> bands = BandsFor(h);
    ASSERT_EQ(220u, bands.size()) << "height " << h;
    for (int k = 0; k < 220; k++) {
      int nTop = (int)(((long long)k * h + 219) / 220);
      ASSERT_EQ(nTop, bands[k].nTop) << "band " << k << " of height " << h;
      ASSERT_EQ(236 - k, bands[k].nLevel) << "band " << k << " of height " << h;
      ASSERT_EQ(236 - k, GradientLevel(nTop, h)) << "row " << nTop << " of height " << h;
      if (k > 0) {
        ASSERT_EQ(237 - k, GradientLevel(nTop - 1, h)) << "row " << nTop - 1 << " of height " << h;
      }
    }
    EXPECT_EQ(h, bands.back().nBottom) << "height " << h;
  }
}

}  // namespace
