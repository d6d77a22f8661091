// The AVX-512 path: sixteen pixels at a time, every byte looked up at once by two 128-entry byte
// permutes (a table's lower and upper halves) and a choice on the index's top bit. When every
// mapped channel has the same table (one curve for all three, or one channel mapped) that is one
// lookup per sixteen pixels; otherwise each channel's bytes go through their own table, three
// registers of pixels at a time. Under a luma target the luma of each pixel is computed in the
// register, spread over its three colour bytes and looked up in the master's table at once.
// Compiled with -mavx512f -mavx512bw -mavx512vbmi and run only after FramePathRuns says so;
// nothing but MapFrameAvx512 is visible outside this file (see frame_map_paths.h).
//
// A test build compiles this file against an emulation of these instructions instead, so that
// the path is checked on processors without them; it brings its own declarations.
#ifndef TONARC_AVX512_EMULATED
#include <immintrin.h>
#endif

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

__m512i LookUp(const Levels& l, __m512i pixels, __mmask64 upperHalf) {
  const __m512i low = _mm512_permutex2var_epi8(l.part[0], pixels, l.part[1]);
  const __m512i high = _mm512_permutex2var_epi8(l.part[2], pixels, l.part[3]);
  return _mm512_mask_blend_epi8(upperHalf, low, high);
}

// Each kind of tables maps `kBlocks` registers of sixteen pixels per step; Map<kCount> maps
// kCount of them (at most kBlocks) from src to dst, the last only in the bytes `lastBytes`
// selects. Masked bytes are neither read nor written (nor can they fault), so a row that ends at
// the edge of the host's buffer is safe. Map is inlined into the row loop so that the tables stay
// in registers there and the loop's all-ones masks become plain loads and stores.

// Every mapped byte through one table.
struct OneTable {
  static constexpr int kBlocks = 1;

  Levels levels;
  __mmask64 mapped;  // bytes replaced by their level
  __mmask64 kept;    // bytes passed through; the rest (each pixel's top byte) become zero

  template <int kCount>
  [[gnu::always_inline]] void Map(const unsigned char* src, unsigned char* dst,
                                  __mmask64 lastBytes) const {
    static_assert(kCount == 1);
    const __m512i pixels = _mm512_maskz_loadu_epi8(lastBytes, src);
    const __m512i looked = LookUp(levels, pixels, _mm512_movepi8_mask(pixels));
    _mm512_mask_storeu_epi8(
        dst, lastBytes,
        _mm512_mask_blend_epi8(mapped, _mm512_maskz_mov_epi8(kept, pixels), looked));
  }
};

// A table half the compiler keeps in a register for every block of a step: left to itself, the
// 32-bit build reads it from memory again for each block.
__m512i InRegister(__m512i v) {
#ifndef TONARC_AVX512_EMULATED  // emulated registers are plain memory
  asm("" : "+v"(v));
#endif
  return v;
}

// Each channel through its own table, in two chains of lookups: one through the lower halves of
// the three tables, one through the upper halves. A lookup replaces only its channel's bytes and
// leaves the other bytes' indices to the next; the index's top bit then picks a chain. Only one
// table half is needed in registers at a time, which is what the 32-bit build (eight vector
// registers for twelve of tables) lacks: it reads each half once per step of three registers of
// pixels, the most whose two chains fit in the other six. The loops are unrolled because at -O2
// the compiler otherwise keeps the arrays in memory.
struct ChannelTables {
  static constexpr int kBlocks = 3;

  Levels levels[3];    // by pixel byte
  __mmask64 bytes[3];  // each channel's bytes: members rather than constants, since the 32-bit
                       // build otherwise rebuilt them through memory for every step
  __mmask64 colour;    // all three channels' bytes: each pixel's top byte is read, so written, 0

