// What both frame-mapping timers measure (Google Benchmark natively, frame_timing under wine),
// and the ratio table they end with:
//   speed-up   = plain loop / fast path      (higher is better)
//   vs memcpy  = fast path / memcpy          (lower is better; 1.0 is memory speed)
// Variants are named "<size>/<mode>/<variant>", with "-" as the mode of the memcpy.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_data.h"
#include "engine/frame_map_paths.h"

struct FrameSize {
  int32_t width, height;
  const char* name;
};
constexpr FrameSize kFrameSizes[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

// Source and destination of one size, packed rows as most hosts hand them over, filled with
// random pixels so that table lookups hit every part of the table.
struct Frames {
  std::vector<uint32_t> src, dst;
};

inline void FillFrames(Frames& frames, const FrameSize& size) {
  const size_t pixels = static_cast<size_t>(size.width) * size.height;
  frames.src.resize(pixels);
  frames.dst.resize(pixels);
  std::mt19937 rng(5);
  for (uint32_t& p : frames.src) p = static_cast<uint32_t>(rng());
}

inline CurveData BenchCurve(ChannelMode mode) {
  CurveData data;
  InitCurveData(data);
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = (i * i) / 255;  // a darkening curve
  data.mode = mode;
  return data;
}

inline std::string VariantName(const FrameSize& size, const char* mode, const char* variant) {
  return std::string(size.name) + "/" + mode + "/" + variant;
}

// `median` gives a variant's median time in microseconds, or 0 when it was not run.
inline void PrintRatioTable(const std::function<double(const std::string&)>& median) {
  std::printf("\nfast path: %s (%d-bit build); ratios of median times\n",
              kFramePathNames[int(FastestFramePath())], static_cast<int>(8 * sizeof(void*)));
  std::printf("%-10s %-6s %12s %12s %12s %10s %10s\n", "frame", "mode", "plain us", "fast us",
              "memcpy us", "speed-up", "vs memcpy");
  for (const FrameSize& size : kFrameSizes)
    for (int mode = 0; mode < kModeCount; ++mode) {
      const double plain = median(VariantName(size, kModeNames[mode], "plain"));
      const double fast = median(VariantName(size, kModeNames[mode], "fast"));
      const double copy = median(VariantName(size, "-", "memcpy"));
      if (plain == 0 || fast == 0 || copy == 0) continue;  // filtered out
      std::printf("%-10s %-6s %12.1f %12.1f %12.1f %9.2fx %9.2fx\n", size.name, kModeNames[mode],
                  plain, fast, copy, plain / fast, fast / copy);
    }
}
