#include "engine/presets.h"

#include "engine/curve_tables.h"

namespace {

constexpr int kMaxPresetPoints = 4;

// No points is the identity. Monotone curves list their end points, as an imported curve does, so
// the editor offers them for dragging.
struct PresetCurve {
  CurveKind kind;
  int32_t count;
  ControlPoint points[kMaxPresetPoints];
};

constexpr PresetCurve kIdentity = {kKindSmooth, 0, {}};

// A monotone curve from black to white through (128, mid): never overshoots, ends stay put.
constexpr PresetCurve ThroughMidGrey(int32_t mid) {
  return {kKindMonotone, 3, {{0, 0}, {128, mid}, {255, 255}}};
}

// By preset number, as kPresetNames; each row master, red, green, blue.
const PresetCurve kPresetCurves[][kCurveCount] = {
    // Lighter: mid-grey a quarter of the way up to white.
    {ThroughMidGrey(160), kIdentity, kIdentity, kIdentity},
    // Darker: mid-grey a quarter of the way down to black.
    {ThroughMidGrey(96), kIdentity, kIdentity, kIdentity},
    // More contrast: a gentle S about mid-grey.
    {{kKindMonotone, 4, {{0, 0}, {64, 48}, {192, 208}, {255, 255}}}, kIdentity, kIdentity,
     kIdentity},
    // Strong contrast: a steeper S that still keeps some detail at both ends.
    {{kKindMonotone, 4, {{0, 0}, {64, 32}, {192, 224}, {255, 255}}}, kIdentity, kIdentity,
     kIdentity},
    // Negative.
    {{kKindLinear, 2, {{0, 255}, {255, 0}}}, kIdentity, kIdentity, kIdentity},
    // Full range to video range (16-235).
    {{kKindLinear, 2, {{0, 16}, {255, 235}}}, kIdentity, kIdentity, kIdentity},
    // Video range to full range: the implied ends clip below 16 and above 235.
    {{kKindLinear, 2, {{16, 0}, {235, 255}}}, kIdentity, kIdentity, kIdentity},
    // Warm: red up and blue down in the mid-tones, with a touch of green so the cast is golden
    // rather than pink.
    {kIdentity, ThroughMidGrey(148), ThroughMidGrey(132), ThroughMidGrey(104)},
    // Cool: blue up and red down in the mid-tones.
    {kIdentity, ThroughMidGrey(112), kIdentity, ThroughMidGrey(148)},
};
static_assert(sizeof kPresetCurves / sizeof kPresetCurves[0] == kPresetCount,
              "one set of curves per preset name");

}  // namespace

const char* const kPresetNames[kPresetCount] = {
    "Lighter",
    "Darker",
    "More contrast",
    "Strong contrast",
    "Negative",
    "Full range to video range (16-235)",
    "Video range to full range",
    "Warm",
    "Cool",
};

bool ApplyPreset(CurveData& data, int preset) {
  if (preset < 0 || preset >= kPresetCount) return false;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const PresetCurve& from = kPresetCurves[preset][curve];
    ControlPoint* const to = CurvePoints(data, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      to[i] = i < from.count ? from.points[i] : ControlPoint{kEmpty, kEmpty};
    }
    data.kind[curve] = from.kind;
  }
  data.mode = kModeRgb;
  RebuildAllCurves(data);
  return true;
}
