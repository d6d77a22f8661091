#include "engine/frame_map.h"

#include <cstring>

namespace {

uint32_t LoadPixel(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StorePixel(unsigned char* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

}  // namespace

int MapFrame(const CurveData& data, const FrameSpan& frame) {
  if (frame.width <= 0 || frame.height <= 0) return 0;

  const bool mapRed = data.mode != kModeGreen && data.mode != kModeBlue;
  const bool mapGreen = data.mode != kModeRed && data.mode != kModeBlue;
  const bool mapBlue = data.mode != kModeRed && data.mode != kModeGreen;

  const unsigned char* src = static_cast<const unsigned char*>(frame.srcData);
  unsigned char* dst = static_cast<unsigned char*>(frame.dstData);
  for (int32_t row = 0; row < frame.height; ++row) {
    for (int32_t col = 0; col < frame.width; ++col) {
      const uint32_t pixel = LoadPixel(src);
      uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
      if (mapRed) r = static_cast<uint32_t>(data.lut[r]) & 0xFF;
      if (mapGreen) g = static_cast<uint32_t>(data.lut[g]) & 0xFF;
      if (mapBlue) b = static_cast<uint32_t>(data.lut[b]) & 0xFF;
      StorePixel(dst, (r << 16) + (g << 8) + b);
      src += 4;
      dst += 4;
    }
    // Row gaps are stepped over, never touched; no step is taken past the last row, where the
    // pointer would leave the host's buffer.
    if (row + 1 < frame.height) {
      src += frame.srcModulo;
      dst += frame.dstModulo;
    }
  }
  return 0;
}
