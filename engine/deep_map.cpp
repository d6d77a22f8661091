#include "engine/deep_map.h"

#include <cstring>

namespace {

uint16_t LoadWord(const unsigned char* p) {
  uint16_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StoreWord(unsigned char* p, uint16_t v) { std::memcpy(p, &v, sizeof v); }

template <typename MapRow>
void ForEachWordRow(const WordRows& rows, MapRow mapRow) {
  const unsigned char* src = rows.src;
  unsigned char* dst = rows.dst;
  for (int32_t row = 0;; ++row) {
    mapRow(src, dst);
    // No step past the last row, where the pointer would leave the plane.
    if (row + 1 == rows.height) break;
    src += rows.srcPitch;
    dst += rows.dstPitch;
  }
}

}  // namespace

void MapWordRows(const uint16_t (&table)[kCodeCount], const WordRows& rows) {
  ForEachWordRow(rows, [&](const unsigned char* src, unsigned char* dst) {
    for (int32_t i = 0; i < rows.width; ++i) StoreWord(dst + 2 * i, table[LoadWord(src + 2 * i)]);
  });
}

void MapRgb64Rows(const DeepTables& tables, const uint32_t* lumaWeights, uint32_t mask,
                  const WordRows& rows) {
  const uint16_t(&blue)[kCodeCount] = tables.channel[0];
  const uint16_t(&green)[kCodeCount] = tables.channel[1];
  const uint16_t(&red)[kCodeCount] = tables.channel[2];
  if (lumaWeights == nullptr) {
    ForEachWordRow(rows, [&](const unsigned char* src, unsigned char* dst) {
      for (int32_t i = 0; i < rows.width; ++i) {
        const unsigned char* s = src + 8 * i;
        unsigned char* d = dst + 8 * i;
        const uint16_t b = blue[LoadWord(s)], g = green[LoadWord(s + 2)],
                       r = red[LoadWord(s + 4)], a = LoadWord(s + 6);
        StoreWord(d, b), StoreWord(d + 2, g), StoreWord(d + 4, r), StoreWord(d + 6, a);
      }
    });
    return;
  }
  const uint32_t wb = lumaWeights[0], wg = lumaWeights[1], wr = lumaWeights[2];
  const auto moved = [mask](uint32_t level, int32_t change) {
    const int32_t v = static_cast<int32_t>(level) + change;
    return static_cast<uint16_t>(v < 0 ? 0 : static_cast<uint32_t>(v) > mask ? mask : v);
  };
  ForEachWordRow(rows, [&](const unsigned char* src, unsigned char* dst) {
    for (int32_t i = 0; i < rows.width; ++i) {
      const unsigned char* s = src + 8 * i;
      unsigned char* d = dst + 8 * i;
      const uint32_t b = blue[LoadWord(s)], g = green[LoadWord(s + 2)], r = red[LoadWord(s + 4)];
      const uint16_t a = LoadWord(s + 6);
      const uint32_t y = (wb * b + wg * g + wr * r + 32768) >> 16;
      const int32_t change = static_cast<int32_t>(tables.master[y]) - static_cast<int32_t>(y);
      StoreWord(d, moved(b, change)), StoreWord(d + 2, moved(g, change));
      StoreWord(d + 4, moved(r, change)), StoreWord(d + 6, a);
    }
  });
}
