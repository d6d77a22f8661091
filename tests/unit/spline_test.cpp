#include "engine/spline.h"
#include "engine/curve_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <random>
#include <vector>

#include "tests/support/fresh_curve.h"

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

// The build written the long way, as a check on the fast one: heap arrays, every sample kept in
// a list, and each table entry found by scanning the whole list for the last sample that hits it.
// It shares only the polygon and the sample conversion, which have their own tests.
struct ReferenceBuild {
  int32_t lut[kLutSize];
  int32_t sampleCount = 0;
};

ReferenceBuild BuildTheLongWay(const CurveData& data) {
  ReferenceBuild out;
  std::memcpy(out.lut, data.lut, sizeof out.lut);
  ControlPoint polygon[kMaxPolygon];
  const int n = BuildControlPolygon(data.points, kSlotCount, polygon);
  if (n == 0) {
    for (int i = 0; i < kLutSize; ++i) out.lut[i] = i;
    return out;
  }
  using Floats = std::vector<float>;
  Floats kx(n), ky(n), cx(n), cy(n), tx(n), ty(n), ex(n), ey(n), ratio(n), lo(n), di(n), up(n);
  for (int k = 0; k < n; ++k) kx[k] = float(polygon[k].x), ky[k] = float(polygon[k].y);
  Floats length(n);
  for (int k = 0; k + 1 < n; ++k) {
    cx[k] = float(double(kx[k + 1]) - double(kx[k]));
    cy[k] = float(double(ky[k + 1]) - double(ky[k]));
    length[k] = float(std::sqrt(double(cx[k]) * double(cx[k]) + double(cy[k]) * double(cy[k])));
  }
  for (int k = 0; k + 2 < n; ++k) ratio[k] = float(double(length[k]) / double(length[k + 1]));
  ratio[n - 2] = 1;
  di[0] = 2, up[0] = ratio[0];
  tx[0] = float(3.0 * cx[0]), ty[0] = float(3.0 * cy[0]);
  for (int k = 1; k + 1 < n; ++k) {
    const double r = ratio[k - 1];
    lo[k] = 1;
    di[k] = float(2.0 * r * (1.0 + r));
    up[k] = float(r * r * ratio[k]);
    tx[k] = float((r * r * cx[k] + cx[k - 1]) * 3.0);
    ty[k] = float((r * r * cy[k] + cy[k - 1]) * 3.0);
  }
  lo[n - 1] = 1, di[n - 1] = float(2.0 * ratio[n - 2]);
  tx[n - 1] = float(3.0 * cx[n - 2]), ty[n - 1] = float(3.0 * cy[n - 2]);
  for (Floats* b : {&tx, &ty}) {
    Floats prev(n), next(n);
    for (int k = 0; k < n; ++k) prev[k] = next[k] = float(double((*b)[k]) / di[k]);
    for (int sweep = 0; sweep < 10; ++sweep) {
      for (int k = 0; k < n; ++k) {
        double v = (*b)[k];
        if (k > 0) v -= double(lo[k]) * prev[k - 1];
        if (k + 1 < n) v -= double(up[k]) * prev[k + 1];
        next[k] = float(v / di[k]);
      }
      prev = next;
    }
    *b = next;
  }
  for (int k = 0; k + 1 < n; ++k) ex[k] = float(double(ratio[k]) * tx[k + 1]);
  for (int k = 0; k + 1 < n; ++k) ey[k] = float(double(ratio[k]) * ty[k + 1]);

  std::vector<SplineSample> samples;
  SplineSample s;
  for (int k = 0; k + 1 < n; ++k) {
    const double a = std::fabs(std::trunc(double(cx[k]))), b = std::fabs(std::trunc(double(cy[k])));
    const double wanted = std::trunc((a > b ? a : b) / 0.5);
    int steps = wanted < kMaxSegmentSteps ? int(wanted) : kMaxSegmentSteps;
    if (steps == 0) steps = 1;
    if (ToSplineSample(kx[k], ky[k], s)) samples.push_back(s);
    for (int i = 1; i <= steps; ++i) {
      const double u = (1.0 / steps) * i;
      const float t = float(u);
      const float h01 = float(u * t * (3.0 - 2.0 * t));
      const float h10 = float((double(t) - 1.0) * t * (double(t) - 1.0));
      const float h11 = float(double(t) * t * (double(t) - 1.0));
      const double x = double(h01) * cx[k] + kx[k] + double(h10) * tx[k] + double(h11) * ex[k];
      const double y = double(h01) * cy[k] + ky[k] + double(h10) * ty[k] + double(h11) * ey[k];
      if (ToSplineSample(x, y, s)) samples.push_back(s);
    }
  }
  out.sampleCount = int32_t(samples.size());
  for (int i = 0; i < kLutSize - 1; ++i) {
    out.lut[i] = i;
    for (const SplineSample& sample : samples) {
      if (sample.x == i) out.lut[i] = std::max(std::min(sample.y, 255), 0);
    }
  }
  return out;
}

