// A curve's valid points as one flat list, x then y, in slot order: easy to compare with the
// points a test expects.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/curve_data.h"

inline std::vector<int32_t> PointsOf(const CurveData& data, int curve) {
  std::vector<int32_t> xy;
  for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
    const ControlPoint p = CurvePoints(data, curve)[i];
    if (IsValidPoint(p)) xy.insert(xy.end(), {p.x, p.y});
  }
  return xy;
}
