#include "engine/frame_map.h"

#include <emmintrin.h>

#include <cstring>

#include "engine/curve_tables.h"
#include "engine/frame_map_paths.h"

const char* const kFramePathNames[kFramePathCount] = {"plain", "scalar", "avx512"};

namespace {

constexpr uint32_t kColourBits = 0x00FFFFFF;

uint32_t LoadPixel(const unsigned char* p) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

void StorePixel(unsigned char* p, uint32_t v) { std::memcpy(p, &v, sizeof v); }

// The mapping as plainly as it can be written: the reference every faster path is held to.
void MapFramePlain(const CurveData& data, const FrameSpan& frame) {
  const MasterTarget target = TargetOf(data);
  const bool luma = target != kTargetChannels;
  const LumaWeights& weights = LumaWeightsOf(target);
  const bool mapRed = !luma && data.mode != kModeGreen && data.mode != kModeBlue;
  const bool mapGreen = !luma && data.mode != kModeRed && data.mode != kModeBlue;
  const bool mapBlue = !luma && data.mode != kModeRed && data.mode != kModeGreen;
  const int32_t* redLut = data.channel[kCurveRed - 1].lut;
  const int32_t* greenLut = data.channel[kCurveGreen - 1].lut;
  const int32_t* blueLut = data.channel[kCurveBlue - 1].lut;

  const unsigned char* src = static_cast<const unsigned char*>(frame.srcData);
  unsigned char* dst = static_cast<unsigned char*>(frame.dstData);
  for (int32_t row = 0; row < frame.height; ++row) {
    for (int32_t col = 0; col < frame.width; ++col) {
      const uint32_t pixel = LoadPixel(src);
      uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
      r = static_cast<uint32_t>(redLut[r]) & 0xFF;
      g = static_cast<uint32_t>(greenLut[g]) & 0xFF;
      b = static_cast<uint32_t>(blueLut[b]) & 0xFF;
      if (mapRed) r = static_cast<uint32_t>(data.lut[r]) & 0xFF;
      if (mapGreen) g = static_cast<uint32_t>(data.lut[g]) & 0xFF;
      if (mapBlue) b = static_cast<uint32_t>(data.lut[b]) & 0xFF;
      if (luma) {
        const uint32_t y = LumaOf(weights, r, g, b);
        const int32_t change = static_cast<int32_t>(static_cast<uint32_t>(data.lut[y]) & 0xFF) -
                               static_cast<int32_t>(y);
        r = LevelAfterLuma(r, change);
        g = LevelAfterLuma(g, change);
        b = LevelAfterLuma(b, change);
      }
      StorePixel(dst, (r << 16) + (g << 8) + b);
      src += 4;
      dst += 4;
    }
    // Row gaps are stepped over, never touched; no step is taken past the last row, where the
    // pointer would leave the host's buffer.
    if (row + 1 < frame.height) {
      src += frame.srcModulo;
      dst += frame.dstModulo;
    }
  }
}

}  // namespace

FramePlan PlanFrame(const CurveData& data) {
  FramePlan plan;
  ComposeChannelTables(data, plan.level);
  plan.mapped = 0;
  for (int byte = 0; byte < 3; ++byte) {
    for (int i = 0; i < kLutSize; ++i) {
      if (plan.level[byte][i] == i) continue;
      plan.mapped |= 0xFFu << (8 * byte);
      break;
    }
  }
  plan.sharedLevels = true;
  const uint8_t* shared = nullptr;
  for (int byte = 0; byte < 3; ++byte) {
    if (((plan.mapped >> (8 * byte)) & 0xFF) == 0) continue;
    if (shared == nullptr) shared = plan.level[byte];
    else if (std::memcmp(shared, plan.level[byte], kLutSize) != 0) plan.sharedLevels = false;
  }
  // A master curve that leaves every luma as it is moves no channel.
  const MasterTarget target = TargetOf(data);
  plan.luma = false;
  plan.lumaWeights = LumaWeightsOf(target);
  for (int i = 0; i < kLutSize; ++i) {
    plan.lumaLevel[i] = static_cast<uint8_t>(data.lut[i]);
    if (target != kTargetChannels && plan.lumaLevel[i] != i) plan.luma = true;
  }
  return plan;
}

namespace {

// GCC at -O3 (the Windows builds) vectorizes table lookups into SSE2 lane extractions. For three
// lookups a pixel they take a quarter to a third longer than plain loads. For one lookup a pixel
// they win in the 64-bit build (0.85 ms against 1.2 ms for a 1920 x 1080 frame) and lose badly
// in the 32-bit one, with half the registers (3.2 ms against 1.3 ms, slower than the plain loop).
#if defined(__GNUC__) && !defined(__clang__)
#define TONARC_PLAIN_LOADS __attribute__((optimize("no-tree-vectorize")))
#else
#define TONARC_PLAIN_LOADS
#endif
#if defined(__i386__)
#define TONARC_PLAIN_LOADS_ON_32_BIT TONARC_PLAIN_LOADS
#else
#define TONARC_PLAIN_LOADS_ON_32_BIT
#endif

// A single mapped channel at a fixed place: the compiler turns the shift into a plain byte
// extraction.
template <int kShift>
struct OneChannelTables {
  uint32_t placed[kLutSize];  // each level in the channel's place
  uint32_t kept;              // the other two channels

