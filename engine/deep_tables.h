// Tables for frames of more than 8 bits a sample (9 to 16 bits, in 16-bit words): the new code of
// every 16-bit code, built from the curves at real levels (curve_samples.h) when the settings or
// the frame's scale change, never per frame.
//
// A code v stands for the curve level x = 255 * (v - black) / (white - black), and a level y
// comes out as black + round(y * (white - black) / 255), where black and white are the codes of
// levels 0 and 255 (0 and ref in full range). Codes below black (above white) move as black
// (white) does, kept within the bit depth.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "engine/curve_samples.h"

// How a frame's codes stand for curve levels.
struct SampleScale {
  uint32_t mask;   // the largest code of the bit depth
  uint32_t black;  // the code of level 0
  uint32_t white;  // the code of level 255
};

// The scale of codes read against ref, the code standing for 8-bit 255 (0 reads as 65535; hosts
// use 2^bits - 1, or 0xFF00 for 8-bit levels widened to 16 bits). The bit depth is the bit length
// of ref (as of ref + (ref & -ref) - 1), so both kinds of ref imply the depth they come from.
// Full range runs
// from 0 to ref; limited range from 16 << (bits - 8) to 235 << (bits - 8). False, and the scale
// untouched, when ref implies fewer than 8 bits: no video is stored so.
bool ScaleOf(uint32_t ref, bool limitedRange, SampleScale& scale);

constexpr int32_t kCodeCount = 65536;

struct DeepTables {
  // RGB, by word in a pixel (blue, green, red). On the channels each is the channel's own curve
  // followed by the master where the mode maps that channel, composed as real curves; on luma
  // each is the channel's own curve alone.
  uint16_t channel[3][kCodeCount];
  // The master curve alone: on luma the new luma of each luma; for planes of luma, their table.
  uint16_t master[kCodeCount];
  // Room to sample the curves in while building.
  CurveSamples masterSamples;
  CurveSamples ownSamples;
};

// channel[] for RGB frames of this scale, and master[] too when the target is luma.
void BuildRgbTables(const CurveData& data, const SampleScale& scale, DeepTables& tables);

// master[] alone, for luma planes of this scale.
void BuildLumaTable(const CurveData& data, const SampleScale& scale, DeepTables& tables);
