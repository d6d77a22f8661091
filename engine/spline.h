// Fits a smooth curve through (0, 0), the valid control points in slot order and (255, 255), and
// samples it into the 256-entry lookup table.
//
// The curve is a parametric cubic path (x(t), y(t)) with chord-length parameterisation and free
// ends; its tangents come from ten Jacobi sweeps over the tridiagonal system. The path is walked
// in half-unit steps along each segment's larger chord component, and every sample whose x is a
// table index 0..254 writes its clamped y there, the last sample winning.
//
// The arithmetic is fixed so that every target builds the same table, bit for bit, that stored
// scripts have always produced: reals are stored as 32-bit floats, every expression is evaluated
// in double precision in the order written here and rounded to float only when stored, and reals
// become integers by truncation toward zero.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

// Writes all 256 entries of lut from the valid points among slotCount slots: the identity when
// there is none, otherwise the walk's samples over the identity, and 255 at entry 255 (the fixed
// end). Returns the number of samples the walk produced (0 when no spline is built).
int32_t BuildSmoothTable(const ControlPoint* points, int32_t slotCount, int32_t (&lut)[kLutSize]);

// The master curve's smooth table into data.lut, returning the sample count. The table is built
// aside and copied in whole, so the live table is never seen half-built.
int32_t RebuildLutCountingSamples(CurveData& data);

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

// Turns a sample's real coordinates into curve units, truncating toward zero and saturating at
// the 32-bit range. Returns false when either coordinate is not finite: such a sample has no
// place on the curve and is dropped.
bool ToSplineSample(double x, double y, SplineSample& sample);

// Writes the sample's y, clamped to 0..255, into lut[x] when x is 0..254, and counts it.
void AddSample(LutFill& fill, const SplineSample& sample);

// Builds the control polygon: (0, 0), the valid slots among the first slotCount (at most 256) in
// slot order, (255, 255). An entry equal to the one before it is left out, since a chord of
// length zero has no direction and would spread undefined values through the tangent system.
// Returns the entry count (2 to 258), or 0 when no slot is valid.
int32_t BuildControlPolygon(const ControlPoint* points, int32_t slotCount,
                            ControlPoint (&polygon)[kMaxPolygon]);

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
