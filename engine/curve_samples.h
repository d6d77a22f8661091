// Curves at real input levels, for frames of more than 8 bits a sample. Each curve is sampled
// from its own definition (never from its 8-bit table, whose steps would show as bands) at 257
// positions per level, x = i / 257, so that every level of 16-bit video (257 codes apart) falls
// on a sample; a value between two samples is read off the straight line between them, which
// for these curves is closer than a 16-bit code.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

constexpr int32_t kSamplesPerLevel = 257;
constexpr int32_t kCurveSampleCount = 255 * kSamplesPerLevel + 1;  // 65536

struct CurveSamples {
  float y[kCurveSampleCount];  // clamped to 0..255
};

// One curve of the settings (by CurveIndex), by its kind, clamped to 0..255.
void SampleCurve(const CurveData& data, int curve, CurveSamples& samples);

// Inline: the 16-bit tables' build reads a curve hundreds of thousands of times.

// The curve at a sample position, x * kSamplesPerLevel, clamped to 0..kCurveSampleCount - 1.
inline double CurveAtPosition(const CurveSamples& samples, double position) {
  constexpr double kLast = kCurveSampleCount - 1;
  position = position > 0.0 ? (position < kLast ? position : kLast) : 0.0;
  const int32_t i = static_cast<int32_t>(position);
  if (i >= kCurveSampleCount - 1) return samples.y[kCurveSampleCount - 1];
  const double between = position - i;
  return samples.y[i] + (samples.y[i + 1] - double{samples.y[i]}) * between;
}

// The curve at x, which is clamped to 0..255.
inline double CurveAt(const CurveSamples& samples, double x) {
  return CurveAtPosition(samples, x * kSamplesPerLevel);
}
