// The pixel rule written out per pixel, for tests to compare whole frames against: each channel
// through its own curve, then through the master curve where the mode selects that channel; or,
// under a luma target, every channel moved by the master's change of the pixel's luma, clamped.
// Only the low byte of a table entry counts; the top byte of the result is zero.
#pragma once

#include <algorithm>
#include <cstdint>

#include "engine/curve_data.h"

inline uint32_t ExpectedPixel(const CurveData& data, uint32_t pixel) {
  const auto own = [&](int curve, uint32_t v) {
    return static_cast<uint32_t>(data.channel[curve - 1].lut[v]) & 0xFF;
  };
  uint32_t r = own(kCurveRed, (pixel >> 16) & 0xFF), g = own(kCurveGreen, (pixel >> 8) & 0xFF),
           b = own(kCurveBlue, pixel & 0xFF);
  const auto lut = [&](uint32_t v) { return static_cast<uint32_t>(data.lut[v]) & 0xFF; };
  if (data.target == kTargetLuma709 || data.target == kTargetLuma601) {
    const uint32_t y = data.target == kTargetLuma709
                           ? (13933 * r + 46871 * g + 4732 * b + 32768) >> 16
                           : (19595 * r + 38470 * g + 7471 * b + 32768) >> 16;
    const int change = static_cast<int>(lut(y)) - static_cast<int>(y);
    const auto moved = [&](uint32_t c) {
      return static_cast<uint32_t>(std::clamp(static_cast<int>(c) + change, 0, 255));
    };
    return moved(r) << 16 | moved(g) << 8 | moved(b);
  }
  switch (data.mode) {
    case kModeRed: r = lut(r); break;
    case kModeGreen: g = lut(g); break;
    case kModeBlue: b = lut(b); break;
    default: r = lut(r), g = lut(g), b = lut(b);
  }
  return r << 16 | g << 8 | b;
}
