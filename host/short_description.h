// The text beside the filter's name in the host's filter list: "(MODE = RGB)" for settings of one
// smooth curve, as it has always been, and after the mode which channel curves are in use and
// which kinds other than smooth, e.g. "(MODE = RGB, +R+B, monotone)". A master curve on luma
// shows "Luma" (Rec. 709) or "Luma 601" in the mode's place: "(MODE = Luma 601, +R, monotone)".
#pragma once

#include "engine/curve_data.h"

// The longest text, terminator included: "(MODE = Luma 601, +R+G+B, monotone/linear)". The host
// does not say how long its buffer is; this stays well inside the 256 bytes filterhost gives and
// the 2,048 the editors give the newer callback that is told the length.
constexpr int kMaxShortDescription = 43;

// Writes the text and its terminator into out, which must hold kMaxShortDescription bytes.
void WriteShortDescription(const CurveData& data, char* out);
