#include "engine/spline.h"

#include <cfloat>
#include <cmath>
#include <limits>

// Overflow to infinity and NaN propagation below rely on IEEE arithmetic.
static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "IEEE 754 float and double required");

namespace {

constexpr int kJacobiIterations = 10;  // fixed sweep count, no convergence test
constexpr double kStepLength = 0.5;    // curve units per step along a segment's larger component
// (0, 0), up to 256 points, (255, 255).
constexpr int32_t kMaxPolygon = kSlotCount + 2;
// Two points inside the curve square are at most 255 units apart along either axis. Only a
// damaged block holds coordinates outside it; bounding its segments keeps a rebuild short and the
// sample count far from overflow.
constexpr int32_t kMaxSegmentSteps = 2 * 255;

struct SplineSample {
  int32_t x;
  int32_t y;
};

// Where the walk's samples go. They are written into the table as they come, so the last sample
// for an entry wins without any sample list being kept.
struct LutFill {
  int32_t* lut;         // entries 0..254 are written
  int32_t sampleCount;  // samples that reached the table
};

// One segment of the walk, from a knot along a chord with a start and an end tangent.
struct HermiteSegment {
  float chordX;
  float chordY;
  float startTangentX;
  float startTangentY;
  float endTangentX;
  float endTangentY;
  int32_t steps;  // parameter steps: twice the larger chord component, at most kMaxSegmentSteps

  void Setup(float chordX, float chordY, float startTangentX, float startTangentY,
             float endTangentX, float endTangentY);
  // Produces steps + 1 samples (at least 2), from the start knot (x0, y0) to the segment's end.
  void Emit(float x0, float y0, LutFill& fill) const;
};

// The fitted spline through one control polygon, in fixed storage for the largest polygon.
// Segment k runs from entry k to entry k + 1.
struct ToneSpline {
  float knotX[kMaxPolygon];
  float knotY[kMaxPolygon];
  float chordX[kMaxPolygon];    // segments 0..count-2
  float chordY[kMaxPolygon];
  float tangentX[kMaxPolygon];  // right-hand side, then the start tangent of each segment and,
  float tangentY[kMaxPolygon];  // at count-1, the end tangent of the last one
  float endTangentX[kMaxPolygon];  // segments 0..count-2
  float endTangentY[kMaxPolygon];
  float ratio[kMaxPolygon];     // chord length of segment k over that of k + 1; 1 for the last
  float lower[kMaxPolygon];     // rows 1..count-1
  float diagonal[kMaxPolygon];  // rows 0..count-1
  float upper[kMaxPolygon];     // rows 0..count-2
  int32_t count;                // polygon entries, 2 to kMaxPolygon

