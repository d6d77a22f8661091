#include "engine/level_counts.h"

#include <cstring>

#include "engine/curve_tables.h"
#include "engine/luma.h"

void CountFrameLevels(const void* data, int32_t width, int32_t height, ptrdiff_t pitch,
                      LevelCounts& counts) {
  std::memset(&counts, 0, sizeof counts);
  if (data == nullptr || width <= 0 || height <= 0) return;
  const unsigned char* row = static_cast<const unsigned char*>(data);
  for (int32_t y = 0;; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const unsigned char* pixel = row + 4 * static_cast<ptrdiff_t>(x);
      ++counts.count[kPixelBlue][pixel[0]];
      ++counts.count[kPixelGreen][pixel[1]];
      ++counts.count[kPixelRed][pixel[2]];
    }
    // No step past the last row: the pointer would leave the host's buffer.
    if (y + 1 == height) break;
    row += pitch;
  }
}

void CurveInputHistogram(const CurveData& data, const LevelCounts& counts, int curve,
                         uint64_t (&histogram)[kLutSize]) {
  std::memset(histogram, 0, sizeof histogram);
  for (int byte = 0; byte < 3; ++byte) {
    const int channel = ChannelCurveOfByte(byte);
    if (curve == kCurveMaster) {
      if (!MasterMapsChannel(data.mode, channel)) continue;
      const int32_t* own = CurveLut(data, channel);
      for (int v = 0; v < kLutSize; ++v) histogram[own[v] & 0xFF] += counts.count[byte][v];
    } else if (curve == channel) {
      for (int v = 0; v < kLutSize; ++v) histogram[v] += counts.count[byte][v];
    }
  }
}

void CountLumaLevels(const uint32_t* pixels, size_t count, const uint8_t (&levels)[3][kLutSize],
                     MasterTarget target, uint64_t (&histogram)[kLutSize]) {
  std::memset(histogram, 0, sizeof histogram);
  const LumaWeights& weights = LumaWeightsOf(target);
  for (size_t i = 0; i < count; ++i) {
    const uint32_t p = pixels[i];
    const uint32_t r = levels[kPixelRed][p >> 16 & 0xFF];
    const uint32_t g = levels[kPixelGreen][p >> 8 & 0xFF];
    const uint32_t b = levels[kPixelBlue][p & 0xFF];
    ++histogram[LumaOf(weights, r, g, b)];
  }
}