  TONARC_PLAIN_LOADS_ON_32_BIT static void MapRow(const void* tables, const unsigned char* src,
                                                  unsigned char* dst, int32_t width) {
    const OneChannelTables& t = *static_cast<const OneChannelTables*>(tables);
    for (int32_t col = 0; col < width; ++col) {
      const uint32_t pixel = LoadPixel(src + 4 * col);
      StorePixel(dst + 4 * col, (pixel & t.kept) | t.placed[(pixel >> kShift) & 0xFF]);
    }
  }
};

template <int kShift>
void MapOneChannel(const FramePlan& plan, const FrameSpan& frame) {
  OneChannelTables<kShift> t;
  t.kept = kColourBits & ~(0xFFu << kShift);
  for (int i = 0; i < kLutSize; ++i) {
    t.placed[i] = static_cast<uint32_t>(plan.level[kShift / 8][i]) << kShift;
  }
  ForEachRow(frame, OneChannelTables<kShift>::MapRow, &t);
}

// Every channel mapped: each level already in its channel's place, so that a pixel costs its
// lookups and ORs instead of masks, shifts and adds per channel.
struct AllChannelTables {
  uint32_t red[kLutSize], green[kLutSize], blue[kLutSize];

  TONARC_PLAIN_LOADS static void MapRow(const void* tables, const unsigned char* src,
                                        unsigned char* dst, int32_t width) {
    const AllChannelTables& t = *static_cast<const AllChannelTables*>(tables);
    for (int32_t col = 0; col < width; ++col) {
      const uint32_t pixel = LoadPixel(src + 4 * col);
      StorePixel(dst + 4 * col, t.red[(pixel >> 16) & 0xFF] | t.green[(pixel >> 8) & 0xFF] |
                                    t.blue[pixel & 0xFF]);
    }
  }
};

// The luma step, four pixels at a time in SSE2 (every build's baseline: x86-64, and -msse2 in
// the 32-bit builds) around one table lookup a pixel. The weighted sum is taken as
// wb (b - g) + wr (r - g) + 65536 g, which equals it because the weights sum to 65536, and keeps
// every product in the signed 16-bit range of the multiply-add. Channel curves, when there are
// any, are looked up first, four pixels into a register: cheaper than writing the levelled row
// and reading it back.
struct LumaTables {
  AllChannelTables levels;
  bool withLevels;
  int16_t change[kLutSize][4];  // by luma: master[Y] - Y for blue, green and red, 0 for the top
  uint32_t weights;             // the blue weight in the low half, the red one in the high half
  uint32_t greenWeight;

  uint32_t Levelled(uint32_t pixel) const {
    return levels.red[(pixel >> 16) & 0xFF] | levels.green[(pixel >> 8) & 0xFF] |
           levels.blue[pixel & 0xFF];
  }

  uint32_t MapPixel(uint32_t pixel) const {
    const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
    const uint32_t y =
        ((weights >> 16) * r + greenWeight * g + (weights & 0xFFFF) * b + 32768) >> 16;
    const int32_t moved = change[y][0];
    return LevelAfterLuma(r, moved) << 16 | LevelAfterLuma(g, moved) << 8 |
           LevelAfterLuma(b, moved);
  }

  template <bool kLevels>
  static void MapRowWith(const void* tables, const unsigned char* src, unsigned char* dst,
                         int32_t width) {
    const LumaTables& t = *static_cast<const LumaTables*>(tables);
    const __m128i colour = _mm_set1_epi32(0x00FFFFFF);
    const __m128i blueAndRed = _mm_set1_epi32(0x00FF00FF);
    const __m128i weights = _mm_set1_epi32(static_cast<int32_t>(t.weights));
    const __m128i half = _mm_set1_epi32(32768);
    const __m128i zero = _mm_setzero_si128();
    int32_t col = 0;
    for (; col + 4 <= width; col += 4) {
      __m128i pixels;
      if (kLevels) {
        const unsigned char* p = src + 4 * col;
        pixels = _mm_setr_epi32(static_cast<int32_t>(t.Levelled(LoadPixel(p))),
                                static_cast<int32_t>(t.Levelled(LoadPixel(p + 4))),
                                static_cast<int32_t>(t.Levelled(LoadPixel(p + 8))),
                                static_cast<int32_t>(t.Levelled(LoadPixel(p + 12))));
      } else {
        pixels = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * col)),
                               colour);
      }
      const __m128i green = _mm_srli_epi16(pixels, 8);  // each pixel's words: g, 0
      const __m128i greens = _mm_or_si128(green, _mm_slli_epi32(green, 16));
      __m128i sum =
          _mm_madd_epi16(_mm_sub_epi16(_mm_and_si128(pixels, blueAndRed), greens), weights);
      sum = _mm_add_epi32(sum, _mm_add_epi32(_mm_slli_epi32(green, 16), half));
      // The sum is below 2^24: each pixel's luma is its second word.
      const auto change = [&](int word) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(t.change[word]));
      };
      const __m128i first = _mm_unpacklo_epi64(change(_mm_extract_epi16(sum, 1)),
                                               change(_mm_extract_epi16(sum, 3)));
      const __m128i second = _mm_unpacklo_epi64(change(_mm_extract_epi16(sum, 5)),
                                                change(_mm_extract_epi16(sum, 7)));
      // Signed words to bytes with saturation: the clamp to 0..255.
      const __m128i moved =
          _mm_packus_epi16(_mm_add_epi16(_mm_unpacklo_epi8(pixels, zero), first),
                           _mm_add_epi16(_mm_unpackhi_epi8(pixels, zero), second));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * col), moved);
    }
    for (; col < width; ++col) {
      const uint32_t pixel = LoadPixel(src + 4 * col);
      StorePixel(dst + 4 * col, t.MapPixel(kLevels ? t.Levelled(pixel) : pixel));
    }
  }
};

