#include "engine/deep_tables.h"


namespace {

uint16_t Clamped(int32_t code, uint32_t mask) {
  return static_cast<uint16_t>(code < 0 ? 0 : static_cast<uint32_t>(code) > mask ? mask : code);
}

// Every code of a table from levelOf, a real level of a sample position (x * kSamplesPerLevel).
template <typename LevelOf>
void FillTable(const SampleScale& s, LevelOf levelOf, uint16_t (&table)[kCodeCount]) {
  const double span = static_cast<double>(s.white) - s.black;
  const double positionPerCode = (kCurveSampleCount - 1) / span;
  const double codesPerLevel = span / 255.0;
  // Signed codes and results, all well below 2^31: converting unsigned values to and from double
  // takes a long detour in the 32-bit build.
  const int32_t black = static_cast<int32_t>(s.black), white = static_cast<int32_t>(s.white);
  for (int32_t v = black; v <= white; ++v) {
    const double y = levelOf((v - black) * positionPerCode);
    // Rounded half up; the level is never negative, so truncation is the floor (and needs no call
    // into the maths library in the 32-bit build).
    table[v] = static_cast<uint16_t>(black + static_cast<int32_t>(y * codesPerLevel + 0.5));
  }
  const int32_t belowShift = static_cast<int32_t>(table[s.black]) - static_cast<int32_t>(s.black);
  const int32_t aboveShift = static_cast<int32_t>(table[s.white]) - static_cast<int32_t>(s.white);
  for (uint32_t v = 0; v < s.black; ++v)
    table[v] = Clamped(static_cast<int32_t>(v) + belowShift, s.mask);
  for (uint32_t v = s.white + 1; v < kCodeCount; ++v)
    table[v] = Clamped(static_cast<int32_t>(v) + aboveShift, s.mask);
}

}  // namespace

bool ScaleOf(uint32_t ref, bool limitedRange, SampleScale& scale) {
  if (ref == 0 || ref > 0xFFFF) ref = 0xFFFF;
  // The bit length of ref + (ref & -ref) - 1, which is that of ref itself: adding less than ref's
  // lowest set bit never carries into a new top bit.
  int bits = 0;
  while ((ref >> bits) != 0) ++bits;
  if (bits < 8) return false;
  scale.mask = (1u << bits) - 1;
  scale.black = limitedRange ? 16u << (bits - 8) : 0;
  scale.white = limitedRange ? 235u << (bits - 8) : ref;
  return true;
}

void BuildRgbTables(const CurveData& data, const SampleScale& scale, DeepTables& tables) {
  const bool onLuma = TargetOf(data) != kTargetChannels;
  SampleCurve(data, kCurveMaster, tables.masterSamples);
  if (onLuma) {
    FillTable(scale, [&](double p) { return CurveAtPosition(tables.masterSamples, p); },
              tables.master);
  }
  for (int word = 0; word < 3; ++word) {
    const int curve = kCurveBlue - word;
    SampleCurve(data, curve, tables.ownSamples);
    const bool master = !onLuma && MasterMapsChannel(data.mode, curve);
    FillTable(
        scale,
        [&](double p) {
          const double own = CurveAtPosition(tables.ownSamples, p);
          return master ? CurveAt(tables.masterSamples, own) : own;
        },
        tables.channel[word]);
  }
}

void BuildLumaTable(const CurveData& data, const SampleScale& scale, DeepTables& tables) {
  SampleCurve(data, kCurveMaster, tables.masterSamples);
  FillTable(scale, [&](double p) { return CurveAtPosition(tables.masterSamples, p); },
            tables.master);
}
