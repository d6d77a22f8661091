#include "engine/any_curves_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_file.h"
#include "engine/presets.h"
#include "engine/table_file.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/random_settings.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(AnyCurvesFile, PicksTheReaderByWhatTheFileHolds) {
  std::mt19937 random(1605);
  CurveData settings = RandomSettings(random);
  uint8_t table[kTableFileBytes];
  WriteTableFile(settings, table);
  uint8_t curves[kMaxCurveFileBytes];
  int32_t unused = 0;
  const Bytes curveFile(curves, curves + WriteCurveFile(settings, curves, unused));
  Bytes paddedCurveFile = curveFile;  // trailing bytes, which a curves file may have
  paddedCurveFile.resize(kTableFileBytes);
  const std::string gimp =
      "# GIMP curves tool settings\n(channel red)\n"
      "(curve (curve-type freehand) (n-samples 2) (samples 2 1 0))\n";
  const struct {
    Bytes file;
    CurvesFileType type;
  } cases[] = {
      {Bytes(table, table + kTableFileBytes), CurvesFileType::kTable},
      {Bytes(table, table + kTableBytes), CurvesFileType::kTable},
      {curveFile, CurvesFileType::kCurves},
      {paddedCurveFile, CurvesFileType::kCurves},
      {Bytes(gimp.begin(), gimp.end()), CurvesFileType::kGimpCurves},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TypeOfCurvesFile(c.file.data(), c.file.size()), c.type) << c.file.size();
    CurveData data = Fresh();
    data.target = kTargetLuma709;
    TableFit fit{5, 5};
    char reason[kReasonLength];
    ASSERT_TRUE(ReadAnyCurvesFile(c.file.data(), c.file.size(), data, fit, reason)) << reason;
    EXPECT_EQ(data.target, kTargetChannels);
    EXPECT_EQ(data.mode, kModeRgb);
    EXPECT_EQ(fit.curve == kEmpty, fit.largestDifference == 0);
  }
}

TEST(AnyCurvesFile, AnythingElseGetsTheCurvesFilesReason) {
  CurveData data = Fresh();
  ApplyPreset(data, 7);
  data.target = kTargetLuma601;
  const CurveData before = data;
  const Bytes file(500, 0x41);
  TableFit fit{5, 5};
  char reason[kReasonLength];
  EXPECT_FALSE(ReadAnyCurvesFile(file.data(), file.size(), data, fit, reason));
  EXPECT_EQ(std::string(reason),
            "The file is of version 16705; only versions 1 and 4 can be read.");
  EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0);
  EXPECT_EQ(fit.largestDifference, 5);
}

}  // namespace
