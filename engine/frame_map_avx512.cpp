// The AVX-512 path: sixteen pixels at a time, every byte looked up at once by two 128-entry byte
// permutes (the table's lower and upper halves) and a choice on the index's top bit. Compiled
// with -mavx512f -mavx512bw -mavx512vbmi and run only after FramePathRuns says so; nothing but
// MapFrameAvx512 is visible outside this file (see frame_map_paths.h).
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "engine/frame_map_paths.h"

namespace {

struct ByteTables {
  __m512i level[4];  // the 256 levels, 64 per register
  __mmask64 mapped;  // bytes replaced by their level
  __mmask64 kept;    // bytes passed through; the rest (each pixel's top byte) become zero
};

__m512i MapSixteen(const ByteTables& t, __m512i pixels) {
  const __m512i low = _mm512_permutex2var_epi8(t.level[0], pixels, t.level[1]);
  const __m512i high = _mm512_permutex2var_epi8(t.level[2], pixels, t.level[3]);
  const __m512i levels = _mm512_mask_blend_epi8(_mm512_movepi8_mask(pixels), low, high);
  return _mm512_mask_blend_epi8(t.mapped, _mm512_maskz_mov_epi8(t.kept, pixels), levels);
}

// Fewer than sixteen pixels. Masked bytes are neither read nor written (nor can they fault), so
// a row that ends at the edge of the host's buffer is safe.
void MapFew(const ByteTables& t, const unsigned char* src, unsigned char* dst, int32_t count) {
  const __mmask64 bytes = (__mmask64{1} << (4 * count)) - 1;
  const __m512i pixels = _mm512_maskz_loadu_epi8(bytes, src);
  _mm512_mask_storeu_epi8(dst, bytes, MapSixteen(t, pixels));
}

void MapRow(const void* tables, const unsigned char* src, unsigned char* dst,
            int32_t width) {
  const ByteTables& t = *static_cast<const ByteTables*>(tables);
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
    _mm512_storeu_si512(dst + 4 * col, MapSixteen(t, pixels));
  }
  if (col < width) MapFew(t, src + 4 * col, dst + 4 * col, width - col);
}

}  // namespace

void MapFrameAvx512(const FramePlan& plan, const FrameSpan& frame) {
  ByteTables t;
  for (int i = 0; i < 4; ++i) t.level[i] = _mm512_loadu_si512(plan.level[0] + 64 * i);
  // One bit per byte of a pixel, repeated for the sixteen pixels of a register.
  unsigned mappedBytes = 0;
  for (int i = 0; i < 3; ++i)
    if (((plan.mapped >> (8 * i)) & 0xFF) != 0) mappedBytes |= 1u << i;
  const __mmask64 everyPixel = 0x1111111111111111ull;
  t.mapped = everyPixel * mappedBytes;
  t.kept = everyPixel * (0x7u & ~mappedBytes);

  ForEachRow(frame, MapRow, &t);
}
