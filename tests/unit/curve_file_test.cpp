#include "engine/curve_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/knot_curves.h"
#include "engine/presets.h"
#include "tests/support/fresh_curve.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Words(std::initializer_list<int> words) {
  Bytes bytes;
  for (int w : words) {
    bytes.push_back(static_cast<uint8_t>(w >> 8));
    bytes.push_back(static_cast<uint8_t>(w & 0xFF));
  }
  return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kIdentity = Words({2, 0, 0, 255, 255});

bool Read(const Bytes& file, CurveData& data, std::string* reason = nullptr) {
  char text[kCurveFileReasonLength];
  const bool read = ReadCurveFile(file.data(), file.size(), data, text);
  if (reason != nullptr) *reason = text;
  return read;
}

Bytes Write(const CurveData& data) {
  uint8_t bytes[kMaxCurveFileBytes];
  return Bytes(bytes, bytes + WriteCurveFile(data, bytes));
}

std::vector<int32_t> KnotsOf(const CurveData& data, int curve) {
  Knots knots;
  CollectKnots(CurvePoints(data, curve), CurveSlotCount(curve), knots);
  std::vector<int32_t> xy;
  for (int32_t k = 0; k < knots.count; ++k) xy.insert(xy.end(), {knots.x[k], knots.y[k]});
  return xy;
}

TEST(CurveFile, SaveThenLoadKeepsEveryCurvesKnots) {
  CurveData saved = Fresh();
  ApplyPreset(saved, 7);  // three monotone channel curves with their ends
  InsertCurvePoint(saved, kCurveMaster, 90, 70);
  InsertCurvePoint(saved, kCurveMaster, 30, 40);  // a smooth master with two points
  saved.kind[kCurveBlue] = kKindLinear;
  for (int32_t i = 0; i < kChannelSlots; ++i) {  // a full channel: 66 knots with the ends
    CurvePoints(saved, kCurveGreen)[i] = ControlPoint{1 + 4 * i, 3 * i};
  }
  CurveData loaded = Fresh();
  loaded.mode = kModeBlue;
  ASSERT_TRUE(Read(Write(saved), loaded));
  for (int curve = 0; curve < kCurveCount; ++curve) {
    EXPECT_EQ(KnotsOf(loaded, curve), KnotsOf(saved, curve)) << curve;
    EXPECT_EQ(loaded.kind[curve], kKindMonotone) << curve;
  }
  EXPECT_EQ(loaded.mode, kModeRgb);
  EXPECT_EQ(loaded.channel[1].lut[5], 3) << "tables rebuilt: green passes its knot (5, 3)";

  // A smooth curve is saved with its fixed ends, whatever point sits on one.
  CurveData edge = Fresh();
  edge.points[0] = ControlPoint{255, 100};
  ASSERT_TRUE(Read(Write(edge), loaded));
  EXPECT_EQ(KnotsOf(loaded, kCurveMaster), (std::vector<int32_t>{0, 0, 255, 255}));
}

TEST(CurveFile, LoadThenSaveGivesTheSameBytes) {
  const Bytes file = Words({1, 4, 3, 0, 0, 130, 120, 255, 255}) + kIdentity +
                     Words({3, 10, 0, 128, 128, 240, 255}) + Words({2, 255, 0, 0, 255});
  CurveData data = Fresh();
  ASSERT_TRUE(Read(file, data));
  EXPECT_EQ(data.kind[kCurveRed], kKindSmooth) << "an untouched curve stays empty";
  EXPECT_EQ(Write(data), file);
}

TEST(CurveFile, UntouchedMissingAndExtraCurvesAndTrailingData) {
  CurveData data = Fresh();
  ApplyPreset(data, 3);
  ASSERT_TRUE(Read(Words({4, 2}) + kIdentity + kIdentity, data));
  const CurveData fresh = Fresh();
  EXPECT_EQ(std::memcmp(&data, &fresh, sizeof data), 0) << "exactly an untouched instance";

  // A fifth curve that could not be read and trailing bytes are never looked at.
  const Bytes four = Words({2, 0, 0, 255, 100}) + kIdentity + kIdentity +
                     Words({2, 0, 50, 255, 255});
  CurveData extra = Fresh();
  ASSERT_TRUE(Read(Words({1, 5}) + four + Words({1, 7, 7}) + Bytes{0xFF}, extra));
  CurveData plain = Fresh();
  ASSERT_TRUE(Read(Words({1, 4}) + four, plain));
  EXPECT_EQ(std::memcmp(&extra, &plain, sizeof extra), 0);
}

TEST(CurveFile, RefusesWithAReasonAndChangesNothing) {
  Bytes seventy = Words({1, 4}) + kIdentity + Words({70});
  for (int i = 0; i < 70; ++i) seventy = seventy + Words({i, i});
  const Bytes head = Words({1, 4}) + kIdentity + kIdentity + kIdentity;  // blue goes wrong
  const struct {
    Bytes file;
    const char* reason;
  } cases[] = {
      {Words({1}), "The file is too short to be a curves file."},
      {Words({2, 4}) + kIdentity, "The file is of version 2; only versions 1 and 4 can be read."},
      {Words({1, 0}), "The file holds no curves."},
      {Words({1, 2}) + kIdentity, "The file ends before the red curve."},
      {Words({1, 1, 3, 0, 0, 255}), "The file ends inside the master curve."},
      {Words({1, 3}) + kIdentity + kIdentity + Words({1, 0, 0}),
       "The green curve has 1 point; a curve needs at least 2."},
      {seventy, "The red curve has 70 points; at most 64 fit."},
      {head + Words({2, 0, 0, 256, 255}),
       "The blue curve has the value 256; values run from 0 to 255."},
      {head + Words({3, 0, 0, 0, 60, 9, 40}),
       "The blue curve goes backwards: point 3 has input 40 after 60."},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    ApplyPreset(data, 7);
    const CurveData before = data;
    std::string reason;
    EXPECT_FALSE(Read(c.file, data, &reason));
    EXPECT_EQ(reason, c.reason);
    EXPECT_EQ(std::memcmp(&data, &before, sizeof data), 0) << c.reason;
  }
}

}  // namespace