// Rebuilds data and checks the table and count against the long way, and that every entry the
// build writes is a level.
void ExpectSameAsLongWay(CurveData data) {
  const ReferenceBuild expected = BuildTheLongWay(data);
  const int32_t before255 = data.lut[kLutSize - 1];
  const int32_t count = RebuildLutCountingSamples(data);
  EXPECT_EQ(count, expected.sampleCount);
  for (int i = 0; i < kLutSize; ++i) ASSERT_EQ(data.lut[i], expected.lut[i]) << "entry " << i;
  for (int i = 0; i < kLutSize - 1; ++i) ASSERT_TRUE(data.lut[i] >= 0 && data.lut[i] <= 255);
  if (count > 0) {
    EXPECT_EQ(data.lut[kLutSize - 1], before255);
  }
  EXPECT_LE(count, (kMaxPolygon - 1) * (kMaxSegmentSteps + 1));
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

// FNV-1a over 32-bit values, byte by byte in a fixed order.
void Mix(uint64_t& digest, int32_t value) {
  const uint32_t v = uint32_t(value);
  for (int shift = 0; shift < 32; shift += 8) {
    digest ^= (v >> shift) & 0xFF;
    digest *= 0x100000001B3ull;
  }
}

TEST(RebuildLutWorkedCases, OnePointMakes656Samples) {
  CurveData data = WithPoints({{128, 200}});
  // Each segment yields 2 max(|dx|, |dy|) + 1 samples: 401 + 255.
  EXPECT_EQ(RebuildLutCountingSamples(data), 656);
  // Spot values of the fitted curve; the steep start lifts entry 0 above 0.
  EXPECT_EQ(data.lut[0], 2);
  EXPECT_EQ(data.lut[32], 73);
  EXPECT_EQ(data.lut[64], 131);
  EXPECT_EQ(data.lut[128], 200);
  EXPECT_EQ(data.lut[192], 233);
  EXPECT_EQ(data.lut[254], 254);
  EXPECT_EQ(data.lut[255], 255);
}

TEST(RebuildLutWorkedCases, InvertedCurveCountsAll1533Samples) {
  CurveData data = WithPoints({{0, 255}, {255, 0}});
  // Three segments of 511 samples.
  EXPECT_EQ(RebuildLutCountingSamples(data), 1533);
  // Samples beyond the first 1,024 decide most of the table: the falling middle segment.
  EXPECT_EQ(data.lut[0], 254);
  EXPECT_EQ(data.lut[64], 203);
  EXPECT_EQ(data.lut[128], 125);
  EXPECT_EQ(data.lut[192], 48);
  EXPECT_EQ(data.lut[254], 0);
  EXPECT_EQ(data.lut[255], 255);
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
  EXPECT_EQ(RebuildLutCountingSamples(data), 0);
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;

  CurveData withHalfEmpty = WithPoints({{40, kEmpty}, {128, 200}, {kEmpty, 7}});
  CurveData plain = WithPoints({{128, 200}});
  EXPECT_EQ(RebuildLutCountingSamples(withHalfEmpty), RebuildLutCountingSamples(plain));
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
  EXPECT_EQ(RebuildLutCountingSamples(spread), RebuildLutCountingSamples(packed));
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
  ExpectSameAsLongWay(WithPoints({{200, 50}, {100, 200}}));
  ExpectSameAsLongWay(WithPoints({{250, 10}, {5, 250}, {240, 30}, {20, 200}}));
}

TEST(RebuildLutMerging, EqualConsecutiveEntriesCountOnce) {
  CurveData single = WithPoints({{128, 200}});
  const int32_t count = RebuildLutCountingSamples(single);
  for (CurveData data : {WithPoints({{0, 0}, {128, 200}}), WithPoints({{128, 200}, {128, 200}}),
                         WithPoints({{128, 200}, {255, 255}}),
                         WithPoints({{0, 0}, {0, 0}, {128, 200}, {128, 200}, {255, 255}})}) {
    EXPECT_EQ(RebuildLutCountingSamples(data), count);
    EXPECT_EQ(Table(data), Table(single));
  }
}

TEST(RebuildLutMerging, PointsOnTheEndsLeaveTwoEntries) {
  for (CurveData data : {WithPoints({{0, 0}}), WithPoints({{255, 255}, {255, 255}})}) {
    data.lut[255] = 255;
    EXPECT_EQ(RebuildLutCountingSamples(data), 511);
    for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i) << i;
  }
}

