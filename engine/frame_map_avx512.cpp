// The AVX-512 path: sixteen pixels at a time, every byte looked up at once by two 128-entry byte
// permutes (a table's lower and upper halves) and a choice on the index's top bit. When every
// mapped channel has the same table (one curve for all three, or one channel mapped) that is one
// lookup per sixteen pixels; otherwise each channel's table is looked up over the whole register
// and the results are merged by byte position. Compiled with -mavx512f -mavx512bw -mavx512vbmi
// and run only after FramePathRuns says so; nothing but MapFrameAvx512 is visible outside this
// file (see frame_map_paths.h).
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "engine/frame_map_paths.h"

namespace {

// One bit per byte of a pixel, repeated for the sixteen pixels of a register.
constexpr __mmask64 kBlueBytes = 0x1111111111111111ull;

// The 256 levels of one table, 64 per register.
struct Levels {
  __m512i part[4];
};

Levels LoadLevels(const uint8_t* levels) {
  Levels l;
  for (int i = 0; i < 4; ++i) l.part[i] = _mm512_loadu_si512(levels + 64 * i);
  return l;
}

// Bytes outside `bytes` become zero.
__m512i LookUp(const Levels& l, __m512i pixels, __mmask64 upperHalf,
               __mmask64 bytes = ~__mmask64{0}) {
  const __m512i low = _mm512_maskz_permutex2var_epi8(bytes, l.part[0], pixels, l.part[1]);
  const __m512i high = _mm512_maskz_permutex2var_epi8(bytes, l.part[2], pixels, l.part[3]);
  return _mm512_mask_blend_epi8(upperHalf, low, high);
}

// Every mapped byte through one table.
struct OneTable {
  Levels levels;
  __mmask64 mapped;  // bytes replaced by their level
  __mmask64 kept;    // bytes passed through; the rest (each pixel's top byte) become zero

  __m512i MapSixteen(__m512i pixels) const {
    const __m512i looked = LookUp(levels, pixels, _mm512_movepi8_mask(pixels));
    return _mm512_mask_blend_epi8(mapped, _mm512_maskz_mov_epi8(kept, pixels), looked);
  }
};

// Each channel through its own table.
struct ChannelTables {
  Levels levels[3];     // by pixel byte
  __mmask64 bytes[3];   // each channel's bytes: members rather than constants, since the 32-bit
                        // build otherwise rebuilt them through memory for every sixteen pixels

  __m512i MapSixteen(__m512i pixels) const {
    const __mmask64 upperHalf = _mm512_movepi8_mask(pixels);
    const __m512i blue = LookUp(levels[0], pixels, upperHalf, bytes[0]);
    const __m512i green = _mm512_mask_blend_epi8(bytes[1], blue,
                                                 LookUp(levels[1], pixels, upperHalf));
    return _mm512_mask_blend_epi8(bytes[2], green, LookUp(levels[2], pixels, upperHalf));
  }
};

// Fewer than sixteen pixels. Masked bytes are neither read nor written (nor can they fault), so
// a row that ends at the edge of the host's buffer is safe.
template <typename Tables>
void MapFew(const Tables& t, const unsigned char* src, unsigned char* dst, int32_t count) {
  const __mmask64 bytes = (__mmask64{1} << (4 * count)) - 1;
  const __m512i pixels = _mm512_maskz_loadu_epi8(bytes, src);
  _mm512_mask_storeu_epi8(dst, bytes, t.MapSixteen(pixels));
}

template <typename Tables>
void MapRow(const void* tables, const unsigned char* src, unsigned char* dst, int32_t width) {
  // A copy the stores below cannot alias, so that the tables stay in registers across the row
  // instead of being loaded again for every sixteen pixels.
  const Tables t = *static_cast<const Tables*>(tables);
  int32_t col = 0;
  // Stores that straddle cache lines cost more on large frames than the one masked step that
  // lines them up (a destination that is not even 4-byte aligned stays as it is).
  const unsigned misalignment = static_cast<unsigned>(reinterpret_cast<uintptr_t>(dst) & 63);
  if (misalignment != 0 && misalignment % 4 == 0) {
    const int32_t head = static_cast<int32_t>((64 - misalignment) / 4);
    col = head < width ? head : width;
    MapFew(t, src, dst, col);
  }
  for (; col + 16 <= width; col += 16) {
    const __m512i pixels = _mm512_loadu_si512(src + 4 * col);
    _mm512_storeu_si512(dst + 4 * col, t.MapSixteen(pixels));
  }
  if (col < width) MapFew(t, src + 4 * col, dst + 4 * col, width - col);
}

}  // namespace

void MapFrameAvx512(const FramePlan& plan, const FrameSpan& frame) {
  if (!plan.sharedLevels) {
    ChannelTables t;
    for (int byte = 0; byte < 3; ++byte) {
      t.levels[byte] = LoadLevels(plan.level[byte]);
      t.bytes[byte] = kBlueBytes << byte;
    }
    ForEachRow(frame, MapRow<ChannelTables>, &t);
    return;
  }
  OneTable t;
  unsigned mappedBytes = 0;
  for (int byte = 0; byte < 3; ++byte)
    if (((plan.mapped >> (8 * byte)) & 0xFF) != 0) mappedBytes |= 1u << byte;
  // The table of the lowest mapped byte is every mapped byte's table.
  const int tableByte = (mappedBytes & 1) != 0 ? 0 : (mappedBytes & 2) != 0 ? 1 : 2;
  t.levels = LoadLevels(plan.level[tableByte]);
  t.mapped = kBlueBytes * mappedBytes;
  t.kept = kBlueBytes * (0x7u & ~mappedBytes);
  ForEachRow(frame, MapRow<OneTable>, &t);
}
