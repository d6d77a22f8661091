#include "engine/frame_map.h"

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
  const bool mapRed = data.mode != kModeGreen && data.mode != kModeBlue;
  const bool mapGreen = data.mode != kModeRed && data.mode != kModeBlue;
  const bool mapBlue = data.mode != kModeRed && data.mode != kModeGreen;
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
  return plan;
}

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
  switch (plan.mapped) {
    case 0x000000FF: return MapOneChannel<0>(plan, frame);
    case 0x0000FF00: return MapOneChannel<8>(plan, frame);
    case 0x00FF0000: return MapOneChannel<16>(plan, frame);
  }
  AllChannelTables t;
  for (int i = 0; i < kLutSize; ++i) {
    t.blue[i] = plan.level[kPixelBlue][i];
    t.green[i] = static_cast<uint32_t>(plan.level[kPixelGreen][i]) << 8;
    t.red[i] = static_cast<uint32_t>(plan.level[kPixelRed][i]) << 16;
  }
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
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
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
  if (!FramePathRuns(path)) path = FramePath::kScalar;
  const FramePlan plan = PlanFrame(data);
  switch (path) {
    case FramePath::kAvx512: MapFrameAvx512(plan, frame); break;
    default: MapFrameScalar(plan, frame);
  }
  return 0;
}

int MapFrame(const CurveData& data, const FrameSpan& frame) {
  return MapFrameOn(FastestFramePath(), data, frame);
}