TEST(RebuildLutMerging, RepeatsThatAreNotNeighboursStay) {
  ControlPoint polygon[kMaxPolygon];
  const CurveData data = WithPoints({{50, 50}, {60, 90}, {50, 50}});
  ASSERT_EQ(BuildControlPolygon(data.points, kSlotCount, polygon), 5);
  EXPECT_EQ(polygon[3].x, 50);
  ExpectSameAsLongWay(data);
}

TEST(SplineSampleConversion, TruncatesSaturatesAndDropsNonFinite) {
  SplineSample s{};
  ASSERT_TRUE(ToSplineSample(-0.7, 254.99, s));
  EXPECT_EQ(s.x, 0);
  EXPECT_EQ(s.y, 254);
  ASSERT_TRUE(ToSplineSample(3e9, -3e9, s));
  EXPECT_EQ(s.x, INT32_MAX);
  EXPECT_EQ(s.y, INT32_MIN);
  ASSERT_TRUE(ToSplineSample(2147483647.9, -2147483648.9, s));
  EXPECT_EQ(s.x, INT32_MAX);
  EXPECT_EQ(s.y, INT32_MIN);
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_FALSE(ToSplineSample(nan, 5, s));
  EXPECT_FALSE(ToSplineSample(5, -inf, s));
}

TEST(HermiteSegmentWalk, StepsAreTwiceTheLargerChordComponent) {
  HermiteSegment segment;
  segment.Setup(255, -10, 0, 0, 0, 0);
  EXPECT_EQ(segment.steps, 510);
  segment.Setup(3, -7, 0, 0, 0, 0);
  EXPECT_EQ(segment.steps, 14);
  segment.Setup(0, 0, 0, 0, 0, 0);
  EXPECT_EQ(segment.steps, 0);
  // Only a damaged block reaches beyond the curve square; its segments are bounded.
  segment.Setup(4e9f, 0, 0, 0, 0, 0);
  EXPECT_EQ(segment.steps, kMaxSegmentSteps);

  int32_t lut[kLutSize] = {};
  LutFill fill{lut, 0};
  segment.Setup(0, 0, 0, 0, 0, 0);
  segment.Emit(7, 9, fill);  // a segment of no length still yields its two ends
  EXPECT_EQ(fill.sampleCount, 2);
  EXPECT_EQ(lut[7], 9);
}

TEST(ToneSplineStorage, PolygonsWithoutASegmentWalkNothing) {
  const ControlPoint polygon[kMaxPolygon + 5] = {{0, 0}};
  int32_t lut[kLutSize] = {};
  for (int32_t count : {-3, 0, 1}) {
    ToneSpline spline(polygon, count);
    spline.Fit();
    LutFill fill{lut, 0};
    spline.SampleSegments(fill);
    EXPECT_EQ(fill.sampleCount, 0) << count;
  }
  EXPECT_EQ(ToneSpline(polygon, kMaxPolygon + 5).count, kMaxPolygon);
}

