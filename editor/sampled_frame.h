// The frame sampled from the host's preview, as the editor keeps it while the dialog is open: how
// often each level of each channel occurs, and a copy of its pixels for the histogram of luma,
// which needs all three channels of each pixel at once. The copy is the editor's own (the host's
// frame is lent for the call that hands it over) and is freed with the next sample or when the
// dialog closes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "engine/level_counts.h"
#include "host/activation.h"

struct SampledFrame {
  bool present;      // a frame has been sampled
  LevelCounts counts;
  uint32_t* pixels;  // row after row; null when the frame was too large to keep
  size_t pixelCount;
  // The luma histogram last counted from the pixels, and what it was counted for: the channel
  // tables and the target. Counting again takes a pass over every pixel, so a redraw that changes
  // neither reuses it.
  bool lumaCounted;
  MasterTarget lumaTarget;
  uint8_t lumaLevels[3][kLutSize];
  uint64_t luma[kLutSize];
};

// Keeps a newly sampled frame in place of the one before.
void KeepSample(SampledFrame& sample, const FramePixels& frame);

// Frees the copy of the pixels; the sample is gone.
void ForgetSample(SampledFrame& sample);

// The histogram of what goes into one curve (CurveIndex) of these settings: for the master under
// a luma target the luma of each pixel after the channel curves, otherwise CurveInputHistogram.
// False, with nothing to draw, when no frame has been sampled, or for the luma of a frame whose
// pixels could not be kept.
bool EditedCurveHistogram(SampledFrame& sample, const CurveData& data, int curve,
                          uint64_t (&histogram)[kLutSize]);
