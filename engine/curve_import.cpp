#include "engine/curve_import.h"

#include "engine/curve_tables.h"
#include "engine/knot_fit.h"

namespace {

void SetEmpty(ImportedCurves& curves, int curve) {
  EmptySlots(curves.Points(curve), CurveSlotCount(curve));
  curves.kind[curve] = kKindSmooth;
}

// Whether points at these x (increasing) with these y are just the two fixed ends.
bool AreIdentityEnds(const int32_t* x, const int32_t* y, int32_t count) {
  return count == 2 && x[0] == 0 && y[0] == 0 && x[1] == 255 && y[1] == 255;
}

void SetPoints(ImportedCurves& curves, int curve, CurveKind kind, const int32_t* x,
               const int32_t* y, int32_t count) {
  SetEmpty(curves, curve);
  if (count == 0 || AreIdentityEnds(x, y, count)) return;
  ControlPoint* const slots = curves.Points(curve);
  for (int32_t i = 0; i < count; ++i) slots[i] = ControlPoint{x[i], y[i]};
  curves.kind[curve] = kind;
}

}  // namespace

void StartImport(ImportedCurves& curves) {
  for (int curve = 0; curve < kCurveCount; ++curve) SetEmpty(curves, curve);
}

void ImportTable(ImportedCurves& curves, int curve, const int32_t (&table)[kLutSize],
                 TableFit& fit) {
  int32_t x[kLutSize], y[kLutSize];
  int32_t count = 0;
  for (int32_t i = 0; i < kLutSize; ++i) {
    const bool end = i == 0 || i == kLutSize - 1;
    if (end || table[i] - table[i - 1] != table[i + 1] - table[i]) {
      x[count] = i;
      y[count] = table[i];
      ++count;
    }
  }
  if (count <= CurveSlotCount(curve)) {
    SetPoints(curves, curve, kKindLinear, x, y, count);
    return;
  }
  const KnotFit fitted = KnotsFittedToTable(table, kKindLinear, CurveSlotCount(curve), 0);
  SetPoints(curves, curve, kKindLinear, fitted.knots.x, fitted.knots.y, fitted.knots.count);
  if (fitted.largestDifference > fit.largestDifference) {
    fit = TableFit{fitted.largestDifference, curve};
  }
}

bool ImportPoints(ImportedCurves& curves, int curve, const ControlPoint* points, int32_t count) {
  int32_t yAt[kLutSize];
  bool used[kLutSize] = {};
  int32_t first = kLutSize, last = -1;
  for (int32_t i = 0; i < count; ++i) {
    const ControlPoint& p = points[i];
    yAt[p.x] = p.y;
    used[p.x] = true;
    if (p.x < first) first = p.x;
    if (p.x > last) last = p.x;
  }
  if (last < 0) {
    SetEmpty(curves, curve);
    return true;
  }
  // Level before the first point and after the last.
  if (!used[0]) yAt[0] = yAt[first], used[0] = true;
  if (!used[255]) yAt[255] = yAt[last], used[255] = true;
  int32_t x[kLutSize], y[kLutSize];
  int32_t distinct = 0;
  for (int32_t i = 0; i < kLutSize; ++i) {
    if (!used[i]) continue;
    x[distinct] = i;
    y[distinct] = yAt[i];
    ++distinct;
  }
  if (distinct > CurveSlotCount(curve)) return false;
  SetPoints(curves, curve, kKindMonotone, x, y, distinct);
  return true;
}

void FinishImport(const ImportedCurves& curves, CurveData& data) {
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const ControlPoint* const from = curves.Points(curve);
    ControlPoint* const to = CurvePoints(data, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) to[i] = from[i];
    data.kind[curve] = curves.kind[curve];
  }
  data.mode = kModeRgb;
  data.target = kTargetChannels;
  RebuildAllCurves(data);
}
