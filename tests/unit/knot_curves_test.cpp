#include "engine/knot_curves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <vector>

#include "engine/curve_tables.h"
#include "tests/support/table_digest.h"

namespace {

using Table = int32_t[kLutSize];

std::vector<ControlPoint> Slots(std::initializer_list<ControlPoint> points) {
  std::vector<ControlPoint> slots(kChannelSlots, ControlPoint{kEmpty, kEmpty});
  std::copy(points.begin(), points.end(), slots.begin());
  return slots;
}

std::vector<int32_t> At(const Table& lut, std::initializer_list<int> entries) {
  std::vector<int32_t> values;
  for (int x : entries) values.push_back(lut[x]);
  return values;
}

TEST(KnotCurves, WorkedValues) {
  Table lut;
  std::vector<ControlPoint> s = Slots({{64, 32}, {192, 224}});
  BuildMonotoneTable(s.data(), kChannelSlots, lut);
  EXPECT_EQ(At(lut, {0, 32, 64, 96, 128, 160, 192, 224, 255}),
            (std::vector<int32_t>{0, 12, 32, 71, 128, 186, 224, 244, 255}));

  s = Slots({{0, 255}, {255, 0}});  // a negative
  BuildMonotoneTable(s.data(), kChannelSlots, lut);
  EXPECT_EQ(At(lut, {0, 128, 255}), (std::vector<int32_t>{255, 127, 0}));

  s = Slots({{0, 16}, {255, 235}});  // full range to video range
  BuildLinearTable(s.data(), kChannelSlots, lut);
  EXPECT_EQ(At(lut, {0, 128, 255}), (std::vector<int32_t>{16, 126, 235}));
}

TEST(KnotCurves, KnotsSortedLaterSlotWinsEndsAddedOnlyWhenMissing) {
  Knots knots;
  // Out of x order, a duplicate x (the later slot wins), a half-empty slot and points off the
  // curve square (only a damaged block holds them) that take no part.
  std::vector<ControlPoint> s =
      Slots({{200, 10}, {50, 60}, {200, 90}, {70, kEmpty}, {300, 5}, {20, -4}});
  CollectKnots(s.data(), kChannelSlots, knots);
  ASSERT_EQ(knots.count, 4);
  EXPECT_EQ(std::vector<int32_t>(knots.x, knots.x + 4), (std::vector<int32_t>{0, 50, 200, 255}));
  EXPECT_EQ(std::vector<int32_t>(knots.y, knots.y + 4), (std::vector<int32_t>{0, 60, 90, 255}));

  s = Slots({{255, 40}, {0, 200}});
  CollectKnots(s.data(), kChannelSlots, knots);
  ASSERT_EQ(knots.count, 2);
  EXPECT_EQ(knots.y[0], 200);
  EXPECT_EQ(knots.y[1], 40);

  // A threshold: straight segments hit their knots exactly.
  Table lut;
  s = Slots({{127, 0}, {128, 255}, {0, 0}});
  BuildLinearTable(s.data(), kChannelSlots, lut);
  EXPECT_EQ(At(lut, {0, 100, 127, 128, 200, 255}), (std::vector<int32_t>{0, 0, 0, 255, 255, 255}));
}

// Seeded random point sets, each built by both kinds: rising sets give rising tables that stay
// within their knots, and the digest of every table is the same on every target.
TEST(KnotCurves, RandomSetsRiseNeverOvershootAndMatchOnEveryTarget) {
  std::mt19937 rng(20261208);
  const auto below = [&](uint32_t n) { return static_cast<int32_t>(rng() % n); };
  uint64_t digest = kDigestStart;
  for (int set = 0; set < 4000; ++set) {
    std::vector<ControlPoint> s(kChannelSlots, ControlPoint{kEmpty, kEmpty});
    const int count = 1 + below(set % 4 == 0 ? kChannelSlots : 6);
    const bool rising = set % 2 == 0;
    for (int i = 0; i < count; ++i) {
      // One draw per statement: which side of an assignment is evaluated first differs between
      // compilers and sanitizer builds, and the digest depends on the order of the draws.
      const int32_t slot = below(kChannelSlots);
      const int32_t x = below(256);
      s[slot] = {x, below(256)};
    }
    if (rising) {
      // Sort the valid points' y along x so that the knots never fall.
      std::vector<int32_t> ys;
      for (const ControlPoint& p : s) if (IsValidPoint(p)) ys.push_back(p.y);
      std::sort(ys.begin(), ys.end());
      std::vector<ControlPoint*> byX;
      for (ControlPoint& p : s) if (IsValidPoint(p)) byX.push_back(&p);
      std::stable_sort(byX.begin(), byX.end(),
                       [](const ControlPoint* a, const ControlPoint* b) { return a->x < b->x; });
      for (size_t i = 0; i < byX.size(); ++i) byX[i]->y = ys[i];
    }
    Knots knots;
    CollectKnots(s.data(), kChannelSlots, knots);
    Table monotone, linear;
    BuildMonotoneTable(s.data(), kChannelSlots, monotone);
    BuildLinearTable(s.data(), kChannelSlots, linear);
    for (int k = 0; k + 1 < knots.count; ++k) {
      const int32_t low = std::min(knots.y[k], knots.y[k + 1]);
      const int32_t high = std::max(knots.y[k], knots.y[k + 1]);
      for (int x = knots.x[k]; x <= knots.x[k + 1]; ++x) {
        ASSERT_TRUE(monotone[x] >= low && monotone[x] <= high) << "set " << set << " x " << x;
        ASSERT_TRUE(linear[x] >= low && linear[x] <= high) << "set " << set << " x " << x;
      }
      ASSERT_EQ(monotone[knots.x[k]], knots.y[k]) << "set " << set;
      ASSERT_EQ(linear[knots.x[k]], knots.y[k]) << "set " << set;
    }
    if (rising) {
      for (int x = 1; x < kLutSize; ++x) ASSERT_GE(monotone[x], monotone[x - 1]) << "set " << set;
    }
    for (int x = 0; x < kLutSize; ++x) Mix(digest, monotone[x]), Mix(digest, linear[x]);
  }
  EXPECT_EQ(digest, 0xf755a40ec7d50e5bull) << std::hex << digest;
}

}  // namespace
