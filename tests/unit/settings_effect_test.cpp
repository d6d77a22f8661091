#include "engine/settings_effect.h"

#include <gtest/gtest.h>

#include <functional>

#include "engine/curve_tables.h"
#include "tests/support/fresh_curve.h"

namespace {

void Negative(int32_t* lut) {
  for (int i = 0; i < kLutSize; ++i) lut[i] = 255 - i;
}
void Lift(int32_t* lut) {
  for (int i = 0; i < kLutSize; ++i) lut[i] = i + (255 - i) / 4;
}

struct Case {
  const char* name;
  std::function<void(CurveData&)> set;
  SettingsEffect effect;
};

// Judged by what comes out, however the curves are written.
TEST(SettingsEffect, ByValue) {
  const Case cases[] = {
      {"new instance", [](CurveData&) {}, SettingsEffect::kNone},
      {"master", [](CurveData& d) { Lift(d.lut); }, SettingsEffect::kChannels},
      {"table entries beyond 8 bits",
       [](CurveData& d) {
         for (int i = 0; i < kLutSize; ++i) d.lut[i] = d.channel[1].lut[i] = 0x300 + i;
         d.target = kTargetLuma709;
       },
       SettingsEffect::kNone},
      {"red undone by the master in Red mode",
       [](CurveData& d) { Negative(d.lut), Negative(d.channel[0].lut), d.mode = kModeRed; },
       SettingsEffect::kNone},
      {"red and a master on green",
       [](CurveData& d) { Negative(d.lut), Negative(d.channel[0].lut), d.mode = kModeGreen; },
       SettingsEffect::kChannels},
      {"identity master on luma", [](CurveData& d) { d.target = kTargetLuma709; },
       SettingsEffect::kNone},
      {"master on luma", [](CurveData& d) { Lift(d.lut), d.target = kTargetLuma601; },
       SettingsEffect::kLumaOnly},
      {"master on luma, a red point on the diagonal",
       [](CurveData& d) {
         Lift(d.lut), d.target = kTargetLuma709;
         d.channel[0].points[0] = {128, 128};
         RebuildCurve(d, kCurveRed);
       },
       SettingsEffect::kLumaOnly},
      {"master on luma and a blue curve",
       [](CurveData& d) { Lift(d.lut), Lift(d.channel[2].lut), d.target = kTargetLuma709; },
       SettingsEffect::kChannels},
      {"identity master on luma and a green curve",
       [](CurveData& d) { Lift(d.channel[1].lut), d.target = kTargetLuma709; },
       SettingsEffect::kChannels},
      {"a target that names none reads as the channels",
       [](CurveData& d) { Lift(d.lut), d.target = 7; }, SettingsEffect::kChannels},
  };
  for (const Case& c : cases) {
    CurveData data = Fresh();
    c.set(data);
    EXPECT_EQ(EffectOf(data), c.effect) << c.name;
  }
}

}  // namespace