  ToneSpline(const ControlPoint* polygon, int32_t count);
  // Sets up the tangent system and leaves the solved tangents in tangentX/Y and endTangentX/Y.
  void Fit();
  // Replaces values (count floats, a right-hand side) by the tenth Jacobi iterate.
  void SolveJacobi(float* values) const;
  // Walks every segment in order and hands its samples to fill.
  void SampleSegments(LutFill& fill) const;
};

// The round-to-nearest result of storing a double as a float, spelled out beyond the float range
// so that a diverging tangent system overflows to infinity by rule rather than by an out-of-range
// conversion. Within range it is the plain conversion.
float ToFloat(double v) {
  // Halfway between FLT_MAX and 2^128: from here on the nearest float is infinity.
  constexpr double kOverflow = 0x1.ffffffp127;
  if (v >= kOverflow) return std::numeric_limits<float>::infinity();
  if (v <= -kOverflow) return -std::numeric_limits<float>::infinity();
  if (v > FLT_MAX) return FLT_MAX;
  if (v < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(v);
}

// Truncation toward zero, saturating at the 32-bit range; the value must be finite.
int32_t TruncToInt32(double v) {
  if (v >= 2147483648.0) return INT32_MAX;
  if (v <= -2147483649.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Turns a sample's real coordinates into curve units, truncating toward zero and saturating at
// the 32-bit range. Returns false when either coordinate is not finite: such a sample has no
// place on the curve and is dropped.
bool ToSplineSample(double x, double y, SplineSample& sample) {
  if (!std::isfinite(x) || !std::isfinite(y)) return false;
  sample.x = TruncToInt32(x);
  sample.y = TruncToInt32(y);
  return true;
}

// Writes the sample's y, clamped to 0..255, into lut[x] when x is 0..254, and counts it.
void AddSample(LutFill& fill, const SplineSample& sample) {
  if (sample.x >= 0 && sample.x < kLutSize - 1) {
    fill.lut[sample.x] = sample.y > 255 ? 255 : sample.y < 0 ? 0 : sample.y;
  }
  ++fill.sampleCount;
}

// Builds the control polygon: (0, 0), the valid slots among the first slotCount (at most 256) in
// slot order, (255, 255). An entry equal to the one before it is left out, since a chord of
// length zero has no direction and would spread undefined values through the tangent system.
// Returns the entry count (2 to 258), or 0 when no slot is valid.
int32_t BuildControlPolygon(const ControlPoint* points, int32_t slotCount,
                            ControlPoint (&polygon)[kMaxPolygon]) {
  bool anyValid = false;
  int32_t count = 0;
  // Equality is judged on the knots as the spline stores them (floats): coordinates far outside
  // the curve square can differ as integers yet land on the same float.
  const auto append = [&](const ControlPoint& p) {
    if (count > 0 && static_cast<float>(p.x) == static_cast<float>(polygon[count - 1].x) &&
        static_cast<float>(p.y) == static_cast<float>(polygon[count - 1].y)) {
      return;
    }
    polygon[count++] = p;
  };
  append(ControlPoint{0, 0});
  if (slotCount > kSlotCount) slotCount = kSlotCount;
  for (int32_t i = 0; i < slotCount; ++i) {
    const ControlPoint& p = points[i];
    if (!IsValidPoint(p)) continue;
    anyValid = true;
    append(p);
  }
  append(ControlPoint{255, 255});
  return anyValid ? count : 0;
}

// A polygon needs two entries to have a segment; shorter ones leave nothing to fit or walk, and
// longer ones than the storage holds are cut to it.
ToneSpline::ToneSpline(const ControlPoint* polygon, int32_t count)
    : count(count < 0 ? 0 : count > kMaxPolygon ? kMaxPolygon : count) {
  for (int32_t k = 0; k < this->count; ++k) {
    knotX[k] = static_cast<float>(polygon[k].x);
    knotY[k] = static_cast<float>(polygon[k].y);
  }
}

void ToneSpline::Fit() {
  const int32_t n = count;
  if (n < 2) return;

  for (int32_t k = 0; k < n - 1; ++k) {
    chordX[k] = ToFloat(double{knotX[k + 1]} - knotX[k]);
    chordY[k] = ToFloat(double{knotY[k + 1]} - knotY[k]);
  }

  // Chord lengths, two at a time.
  const auto chordLength = [&](int32_t k) {
    return ToFloat(std::sqrt(double{chordX[k]} * chordX[k] + double{chordY[k]} * chordY[k]));
  };
  float length = chordLength(0);
  for (int32_t k = 0; k < n - 2; ++k) {
    const float next = chordLength(k + 1);
    ratio[k] = ToFloat(double{length} / next);
    length = next;
  }
  ratio[n - 2] = 1.0f;

  // Row 0 and row n-1 make the second derivative vanish at the ends; the rows between make it
  // continuous at each interior knot.
  diagonal[0] = 2.0f;
  upper[0] = ratio[0];
  tangentX[0] = ToFloat(3.0 * chordX[0]);
  tangentY[0] = ToFloat(3.0 * chordY[0]);
  for (int32_t k = 1; k < n - 1; ++k) {
    const double r = ratio[k - 1];
    lower[k] = 1.0f;
    diagonal[k] = ToFloat((2.0 * r) * (1.0 + r));
    upper[k] = ToFloat((r * r) * ratio[k]);
    tangentX[k] = ToFloat(((r * r) * chordX[k] + chordX[k - 1]) * 3.0);
    tangentY[k] = ToFloat(((r * r) * chordY[k] + chordY[k - 1]) * 3.0);
  }
  lower[n - 1] = 1.0f;
  diagonal[n - 1] = ToFloat(2.0 * ratio[n - 2]);
  tangentX[n - 1] = ToFloat(3.0 * chordX[n - 2]);
  tangentY[n - 1] = ToFloat(3.0 * chordY[n - 2]);

  SolveJacobi(tangentX);
  SolveJacobi(tangentY);

  for (int32_t k = 0; k < n - 1; ++k) {
    endTangentX[k] = ToFloat(double{ratio[k]} * tangentX[k + 1]);
    endTangentY[k] = ToFloat(double{ratio[k]} * tangentY[k + 1]);
  }
}

void ToneSpline::SolveJacobi(float* values) const {
  const int32_t n = count;
  if (n < 2) return;
  const float* b = values;
  float next[kMaxPolygon];
  float prev[kMaxPolygon];

  for (int32_t k = 0; k < n; ++k) next[k] = prev[k] = ToFloat(double{b[k]} / diagonal[k]);

  // Every new value reads only the previous sweep (Jacobi, not Gauss-Seidel), and the sweep
  // count is fixed: the table depends on the tenth iterate, not on the exact solution.
  for (int iteration = 0; iteration < kJacobiIterations; ++iteration) {
    next[0] = ToFloat((double{b[0]} - double{upper[0]} * prev[1]) / diagonal[0]);
    for (int32_t k = 1; k < n - 1; ++k) {
      next[k] = ToFloat(((double{b[k]} - double{lower[k]} * prev[k - 1]) -
                         double{upper[k]} * prev[k + 1]) /
                        diagonal[k]);
    }
    next[n - 1] =
        ToFloat((double{b[n - 1]} - double{lower[n - 1]} * prev[n - 2]) / diagonal[n - 1]);
    for (int32_t k = 0; k < n; ++k) prev[k] = next[k];
  }

  for (int32_t k = 0; k < n; ++k) values[k] = next[k];
}

void ToneSpline::SampleSegments(LutFill& fill) const {
  HermiteSegment segment;
  for (int32_t k = 0; k < count - 1; ++k) {
    segment.Setup(chordX[k], chordY[k], tangentX[k], tangentY[k], endTangentX[k], endTangentY[k]);
    segment.Emit(knotX[k], knotY[k], fill);
  }
}

void HermiteSegment::Setup(float chordX_, float chordY_, float startTangentX_,
                           float startTangentY_, float endTangentX_, float endTangentY_) {
  chordX = chordX_;
  chordY = chordY_;
  startTangentX = startTangentX_;
  startTangentY = startTangentY_;
  endTangentX = endTangentX_;
  endTangentY = endTangentY_;
  // Chords are finite (differences of knots), so the truncated magnitudes are exact integers.
  const double a = std::fabs(std::trunc(double{chordX}));
  const double b = std::fabs(std::trunc(double{chordY}));
  const double larger = a > b ? a : b;
  const double wanted = std::trunc(larger / kStepLength);
  steps = wanted < kMaxSegmentSteps ? static_cast<int32_t>(wanted) : kMaxSegmentSteps;
}

void HermiteSegment::Emit(float x0, float y0, LutFill& fill) const {
  const int32_t n = steps == 0 ? 1 : steps;
  SplineSample sample;
  if (ToSplineSample(x0, y0, sample)) AddSample(fill, sample);

  const double stepSize = 1.0 / n;
  for (int32_t i = 1; i <= n; ++i) {
    // The basis functions relative to the start knot: h01 = t^2 (3 - 2t), h10 = t (t - 1)^2,
    // h11 = t^2 (t - 1). t lies in 0..1, so every stored value is well inside the float range.
    // h01 deliberately multiplies by the unrounded u once.
    const double u = stepSize * i;
    const float t = static_cast<float>(u);
    const double td = t;
    const float h01 = static_cast<float>((u * td) * (3.0 - 2.0 * td));
    const float h10 = static_cast<float>(((td - 1.0) * td) * (td - 1.0));
    const float h11 = static_cast<float>((td * td) * (td - 1.0));
    const double x =
        ((double{h01} * chordX + x0) + double{h10} * startTangentX) + double{h11} * endTangentX;
    const double y =
        ((double{h01} * chordY + y0) + double{h10} * startTangentY) + double{h11} * endTangentY;
    if (ToSplineSample(x, y, sample)) AddSample(fill, sample);
  }
}

// One segment of the path as cubics in its parameter t in 0..1: X(t) = ((ax t + bx) t + cx) t + dx,
// and the same for Y, from the Hermite form the walk uses.
struct SegmentCubic {
  double a, b, c, d;

  SegmentCubic(double start, double chord, double startTangent, double endTangent)
      : a(-2.0 * chord + startTangent + endTangent),
        b(3.0 * chord - 2.0 * startTangent - endTangent),
        c(startTangent),
        d(start) {}
  double At(double t) const { return ((a * t + b) * t + c) * t + d; }
  // The largest |d2X/dt2| on 0..1, which is linear in t: at an end.
  double Bend() const { return std::fmax(std::fabs(2.0 * b), std::fabs(6.0 * a + 2.0 * b)); }
};

// The path is followed by straight steps that stay within this many levels of it: a chord over a
// parameter step dt departs from the path by at most dt^2 / 8 times its second derivative.
constexpr double kChordError = 2e-5;
// A bound on the steps of one segment: a damaged block's spline may run far outside the square.
constexpr int32_t kMaxSampleSteps = 1 << 16;

// Writes, at every sample position between the path's points a and b, the y of the straight line
// from a to b there, in the order the path passes them.
void SampleStep(double xa, double ya, double xb, double yb, int32_t perLevel, float* samples) {
  const double last = 255.0 * perLevel;
  double from = std::ceil(std::fmin(xa, xb) * perLevel),
         to = std::floor(std::fmax(xa, xb) * perLevel);
  if (from < 0.0) from = 0.0;
  if (to > last) to = last;
  if (from > to) return;
  const int32_t first = static_cast<int32_t>(from), end = static_cast<int32_t>(to);
  for (int32_t n = 0; n <= end - first; ++n) {
    const int32_t i = xa <= xb ? first + n : end - n;
    const double x = static_cast<double>(i) / perLevel;
    samples[i] = static_cast<float>(xa == xb ? yb : ya + (yb - ya) * ((x - xa) / (xb - xa)));
  }
}

}  // namespace

void SampleSmoothCurve(const ControlPoint* points, int32_t slotCount, int32_t samplesPerLevel,
                       float* samples) {
  const int32_t count = 255 * samplesPerLevel + 1;
  for (int32_t i = 0; i < count; ++i) samples[i] = static_cast<float>(i) / samplesPerLevel;
  ControlPoint polygon[kMaxPolygon];
  const int32_t knots = BuildControlPolygon(points, slotCount, polygon);
  if (knots == 0) return;
  ToneSpline spline(polygon, knots);
  spline.Fit();
  for (int32_t k = 0; k < spline.count - 1; ++k) {
    const SegmentCubic x(spline.knotX[k], spline.chordX[k], spline.tangentX[k],
                         spline.endTangentX[k]);
    const SegmentCubic y(spline.knotY[k], spline.chordY[k], spline.tangentY[k],
                         spline.endTangentY[k]);
    // A damaged block's spline may diverge; the walk drops such samples, and so does this.
    if (!std::isfinite(x.a + x.b + x.c + x.d + y.a + y.b + y.c + y.d)) continue;
    // Steps short enough that the straight line between two is within kChordError of the path;
    // they follow t, so that where the path loops back over x the last pass wins.
    const double wanted = std::ceil(std::sqrt((x.Bend() + y.Bend()) / (8.0 * kChordError)));
    const int32_t steps = !(wanted >= 1.0)              ? 1
                          : wanted > kMaxSampleSteps ? kMaxSampleSteps
                                                     : static_cast<int32_t>(wanted);
    double xa = spline.knotX[k], ya = spline.knotY[k];
    for (int32_t step = 1; step <= steps; ++step) {
      const double t = static_cast<double>(step) / steps;
      // The segment's end is its next knot exactly, so that neighbouring segments meet.
      const double xb = step == steps ? double{spline.knotX[k + 1]} : x.At(t);
      const double yb = step == steps ? double{spline.knotY[k + 1]} : y.At(t);
      SampleStep(xa, ya, xb, yb, samplesPerLevel, samples);
      xa = xb;
      ya = yb;
    }
  }
}

int32_t BuildSmoothTable(const ControlPoint* points, int32_t slotCount,
                         int32_t (&lut)[kLutSize]) {
  // Entries no sample hits read as the identity, whatever the table held before: the table
  // depends on the points alone, so an edited curve and the same points reloaded from a script
  // agree. Entry 255 is the fixed end; it is written too, so that a curve switched to this kind
  // from another one gets it back.
  for (int i = 0; i < kLutSize; ++i) lut[i] = i;
  ControlPoint polygon[kMaxPolygon];
  const int32_t count = BuildControlPolygon(points, slotCount, polygon);
  if (count == 0) return 0;

  ToneSpline spline(polygon, count);
  spline.Fit();
  LutFill fill{lut, 0};
  spline.SampleSegments(fill);
  return fill.sampleCount;
}