  template <int kCount>
  [[gnu::always_inline]] void Map(const unsigned char* src, unsigned char* dst,
                                  __mmask64 lastBytes) const {
    __m512i mapped[kCount];
    Look<kCount>(src, lastBytes, mapped);
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i) {
      const __mmask64 written = i + 1 < kCount ? ~__mmask64{0} : lastBytes;
      _mm512_mask_storeu_epi8(dst + 64 * i, written, mapped[i]);
    }
  }

  // kCount registers of pixels from src through the tables, each pixel's top byte zero.
  template <int kCount>
  [[gnu::always_inline]] void Look(const unsigned char* src, __mmask64 lastBytes,
                                   __m512i (&mapped)[kCount]) const {
    __m512i lower[kCount], upper[kCount];
    __mmask64 upperHalf[kCount];
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i) {
      const __mmask64 read = i + 1 < kCount ? colour : colour & lastBytes;
      lower[i] = upper[i] = _mm512_maskz_loadu_epi8(read, src + 64 * i);
      upperHalf[i] = _mm512_movepi8_mask(lower[i]);
    }
#pragma GCC unroll 3
    for (int byte = 0; byte < 3; ++byte)
      LookUpHalf(levels[byte].part[0], levels[byte].part[1], bytes[byte], lower);
#pragma GCC unroll 3
    for (int byte = 0; byte < 3; ++byte)
      LookUpHalf(levels[byte].part[2], levels[byte].part[3], bytes[byte], upper);
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i)
      mapped[i] = _mm512_mask_blend_epi8(upperHalf[i], lower[i], upper[i]);
  }

  template <int kCount>
  static void LookUpHalf(__m512i lowIndices, __m512i highIndices, __mmask64 channel,
                         __m512i (&blocks)[kCount]) {
    lowIndices = InRegister(lowIndices);
    highIndices = InRegister(highIndices);
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i)
      blocks[i] = _mm512_mask2_permutex2var_epi8(lowIndices, blocks[i], channel, highIndices);
  }
};

// The luma step on sixteen pixels whose top bytes are zero (luma.h). The weighted sum is taken
// as wb (b - g) + wr (r - g) + 65536 g, which equals it because the weights sum to 65536, and
// keeps every product in the signed 16-bit range of the multiply-add. The luma, spread over each
// pixel's colour bytes, is looked up in the master's table in place; the change then goes on as a
// saturating rise and fall, one of which is zero.
struct LumaStep {
  Levels master;
  __m512i weights;     // each pixel: the blue weight in the low word, the red one in the high
  __m512i blueAndRed;  // each pixel's bytes 0 and 2
  __m512i half;        // 32768 in each pixel, for rounding
  __m512i spreadLuma;  // byte 2 of each pixel into its bytes 0 to 2, zero into byte 3
  __mmask64 colour;    // all three channels' bytes

  [[gnu::always_inline]] __m512i Apply(__m512i pixels) const {
    const __m512i green = _mm512_srli_epi16(pixels, 8);  // each pixel's words: g, 0
    // Each pixel's green into its high word; nothing crosses into the next pixel, whose high word
    // was zero.
    const __m512i greenHigh = _mm512_bslli_epi128(green, 2);
    __m512i sum = _mm512_madd_epi16(
        _mm512_sub_epi16(_mm512_and_si512(pixels, blueAndRed), _mm512_or_si512(green, greenHigh)),
        weights);
    sum = _mm512_add_epi32(sum, _mm512_add_epi32(greenHigh, half));
    // The sum is below 2^24: the luma is byte 2.
    const __m512i luma = _mm512_shuffle_epi8(sum, spreadLuma);
    const __m512i level = LookUp(master, luma, _mm512_movepi8_mask(luma));
    const __m512i rise = _mm512_subs_epu8(level, luma), fall = _mm512_subs_epu8(luma, level);
    return _mm512_maskz_subs_epu8(colour, _mm512_adds_epu8(pixels, rise), fall);
  }
};

// The luma step, after the channels' own tables when any of them maps anything.
template <bool kWithLevels>
struct LumaTables {
  static constexpr int kBlocks = kWithLevels ? ChannelTables::kBlocks : 1;

  ChannelTables levels;  // not read without levels
  LumaStep luma;

