// Fits a smooth curve through (0, 0), the valid control points in slot order and (255, 255), and
// samples it into the 256-entry lookup table.
#pragma once

#include "engine/curve_data.h"

// Rewrites data.lut from data.points; touches no other field.
void RebuildLut(CurveData& data);
