// Knots of a monotone or linear curve chosen to follow a given table, for formats that store a
// curve as a few points but must give back a table we already have (a smooth curve saved to a
// curves file, a bare table read from one).
//
// The fit is greedy: it starts from the two ends, (0, table[0]) and (255, table[255]), and adds
// the entry where the curve through the knots so far is furthest from the table, until every
// entry is within the tolerance or the knots run out. The curve it measures is the table
// BuildMonotoneTable or BuildLinearTable builds from the knots, so what is measured is exactly
// what loading the knots gives.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "engine/knot_curves.h"

struct KnotFit {
  Knots knots;
  // The largest difference, in levels, between the target and the table the knots build.
  int32_t largestDifference;
};

// Knots for a curve of `kind` (linear, or monotone for any other value) through target's levels:
// at most maxKnots of them (2 to 256; a bound outside is taken to the nearer end) and no more
// than it takes to bring every entry within `tolerance` levels. Entries of target outside 0..255
// are taken at the nearer level for a knot, and their full difference is counted.
KnotFit KnotsFittedToTable(const int32_t (&target)[kLutSize], CurveKind kind, int32_t maxKnots,
                           int32_t tolerance);
