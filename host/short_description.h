// The text beside the filter's name in the host's filter list: "(MODE = RGB)" for settings of one
// smooth curve, as it has always been, and after the mode which channel curves are in use and
// which kinds other than smooth, e.g. "(MODE = RGB, +R+B, monotone)".
#pragma once

#include "engine/curve_data.h"

// The longest text, terminator included: "(MODE = Green, +R+G+B, monotone/linear)".
constexpr int kMaxShortDescription = 40;

// Writes the text and its terminator into out, which must hold kMaxShortDescription bytes.
void WriteShortDescription(const CurveData& data, char* out);
