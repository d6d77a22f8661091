// Curves made from a sampled frame's levels, counted before any curve (level_counts): Auto
// contrast stretches the levels of all three channels together over the whole range with the
// master curve; Auto colour stretches each channel on its own with its channel curve, which also
// takes out a colour cast.
//
// A stretch runs from lo, the least level L with count(<= L) > total / 1000, to hi, the greatest
// level H with count(>= H) > total / 1000: a thousandth of the values may clip at each end, so a
// few stray pixels do not hold it back. It becomes a linear curve through (lo, 0) and (hi, 255).
#pragma once

#include "engine/curve_data.h"
#include "engine/level_counts.h"
#include "engine/reason.h"

// The master curve becomes the stretch of the red, green and blue levels counted together, the
// mode RGB and the target the channels; the channel curves stay. Returns true with every table
// rebuilt, or, when the levels leave no range to stretch (lo is not below hi, or there are no
// pixels), false with one sentence for the user in reason and data unchanged.
bool AutoContrast(CurveData& data, const LevelCounts& counts, char (&reason)[kReasonLength]);

// Each channel curve becomes the stretch of its own channel's levels; the master curve, the mode
// and the target stay. A channel that leaves no range to stretch keeps its curve. Returns true
// when any curve changed, with every table rebuilt; when none can, false with one sentence in
// reason and data unchanged.
bool AutoColour(CurveData& data, const LevelCounts& counts, char (&reason)[kReasonLength]);
