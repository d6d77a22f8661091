// The AVX2 path: eight pixels at a time, each channel fetched with one gather from a table of
// words that already hold the new level in that channel's place. Compiled with -mavx2 and run only
// after FramePathRuns says so; nothing but MapFrameAvx2 is visible outside this file
// (see frame_map_paths.h).
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "engine/frame_map_paths.h"

namespace {

struct GatherTables {
  int placed[3][kLutSize];  // each level shifted into the blue, green and red byte
  __m256i kept;             // bits that pass through unchanged
  int shift;                // of the one mapped channel, when only one is
  bool allChannels;
};

__m256i MapEight(const GatherTables& t, __m256i pixels) {
  const __m256i byte = _mm256_set1_epi32(0xFF);
  if (t.allChannels) {
    const __m256i b = _mm256_i32gather_epi32(t.placed[0], _mm256_and_si256(pixels, byte), 4);
    const __m256i g = _mm256_i32gather_epi32(
        t.placed[1], _mm256_and_si256(_mm256_srli_epi32(pixels, 8), byte), 4);
    const __m256i r = _mm256_i32gather_epi32(
        t.placed[2], _mm256_and_si256(_mm256_srli_epi32(pixels, 16), byte), 4);
    return _mm256_or_si256(_mm256_or_si256(r, g), b);
  }
  const __m256i index =
      _mm256_and_si256(_mm256_srl_epi32(pixels, _mm_cvtsi32_si128(t.shift)), byte);
  return _mm256_or_si256(_mm256_and_si256(pixels, t.kept),
                         _mm256_i32gather_epi32(t.placed[t.shift / 8], index, 4));
}

void MapRow(const void* tables, const unsigned char* src, unsigned char* dst,
            int32_t width) {
  const GatherTables& t = *static_cast<const GatherTables*>(tables);
  int32_t col = 0;
  for (; col + 8 <= width; col += 8) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * col));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + 4 * col), MapEight(t, pixels));
  }
  if (col == width) return;
  // The last pixels of a row go through masked loads and stores: the lanes past the row are
  // neither read nor written, so a row that ends at the edge of the host's buffer is safe.
  const __m256i lanes = _mm256_cmpgt_epi32(_mm256_set1_epi32(width - col),
                                           _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i pixels =
      _mm256_maskload_epi32(reinterpret_cast<const int*>(src + 4 * col), lanes);
  _mm256_maskstore_epi32(reinterpret_cast<int*>(dst + 4 * col), lanes, MapEight(t, pixels));
}

}  // namespace

void MapFrameAvx2(const FramePlan& plan, const FrameSpan& frame) {
  GatherTables t;
  t.allChannels = plan.mapped != 0xFF && plan.mapped != 0xFF00 && plan.mapped != 0xFF0000;
  t.shift = (plan.mapped & 0xFF) != 0 ? 0 : (plan.mapped & 0xFF00) != 0 ? 8 : 16;
  t.kept = _mm256_set1_epi32(static_cast<int>(0x00FFFFFF & ~plan.mapped));
  for (int channel = 0; channel < 3; ++channel)
    for (int i = 0; i < kLutSize; ++i) t.placed[channel][i] = plan.level[channel][i] << 8 * channel;

  ForEachRow(frame, MapRow, &t);
}
