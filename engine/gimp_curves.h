// Curves files of the free photo editor GIMP, read into the four curves of a CurveData. Bytes in:
// opening the file is the caller's. Two formats, told apart by their first line:
//
//   "# GIMP Curves File": then the value, red, green, blue and alpha curves, each 17 pairs "x y"
//   of whole numbers 0..255, a pair with x -1 unused.
//
//   "# GIMP curves tool settings": lists in brackets. "(channel value|red|green|blue|alpha)" names
//   the channel of the "(curve ...)" after it, which holds "(curve-type smooth|freehand)",
//   "(n-points N)", "(points 2N x y ...)", "(n-samples M)" and "(samples M ...)", values 0..1;
//   other lists are passed over. A smooth curve is drawn through its points, a freehand one is
//   its samples.
//
// Value becomes the master curve; red, green and blue the channel curves; alpha is read and
// checked but not used. Points become monotone curves (levels x * 255, rounded, in the second
// format), samples become tables as in a table file (curve_import).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "engine/curve_import.h"
#include "engine/reason.h"

// Far more than either format needs (a settings file of five curves of 256 samples is under
// 40 KB); anything longer is refused before it is read.
constexpr size_t kMaxGimpCurvesFileBytes = size_t{1} << 20;

// Whether the bytes start with the first line of either format.
bool IsGimpCurvesFile(const uint8_t* bytes, size_t size);

// Reads either format into data: every curve's points and kind, mode RGB and target channels, and
// every table; a channel the file does not hold gets an empty curve. fit says how closely a
// freehand curve keeps its samples (ImportTable).
//
// Refuses a file that is short, longer than kMaxGimpCurvesFileBytes, malformed, holds a value out
// of range, a curve twice or no curve, or a smooth curve with more points than fit (and no samples
// to take instead): then it returns false with one sentence for a message box in reason, and data
// and fit are unchanged.
bool ReadGimpCurvesFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                        char (&reason)[kReasonLength]);
