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

struct Preset {
  MasterTarget target;
  PresetCurve curves[kCurveCount];  // master, red, green, blue
};

// By preset number, as kPresetNames.
const Preset kPresets[] = {
    // Lighter: mid-grey a quarter of the way up to white.
    {kTargetChannels, {ThroughMidGrey(160), kIdentity, kIdentity, kIdentity}},
    // Darker: mid-grey a quarter of the way down to black.
    {kTargetChannels, {ThroughMidGrey(96), kIdentity, kIdentity, kIdentity}},
    // More contrast: a gentle S about mid-grey.
    {kTargetChannels,
     {{kKindMonotone, 4, {{0, 0}, {64, 48}, {192, 208}, {255, 255}}}, kIdentity, kIdentity,
      kIdentity}},
    // Strong contrast: a steeper S that still keeps some detail at both ends.
    {kTargetChannels,
     {{kKindMonotone, 4, {{0, 0}, {64, 32}, {192, 224}, {255, 255}}}, kIdentity, kIdentity,
      kIdentity}},
    // Negative.
    {kTargetChannels, {{kKindLinear, 2, {{0, 255}, {255, 0}}}, kIdentity, kIdentity, kIdentity}},
    // Full range to video range (16-235).
    {kTargetChannels, {{kKindLinear, 2, {{0, 16}, {255, 235}}}, kIdentity, kIdentity, kIdentity}},
    // Video range to full range: the implied ends clip below 16 and above 235.
    {kTargetChannels, {{kKindLinear, 2, {{16, 0}, {235, 255}}}, kIdentity, kIdentity, kIdentity}},
    // Warm: red up and blue down in the mid-tones, with a touch of green so the cast is golden
    // rather than pink.
    {kTargetChannels, {kIdentity, ThroughMidGrey(148), ThroughMidGrey(132), ThroughMidGrey(104)}},
    // Cool: blue up and red down in the mid-tones.
    {kTargetChannels, {kIdentity, ThroughMidGrey(112), kIdentity, ThroughMidGrey(148)}},
    // Luma contrast: the gentle S on luma, so that colours keep their saturation and hue.
    {kTargetLuma709,
     {{kKindMonotone, 4, {{0, 0}, {64, 48}, {192, 208}, {255, 255}}}, kIdentity, kIdentity,
      kIdentity}},
    // Luma shadows lift: dark tones brighter without greying their colours; black and white stay.
    {kTargetLuma709,
     {{kKindMonotone, 3, {{0, 0}, {64, 88}, {255, 255}}}, kIdentity, kIdentity, kIdentity}},
};
static_assert(sizeof kPresets / sizeof kPresets[0] == kPresetCount,
              "one preset per preset name");

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
    "Luma contrast",
    "Luma shadows lift",
};

bool ApplyPreset(CurveData& data, int preset) {
  if (preset < 0 || preset >= kPresetCount) return false;
  for (int curve = 0; curve < kCurveCount; ++curve) {
    const PresetCurve& from = kPresets[preset].curves[curve];
    ControlPoint* const to = CurvePoints(data, curve);
    for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
      to[i] = i < from.count ? from.points[i] : ControlPoint{kEmpty, kEmpty};
    }
    data.kind[curve] = from.kind;
  }
  data.mode = kModeRgb;
  data.target = kPresets[preset].target;
  RebuildAllCurves(data);
  return true;
}
