// Luma for the master curve's luma targets. A pixel's luma is the weighted sum of its channels,
// the weights in 65536ths summing to 65536, rounded: Y = (wr r + wg g + wb b + 32768) >> 16, so
// a grey level's luma is that level. The master curve then moves all three channels by the same
// amount, master[Y] - Y, each kept within 0..255: adding one amount to every channel leaves the
// colour differences (Cb, Cr) as they were, so this is the curve applied to Y of Y'CbCr, in RGB.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

struct LumaWeights {
  uint32_t red, green, blue;
};
constexpr LumaWeights kLuma709Weights = {13933, 46871, 4732};
constexpr LumaWeights kLuma601Weights = {19595, 38470, 7471};
static_assert(kLuma709Weights.red + kLuma709Weights.green + kLuma709Weights.blue == 65536);
static_assert(kLuma601Weights.red + kLuma601Weights.green + kLuma601Weights.blue == 65536);

// The weights of a luma target; the channels target has none and gets the Rec. 709 ones.
inline const LumaWeights& LumaWeightsOf(MasterTarget target) {
  return target == kTargetLuma601 ? kLuma601Weights : kLuma709Weights;
}

// 0..255 for channels in 0..255.
inline uint32_t LumaOf(const LumaWeights& w, uint32_t r, uint32_t g, uint32_t b) {
  return (w.red * r + w.green * g + w.blue * b + 32768) >> 16;
}

// A channel level moved by the master's change of luma, kept within 0..255.
inline uint32_t LevelAfterLuma(uint32_t level, int32_t change) {
  const int32_t moved = static_cast<int32_t>(level) + change;
  return moved < 0 ? 0u : moved > 255 ? 255u : static_cast<uint32_t>(moved);
}
