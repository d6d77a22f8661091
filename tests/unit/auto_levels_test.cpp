#include "engine/auto_levels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "engine/presets.h"
#include "tests/support/curve_points.h"
#include "tests/support/fresh_curve.h"

namespace {

// (level, count) of one channel, by pixel byte (blue, green, red).
using Levels = std::initializer_list<std::pair<int, uint32_t>>;

LevelCounts Counts(Levels blue, Levels green, Levels red) {
  LevelCounts counts;
  std::memset(&counts, 0, sizeof counts);
  int byte = 0;
  for (const Levels& channel : {blue, green, red}) {
    for (const auto& [level, count] : channel) counts.count[byte][level] += count;
    ++byte;
  }
  return counts;
}

TEST(AutoContrast, StretchesAllChannelsTogetherPastAThousandthAtEachEnd) {
  // 1,000 pixels, 3,000 values: an end is where more than 3 values lie at or beyond it.
  const struct {
    LevelCounts counts;
    int32_t lo, hi;
  } cases[] = {
      {Counts({{128, 993}, {255, 2}, {230, 5}}, {{128, 1000}}, {{0, 3}, {20, 10}, {128, 987}}), 20,
       230},
      {Counts({{128, 996}, {0, 4}}, {{128, 996}, {255, 4}}, {{128, 1000}}), 0, 255},
      {Counts({{100, 999}, {101, 1}}, {{100, 1000}}, {{101, 1000}}), 100, 101},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    ApplyPreset(data, 7);  // channel curves, which stay
    data.mode = kModeBlue;
    data.target = kTargetLuma601;
    const CurveData before = data;
    char reason[kReasonLength];
    ASSERT_TRUE(AutoContrast(data, c.counts, reason)) << reason;
    EXPECT_EQ(PointsOf(data, kCurveMaster), (std::vector<int32_t>{c.lo, 0, c.hi, 255}));
    EXPECT_EQ(data.kind[kCurveMaster], kKindLinear);
    EXPECT_EQ(data.mode, kModeRgb);
    EXPECT_EQ(data.target, kTargetChannels);
    EXPECT_EQ(data.lut[c.lo], 0);
    EXPECT_EQ(data.lut[c.hi], 255);
    EXPECT_EQ(std::memcmp(data.channel, before.channel, sizeof data.channel), 0);
  }
}

TEST(AutoColour, StretchesEachChannelOnItsOwn) {
  CurveData data = Fresh();
  ApplyPreset(data, 2);  // a master curve, which stays
  data.mode = kModeGreen;
  data.target = kTargetLuma709;
  const CurveData before = data;
  char reason[kReasonLength];
  // Blue has no range: its curve stays as it was.
  ASSERT_TRUE(AutoColour(
      data, Counts({{40, 1000}}, {{0, 500}, {255, 500}}, {{10, 1}, {30, 500}, {200, 499}}),
      reason));
  EXPECT_EQ(PointsOf(data, kCurveRed), (std::vector<int32_t>{30, 0, 200, 255}));
  EXPECT_EQ(PointsOf(data, kCurveGreen), (std::vector<int32_t>{0, 0, 255, 255}));
  EXPECT_EQ(PointsOf(data, kCurveBlue), std::vector<int32_t>{});
  EXPECT_EQ(data.kind[kCurveRed], kKindLinear);
  EXPECT_EQ(data.kind[kCurveBlue], kKindSmooth);
  EXPECT_EQ(data.channel[0].lut[115], 128) << "tables rebuilt: (115 - 30) * 255 / 170 = 127.5";
  EXPECT_EQ(std::memcmp(data.points, before.points, sizeof data.points), 0);
  EXPECT_EQ(std::memcmp(data.lut, before.lut, sizeof data.lut), 0);
  EXPECT_EQ(data.mode, kModeGreen);
  EXPECT_EQ(data.target, kTargetLuma709);
}

TEST(AutoLevels, NoRangeChangesNothingAndSaysWhy) {
  const LevelCounts flat = Counts({{77, 1000}}, {{77, 1000}}, {{77, 999}, {0, 1}});
  const LevelCounts none = Counts({}, {}, {});
  const struct {
    bool (*apply)(CurveData&, const LevelCounts&, char (&)[kReasonLength]);
    const LevelCounts& counts;
    const char* reason;
  } cases[] = {
      {AutoContrast, flat,
       "Nearly every level in the frame is 77, so there is no range to stretch."},
      {AutoContrast, none, "The sampled frame has no pixels to take levels from."},
      {AutoColour, flat,
       "Each channel has nearly every level at one value, so there is no range to stretch."},
      {AutoColour, none, "The sampled frame has no pixels to take levels from."},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    ApplyPreset(data, 7);
    const CurveData before = data;
    char reason[kReasonLength];
    EXPECT_FALSE(c.apply(data, c.counts, reason));
    EXPECT_EQ(std::string(reason), c.reason);
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0) << c.reason;
  }
}

}  // namespace
