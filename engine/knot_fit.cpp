#include "engine/knot_fit.h"

namespace {

int32_t Level(int32_t value) { return value < 0 ? 0 : value > 255 ? 255 : value; }

// The difference as a 64-bit value: a target entry may be any 32-bit value.
int64_t Distance(int32_t a, int32_t b) {
  const int64_t d = static_cast<int64_t>(a) - b;
  return d < 0 ? -d : d;
}

// Puts (x, y) among the knots in x order; x is not a knot yet.
void InsertKnot(Knots& knots, int32_t x, int32_t y) {
  int32_t k = knots.count;
  while (k > 0 && knots.x[k - 1] > x) {
    knots.x[k] = knots.x[k - 1];
    knots.y[k] = knots.y[k - 1];
    --k;
  }
  knots.x[k] = x;
  knots.y[k] = y;
  ++knots.count;
}

}  // namespace

KnotFit KnotsFittedToTable(const int32_t (&target)[kLutSize], CurveKind kind, int32_t maxKnots,
                           int32_t tolerance) {
  if (maxKnots < 2) maxKnots = 2;
  if (maxKnots > kMaxKnots) maxKnots = kMaxKnots;
  if (tolerance < 0) tolerance = 0;
  KnotFit fit;
  fit.knots.count = 0;
  bool isKnot[kLutSize] = {};
  InsertKnot(fit.knots, 0, Level(target[0]));
  InsertKnot(fit.knots, kLutSize - 1, Level(target[kLutSize - 1]));
  isKnot[0] = isKnot[kLutSize - 1] = true;
  for (;;) {
    int32_t table[kLutSize];
    if (kind == kKindLinear) {
      BuildLinearTable(fit.knots, table);
    } else {
      BuildMonotoneTable(fit.knots, table);
    }
    // The curve meets its knots' levels, so only a target beyond the levels differs on a knot,
    // and no knot can bring that closer: the next knot is the first other entry of the largest
    // difference.
    int64_t largest = 0, largestElsewhere = 0;
    int32_t worst = 0;
    for (int32_t x = 0; x < kLutSize; ++x) {
      const int64_t d = Distance(table[x], target[x]);
      if (d > largest) largest = d;
      if (!isKnot[x] && d > largestElsewhere) largestElsewhere = d, worst = x;
    }
    fit.largestDifference = largest > INT32_MAX ? INT32_MAX : static_cast<int32_t>(largest);
    if (largestElsewhere <= tolerance || fit.knots.count >= maxKnots) return fit;
    InsertKnot(fit.knots, worst, Level(target[worst]));
    isKnot[worst] = true;
  }
}
