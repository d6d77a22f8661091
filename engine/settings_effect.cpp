#include "engine/settings_effect.h"

namespace {

// Only the low 8 bits of a table entry reach a pixel.
bool IsIdentity(const int32_t* lut) {
  for (int i = 0; i < kLutSize; ++i)
    if (static_cast<uint8_t>(lut[i]) != i) return false;
  return true;
}

bool ChannelCurvesAreIdentity(const CurveData& data) {
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve)
    if (!IsIdentity(CurveLut(data, curve))) return false;
  return true;
}

// Each channel through its own curve, then the master where the mode maps that channel: a
// master that undoes a channel curve leaves that channel as it was.
bool ComposedChannelsAreIdentity(const CurveData& data) {
  for (int curve = kCurveRed; curve <= kCurveBlue; ++curve) {
    const int32_t* own = CurveLut(data, curve);
    const bool master = MasterMapsChannel(data.mode, curve);
    for (int v = 0; v < kLutSize; ++v) {
      const uint8_t level = static_cast<uint8_t>(own[v]);
      if ((master ? static_cast<uint8_t>(data.lut[level]) : level) != v) return false;
    }
  }
  return true;
}

}  // namespace

SettingsEffect EffectOf(const CurveData& data) {
  if (TargetOf(data) == kTargetChannels) {
    return ComposedChannelsAreIdentity(data) ? SettingsEffect::kNone : SettingsEffect::kChannels;
  }
  // On luma the master adds the same amount to every channel after the channel curves; with an
  // identity master that amount is 0.
  if (!ChannelCurvesAreIdentity(data)) return SettingsEffect::kChannels;
  return IsIdentity(data.lut) ? SettingsEffect::kNone : SettingsEffect::kLumaOnly;
}