TEST(HermiteSegmentWalk, HugeTangentsSaturateAndInfiniteOnesDropSamples) {
  int32_t lut[kLutSize];
  for (int i = 0; i < kLutSize; ++i) lut[i] = -1;
  LutFill fill{lut, 0};
  HermiteSegment segment;
  // From (10, 10) along (2, 2) in four steps; the start tangent throws y far up in between.
  segment.Setup(2, 2, 0, -1e30f, 0, 0);
  segment.Emit(10, 10, fill);
  EXPECT_EQ(fill.sampleCount, 5);
  EXPECT_EQ(lut[10], 0);  // saturated far below, clamped to 0
  EXPECT_EQ(lut[11], 0);
  EXPECT_EQ(lut[12], 12);  // at t = 1 the start tangent has no weight

  for (int i = 0; i < kLutSize; ++i) lut[i] = -1;
  fill.sampleCount = 0;
  segment.Setup(2, 2, 0, std::numeric_limits<float>::infinity(), 0, 0);
  segment.Emit(10, 10, fill);
  // Only the start knot survives: inside, y is infinite; at t = 1, 0 times infinity is no number.
  EXPECT_EQ(fill.sampleCount, 1);
  EXPECT_EQ(lut[10], 10);
  EXPECT_EQ(lut[11], -1);
  EXPECT_EQ(lut[12], -1);
}

TEST(RebuildLutAdversarial, HardPointSetsMatchTheLongWay) {
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
  for (int i = 0; i < kSlotCount; ++i) extremes.points[i] = ControlPoint{i % 2 ? 255 : 0, i % 2 ? 0 : 255};
  sets.push_back(extremes);
  CurveData zigzag = Fresh();  // 256 points, unit steps up, full-width steps across
  for (int i = 0; i < kSlotCount; ++i) zigzag.points[i] = ControlPoint{(i / 2) % 2 ? 255 : 0, i / 2 + i % 2};
  sets.push_back(zigzag);
  CurveData huddle = Fresh();  // 256 points in a 2 x 2 corner
  for (int i = 0; i < kSlotCount; ++i) huddle.points[i] = ControlPoint{254 + i % 2, 254 + (i / 2) % 2};
  sets.push_back(huddle);
  // Coordinates no writer produces, as a damaged block might hold them: tangents in the billions
  // and sample coordinates that saturate.
  const int32_t lo = INT32_MIN, hi = INT32_MAX;
  sets.push_back(WithPoints({{lo, lo}, {hi, hi}}));
  sets.push_back(WithPoints({{0, 0}, {1, 0}, {hi, lo}, {5, 5}, {6, 5}, {lo, hi}, {lo + 256, hi}}));
  CurveData wide = Fresh();
  for (int i = 0; i < kSlotCount; ++i) wide.points[i] = ControlPoint{i % 2 ? hi - 300 * (i % 3) : lo, i % 2 ? 0 : hi};
  sets.push_back(wide);

  for (size_t i = 0; i < sets.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectSameAsLongWay(sets[i]);
  }
  CurveData longest = extremes;
  EXPECT_EQ(RebuildLutCountingSamples(longest), 257 * 511);
}

TEST(RebuildLutRandom, MatchesTheLongWay) {
  std::mt19937 rng(20240611);
  CurveData data = Fresh();
  for (int set = 0; set < 300; ++set) {
    SCOPED_TRACE(set);
    RandomPoints(rng, data);
    ExpectSameAsLongWay(data);
    if (HasFatalFailure()) return;
  }
}

// Every target must build exactly these tables: the digest covers 10,000 point sets, each table
// and each sample count. It was computed once natively and is reproduced on 32-bit and 64-bit
// Windows.
TEST(RebuildLutRandom, SameTablesOnEveryTarget) {
  std::mt19937 rng(5489);
  CurveData data = Fresh();
  uint64_t digest = 0xCBF29CE484222325ull;
  for (int set = 0; set < 10000; ++set) {
    RandomPoints(rng, data);
    const int32_t count = RebuildLutCountingSamples(data);
    for (int i = 0; i < kLutSize; ++i) Mix(digest, data.lut[i]);
    Mix(digest, count);
  }
  EXPECT_EQ(digest, 0x9524cbad98812440ull) << std::hex << digest;
}

}  // namespace
