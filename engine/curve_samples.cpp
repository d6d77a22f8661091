#include "engine/curve_samples.h"

#include <cmath>

#include "engine/knot_curves.h"
#include "engine/spline.h"

void SampleCurve(const CurveData& data, int curve, CurveSamples& samples) {
  const ControlPoint* points = CurvePoints(data, curve);
  const int32_t slots = CurveSlotCount(curve);
  const CurveKind kind = KindOf(data, curve);
  if (kind == kKindSmooth) {
    SampleSmoothCurve(points, slots, kSamplesPerLevel, samples.y);
  } else {
    Knots knots;
    CollectKnots(points, slots, knots);
    if (kind == kKindLinear) SampleLinearCurve(knots, kSamplesPerLevel, samples.y);
    else SampleMonotoneCurve(knots, kSamplesPerLevel, samples.y);
  }
  // A sample that is not a number (only a damaged block could give one) reads as 0.
  for (float& y : samples.y) y = y > 255.0f ? 255.0f : y >= 0.0f ? y : 0.0f;
}

double CurveAt(const CurveSamples& samples, double x) {
  return CurveAtPosition(samples, x * kSamplesPerLevel);
}

double CurveAtPosition(const CurveSamples& samples, double position) {
  constexpr double kLast = kCurveSampleCount - 1;
  position = position > 0.0 ? (position < kLast ? position : kLast) : 0.0;
  const int32_t i = static_cast<int32_t>(position);
  if (i >= kCurveSampleCount - 1) return samples.y[kCurveSampleCount - 1];
  const double between = position - i;
  return samples.y[i] + (samples.y[i + 1] - double{samples.y[i]}) * between;
}