  template <int kCount>
  [[gnu::always_inline]] void Map(const unsigned char* src, unsigned char* dst,
                                  __mmask64 lastBytes) const {
    __m512i pixels[kCount];
    if constexpr (kWithLevels) {
      levels.template Look<kCount>(src, lastBytes, pixels);
    } else {
      static_assert(kCount == 1);
      pixels[0] = _mm512_maskz_loadu_epi8(luma.colour & lastBytes, src);
    }
#pragma GCC unroll 3
    for (int i = 0; i < kCount; ++i) {
      const __mmask64 written = i + 1 < kCount ? ~__mmask64{0} : lastBytes;
      _mm512_mask_storeu_epi8(dst + 64 * i, written, luma.Apply(pixels[i]));
    }
  }
};

// Fewer pixels than a step, in as few registers as they need: each register costs the 32-bit
// build the reading of every table.
template <int kCount, typename Tables>
void MapFew(const Tables& t, const unsigned char* src, unsigned char* dst, int32_t count) {
  if constexpr (kCount > 1) {
    if (count <= 16 * (kCount - 1)) return MapFew<kCount - 1>(t, src, dst, count);
  }
  const int32_t inLast = count - 16 * (kCount - 1);  // 1 to 16
  t.template Map<kCount>(src, dst, ~__mmask64{0} >> (64 - 4 * inLast));
}

template <typename Tables>
void MapRow(const void* tables, const unsigned char* src, unsigned char* dst, int32_t width) {
  // A copy the stores below cannot alias, so that the tables stay in registers across the row
  // instead of being loaded again for every step.
  const Tables t = *static_cast<const Tables*>(tables);
  constexpr int kBlocks = Tables::kBlocks;
  int32_t col = 0;
  // Stores that straddle cache lines cost more on large frames than the one masked step that
  // lines them up (a destination that is not even 4-byte aligned stays as it is).
  const unsigned misalignment = static_cast<unsigned>(reinterpret_cast<uintptr_t>(dst) & 63);
  if (misalignment != 0 && misalignment % 4 == 0) {
    const int32_t head = static_cast<int32_t>((64 - misalignment) / 4);
    col = head < width ? head : width;
    MapFew<kBlocks>(t, src, dst, col);
  }
  for (; col + 16 * kBlocks <= width; col += 16 * kBlocks)
    t.template Map<kBlocks>(src + 4 * col, dst + 4 * col, ~__mmask64{0});
  if (col < width) MapFew<kBlocks>(t, src + 4 * col, dst + 4 * col, width - col);
}

void FillChannelTables(const FramePlan& plan, ChannelTables& t) {
  for (int byte = 0; byte < 3; ++byte) {
    t.levels[byte] = LoadLevels(plan.level[byte]);
    t.bytes[byte] = kBlueBytes << byte;
  }
  t.colour = kBlueBytes * 7;
}

template <bool kWithLevels>
void MapLuma(const FramePlan& plan, const FrameSpan& frame) {
  LumaTables<kWithLevels> t;
  if (kWithLevels) FillChannelTables(plan, t.levels);
  LumaStep& l = t.luma;
  l.master = LoadLevels(plan.lumaLevel);
  l.weights = _mm512_set1_epi32(static_cast<int32_t>(plan.lumaWeights.blue |
                                                     plan.lumaWeights.red << 16));
  l.blueAndRed = _mm512_set1_epi32(0x00FF00FF);
  l.half = _mm512_set1_epi32(32768);
  uint32_t spread[16];
  for (uint32_t i = 0; i < 16; ++i) spread[i] = (4 * (i % 4) + 2) * 0x010101u | 0x80000000u;
  l.spreadLuma = _mm512_loadu_si512(spread);
  l.colour = kBlueBytes * 7;
  ForEachRow(frame, MapRow<LumaTables<kWithLevels>>, &t);
}

}  // namespace

void MapFrameAvx512(const FramePlan& plan, const FrameSpan& frame) {
  if (plan.luma) {
    if (plan.mapped != 0) return MapLuma<true>(plan, frame);
    return MapLuma<false>(plan, frame);
  }
  if (!plan.sharedLevels) {
    ChannelTables t;
    FillChannelTables(plan, t);
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
