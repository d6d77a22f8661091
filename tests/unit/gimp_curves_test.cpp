#include "engine/gimp_curves.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/presets.h"
#include "tests/support/curve_points.h"
#include "tests/support/fresh_curve.h"
#include "tests/support/random_settings.h"

namespace {

using Pairs = std::vector<std::pair<int, int>>;

bool Read(const std::string& file, CurveData& data, TableFit& fit, std::string* reason = nullptr) {
  char text[kReasonLength];
  const bool read = ReadGimpCurvesFile(reinterpret_cast<const uint8_t*>(file.data()), file.size(),
                                       data, fit, text);
  if (reason != nullptr) *reason = text;
  return read;
}

// One line of the text format: the pairs, then unused ones up to 17.
std::string TextLine(const Pairs& pairs) {
  std::string line;
  for (size_t i = 0; i < 17; ++i) {
    const auto p = i < pairs.size() ? pairs[i] : std::make_pair(-1, -1);
    line += (i == 0 ? "" : " ") + std::to_string(p.first) + " " + std::to_string(p.second);
  }
  return line + "\n";
}

const Pairs kEnds = {{0, 0}, {255, 255}};

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

std::string Samples(const std::vector<int>& levels) {
  std::string text =
      "(n-samples " + std::to_string(levels.size()) + ") (samples " + std::to_string(levels.size());
  for (const int level : levels) text += " " + Real(level / 255.0);
  return text + ")";
}

std::vector<int> Ramp() {
  std::vector<int> levels;
  for (int v = 0; v < 256; ++v) levels.push_back(v);
  return levels;
}

std::string SmoothCurve(const std::string& points, int count) {
  return "(curve (curve-type smooth) (n-points " + std::to_string(count) + ") (points " +
         std::to_string(2 * count) + " " + points + ") " + Samples(Ramp()) + ")\n";
}

std::string FreehandCurve(const std::vector<int>& levels) {
  return "(curve (curve-type freehand) (n-points 0) (points 0) " + Samples(levels) + ")\n";
}

const char kSettingsHeader[] = "# GIMP curves tool settings\n\n";

TEST(GimpCurves, TextFormatExample) {
  const std::string file = "# GIMP Curves File\n" +
                           TextLine({{0, 0}, {64, 40}, {192, 220}, {255, 255}}) +  // value
                           TextLine({{0, 20}, {255, 255}}) +                       // red
                           TextLine(kEnds) +                                       // green
                           TextLine({{200, 180}, {30, 40}}) +  // blue: no ends, out of order
                           TextLine({{0, 0}, {255, 128}});     // alpha, ignored
  CurveData data = Fresh();
  ApplyPreset(data, 8);
  data.mode = kModeGreen;
  TableFit fit{7, 7};
  ASSERT_TRUE(Read(file, data, fit));
  EXPECT_EQ(fit.largestDifference, 0);
  EXPECT_EQ(fit.curve, -1);
  EXPECT_EQ(data.mode, kModeRgb);
  EXPECT_EQ(PointsOf(data, kCurveMaster), (std::vector<int32_t>{0, 0, 64, 40, 192, 220, 255, 255}));
  EXPECT_EQ(PointsOf(data, kCurveRed), (std::vector<int32_t>{0, 20, 255, 255}));
  EXPECT_EQ(PointsOf(data, kCurveGreen), std::vector<int32_t>{});
  // Level before the first point and after the last, as the curve was drawn there.
  EXPECT_EQ(PointsOf(data, kCurveBlue), (std::vector<int32_t>{0, 40, 30, 40, 200, 180, 255, 180}));
  const CurveKind kinds[] = {kKindMonotone, kKindMonotone, kKindSmooth, kKindMonotone};
  for (int curve = 0; curve < kCurveCount; ++curve) EXPECT_EQ(data.kind[curve], kinds[curve]);
  EXPECT_EQ(data.lut[64], 40) << "tables rebuilt";
  EXPECT_EQ(data.channel[2].lut[250], 180);
}

TEST(GimpCurves, SettingsFormatExample) {
  std::vector<int> negative;
  for (int v = 0; v < 256; ++v) negative.push_back(255 - v);
  std::string green = "0 0";
  for (int i = 0; i < 15; ++i) green += " -1 -1";  // unused points, as older versions write
  green += " 1 1";
  const std::string file =
      std::string(kSettingsHeader) + "(time 0)\n(linear no)\n(channel value)\n" +
      "(curve (curve-type smooth) (n-points 4)\n"
      "  (points 8 0 0 0.25 0.15686274509803921 0.75 0.86274509803921573 1.0 1)\n"
      "  (point-types 4 smooth smooth smooth smooth) " +
      Samples(Ramp()) + ")\n(channel red)\n" + FreehandCurve(negative) + "(channel green)\n" +
      SmoothCurve(green, 17) + "(channel blue)  # x 0.1 is level 25.5, which rounds up\n" +
      SmoothCurve("0.1 2e-1 0.5 5e-1", 2) + "(channel alpha)\n" + SmoothCurve("0 1 1 0", 2) +
      "\n# end of curves tool settings\n";
  CurveData data = Fresh();
  TableFit fit{};
  std::string reason;
  ASSERT_TRUE(Read(file, data, fit, &reason)) << reason;
  EXPECT_EQ(fit.largestDifference, 0);
  EXPECT_EQ(PointsOf(data, kCurveMaster), (std::vector<int32_t>{0, 0, 64, 40, 191, 220, 255, 255}));
  EXPECT_EQ(data.kind[kCurveMaster], kKindMonotone);
  EXPECT_EQ(PointsOf(data, kCurveRed), (std::vector<int32_t>{0, 255, 255, 0}));
  EXPECT_EQ(data.kind[kCurveRed], kKindLinear);
  EXPECT_EQ(PointsOf(data, kCurveGreen), std::vector<int32_t>{});
  EXPECT_EQ(PointsOf(data, kCurveBlue), (std::vector<int32_t>{0, 51, 26, 51, 128, 128, 255, 128}));
}

TEST(GimpCurves, FreehandSamplesRoundTripAsTables) {
  std::mt19937 random(1604);
  for (int run = 0; run < 40; ++run) {
    const CurveData settings = RandomSettings(random);
    std::string file = kSettingsHeader;
    for (int curve = 0; curve < kCurveCount; ++curve) {
      const int32_t* lut = CurveLut(settings, curve);
      static const char* const kChannels[kCurveCount] = {"value", "red", "green", "blue"};
      file += std::string("(channel ") + kChannels[curve] + ")\n" +
              FreehandCurve(std::vector<int>(lut, lut + kLutSize));
    }
    CurveData loaded = Fresh();
    TableFit fit{};
    ASSERT_TRUE(Read(file, loaded, fit));
    int32_t largest = 0;
    for (int curve = 0; curve < kCurveCount; ++curve) {
      for (int v = 0; v < kLutSize; ++v) {
        largest =
            std::max(largest, std::abs(CurveLut(loaded, curve)[v] - CurveLut(settings, curve)[v]));
      }
    }
    EXPECT_EQ(fit.largestDifference, largest) << "run " << run;
    EXPECT_EQ(fit.largestDifference == 0, fit.curve == -1) << "run " << run;
  }

  // Other sample grids: each level takes the nearest sample.
  CurveData data = Fresh();
  TableFit fit{};
  ASSERT_TRUE(Read(std::string(kSettingsHeader) + "(channel value)\n" +
                       "(curve (curve-type freehand) (n-samples 3) (samples 3 0 0.5 1))",
                   data, fit));
  EXPECT_EQ(PointsOf(data, kCurveMaster),
            (std::vector<int32_t>{0, 0, 63, 0, 64, 128, 191, 128, 192, 255, 255, 255}));
}

TEST(GimpCurves, RefusesWithAReasonAndChangesNothing) {
  const std::string text = "# GIMP Curves File\n";
  const std::string lines = TextLine(kEnds) + TextLine(kEnds);
  const std::string set = std::string(kSettingsHeader) + "(channel value)\n";
  const std::string value = "The value curve";
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy += Real(i / 100.0) + " " + Real(i / 100.0) + " ";
  const struct {
    std::string file;
    std::string reason;
  } cases[] = {
      {"# GIMP Curves\n",
       "The file is not a GIMP curves file: its first line is neither "
       "\"# GIMP Curves File\" nor \"# GIMP curves tool settings\"."},
      {std::string(kMaxGimpCurvesFileBytes + 1, ' ').replace(0, text.size(), text),
       "The file is 1048577 bytes long; a curves file is far shorter."},
      {text, "The file ends before the value curve."},
      {text + "0 0 255", "The file ends inside the value curve."},
      {text + lines + "0 0 x 255", "The green curve holds something other than a number."},
      {text + TextLine({{0, 256}}),
       "The value curve has the value 256; values run from 0 to 255, and -1 marks an unused "
       "point."},
      {text + lines + TextLine({{10, -1}}),
       "The green curve has a point at 10 without an output level."},
      {text + lines + lines + TextLine(kEnds) + "0", "The file goes on after the alpha curve."},
      {set + "(curve (curve-type smooth)",
       "The file is damaged: its brackets or words are not in the order of a curves settings "
       "file."},
      {set + ")",
       "The file is damaged: its brackets or words are not in the order of a curves settings "
       "file."},
      {std::string(kSettingsHeader) + "(channel purple)",
       "The file names a channel other than value, red, green, blue and alpha."},
      {std::string(kSettingsHeader) + SmoothCurve("0 0 1 1", 2),
       "The file has a curve before it names a channel."},
      {set + SmoothCurve("0 0 1 1", 2) + SmoothCurve("0 0 1 1", 2),
       "The file holds the value curve twice."},
      {std::string(kSettingsHeader) + "(time 0)\n# no curves\n", "The file holds no curves."},
      {set + "(curve (curve-type bezier))",
       value + " is of a type other than smooth and freehand."},
      {set + "(curve (n-points 2))", value + " does not say whether it is smooth or freehand."},
      {set + "(curve (curve-type smooth) (n-points 257))",
       value + "'s point count is not a whole number from 0 to 256."},
      {set + "(curve (curve-type smooth) (points 4 0 0 1 1))",
       value + "'s points do not follow their count, two values a point."},
      {set + SmoothCurve("0 0 1.5 1", 2), value + " has a value outside 0 to 1."},
      {set + SmoothCurve("0 0 -0.5 1", 2), value + " has a value outside 0 to 1."},
      {set + SmoothCurve("0 0 1 one", 2), value + " holds something other than a number."},
      {set + SmoothCurve("0 0 0.5 -1", 2), value + " has a point without an output level."},
      {set + "(curve (curve-type smooth))", value + " is smooth but has no points."},
      {set + "(curve (curve-type freehand))", value + " is freehand but has no samples."},
      {set + "(curve (curve-type freehand) (n-samples 1))",
       value + "'s sample count is not a whole number from 2 to 4096."},
      {set + "(curve (curve-type freehand) (n-samples 3) (samples 2 0 1))",
       value + "'s samples do not follow their count."},
      {set + "(curve (curve-type freehand) (n-samples 2) (samples 2 0 1.0000001))",
       value + " has a value outside 0 to 1."},
      {std::string(kSettingsHeader) +
           "(channel red) (curve (curve-type smooth) (n-points 70) "
           "(points 140 " +
           seventy + "))",
       "The red curve has 70 points; at most 64 fit."},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    ApplyPreset(data, 7);
    const CurveData before = data;
    TableFit fit{3, 2};
    std::string reason;
    EXPECT_FALSE(Read(c.file, data, fit, &reason)) << c.reason;
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0) << c.reason;
    EXPECT_EQ(fit.largestDifference, 3) << c.reason;
  }
}

}  // namespace
