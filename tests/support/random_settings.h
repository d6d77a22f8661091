// Random settings of all four curves: points anywhere in the curve square, every kind, every mode,
// with every table built. For tests that must hold for any settings a user can make.
#pragma once

#include <random>

#include "engine/curve_data.h"
#include "engine/curve_tables.h"

inline CurveData RandomSettings(std::mt19937& random) {
  CurveData data;
  InitCurveData(data);
  data.mode = static_cast<ChannelMode>(random() % kModeCount);
  for (int curve = 0; curve < kCurveCount; ++curve) {
    data.kind[curve] = static_cast<CurveKind>(random() % kKindCount);
    // A quarter of the curves stay straight; the others get up to 12 points.
    const int points = random() % 4 == 0 ? 0 : 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < points; ++i) {
      InsertCurvePoint(data, curve, static_cast<int32_t>(random() % 256),
                       static_cast<int32_t>(random() % 256));
    }
  }
  RebuildAllCurves(data);
  return data;
}
