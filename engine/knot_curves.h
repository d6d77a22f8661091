// The two curves that pass through their points as a function of x: straight segments (linear)
// and a piecewise cubic whose tangents keep every segment within its two knots (monotone,
// Fritsch-Carlson with the three-point end formula). Unlike the smooth spline they move their end
// points: a point at x = 0 or x = 255 replaces the fixed end there.
//
// Both are defined to the operation so that every target builds the same table: doubles, each
// expression evaluated in the order written, and every entry rounded as floor(y + 0.5) and
// clamped to 0..255.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

// (0, 0), the knots, (255, 255): at most one per x.
constexpr int32_t kMaxKnots = kLutSize;

struct Knots {
  int32_t x[kMaxKnots];  // strictly increasing, from 0 to 255
  int32_t y[kMaxKnots];
  int32_t count;         // 2 to 256
};

// The valid points among slotCount slots whose x and y lie in 0..255, sorted by x; among points
// of equal x the later slot wins. (0, 0) goes in front when no point has x = 0 and (255, 255)
// at the end when none has x = 255.
void CollectKnots(const ControlPoint* points, int32_t slotCount, Knots& knots);

// All 256 entries of lut, through straight segments between the knots.
void BuildLinearTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]);

// All 256 entries of lut, through the monotone cubic: between two knots the curve never leaves
// their range, so it never overshoots and rises wherever its knots rise.
void BuildMonotoneTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]);

// The same two tables from knots as CollectKnots leaves them: x strictly increasing from 0 to
// 255, y in 0..255.
void BuildLinearTable(const Knots& knots, int32_t (&lut)[kLutSize]);
void BuildMonotoneTable(const Knots& knots, int32_t (&lut)[kLutSize]);

// The same two curves at real input levels, for samples of more than 8 bits: y at
// x = i / samplesPerLevel for every i from 0 to 255 * samplesPerLevel, neither rounded nor
// clamped. With one sample per level these are the tables before rounding.
void SampleLinearCurve(const Knots& knots, int32_t samplesPerLevel, float* samples);
void SampleMonotoneCurve(const Knots& knots, int32_t samplesPerLevel, float* samples);
