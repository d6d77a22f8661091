// Any bytes offered as a GIMP curves file, in either format (import_checks.h).
#include <cstddef>
#include <cstdint>

#include "engine/gimp_curves.h"
#include "fuzz/import_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  CurveData data = MarkedCurveData();
  const CurveData before = data;
  TableFit fit{-7, -7};
  char reason[kReasonLength];
  if (!ReadGimpCurvesFile(bytes, size, data, fit, reason)) {
    RequireRefusal(before, data, fit, reason);
    return 0;
  }
  RequireImported(before, data, fit);
  return 0;
}