void FillAllChannelTables(const FramePlan& plan, AllChannelTables& t) {
  for (int i = 0; i < kLutSize; ++i) {
    t.blue[i] = plan.level[kPixelBlue][i];
    t.green[i] = static_cast<uint32_t>(plan.level[kPixelGreen][i]) << 8;
    t.red[i] = static_cast<uint32_t>(plan.level[kPixelRed][i]) << 16;
  }
}

void MapLuma(const FramePlan& plan, const FrameSpan& frame) {
  LumaTables t;
  t.withLevels = plan.mapped != 0;
  if (t.withLevels) FillAllChannelTables(plan, t.levels);
  for (int y = 0; y < kLutSize; ++y) {
    const int16_t change = static_cast<int16_t>(plan.lumaLevel[y] - y);
    t.change[y][0] = t.change[y][1] = t.change[y][2] = change;
    t.change[y][3] = 0;
  }
  t.weights = plan.lumaWeights.blue | plan.lumaWeights.red << 16;
  t.greenWeight = plan.lumaWeights.green;
  ForEachRow(frame, t.withLevels ? LumaTables::MapRowWith<true> : LumaTables::MapRowWith<false>,
             &t);
}

}  // namespace

void ForEachRow(const FrameSpan& frame, RowMapper mapRow, const void* tables) {
  const unsigned char* src = static_cast<const unsigned char*>(frame.srcData);
  unsigned char* dst = static_cast<unsigned char*>(frame.dstData);
  const ptrdiff_t rowBytes = 4 * static_cast<ptrdiff_t>(frame.width);
  for (int32_t row = 0;; ++row) {
    mapRow(tables, src, dst, frame.width);
    if (row + 1 == frame.height) break;
    src += rowBytes + frame.srcModulo;
    dst += rowBytes + frame.dstModulo;
  }
}

void MapFrameScalar(const FramePlan& plan, const FrameSpan& frame) {
  if (plan.luma) return MapLuma(plan, frame);
  switch (plan.mapped) {
    case 0x000000FF: return MapOneChannel<0>(plan, frame);
    case 0x0000FF00: return MapOneChannel<8>(plan, frame);
    case 0x00FF0000: return MapOneChannel<16>(plan, frame);
  }
  AllChannelTables t;
  FillAllChannelTables(plan, t);
  ForEachRow(frame, AllChannelTables::MapRow, &t);
}

bool FramePathRuns(FramePath path) {
  // The compiler's own processor probe also asks the operating system whether it saves the
  // vector registers; after the first call it is a few loads.
  __builtin_cpu_init();
  switch (path) {
    case FramePath::kPlain:
    case FramePath::kScalar: return true;
    case FramePath::kAvx512:
#ifdef TONARC_AVX512_EMULATED  // a test build in which the path emulates its instructions
      return true;
#else
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
#endif
  }
  return false;
}

FramePath FastestFramePath() {
  if (FramePathRuns(FramePath::kAvx512)) return FramePath::kAvx512;
  return FramePath::kScalar;
}

int MapFrameOn(FramePath path, const CurveData& data, const FrameSpan& frame) {
  if (frame.width <= 0 || frame.height <= 0) return 0;
  if (path == FramePath::kPlain) {
    MapFramePlain(data, frame);
    return 0;
  }
  return MapPlannedFrameOn(path, PlanFrame(data), frame);
}

int MapFrame(const CurveData& data, const FrameSpan& frame) {
  return MapFrameOn(FastestFramePath(), data, frame);
}

int MapPlannedFrameOn(FramePath path, const FramePlan& plan, const FrameSpan& frame) {
  if (frame.width <= 0 || frame.height <= 0) return 0;
  if (path == FramePath::kPlain || !FramePathRuns(path)) path = FramePath::kScalar;
  switch (path) {
    case FramePath::kAvx512: MapFrameAvx512(plan, frame); break;
    default: MapFrameScalar(plan, frame);
  }
  return 0;
}

int MapPlannedFrame(const FramePlan& plan, const FrameSpan& frame) {
  return MapPlannedFrameOn(FastestFramePath(), plan, frame);
}
