#include "engine/knot_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <vector>

#include "engine/spline.h"

namespace {

using Table = int32_t[kLutSize];

// The table the knots give once stored as points, as a file reader stores them.
void TableOfKnots(const Knots& knots, CurveKind kind, Table& lut) {
  ControlPoint points[kMaxKnots];
  for (int32_t k = 0; k < knots.count; ++k) points[k] = ControlPoint{knots.x[k], knots.y[k]};
  if (kind == kKindLinear) {
    BuildLinearTable(points, knots.count, lut);
  } else {
    BuildMonotoneTable(points, knots.count, lut);
  }
}

int64_t Difference(int32_t a, int32_t b) {
  const int64_t d = int64_t{a} - b;
  return d < 0 ? -d : d;
}

struct FitCase {
  const char* name;
  std::function<void(Table&)> target;
  CurveKind kind;
  int32_t maxKnots;
  int32_t tolerance;
  std::vector<int32_t> knotX;  // the knots expected, or empty when only the bounds matter
};

void Smooth(std::vector<ControlPoint> points, Table& lut) {
  BuildSmoothTable(points.data(), static_cast<int32_t>(points.size()), lut);
}

void Noise(Table& lut) {
  std::mt19937 rng(7);
  for (int32_t& v : lut) v = static_cast<int32_t>(rng() % 256);
}

TEST(KnotFit, FollowsTheTableWithinTheToleranceOrTheKnots) {
  const FitCase cases[] = {
      {"identity: the ends alone", [](Table& t) { for (int i = 0; i < kLutSize; ++i) t[i] = i; },
       kKindMonotone, 64, 0, {0, 255}},
      {"a straight line from ends that are not the corners",
       [](Table& t) { for (int i = 0; i < kLutSize; ++i) t[i] = 16 + (219 * i + 127) / 255; },
       kKindLinear, 64, 0, {0, 255}},
      // Off by 155 at 100 from the ends' line, then by 252 at 99 from the line up to 100.
      {"a threshold: its step, largest difference first",
       [](Table& t) { for (int i = 0; i < kLutSize; ++i) t[i] = i < 100 ? 0 : 255; },
       kKindLinear, 64, 0, {0, 99, 100, 255}},
      {"two bumps, one knot to spend: the larger one",
       [](Table& t) {
         for (int i = 0; i < kLutSize; ++i) t[i] = i;
         t[50] = 60, t[200] = 230;
       },
       kKindLinear, 3, 0, {0, 200, 255}},
      {"smooth (128, 200)", [](Table& t) { Smooth({{128, 200}}, t); }, kKindMonotone, 64, 1, {}},
      {"smooth path that doubles back", [](Table& t) { Smooth({{200, 50}, {100, 200}}, t); },
       kKindMonotone, 64, 1, {}},
      {"noise, as close as 8 knots get", Noise, kKindMonotone, 8, 0, {}},
      {"noise, exactly with every entry a knot", Noise, kKindLinear, 256, 0, {}},
      {"noise, monotone with every entry a knot", Noise, kKindMonotone, 1000, 0, {}},
      {"too few knots asked for: the ends", Noise, kKindLinear, 1, 0, {0, 255}},
      {"entries beyond the levels count in full",
       [](Table& t) {
         for (int i = 0; i < kLutSize; ++i) t[i] = i;
         t[0] = -40, t[10] = 300, t[255] = 2000000000;
       },
       kKindMonotone, 256, 0, {}},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(c.name);
    Table target;
    c.target(target);
    const KnotFit fit = KnotsFittedToTable(target, c.kind, c.maxKnots, c.tolerance);
    const Knots& knots = fit.knots;
    ASSERT_GE(knots.count, 2);
    ASSERT_LE(knots.count, std::max(2, std::min(c.maxKnots, kMaxKnots)));
    if (!c.knotX.empty()) {
      EXPECT_EQ(std::vector<int32_t>(knots.x, knots.x + knots.count), c.knotX);
    }
    EXPECT_EQ(knots.x[0], 0);
    EXPECT_EQ(knots.x[knots.count - 1], 255);
    bool isKnot[kLutSize] = {};
    for (int32_t k = 0; k < knots.count; ++k) {
      if (k > 0) {
        ASSERT_LT(knots.x[k - 1], knots.x[k]);
      }
      ASSERT_EQ(knots.y[k], std::min(255, std::max(0, target[knots.x[k]]))) << "knot " << k;
      isKnot[knots.x[k]] = true;
    }

    Table loaded;
    TableOfKnots(knots, c.kind, loaded);
    int64_t measured = 0, offKnots = 0;
    for (int i = 0; i < kLutSize; ++i) {
      measured = std::max(measured, Difference(loaded[i], target[i]));
      if (!isKnot[i]) offKnots = std::max(offKnots, Difference(loaded[i], target[i]));
    }
    EXPECT_EQ(fit.largestDifference, measured);
    // Stopping early is allowed only when the knots ran out; what differs on a knot lies beyond
    // the levels, where no knot reaches.
    if (knots.count < c.maxKnots) {
      EXPECT_LE(offKnots, c.tolerance);
    }
  }
}

}  // namespace
