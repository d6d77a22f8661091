// Load... takes any of the files tonarc reads and picks the reader by what the file holds, not by
// its name: GIMP's two curves formats by their first line, then a table file or a curves file.
// Bytes in: opening the file is the caller's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "engine/curve_import.h"
#include "engine/reason.h"

enum class CurvesFileType { kCurves, kTable, kGimpCurves };

// Enough of any file for every reader to judge it: a caller may read this many bytes and one
// more, so that a longer file is still refused as too long.
constexpr size_t kMaxReadCurvesFileBytes = size_t{1} << 20;

// GIMP's formats by their first line; otherwise a table file when the size is one a table file has
// and the bytes do not read as a curves file (whose first word, the version, a table of levels
// hardly ever matches); otherwise a curves file.
CurvesFileType TypeOfCurvesFile(const uint8_t* bytes, size_t size);

// Reads the file with the reader its type takes, with that reader's refusals (data and fit then
// unchanged). Every type sets the mode to RGB and the target to the channels. A curves file keeps
// its points as they are: fit is then 0 and -1.
bool ReadAnyCurvesFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                       char (&reason)[kReasonLength]);
