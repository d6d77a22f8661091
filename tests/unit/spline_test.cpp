#include "engine/spline.h"
#include "engine/curve_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <random>
#include <utility>
#include <vector>

#include "tests/support/fresh_curve.h"
#include "tests/support/table_digest.h"

namespace {

CurveData WithPoints(std::initializer_list<ControlPoint> points) {
  CurveData data = Fresh();
  int slot = 0;
  for (const ControlPoint& p : points) data.points[slot++] = p;
  return data;
}

std::vector<int32_t> Table(const CurveData& data) {
  return std::vector<int32_t>(data.lut, data.lut + kLutSize);
}

// The smooth table of data's points into data.lut, and the walk's sample count.
int32_t Rebuild(CurveData& data) { return BuildSmoothTable(data.points, kSlotCount, data.lut); }

// Every entry a level and entry 255 the fixed end, whatever the points; at most 257 segments of
// 511 samples.
void ExpectLevels(CurveData data) {
  const int32_t count = Rebuild(data);
  for (int i = 0; i < kLutSize - 1; ++i) ASSERT_TRUE(data.lut[i] >= 0 && data.lut[i] <= 255) << i;
  EXPECT_EQ(data.lut[kLutSize - 1], 255);
  EXPECT_LE(count, 257 * 511);
}

// A value below n from raw generator output: the standard distributions may differ between
// standard libraries. One call per statement, so that no target can order two draws differently.
int32_t Below(std::mt19937& rng, uint32_t n) { return int32_t(rng() % n); }

ControlPoint RandomPoint(std::mt19937& rng, int32_t range) {
  ControlPoint p;
  p.x = Below(rng, range);
  p.y = Below(rng, range);
  return p;
}

// A point set of 1 to 256 points, in or out of x order, clustered, duplicated, at the corners, on
// the diagonal, with gaps between their slots and the odd half-empty slot.
void RandomPoints(std::mt19937& rng, CurveData& data) {
  ResetCurve(data);
  const int32_t size = Below(rng, 10);
  const int32_t count = size == 0 ? 256 : size < 5 ? 1 + Below(rng, 8)
                                        : size < 8 ? 1 + Below(rng, 48) : 1 + Below(rng, 255);
  std::vector<ControlPoint> points;
  ControlPoint last = RandomPoint(rng, 256);
  for (int i = 0; i < count; ++i) {
    ControlPoint p = last;
    switch (Below(rng, 6)) {
      case 0: break;
      case 1:
        p.x = std::min(255, std::max(0, last.x + Below(rng, 7) - 3));
        p.y = std::min(255, std::max(0, last.y + Below(rng, 7) - 3));
        break;
      case 2:
        p = RandomPoint(rng, 2);
        p.x *= 255;
        p.y *= 255;
        break;
      case 3: p.x = p.y = Below(rng, 256); break;
      default: p = RandomPoint(rng, 256);
    }
    points.push_back(p);
    last = p;
  }
  if (Below(rng, 3) == 0) {
    std::sort(points.begin(), points.end(), [](const ControlPoint& a, const ControlPoint& b) {
      return a.x != b.x ? a.x < b.x : a.y < b.y;
    });
  }
  const int32_t spread = count < 128 ? Below(rng, 4) : 0;
  int32_t slot = 0;
  for (const ControlPoint& p : points) {
    if (slot >= kSlotCount) break;
    data.points[slot] = p;
    slot += 1 + (spread ? Below(rng, spread + 1) : 0);
  }
  if (Below(rng, 8) == 0) {
    const int32_t halfEmpty = Below(rng, kSlotCount);
    data.points[halfEmpty].x = Below(rng, 256);
    data.points[halfEmpty].y = kEmpty;
  }
}

TEST(RebuildLutWorkedCases, SampleCountsAndSpotValues) {
  const struct {
    const char* name;
    std::vector<ControlPoint> points;
    int32_t samples;
    std::vector<std::pair<int, int32_t>> entries;  // (x, lut[x])
  } cases[] = {
      // Each segment yields 2 max(|dx|, |dy|) + 1 samples: 401 + 255. The steep start lifts
      // entry 0 above 0.
      {"one point",
       {{128, 200}},
       656,
       {{0, 2}, {32, 73}, {64, 131}, {128, 200}, {192, 233}, {254, 254}, {255, 255}}},
      // Three segments of 511 samples. Samples beyond the first 1,024 decide most of the table:
      // the falling middle segment.
      {"inverted",
       {{0, 255}, {255, 0}},
       1533,
       {{0, 254}, {64, 203}, {128, 125}, {192, 48}, {254, 0}, {255, 255}}},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    std::copy(c.points.begin(), c.points.end(), data.points);
    EXPECT_EQ(Rebuild(data), c.samples) << c.name;
    for (const auto& [x, y] : c.entries) EXPECT_EQ(data.lut[x], y) << c.name << " at " << x;
  }
}

TEST(RebuildLutWorkedCases, DiagonalPointsKeepTheIdentity) {
  CurveData data = WithPoints({{10, 10}, {60, 60}, {61, 61}, {200, 200}, {254, 254}});
  RebuildLut(data);
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;
}

TEST(RebuildLutWorkedCases, NoValidPointGivesTheWholeIdentity) {
  CurveData data = Fresh();
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = 255 - i;
  data.points[3] = ControlPoint{40, kEmpty};  // half-empty slots are not points
  data.points[9] = ControlPoint{kEmpty, 90};
  EXPECT_EQ(Rebuild(data), 0);
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;

  CurveData withHalfEmpty = WithPoints({{40, kEmpty}, {128, 200}, {kEmpty, 7}});
  CurveData plain = WithPoints({{128, 200}});
  EXPECT_EQ(Rebuild(withHalfEmpty), Rebuild(plain));
  EXPECT_EQ(Table(withHalfEmpty), Table(plain));
}

TEST(RebuildLutTable, Entry255IsTheFixedEnd) {
  // A curve switched back to smooth from a kind that moved its end gets the end back.
  CurveData data = WithPoints({{128, 200}});
  data.lut[255] = 77;
  RebuildLut(data);
  EXPECT_EQ(data.lut[255], 255);
  EXPECT_EQ(data.lut[128], 200);
}

TEST(RebuildLutTable, DependsOnThePointsAlone) {
  // This path moves fast enough near x = 233 that no sample lands there.
  CurveData fresh = WithPoints({{147, 18}, {113, 245}, {135, 100}, {108, 109}});
  CurveData stale = fresh;
  for (int i = 0; i < kLutSize - 1; ++i) stale.lut[i] = (i * 37) & 0xFF;
  RebuildLut(fresh);
  RebuildLut(stale);
  EXPECT_EQ(fresh.lut[233], 233);
  EXPECT_EQ(Table(stale), Table(fresh));
}

TEST(RebuildLutTable, EmptySlotsBetweenPointsChangeNothing) {
  CurveData packed = WithPoints({{30, 80}, {90, 60}, {200, 240}});
  CurveData spread = Fresh();
  spread.points[0] = ControlPoint{30, 80};
  spread.points[17] = ControlPoint{90, 60};
  spread.points[255] = ControlPoint{200, 240};
  EXPECT_EQ(Rebuild(spread), Rebuild(packed));
  EXPECT_EQ(Table(spread), Table(packed));
}

TEST(RebuildLutTable, LaterSamplesWinWhereThePathDoublesBack) {
  // Out to (200, 50), back to (100, 200), then on to the end: between x = 100 and 200 the last
  // pass, high up, decides, although the first pass crossed there low down.
  CurveData data = WithPoints({{200, 50}, {100, 200}});
  RebuildLut(data);
  EXPECT_EQ(data.lut[50], 1);
  EXPECT_EQ(data.lut[100], 206);
  EXPECT_EQ(data.lut[150], 238);
  EXPECT_EQ(data.lut[180], 244);
}

TEST(RebuildLutMerging, EqualConsecutiveEntriesCountOnce) {
  CurveData single = WithPoints({{128, 200}});
  const int32_t count = Rebuild(single);
  for (CurveData data : {WithPoints({{0, 0}, {128, 200}}), WithPoints({{128, 200}, {128, 200}}),
                         WithPoints({{128, 200}, {255, 255}}),
                         WithPoints({{0, 0}, {0, 0}, {128, 200}, {128, 200}, {255, 255}})}) {
    EXPECT_EQ(Rebuild(data), count);
    EXPECT_EQ(Table(data), Table(single));
  }
}

TEST(RebuildLutMerging, PointsOnTheEndsLeaveTwoEntries) {
  for (CurveData data : {WithPoints({{0, 0}}), WithPoints({{255, 255}, {255, 255}})}) {
    data.lut[255] = 255;
    EXPECT_EQ(Rebuild(data), 511);
    for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;
  }
}

TEST(RebuildLutMerging, RepeatsThatAreNotNeighboursStay) {
  // Out to (60, 90) and back to (50, 50): four segments of 101, 81, 81 and 411 samples.
  CurveData data = WithPoints({{50, 50}, {60, 90}, {50, 50}});
  EXPECT_EQ(Rebuild(data), 674);
}

TEST(RebuildLutAdversarial, HardPointSetsGiveLevels) {
  std::vector<CurveData> sets = {
      WithPoints({{0, 0}, {0, 0}, {255, 255}, {255, 255}}),
      WithPoints({{0, 255}, {255, 0}, {0, 255}, {255, 0}}),
      WithPoints({{255, 0}, {0, 255}}),
      WithPoints({{0, 1}, {255, 254}, {254, 255}, {1, 0}}),
      // Chords of one unit next to chords across the whole square.
      WithPoints({{0, 1}, {255, 1}, {255, 2}, {0, 2}, {0, 3}, {255, 3}}),
      WithPoints({{1, 0}, {2, 0}, {255, 255}, {254, 255}, {0, 0}, {1, 1}}),
      WithPoints({{127, 127}, {128, 128}, {128, 127}, {127, 128}}),
  };
  CurveData extremes = Fresh();  // 256 points jumping between the corners: the longest walk
  for (int i = 0; i < kSlotCount; ++i)
    extremes.points[i] = ControlPoint{i % 2 ? 255 : 0, i % 2 ? 0 : 255};
  sets.push_back(extremes);
  CurveData zigzag = Fresh();  // 256 points, unit steps up, full-width steps across
  for (int i = 0; i < kSlotCount; ++i)
    zigzag.points[i] = ControlPoint{(i / 2) % 2 ? 255 : 0, i / 2 + i % 2};
  sets.push_back(zigzag);
  CurveData huddle = Fresh();  // 256 points in a 2 x 2 corner
  for (int i = 0; i < kSlotCount; ++i)
    huddle.points[i] = ControlPoint{254 + i % 2, 254 + (i / 2) % 2};
  sets.push_back(huddle);
  // Coordinates no writer produces, as a damaged block might hold them: tangents in the billions
  // and sample coordinates that saturate.
  const int32_t lo = INT32_MIN, hi = INT32_MAX;
  sets.push_back(WithPoints({{lo, lo}, {hi, hi}}));
  sets.push_back(WithPoints({{0, 0}, {1, 0}, {hi, lo}, {5, 5}, {6, 5}, {lo, hi}, {lo + 256, hi}}));
  CurveData wide = Fresh();
  for (int i = 0; i < kSlotCount; ++i)
    wide.points[i] = ControlPoint{i % 2 ? hi - 300 * (i % 3) : lo, i % 2 ? 0 : hi};
  sets.push_back(wide);

  for (size_t i = 0; i < sets.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectLevels(sets[i]);
  }
  CurveData longest = extremes;
  EXPECT_EQ(Rebuild(longest), 257 * 511);
}

// Every target must build exactly these tables: the digest covers 10,000 point sets, each table
// and each sample count. It was computed once natively and is reproduced on 32-bit and 64-bit
// Windows.
TEST(RebuildLutRandom, SameTablesOnEveryTarget) {
  std::mt19937 rng(5489);
  CurveData data = Fresh();
  uint64_t digest = kDigestStart;
  for (int set = 0; set < 10000; ++set) {
    RandomPoints(rng, data);
    const int32_t count = Rebuild(data);
    for (int i = 0; i < kLutSize; ++i) Mix(digest, data.lut[i]);
    Mix(digest, count);
  }
  EXPECT_EQ(digest, 0x9524cbad98812440ull) << std::hex << digest;
}

}  // namespace
