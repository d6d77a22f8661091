#include "engine/luma_plane.h"

#include <cstring>

namespace {

constexpr int kBlack = 16, kWhite = 235;

uint8_t LimitedLevel(const int32_t (&master)[kLutSize], int y) {
  const int x = (255 * (y - kBlack) + 109) / 219;
  const int level = static_cast<uint8_t>(master[x]);
  return static_cast<uint8_t>(kBlack + (219 * level + 127) / 255);
}

uint8_t Clamped(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

// Two samples a lookup, two lookups a load and a store: the fastest of the loops weighed (bytes,
// words, 32- and 64-bit loads, AVX2 shuffles and gathers) in every build on the processor at hand.
void MapPlaneByPairs(const uint8_t (&levels)[kLutSize], const LumaPairs& pairs,
                     const ByteRows& rows) {
  // Locals, which the stores cannot alias: read through the references, the table's address and
  // the row's length would be reloaded after every store.
  const uint16_t* const pair = pairs.pair;
  const int32_t rowBytes = rows.rowBytes;
  ForEachRowOf(rows, [pair, rowBytes, &levels](const unsigned char* src, unsigned char* dst) {
    int32_t i = 0;
    for (; i + 4 <= rowBytes; i += 4) {
      uint32_t v;
      std::memcpy(&v, src + i, 4);
      v = pair[v & 0xFFFF] | static_cast<uint32_t>(pair[v >> 16]) << 16;
      std::memcpy(dst + i, &v, 4);
    }
    for (; i < rowBytes; ++i) dst[i] = levels[src[i]];
  });
}

void MapRowsScalar(const uint8_t (&levels)[kLutSize], LumaBytes luma, const ByteRows& rows) {
  const bool inPlace = rows.src == rows.dst && rows.srcPitch == rows.dstPitch;
  const int32_t first = luma == LumaBytes::kSecondOfPair ? 1 : 0;
  ForEachRowOf(rows, [&](const unsigned char* src, unsigned char* dst) {
    if (luma == LumaBytes::kEvery) {
      // Four samples a load and a store: a quarter faster than a byte at a time in every build.
      int32_t i = 0;
      for (; i + 4 <= rows.rowBytes; i += 4) {
        uint32_t v;
        std::memcpy(&v, src + i, 4);
        v = levels[v & 0xFF] | levels[(v >> 8) & 0xFF] << 8 | levels[(v >> 16) & 0xFF] << 16 |
            static_cast<uint32_t>(levels[v >> 24]) << 24;
        std::memcpy(dst + i, &v, 4);
      }
      for (; i < rows.rowBytes; ++i) dst[i] = levels[src[i]];
      return;
    }
    for (int32_t i = 0; i < rows.rowBytes; i += 2) {
      dst[i + first] = levels[src[i + first]];
      if (!inPlace) dst[i + 1 - first] = src[i + 1 - first];
    }
  });
}

}  // namespace

void BuildLumaLevels(const int32_t (&master)[kLutSize], bool limitedRange,
                     uint8_t (&levels)[kLutSize]) {
  if (!limitedRange) {
    for (int y = 0; y < kLutSize; ++y) levels[y] = static_cast<uint8_t>(master[y]);
    return;
  }
  const int blackShift = LimitedLevel(master, kBlack) - kBlack;
  const int whiteShift = LimitedLevel(master, kWhite) - kWhite;
  for (int y = 0; y < kLutSize; ++y) {
    levels[y] = y < kBlack   ? Clamped(y + blackShift)
                : y > kWhite ? Clamped(y + whiteShift)
                             : LimitedLevel(master, y);
  }
}

void BuildLumaPairs(const uint8_t (&levels)[kLutSize], LumaPairs& pairs) {
  // Through the bytes as memory holds them, so that the words match the loads in either byte order.
  for (int32_t w = 0; w < kLumaPairCount; ++w) {
    uint8_t bytes[2];
    const uint16_t word = static_cast<uint16_t>(w);
    std::memcpy(bytes, &word, 2);
    bytes[0] = levels[bytes[0]];
    bytes[1] = levels[bytes[1]];
    std::memcpy(&pairs.pair[w], bytes, 2);
  }
}

void MapLumaRowsOn(FramePath path, const uint8_t (&levels)[kLutSize], const LumaPairs* pairs,
                   LumaBytes luma, const ByteRows& rows) {
  if (path == FramePath::kAvx512 && FramePathRuns(path)) {
    MapLumaRowsAvx512(levels, luma, rows);
  } else if (path != FramePath::kPlain && pairs != nullptr && luma == LumaBytes::kEvery) {
    MapPlaneByPairs(levels, *pairs, rows);
  } else {
    MapRowsScalar(levels, luma, rows);
  }
}

void MapLumaRows(const uint8_t (&levels)[kLutSize], const LumaPairs* pairs, LumaBytes luma,
                 const ByteRows& rows) {
  MapLumaRowsOn(FastestFramePath(), levels, pairs, luma, rows);
}
