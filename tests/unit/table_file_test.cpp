#include "engine/table_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/presets.h"
#include "tests/support/curve_points.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/random_settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool Read(const Bytes& file, CurveData& data, TableFit& fit, std::string* reason = nullptr) {
  char text[kReasonLength];
  const bool read = ReadTableFile(file.data(), file.size(), data, fit, text);
  if (reason != nullptr) *reason = text;
  return read;
}

Bytes Written(const CurveData& data) {
  uint8_t bytes[kTableFileBytes];
  WriteTableFile(data, bytes);
  return Bytes(bytes, bytes + kTableFileBytes);
}

TEST(TableFile, RoundTripKeepsEveryTableOrSaysHowFarItIsOff) {
  std::mt19937 random(1603);
  int fitted = 0;
  for (int run = 0; run < 200; ++run) {
    const Bytes file = Written(RandomSettings(random));
    CurveData loaded = Fresh();
    TableFit fit{-5, -5};
    ASSERT_TRUE(Read(file, loaded, fit));
    EXPECT_EQ(loaded.mode, kModeRgb);
    EXPECT_EQ(loaded.kind[kCurveMaster], kKindSmooth) << "no master in a file of three tables";
    int32_t largest = 0, curveOff = kEmpty;
    for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
      const uint8_t* table = &file[(curve - kCurveRed) * kTableBytes];
      for (int v = 0; v < kLutSize; ++v) {
        const int32_t off = std::abs(CurveLut(loaded, curve)[v] - table[v]);
        if (off > largest) largest = off, curveOff = curve;
      }
    }
    EXPECT_EQ(fit.largestDifference, largest) << "run " << run;
    if (largest > 0) {
      EXPECT_EQ(fit.curve, curveOff) << "run " << run;
    }
    fitted += largest > 0;
    // What is kept exactly is saved again byte for byte.
    if (largest == 0) {
      EXPECT_EQ(Written(loaded), file) << "run " << run;
    }
  }
  EXPECT_GT(fitted, 0) << "some smooth curves need more than a channel curve's 64 points";
}

TEST(TableFile, TablesBecomeLinearCurvesThroughTheirCorners) {
  // Master: 2v - 100 clipped to the levels, corners at 50, 177 (254) and 178 (255). Red: the
  // identity, an empty curve. Green and blue: a negative and a constant, their ends only.
  Bytes file(kMaxTableFileBytes);
  for (int v = 0; v < kLutSize; ++v) {
    file[v] = static_cast<uint8_t>(std::clamp(2 * v - 100, 0, 255));
    file[256 + v] = static_cast<uint8_t>(v);
    file[512 + v] = static_cast<uint8_t>(255 - v);
    file[768 + v] = 77;
  }
  CurveData data = Fresh();
  TableFit fit{};
  ASSERT_TRUE(Read(file, data, fit));
  EXPECT_EQ(fit.largestDifference, 0);
  const auto points = [&](int curve) { return PointsOf(data, curve); };
  EXPECT_EQ(points(kCurveMaster),
            (std::vector<int32_t>{0, 0, 50, 0, 177, 254, 178, 255, 255, 255}));
  EXPECT_EQ(points(kCurveRed), std::vector<int32_t>{});
  EXPECT_EQ(data.kind[kCurveRed], kKindSmooth);
  EXPECT_EQ(points(kCurveGreen), (std::vector<int32_t>{0, 255, 255, 0}));
  EXPECT_EQ(points(kCurveBlue), (std::vector<int32_t>{0, 77, 255, 77}));
  for (int curve : {kCurveMaster, kCurveGreen, kCurveBlue}) {
    EXPECT_EQ(data.kind[curve], kKindLinear) << curve;
    for (int v = 0; v < kLutSize; ++v) ASSERT_EQ(CurveLut(data, curve)[v], file[curve * 256 + v]);
  }

  // A file of one table is the master; the channel curves it replaces become straight.
  ApplyPreset(data, 7);
  ASSERT_TRUE(Read(Bytes(file.begin() + 512, file.begin() + 768), data, fit));
  EXPECT_EQ(data.lut[0], 255);
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) EXPECT_TRUE(points(curve).empty());
}

TEST(TableFile, LumaTargetSavesTheMasterOnEveryChannel) {
  CurveData data = Fresh();
  ApplyPreset(data, 4);  // the negative, on the master
  data.mode = kModeRed;
  data.target = kTargetLuma709;
  data.channel[1].lut[10] = 20;  // green's own curve comes first
  ASSERT_FALSE(TableFileIsExact(data));
  const Bytes file = Written(data);
  EXPECT_EQ(file[10], 245);
  EXPECT_EQ(file[256 + 10], 235);
  EXPECT_EQ(file[512 + 10], 245);
}

TEST(TableFile, RefusesEveryOtherSizeAndChangesNothing) {
  for (const size_t size : {0, 1, 255, 257, 512, 767, 769, 1023, 1025, 4096}) {
    CurveData data = Fresh();
    ApplyPreset(data, 7);
    const CurveData before = data;
    TableFit fit{3, 2};
    std::string reason;
    EXPECT_FALSE(Read(Bytes(size, 128), data, fit, &reason));
    EXPECT_EQ(reason, "The file is " + std::to_string(size) +
                          " bytes long; a table file holds 256, 768 or 1024 bytes.");
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0) << size;
    EXPECT_EQ(fit.largestDifference, 3);
    EXPECT_EQ(fit.curve, 2);
  }
}

}  // namespace
