// What every reader of another program's curves file must hold to, whatever the bytes: a refused
// file leaves the record and the fit as they were and gives a reason; an accepted one leaves every
// slot a point in the curve square or empty, every kind a kind, the mode RGB and the target the
// channels, every table the one its curve builds, and nothing else of the record touched.
#pragma once

#include <cstring>

#include "engine/curve_data.h"
#include "engine/curve_import.h"
#include "engine/curve_tables.h"
#include "engine/reason.h"
#include "fuzz/fuzz_checks.h"

inline CurveData MarkedCurveData() {
  CurveData data;
  std::memset(&data, 0xA5, sizeof data);
  InitCurveData(data);
  return data;
}

inline void RequireRefusal(const CurveData& before, const CurveData& after, const TableFit& fit,
                           const char (&reason)[kReasonLength]) {
  Require(std::memcmp(&after, &before, sizeof after) == 0);
  Require(fit.largestDifference == -7 && fit.curve == -7);  // as the caller set it
  Require(reason[0] != '\0' && std::memchr(reason, '\0', sizeof reason) != nullptr);
}

inline void RequireImported(const CurveData& before, const CurveData& after, const TableFit& fit) {
  Require(after.mode == kModeRgb && after.target == kTargetChannels);
  Require(fit.largestDifference >= 0 && fit.largestDifference <= 255);
  Require((fit.largestDifference == 0) == (fit.curve == kEmpty));
  Require(fit.curve >= kEmpty && fit.curve < kCurveCount);
  CurveData rebuilt = after;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    Require(after.kind[curve] < kKindCount);
    const ControlPoint* points = CurvePoints(after, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      const ControlPoint& p = points[i];
      Require((p.x == kEmpty && p.y == kEmpty) || (InSquare(p.x) && InSquare(p.y)));
    }
    RebuildCurve(rebuilt, curve);
  }
  Require(std::memcmp(&rebuilt, &after, sizeof after) == 0);
  Require(std::memcmp(after.lutSnapshot, before.lutSnapshot, sizeof after.lutSnapshot) == 0);
  Require(std::memcmp(after.pointsSnapshot, before.pointsSnapshot, sizeof after.pointsSnapshot) ==
          0);
  Require(std::memcmp(after.channelSnapshot, before.channelSnapshot,
                      sizeof after.channelSnapshot) == 0);
  Require(after.selected == before.selected && after.preview == before.preview);
}
