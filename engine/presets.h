// Built-in presets: a fixed set of points and a kind for each of the four curves and what the
// master maps, applied in one step as a starting point for editing.
#pragma once

#include "engine/curve_data.h"

// Indexed by preset number: the preset menu lists these in this order.
constexpr int kPresetCount = 11;
extern const char* const kPresetNames[kPresetCount];

// Replaces all four curves (points and kinds) and the target by preset's, sets the mode to RGB and
// rebuilds every table. Returns false and changes nothing for a number that names no preset.
bool ApplyPreset(CurveData& data, int preset);
