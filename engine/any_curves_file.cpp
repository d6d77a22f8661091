#include "engine/any_curves_file.h"

#include "engine/curve_file.h"
#include "engine/gimp_curves.h"
#include "engine/table_file.h"

static_assert(kMaxReadCurvesFileBytes >= kMaxGimpCurvesFileBytes &&
                  kMaxReadCurvesFileBytes >= kMaxTableFileBytes &&
                  kMaxReadCurvesFileBytes >= static_cast<size_t>(kMaxCurveFileBytes),
              "every reader sees enough of a file");

namespace {

bool ReadsAsCurvesFile(const uint8_t* bytes, size_t size) {
  CurveData scratch;
  InitCurveData(scratch);
  char reason[kCurveFileReasonLength];
  return ReadCurveFile(bytes, size, scratch, reason);
}

}  // namespace

CurvesFileType TypeOfCurvesFile(const uint8_t* bytes, size_t size) {
  if (IsGimpCurvesFile(bytes, size)) return CurvesFileType::kGimpCurves;
  const bool tableSize =
      size == kTableBytes || size == kTableFileBytes || size == kMaxTableFileBytes;
  if (tableSize && !ReadsAsCurvesFile(bytes, size)) return CurvesFileType::kTable;
  return CurvesFileType::kCurves;
}

bool ReadAnyCurvesFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                       char (&reason)[kReasonLength]) {
  switch (TypeOfCurvesFile(bytes, size)) {
    case CurvesFileType::kGimpCurves: return ReadGimpCurvesFile(bytes, size, data, fit, reason);
    case CurvesFileType::kTable: return ReadTableFile(bytes, size, data, fit, reason);
    case CurvesFileType::kCurves: break;
  }
  if (!ReadCurveFile(bytes, size, data, reason)) return false;
  // A curves file's program maps the channels; so does what it gave.
  data.target = kTargetChannels;
  reason[0] = '\0';
  fit = TableFit{0, kEmpty};
  return true;
}
