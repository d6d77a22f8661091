#include "engine/curve_tables.h"

#include <cstring>

#include "engine/knot_curves.h"
#include "engine/luma.h"
#include "engine/spline.h"

void BuildCurveTable(CurveKind kind, const ControlPoint* points, int32_t slotCount,
                     int32_t (&lut)[kLutSize]) {
  switch (kind) {
    case kKindMonotone: BuildMonotoneTable(points, slotCount, lut); break;
    case kKindLinear: BuildLinearTable(points, slotCount, lut); break;
    default: BuildSmoothTable(points, slotCount, lut);
  }
}

void RebuildCurve(CurveData& data, int curve) {
  int32_t table[kLutSize];
  BuildCurveTable(KindOf(data, curve), CurvePoints(data, curve), CurveSlotCount(curve), table);
  std::memcpy(CurveLut(data, curve), table, sizeof table);
}

void RebuildLut(CurveData& data) { RebuildCurve(data, kCurveMaster); }

void RebuildAllCurves(CurveData& data) {
  for (int curve = 0; curve < kCurveCount; ++curve) RebuildCurve(data, curve);
}

void ComposeChannelTables(const CurveData& data, uint8_t (&levels)[3][kLutSize]) {
  for (int byte = 0; byte < 3; ++byte) {
    const int curve = ChannelCurveOfByte(byte);
    const int32_t* own = CurveLut(data, curve);
    const bool master =
        TargetOf(data) == kTargetChannels && MasterMapsChannel(data.mode, curve);
    for (int v = 0; v < kLutSize; ++v) {
      const uint8_t level = static_cast<uint8_t>(own[v]);
      levels[byte][v] = master ? static_cast<uint8_t>(data.lut[level]) : level;
    }
  }
}

void ComposeGreyResults(const CurveData& data, uint8_t (&levels)[3][kLutSize]) {
  ComposeChannelTables(data, levels);
  const MasterTarget target = TargetOf(data);
  if (target == kTargetChannels) return;
  const LumaWeights& weights = LumaWeightsOf(target);
  for (int v = 0; v < kLutSize; ++v) {
    const uint32_t y =
        LumaOf(weights, levels[kPixelRed][v], levels[kPixelGreen][v], levels[kPixelBlue][v]);
    const int32_t change = static_cast<int32_t>(data.lut[y] & 0xFF) - static_cast<int32_t>(y);
    for (int byte = 0; byte < 3; ++byte) {
      levels[byte][v] = static_cast<uint8_t>(LevelAfterLuma(levels[byte][v], change));
    }
  }
}
