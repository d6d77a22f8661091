// Curves made from what another program's file holds, bare tables or points, gathered apart from
// the settings record until the whole file has been read, so a refused file changes nothing.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

struct ImportedCurves {
  ControlPoint master[kSlotCount];
  ControlPoint channel[kChannelCurveCount][kChannelSlots];
  CurveKind kind[kCurveCount];

  ControlPoint* Points(int curve) { return curve == kCurveMaster ? master : channel[curve - 1]; }
  const ControlPoint* Points(int curve) const {
    return curve == kCurveMaster ? master : channel[curve - 1];
  }
};

// How closely the curves keep the tables a file held: the largest difference in levels between a
// table and the curve made from it, and that curve (CurveIndex); 0 and -1 when every table is
// kept exactly.
struct TableFit {
  int32_t largestDifference;
  int32_t curve;
};

// Every curve empty and smooth, as in an untouched instance.
void StartImport(ImportedCurves& curves);

// A curve through a table of 256 levels (0..255): linear, through the table's ends and every
// entry where its slope changes, which gives the table back exactly. Where that takes more points
// than the curve has slots, the closest fit in its slots (the ends, then the entry of largest
// difference, and so on); the fit records the difference when it is the largest so far. An
// identity table gives an empty smooth curve.
void ImportTable(ImportedCurves& curves, int curve, const int32_t (&table)[kLutSize],
                 TableFit& fit);

// A monotone curve through count points in the curve square, in any order (a later point wins at
// an x held twice). Before the first point and after the last the curve stays level, so ends
// (0, y) and (255, y) are added where no point holds them. Just (0, 0) and (255, 255), or no
// point at all, give an empty smooth curve. Returns false, and leaves the curve alone, when the
// points with those ends do not fit in its slots.
bool ImportPoints(ImportedCurves& curves, int curve, const ControlPoint* points, int32_t count);

// Moves the curves into data: every curve's points and kind, mode RGB and target channels (a file
// of another program maps the channels), every table rebuilt. Nothing else changes.
void FinishImport(const ImportedCurves& curves, CurveData& data);
