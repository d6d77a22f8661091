// The AVX-512 luma rows: 64 bytes at a time, every byte looked up by two 128-entry byte permutes
// (the table's lower and upper halves) and a choice on the index's top bit, the same lookup as
// the 32-bit frames' path. Masked loads and stores keep to the row's bytes (masked bytes are
// neither read nor written, nor can they fault), and in place only luma bytes are stored.
// Compiled with -mavx512f -mavx512bw -mavx512vbmi and run only after FramePathRuns says so;
// nothing but MapLumaRowsAvx512 is visible outside this file (see frame_map_paths.h). A test
// build compiles it against an emulation of these instructions, as it does the frames' path.
#ifndef TONARC_AVX512_EMULATED
#include <immintrin.h>
#endif

#include "engine/luma_plane.h"

namespace {

constexpr __mmask64 kAllBytes = ~__mmask64{0};
constexpr __mmask64 kFirstOfPairs = 0x5555555555555555ull;

struct Levels {
  __m512i part[4];
};

__m512i LookUp(const Levels& l, __m512i bytes) {
  const __m512i low = _mm512_permutex2var_epi8(l.part[0], bytes, l.part[1]);
  const __m512i high = _mm512_permutex2var_epi8(l.part[2], bytes, l.part[3]);
  return _mm512_mask_blend_epi8(_mm512_movepi8_mask(bytes), low, high);
}

}  // namespace

void MapLumaRowsAvx512(const uint8_t* levels, LumaBytes luma, const ByteRows& rows) {
  Levels l;
  for (int i = 0; i < 4; ++i) l.part[i] = _mm512_loadu_si512(levels + 64 * i);
  // Rows start at a pair, and every step is 64 bytes: the luma bytes sit at the same places in
  // every step.
  const __mmask64 lumaBytes = luma == LumaBytes::kEvery          ? kAllBytes
                              : luma == LumaBytes::kFirstOfPair ? kFirstOfPairs
                                                                : kFirstOfPairs << 1;
  const unsigned char* src = rows.src;
  unsigned char* dst = rows.dst;
  // In place only the luma bytes are stored; otherwise whole steps, chroma passed through.
  const bool inPlace = src == dst && rows.srcPitch == rows.dstPitch;
  const __mmask64 stored = inPlace ? lumaBytes : kAllBytes;
  for (int32_t row = 0;; ++row) {
    int32_t col = 0;
    for (; col + 64 <= rows.rowBytes; col += 64) {
      const __m512i bytes = _mm512_loadu_si512(src + col);
      _mm512_mask_storeu_epi8(dst + col, stored,
                              _mm512_mask_blend_epi8(lumaBytes, bytes, LookUp(l, bytes)));
    }
    if (col < rows.rowBytes) {
      const __mmask64 tail = kAllBytes >> (64 - (rows.rowBytes - col));
      const __m512i bytes = _mm512_maskz_loadu_epi8(tail, src + col);
      _mm512_mask_storeu_epi8(dst + col, stored & tail,
                              _mm512_mask_blend_epi8(lumaBytes, bytes, LookUp(l, bytes)));
    }
    if (row + 1 == rows.height) break;
    src += rows.srcPitch;
    dst += rows.dstPitch;
  }
}
