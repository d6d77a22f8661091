#include "engine/curve_samples.h"


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
