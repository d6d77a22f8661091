#include "engine/knot_curves.h"

#include <cmath>

namespace {

int32_t TableEntry(double y) {
  const double rounded = std::floor(y + 0.5);
  return rounded < 0.0 ? 0 : rounded > 255.0 ? 255 : static_cast<int32_t>(rounded);
}

int Sign(double v) { return v > 0.0 ? 1 : v < 0.0 ? -1 : 0; }

// The end tangent of the three-point formula, from the outermost interval (h0, d0) and the one
// next to it (h1, d1); the mirror image serves the other end.
double EndTangent(double h0, double h1, double d0, double d1) {
  const double m = ((2.0 * h0 + h1) * d0 - h0 * d1) / (h0 + h1);
  if (Sign(m) != Sign(d0)) return 0.0;
  if (Sign(d0) != Sign(d1) && std::fabs(m) > std::fabs(3.0 * d0)) return 3.0 * d0;
  return m;
}

// The walks below give the curve's y at x = i / perLevel for i = 0 .. 255 * perLevel, in order,
// to put(i, y). With one position per level they are the tables' own arithmetic, so the tables
// stay what they have always been; with more they are the same curve between the levels.

template <typename Put>
void WalkLinear(const Knots& knots, int32_t perLevel, Put put) {
  int32_t k = 0;
  for (int32_t i = 0; i <= 255 * perLevel; ++i) {
    const double x = static_cast<double>(i) / perLevel;
    // The first segment that holds x: a knot belongs to the segment that ends there.
    while (x > knots.x[k + 1]) ++k;
    const double xk = knots.x[k], yk = knots.y[k];
    const double h = static_cast<double>(knots.x[k + 1]) - xk;
    const double rise = static_cast<double>(knots.y[k + 1]) - yk;
    put(i, yk + (rise * (x - xk)) / h);
  }
}

template <typename Put>
void WalkMonotone(const Knots& knots, int32_t perLevel, Put put) {
  const int32_t n = knots.count;
  double h[kMaxKnots], d[kMaxKnots], m[kMaxKnots];
  for (int32_t k = 0; k < n - 1; ++k) {
    h[k] = static_cast<double>(knots.x[k + 1]) - knots.x[k];
    d[k] = (static_cast<double>(knots.y[k + 1]) - knots.y[k]) / h[k];
  }
  if (n == 2) {
    m[0] = m[1] = d[0];
  } else {
    for (int32_t k = 1; k < n - 1; ++k) {
      // A knot between a rise and a fall, or next to a flat interval, is an extremum: flat there.
      if (!((d[k - 1] > 0.0 && d[k] > 0.0) || (d[k - 1] < 0.0 && d[k] < 0.0))) {
        m[k] = 0.0;
        continue;
      }
      const double w1 = 2.0 * h[k] + h[k - 1];
      const double w2 = h[k] + 2.0 * h[k - 1];
      m[k] = (w1 + w2) / (w1 / d[k - 1] + w2 / d[k]);
    }
    m[0] = EndTangent(h[0], h[1], d[0], d[1]);
    m[n - 1] = EndTangent(h[n - 2], h[n - 3], d[n - 2], d[n - 3]);
  }

  int32_t k = 0;
  for (int32_t i = 0; i <= 255 * perLevel; ++i) {
    const double x = static_cast<double>(i) / perLevel;
    // Segment k holds x_k <= x < x_k+1; the last one also holds its end knot.
    while (k < n - 2 && x >= knots.x[k + 1]) ++k;
    const double t = (x - static_cast<double>(knots.x[k])) / h[k];
    const double t2 = t * t;
    const double t3 = t2 * t;
    const double h00 = 2.0 * t3 - 3.0 * t2 + 1.0;
    const double h10 = t3 - 2.0 * t2 + t;
    const double h01 = -2.0 * t3 + 3.0 * t2;
    const double h11 = t3 - t2;
    put(i, ((h00 * knots.y[k] + (h10 * h[k]) * m[k]) + h01 * knots.y[k + 1]) +
               (h11 * h[k]) * m[k + 1]);
  }
}

}  // namespace

void CollectKnots(const ControlPoint* points, int32_t slotCount, Knots& knots) {
  // One place per x: a later slot overwrites an earlier one, which is a stable sort with the
  // later point winning.
  int32_t yAt[kLutSize];
  bool used[kLutSize] = {};
  for (int32_t i = 0; i < slotCount; ++i) {
    const ControlPoint& p = points[i];
    if (!IsValidPoint(p) || p.x < 0 || p.x > 255 || p.y < 0 || p.y > 255) continue;
    yAt[p.x] = p.y;
    used[p.x] = true;
  }
  if (!used[0]) yAt[0] = 0, used[0] = true;
  if (!used[255]) yAt[255] = 255, used[255] = true;
  knots.count = 0;
  for (int32_t x = 0; x < kLutSize; ++x) {
    if (!used[x]) continue;
    knots.x[knots.count] = x;
    knots.y[knots.count] = yAt[x];
    ++knots.count;
  }
}

void BuildLinearTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]) {
  Knots knots;
  CollectKnots(points, slotCount, knots);
  BuildLinearTable(knots, lut);
}

void BuildLinearTable(const Knots& knots, int32_t (&lut)[kLutSize]) {
  WalkLinear(knots, 1, [&](int32_t x, double y) { lut[x] = TableEntry(y); });
}

void SampleLinearCurve(const Knots& knots, int32_t samplesPerLevel, float* samples) {
  WalkLinear(knots, samplesPerLevel,
             [&](int32_t i, double y) { samples[i] = static_cast<float>(y); });
}

void BuildMonotoneTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]) {
  Knots knots;
  CollectKnots(points, slotCount, knots);
  BuildMonotoneTable(knots, lut);
}

void BuildMonotoneTable(const Knots& knots, int32_t (&lut)[kLutSize]) {
  WalkMonotone(knots, 1, [&](int32_t x, double y) { lut[x] = TableEntry(y); });
}

void SampleMonotoneCurve(const Knots& knots, int32_t samplesPerLevel, float* samples) {
  WalkMonotone(knots, samplesPerLevel,
               [&](int32_t i, double y) { samples[i] = static_cast<float>(y); });
}
