#include "engine/auto_levels.h"

#include "engine/curve_tables.h"

namespace {

struct Stretch {
  int32_t lo;
  int32_t hi;
};

// The stretch of a histogram; lo above hi only when it holds nothing. Counts are compared as
// 1000 * count > total, which is count > total / 1000 for whole counts without a division.
Stretch StretchOf(const uint64_t (&histogram)[kLutSize]) {
  uint64_t total = 0;
  for (const uint64_t n : histogram) total += n;
  Stretch s{kLutSize, -1};
  uint64_t below = 0, above = 0;
  for (int32_t level = 0; level < kLutSize && s.lo == kLutSize; ++level) {
    below += histogram[level];
    if (1000 * below > total) s.lo = level;
  }
  for (int32_t level = kLutSize - 1; level >= 0 && s.hi < 0; --level) {
    above += histogram[level];
    if (1000 * above > total) s.hi = level;
  }
  return s;
}

void SetStretch(CurveData& data, int curve, Stretch s) {
  ControlPoint* const points = CurvePoints(data, curve);
  EmptySlots(points, CurveSlotCount(curve));
  points[0] = ControlPoint{s.lo, 0};
  points[1] = ControlPoint{s.hi, 255};
  data.kind[curve] = kKindLinear;
  RebuildCurve(data, curve);
}

constexpr char kNoPixels[] = "The sampled frame has no pixels to take levels from.";

}  // namespace

bool AutoContrast(CurveData& data, const LevelCounts& counts, char (&reason)[kReasonLength]) {
  reason[0] = '\0';
  uint64_t histogram[kLutSize] = {};
  for (const auto& channel : counts.count) {
    for (int v = 0; v < kLutSize; ++v) histogram[v] += channel[v];
  }
  const Stretch s = StretchOf(histogram);
  if (s.lo >= s.hi) {
    if (s.hi < 0) {
      Reason(reason) << kNoPixels;
    } else {
      Reason(reason) << "Nearly every level in the frame is " << s.lo
                     << ", so there is no range to stretch.";
    }
    return false;
  }
  SetStretch(data, kCurveMaster, s);
  data.mode = kModeRgb;
  data.target = kTargetChannels;
  return true;
}

bool AutoColour(CurveData& data, const LevelCounts& counts, char (&reason)[kReasonLength]) {
  reason[0] = '\0';
  bool changed = false;
  bool pixels = false;
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    uint64_t histogram[kLutSize];
    for (int v = 0; v < kLutSize; ++v) histogram[v] = counts.count[PixelByteOfCurve(curve)][v];
    const Stretch s = StretchOf(histogram);
    pixels = s.hi >= 0;
    if (s.lo >= s.hi) continue;
    SetStretch(data, curve, s);
    changed = true;
  }
  if (!changed && !pixels) Reason(reason) << kNoPixels;
  if (!changed && pixels) {
    Reason(reason) << "Each channel has nearly every level at one value, so there is no range "
                      "to stretch.";
  }
  return changed;
}
