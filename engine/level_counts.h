// How often each level of each channel occurs in a frame: the editor's histogram. The counts live
// in the editor while its dialog is open; the settings record never holds them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"

struct LevelCounts {
  uint32_t count[3][kLutSize];  // by pixel byte: blue, green, red
};

// Counts every pixel of a frame of 32-bit pixels whose rows lie `pitch` bytes apart (either sign),
// starting at data. A frame with no pixels counts nothing.
void CountFrameLevels(const void* data, int32_t width, int32_t height, ptrdiff_t pitch,
                      LevelCounts& counts);

// The histogram of what goes into one curve (CurveIndex): a channel curve sees its channel's
// levels; the master curve sees the levels its channels come out of their own curves with, summed
// over the channels the mode maps.
void CurveInputHistogram(const CurveData& data, const LevelCounts& counts, int curve,
                         uint64_t (&histogram)[kLutSize]);

// What the master curve sees under a luma target (kTargetLuma709 or kTargetLuma601): the luma of
// each of `count` pixels (32-bit words, one after another) once its channels have been through
// their own curves, `levels` as ComposeChannelTables gives them. The counts per level above need
// every channel of a pixel at once, so this takes the pixels themselves.
void CountLumaLevels(const uint32_t* pixels, size_t count, const uint8_t (&levels)[3][kLutSize],
                     MasterTarget target, uint64_t (&histogram)[kLutSize]);
