#include "engine/rgb24_map.h"

#include "engine/curve_tables.h"

void MapRgb24Rows(const FramePlan& plan, const ByteRows& rows) {
  const uint8_t* blue = plan.level[kPixelBlue];
  const uint8_t* green = plan.level[kPixelGreen];
  const uint8_t* red = plan.level[kPixelRed];
  const int32_t width = rows.rowBytes / 3;
  ForEachRowOf(rows, [&](const unsigned char* src, unsigned char* dst) {
    for (int32_t i = 0; i < width; ++i) {
      const unsigned char* s = src + 3 * i;
      unsigned char* d = dst + 3 * i;
      uint32_t b = blue[s[0]], g = green[s[1]], r = red[s[2]];
      if (plan.luma) {
        const uint32_t y = LumaOf(plan.lumaWeights, r, g, b);
        const int32_t change = static_cast<int32_t>(plan.lumaLevel[y]) - static_cast<int32_t>(y);
        b = LevelAfterLuma(b, change), g = LevelAfterLuma(g, change), r = LevelAfterLuma(r, change);
      }
      d[0] = static_cast<unsigned char>(b);
      d[1] = static_cast<unsigned char>(g);
      d[2] = static_cast<unsigned char>(r);
    }
  });
}
