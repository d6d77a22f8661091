// Maps one frame of 32-bit pixels (blue in bits 0-7, green 8-15, red 16-23) through the curves of
// a CurveData: each channel through its own curve, then through the master curve where the mode
// selects that channel. The top byte of every written pixel is zero. Source and destination are
// separate buffers with their own row gaps (modulo: bytes from just after a row's last pixel to
// the next row's first).
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"

struct FrameSpan {
  const void* srcData;
  ptrdiff_t srcModulo;
  void* dstData;
  ptrdiff_t dstModulo;
  int32_t width;
  int32_t height;
};

// Writes every pixel of the frame and returns 0. A frame with no pixels (width or height 0 or
// less) reads and writes nothing. The work goes to the fastest path this processor runs
// (frame_map_paths.h); every path writes the same bytes.
int MapFrame(const CurveData& data, const FrameSpan& frame);
