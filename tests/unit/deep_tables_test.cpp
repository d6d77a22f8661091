#include "engine/deep_tables.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>

#include "engine/curve_tables.h"
#include "tests/support/fresh_curve.h"

namespace {

struct ScaleCase {
  uint32_t ref;
  bool limited;
  bool fits;
  SampleScale scale;
};

TEST(SampleScale, BitDepthAndLevelsFromTheReference) {
  const ScaleCase cases[] = {
      {65535, false, true, {65535, 0, 65535}},  {65535, true, true, {65535, 4096, 60160}},
      {0, false, true, {65535, 0, 65535}},      {1023, false, true, {1023, 0, 1023}},
      {1023, true, true, {1023, 64, 940}},      {0xFF00, false, true, {65535, 0, 0xFF00}},
      {0xFF00, true, true, {65535, 4096, 60160}}, {0x3FC, true, true, {1023, 64, 940}},
      {4095, true, true, {4095, 256, 3760}},    {255, true, true, {255, 16, 235}},
      {100, false, false, {}},                  {1, true, false, {}},
  };
  for (const ScaleCase& c : cases) {
    SampleScale scale{7, 7, 7};
    ASSERT_EQ(ScaleOf(c.ref, c.limited, scale), c.fits) << c.ref;
    if (!c.fits) {
      EXPECT_EQ(scale.mask, 7u) << c.ref;
      continue;
    }
    EXPECT_EQ(scale.mask, c.scale.mask) << c.ref << " " << c.limited;
    EXPECT_EQ(scale.black, c.scale.black) << c.ref << " " << c.limited;
    EXPECT_EQ(scale.white, c.scale.white) << c.ref << " " << c.limited;
  }
}

struct CurveCase {
  const char* name;
  CurveKind kind;
  ControlPoint points[3];
};
// Gentle curves of each kind, a steep one and one whose path loops back over x.
constexpr CurveCase kCurves[] = {
    {"smooth S", kKindSmooth, {{64, 40}, {192, 216}, {-1, -1}}},
    {"smooth lift", kKindSmooth, {{100, 140}, {-1, -1}, {-1, -1}}},
    {"smooth loop", kKindSmooth, {{200, 100}, {100, 200}, {-1, -1}}},
    {"monotone", kKindMonotone, {{64, 32}, {192, 224}, {-1, -1}}},
    {"linear", kKindLinear, {{0, 16}, {128, 200}, {255, 235}}},
    {"steep linear", kKindLinear, {{100, 0}, {140, 255}, {-1, -1}}},
};

CurveData WithMaster(const CurveCase& c) {
  CurveData data = Fresh();
  data.kind[kCurveMaster] = c.kind;
  for (int i = 0; i < 3; ++i) data.points[i] = c.points[i];
  RebuildAllCurves(data);
  return data;
}

std::unique_ptr<DeepTables> NewTables() { return std::make_unique<DeepTables>(); }

TEST(CurveSamples, FollowTheCurveNotItsTable) {
  auto samples = std::make_unique<CurveSamples>();
  for (const CurveCase& c : kCurves) {
    const CurveData data = WithMaster(c);
    SampleCurve(data, kCurveMaster, *samples);
    for (int k = 0; k < kLutSize; ++k) {
      const double y = samples->y[k * kSamplesPerLevel];
      if (c.kind != kKindSmooth) {
        // The knot curves' tables are these very values, rounded.
        ASSERT_NEAR(y, data.lut[k], 0.5 + 1e-4) << c.name << " x " << k;
      } else if (std::string(c.name) != "smooth loop") {
        // The walk truncates a point of the curve up to a level further on: a level or two off.
        ASSERT_NEAR(y, data.lut[k], 2.0) << c.name << " x " << k;
      }
    }
  }
  // Where the path passes over x three times, the last pass counts: between 100 and 200 the
  // path ends its run from (100, 200) to (255, 255) high up, as the table does.
  const CurveData loop = WithMaster(kCurves[2]);
  SampleCurve(loop, kCurveMaster, *samples);
  for (int k = 120; k <= 180; k += 10) {
    EXPECT_GT(samples->y[k * kSamplesPerLevel], 190.0) << k;
    EXPECT_NEAR(samples->y[k * kSamplesPerLevel], loop.lut[k], 2.0) << k;
  }
  // Between levels the samples are the curve's, not steps: an S-curve's samples rise strictly.
  SampleCurve(WithMaster(kCurves[0]), kCurveMaster, *samples);
  for (int i = 1; i < kCurveSampleCount; ++i) ASSERT_GT(samples->y[i], samples->y[i - 1]) << i;
}

// Ramps through every code of a scale: identity settings keep every code, curves come out within
// half an 8-bit level of the curve, and no step between neighbouring codes is larger than the
// curve's slope allows plus one code.
TEST(DeepTables, RampsFollowTheCurveAtFullPrecision) {
  auto tables = NewTables();
  auto samples = std::make_unique<CurveSamples>();
  for (const uint32_t ref : {1023u, 0xFF00u, 65535u}) {
    for (const bool limited : {false, true}) {
      SampleScale s;
      ASSERT_TRUE(ScaleOf(ref, limited, s));
      const double perLevel = (static_cast<double>(s.white) - s.black) / 255.0;
      BuildLumaTable(Fresh(), s, *tables);
      for (uint32_t v = 0; v <= s.mask; ++v) ASSERT_EQ(tables->master[v], v) << ref;

      for (const CurveCase& c : kCurves) {
        const CurveData data = WithMaster(c);
        BuildLumaTable(data, s, *tables);
        SampleCurve(data, kCurveMaster, *samples);
        const std::string what = std::string(c.name) + " ref " + std::to_string(ref) +
                                 (limited ? " limited" : " full");
        double steepest = 0;
        for (int i = 1; i < kCurveSampleCount; ++i)
          steepest = std::fmax(steepest, std::fabs(samples->y[i] - samples->y[i - 1]) *
                                             kSamplesPerLevel);
        for (uint32_t v = s.black; v <= s.white; ++v) {
          const double x = static_cast<double>(v - s.black) / perLevel;
          const double level = (static_cast<double>(tables->master[v]) - s.black) / perLevel;
          ASSERT_NEAR(level, CurveAt(*samples, x), 0.5) << what << " code " << v;
          if (v == s.black || std::string(c.name) == "smooth loop") continue;
          const double step =
              std::fabs(static_cast<double>(tables->master[v]) - tables->master[v - 1]);
          ASSERT_LE(step, steepest + 1.0) << what << " code " << v;
        }
      }
    }
  }
}

TEST(DeepTables, CodesBeyondTheEndsMoveAsTheEndsDo) {
  auto tables = NewTables();
  CurveData data = WithMaster(kCurves[4]);  // linear: 0 -> 16, 255 -> 235
  SampleScale s;
  ASSERT_TRUE(ScaleOf(0xFF00, false, s));
  BuildLumaTable(data, s, *tables);
  EXPECT_EQ(tables->master[0], 16 * 256);
  EXPECT_EQ(tables->master[0xFF00], 235 * 256);
  EXPECT_EQ(tables->master[0xFFFF], 235 * 256 + 0xFF);
  ASSERT_TRUE(ScaleOf(1023, true, s));
  BuildLumaTable(data, s, *tables);
  // Black (64) goes to level 16 of the range, 64 + round(16 * 876 / 255) = 119; 10 moves with it.
  EXPECT_EQ(tables->master[64], 119);
  EXPECT_EQ(tables->master[10], 65);
  // Codes past the bit depth's largest stay within it.
  EXPECT_EQ(tables->master[1023], 1023 - 940 + tables->master[940]);
  EXPECT_EQ(tables->master[5000], 1023);
}

// 16-bit codes of 8-bit levels (v = 257 k) come out within one 8-bit level of the 8-bit table
// where the curve rises by a level a level or less. Where it is steeper the table itself departs
// from the curve: its walk truncates a point of the curve up to a level further on, so the two
// may differ by the curve's rise over that level.
TEST(DeepTables, EightBitLevelsAgreeWithTheTable) {
  auto tables = NewTables();
  auto samples = std::make_unique<CurveSamples>();
  SampleScale s;
  ASSERT_TRUE(ScaleOf(65535, false, s));
  for (const CurveCase& c : kCurves) {
    const CurveData data = WithMaster(c);
    BuildLumaTable(data, s, *tables);
    SampleCurve(data, kCurveMaster, *samples);
    for (int k = 0; k < kLutSize; ++k) {
      float low = samples->y[257 * k], high = low;
      for (int i = 257 * k; i <= 257 * k + 256 && i < kCurveSampleCount; ++i) {
        low = std::fmin(low, samples->y[i]);
        high = std::fmax(high, samples->y[i]);
      }
      ASSERT_NEAR(tables->master[257 * k] / 257.0, data.lut[k], std::fmax(1.0, high - low) + 0.01)
          << c.name << " level " << k;
    }
  }
}

// RGB: each channel's curve, then the master where the mode maps that channel, composed as real
// curves; on luma the channels' own curves alone and the master's table beside them.
TEST(DeepTables, RgbComposesTheChannelCurvesWithTheMaster) {
  auto tables = NewTables();
  auto own = std::make_unique<CurveSamples>(), master = std::make_unique<CurveSamples>();
  SampleScale s;
  ASSERT_TRUE(ScaleOf(1023, false, s));
  CurveData data = WithMaster(kCurves[0]);
  data.kind[kCurveRed] = kKindLinear;  // red: a negative
  data.channel[0].points[0] = {0, 255};
  data.channel[0].points[1] = {255, 0};
  data.kind[kCurveBlue] = kKindMonotone;
  data.channel[2].points[0] = {128, 180};
  RebuildAllCurves(data);
  for (const ChannelMode mode : {kModeRgb, kModeGreen}) {
    data.mode = mode;
    data.target = kTargetChannels;
    BuildRgbTables(data, s, *tables);
    SampleCurve(data, kCurveMaster, *master);
    for (int word = 0; word < 3; ++word) {
      const int curve = kCurveBlue - word;
      SampleCurve(data, curve, *own);
      const bool composed = MasterMapsChannel(mode, curve);
      for (uint32_t v = 0; v <= 1023; ++v) {
        const double x = 255.0 * v / 1023;
        const double ownLevel = CurveAt(*own, x);
        const double expected = composed ? CurveAt(*master, ownLevel) : ownLevel;
        ASSERT_NEAR(tables->channel[word][v] * 255.0 / 1023, expected, 0.5)
            << "mode " << int(mode) << " word " << word << " code " << v;
      }
    }
  }
  data.target = kTargetLuma709;
  BuildRgbTables(data, s, *tables);
  SampleCurve(data, kCurveRed, *own);
  for (uint32_t v = 0; v <= 1023; ++v) {
    ASSERT_NEAR(tables->channel[2][v] * 255.0 / 1023, CurveAt(*own, 255.0 * v / 1023), 0.5) << v;
    ASSERT_NEAR(tables->master[v] * 255.0 / 1023, CurveAt(*master, 255.0 * v / 1023), 0.5) << v;
  }
}

// FNV-1a over 16-bit values.
void Mix(uint64_t& digest, uint16_t value) {
  for (int shift = 0; shift < 16; shift += 8) {
    digest ^= (value >> shift) & 0xFF;
    digest *= 0x100000001B3ull;
  }
}

// Every build (native, 32- and 64-bit Windows) makes the same 16-bit tables, code for code: a
// digest of seeded settings of every kind, mode and master target, at three scales.
TEST(DeepTables, SameInEveryBuild) {
  std::mt19937 rng(17);
  const auto below = [&](uint32_t n) { return static_cast<int32_t>(rng() % n); };
  auto tables = NewTables();
  uint64_t digest = 0xCBF29CE484222325ull;
  for (int set = 0; set < 12; ++set) {
    CurveData data = Fresh();
    for (int curve = 0; curve < kCurveCount; ++curve) {
      data.kind[curve] = static_cast<CurveKind>(below(3));
      const int points = below(4);
      for (int i = 0; i < points; ++i) {
        const int32_t x = below(256);
        CurvePoints(data, curve)[i] = ControlPoint{x, below(256)};
      }
    }
    data.mode = static_cast<ChannelMode>(below(4));
    data.target = static_cast<MasterTarget>(below(3));
    RebuildAllCurves(data);
    const struct {
      uint32_t ref;
      bool limited;
    } scales[] = {{1023, true}, {65535, false}, {0xFF00, false}};
    for (const auto& sc : scales) {
      SampleScale scale;
      ASSERT_TRUE(ScaleOf(sc.ref, sc.limited, scale));
      BuildRgbTables(data, scale, *tables);
      for (const auto& channel : tables->channel)
        for (uint16_t v : channel) Mix(digest, v);
      BuildLumaTable(data, scale, *tables);
      for (uint16_t v : tables->master) Mix(digest, v);
    }
  }
  EXPECT_EQ(digest, 0x60d91ac4e8fc2462ull) << std::hex << digest;
}

}  // namespace
