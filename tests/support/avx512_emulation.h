// Test-only: the AVX-512 intrinsics the frame path uses, emulated by SIMDe, so that its source
// can be built and run on processors without AVX-512. The emulating test build includes this
// ahead of that source, which then leaves out <immintrin.h>.
//
// Below, what SIMDe 0.7.4 lacks or spells differently. The masked loads and stores touch only the
// bytes their mask selects, as the instructions do: the tests place frames against inaccessible
// pages, so a stray byte would fault.
#pragma once

#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/avx512.h>

typedef simde__mmask64 __mmask64;

// SIMDe's alias takes the four arguments of the masked form.
#undef _mm512_madd_epi16
#define _mm512_madd_epi16(a, b) simde_mm512_madd_epi16(a, b)

inline simde__m512i _mm512_maskz_loadu_epi8(simde__mmask64 k, const void* p) {
  unsigned char bytes[64];
  for (int i = 0; i < 64; ++i)
    bytes[i] = (k >> i) & 1 ? static_cast<const unsigned char*>(p)[i] : 0;
  return simde_mm512_loadu_si512(bytes);
}

inline void _mm512_mask_storeu_epi8(void* p, simde__mmask64 k, simde__m512i v) {
  unsigned char bytes[64];
  simde_mm512_storeu_si512(bytes, v);
  for (int i = 0; i < 64; ++i)
    if ((k >> i) & 1) static_cast<unsigned char*>(p)[i] = bytes[i];
}

// Each 128-bit lane shifted up by n bytes, zeros shifted in.
inline simde__m512i _mm512_bslli_epi128(simde__m512i v, int n) {
  unsigned char in[64], out[64];
  simde_mm512_storeu_si512(in, v);
  for (int i = 0; i < 64; ++i) out[i] = i % 16 >= n ? in[i - n] : 0;
  return simde_mm512_loadu_si512(out);
}
