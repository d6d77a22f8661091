// Any bytes offered as a table file. Beyond what every reader holds to (import_checks.h), each
// curve read from a table stays within the reported difference of that table.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/table_file.h"
#include "fuzz/import_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  CurveData data = MarkedCurveData();
  const CurveData before = data;
  TableFit fit{-7, -7};
  char reason[kReasonLength];
  if (!ReadTableFile(bytes, size, data, fit, reason)) {
    RequireRefusal(before, data, fit, reason);
    return 0;
  }
  RequireImported(before, data, fit);
  const int tables = static_cast<int>(size / kTableBytes);
  for (int i = 0; i < tables; ++i) {
    const int curve = tables == 3 ? kCurveRed + i : i;
    for (int v = 0; v < kLutSize; ++v) {
      const int32_t off = std::abs(CurveLut(data, curve)[v] - bytes[i * kTableBytes + v]);
      Require(off <= fit.largestDifference);
    }
  }
  return 0;
}
