#include "engine/presets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/fresh_curve.h"

namespace {

// The preset of that name applied to a record whose mode, target and curves it must replace.
CurveData Applied(const std::string& name) {
  CurveData data = Fresh();
  data.mode = kModeBlue;
  data.target = kTargetLuma601;
  data.kind[kCurveRed] = kKindLinear;
  data.channel[0].points[5] = ControlPoint{10, 200};
  bool found = false;
  for (int i = 0; i < kPresetCount; ++i) {
    if (name == kPresetNames[i]) {
      EXPECT_TRUE(ApplyPreset(data, i));
      found = true;
    }
  }
  EXPECT_TRUE(found) << name;
  EXPECT_EQ(data.mode, kModeRgb) << name;
  EXPECT_EQ(data.target, name.compare(0, 5, "Luma ") == 0 ? kTargetLuma709 : kTargetChannels)
      << name;
  return data;
}

TEST(Presets, EachDoesWhatItsNameSays) {
  const int mid = 128;
  EXPECT_GT(Applied("Lighter").lut[mid], 150);
  EXPECT_LT(Applied("Darker").lut[mid], 106);
  for (const char* name : {"More contrast", "Strong contrast"}) {
    const CurveData data = Applied(name);
    EXPECT_LT(data.lut[64], 64) << name;
    EXPECT_GT(data.lut[192], 192) << name;
    EXPECT_EQ(data.lut[0], 0) << name;
    EXPECT_EQ(data.lut[255], 255) << name;
  }
  EXPECT_LT(Applied("Strong contrast").lut[64], Applied("More contrast").lut[64]);

  const CurveData negative = Applied("Negative");
  EXPECT_EQ(negative.lut[0], 255);
  EXPECT_EQ(negative.lut[255], 0);
  const CurveData video = Applied("Full range to video range (16-235)");
  EXPECT_EQ(video.lut[0], 16);
  EXPECT_EQ(video.lut[255], 235);
  const CurveData full = Applied("Video range to full range");
  EXPECT_EQ(full.lut[16], 0);
  EXPECT_EQ(full.lut[235], 255);
  EXPECT_EQ(full.lut[0], 0);

  const CurveData warm = Applied("Warm"), cool = Applied("Cool");
  EXPECT_GT(warm.channel[0].lut[mid], mid);
  EXPECT_LT(warm.channel[2].lut[mid], mid);
  EXPECT_LT(cool.channel[0].lut[mid], mid);
  EXPECT_GT(cool.channel[2].lut[mid], mid);
  EXPECT_EQ(warm.channel[0].points[5].x, kEmpty) << "every slot replaced";

  // On luma: the contrast S and a lift of the shadows that leaves black and white where they are.
  const CurveData contrast = Applied("Luma contrast"), lift = Applied("Luma shadows lift");
  EXPECT_LT(contrast.lut[64], 64);
  EXPECT_GT(contrast.lut[192], 192);
  EXPECT_GT(lift.lut[32], 40);
  EXPECT_GT(lift.lut[64], 80);
  EXPECT_EQ(lift.lut[0], 0);
  EXPECT_EQ(lift.lut[255], 255);
  for (int i = 1; i < kLutSize; ++i) EXPECT_GE(lift.lut[i], lift.lut[i - 1]) << i;
}

TEST(Presets, ANumberThatNamesNoPresetChangesNothing) {
  CurveData data = Fresh();
  EXPECT_FALSE(ApplyPreset(data, kPresetCount));
  EXPECT_FALSE(ApplyPreset(data, -1));
  const CurveData fresh = Fresh();
  EXPECT_EQ(std::memcmp(&data, &fresh, sizeof data), 0);
}

}  // namespace
