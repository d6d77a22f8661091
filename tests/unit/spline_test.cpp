#include "engine/spline.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

namespace {

CurveData WithPoints(std::initializer_list<ControlPoint> points) {
  CurveData data;
  std::memset(&data, 0x5A, sizeof data);
  InitCurveData(data);
  int slot = 0;
  for (const ControlPoint& p : points) data.points[slot++] = p;
  return data;
}

// The walk's length when no tangent is infinite: every segment yields 2 max(|dx|, |dy|) + 1.
int32_t ExpectedSampleCount(std::initializer_list<ControlPoint> polygon) {
  int32_t total = 0;
  const ControlPoint* prev = nullptr;
  for (const ControlPoint& p : polygon) {
    if (prev) {
      const int32_t dx = std::abs(p.x - prev->x), dy = std::abs(p.y - prev->y);
      total += 2 * (dx > dy ? dx : dy) + 1;
    }
    prev = &p;
  }
  return total;
}

TEST(RebuildLutWorkedCases, OnePointTakesTheWholeWalk) {
  CurveData data = WithPoints({{128, 200}});
  EXPECT_EQ(RebuildLutCountingSamples(data), 656);
  EXPECT_EQ(ExpectedSampleCount({{0, 0}, {128, 200}, {255, 255}}), 656);
  EXPECT_EQ(data.lut[128], 200);
  EXPECT_EQ(data.lut[255], 255);
  for (int i = 1; i < kLutSize; ++i) EXPECT_GE(data.lut[i], data.lut[i - 1]) << i;
}

TEST(RebuildLutWorkedCases, InvertedCurveCountsEverySample) {
  CurveData data = WithPoints({{0, 255}, {255, 0}});
  EXPECT_EQ(RebuildLutCountingSamples(data), 1533);
  EXPECT_EQ(ExpectedSampleCount({{0, 0}, {0, 255}, {255, 0}, {255, 255}}), 1533);
  EXPECT_EQ(data.lut[255], 255);
}

TEST(RebuildLutWorkedCases, DiagonalPointsKeepTheIdentity) {
  CurveData data = WithPoints({{10, 10}, {60, 60}, {61, 61}, {200, 200}, {254, 254}});
  RebuildLut(data);
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;
}

}  // namespace
