// A CurveData in its initial state, with every byte that the initial state leaves alone (the
// snapshots, the preview pointer, padding) filled with a marker, so a test sees stray reads.
#pragma once

#include <cstring>

#include "engine/curve_data.h"

inline CurveData Fresh() {
  CurveData data;
  std::memset(&data, 0x5A, sizeof data);
  InitCurveData(data);
  return data;
}
