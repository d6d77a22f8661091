// What both frame-mapping timers measure (Google Benchmark natively, frame_timing under wine),
// and the ratio tables they end with:
//   vs memcpy  = variant / memcpy of the same frame   (lower is better; 1.0 is memory speed)
//   speed-up   = plain loop / variant                 (higher is better)
//   vs 3 tables = a luma case / the same variant with three channel tables ("4curves")
// Variants are named "<size>/<case>/<variant>": the variant is "plain" (the reference loop),
// "fast" (MapFrame as the host calls it) or a forced path's name; the memcpy has "-" as its case.
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

// The settings the original design can express (the master curve in RGB and in a single-channel
// mode), all four curves in use, each different (three channel tables), and the master curve on
// luma, alone and after the three channel curves.
struct FrameCase {
  const char* name;
  ChannelMode mode;
  bool fourCurves;
  MasterTarget target;
};
constexpr FrameCase kFrameCases[] = {{"RGB", kModeRgb, false, kTargetChannels},
                                     {"Red", kModeRed, false, kTargetChannels},
                                     {"4curves", kModeRgb, true, kTargetChannels},
                                     {"luma", kModeRgb, false, kTargetLuma709},
                                     {"luma+3", kModeRgb, true, kTargetLuma709}};

inline CurveData BenchCurve(const FrameCase& c) {
  CurveData data;
  InitCurveData(data);
  data.mode = c.mode;
  data.target = c.target;
  for (int i = 0; i < kLutSize; ++i) {
    data.lut[i] = (i * i) / 255;  // a darkening curve
    if (!c.fourCurves) continue;
    data.channel[kCurveRed - 1].lut[i] = (i * (510 - i)) / 255;  // brightening
    data.channel[kCurveGreen - 1].lut[i] = 255 - i;               // inverting
    data.channel[kCurveBlue - 1].lut[i] = 64 + i / 2;             // flattening
  }
  return data;
}

// The paths timed by name, beside the plain loop and MapFrame, where this processor runs them.
constexpr FramePath kTimedPaths[] = {FramePath::kScalar, FramePath::kAvx512};

inline std::string VariantName(const FrameSize& size, const char* caseName, const char* variant) {
  return std::string(size.name) + "/" + caseName + "/" + variant;
}

// `median` gives a variant's median time in microseconds, or 0 when it was not run.
inline void PrintRatioTable(const std::function<double(const std::string&)>& median) {
  std::printf("\nfast path: %s (%d-bit build); ratios of median times\n",
              kFramePathNames[int(FastestFramePath())], static_cast<int>(8 * sizeof(void*)));
  std::printf("%-10s %-8s %-8s %10s %10s %10s\n", "frame", "case", "variant", "us", "vs memcpy",
              "speed-up");
  for (const FrameSize& size : kFrameSizes) {
    const double copy = median(VariantName(size, "-", "memcpy"));
    if (copy == 0) continue;  // filtered out
    std::printf("%-10s %-8s %-8s %10.1f\n", size.name, "-", "memcpy", copy);
    for (const FrameCase& c : kFrameCases) {
      const double plain = median(VariantName(size, c.name, "plain"));
      std::vector<const char*> variants{"plain", "fast"};
      for (FramePath path : kTimedPaths) variants.push_back(kFramePathNames[int(path)]);
      for (const char* variant : variants) {
        const double us = median(VariantName(size, c.name, variant));
        if (us == 0) continue;
        std::printf("%-10s %-8s %-8s %10.1f %9.2fx", size.name, c.name, variant, us, us / copy);
        if (plain != 0) std::printf(" %9.2fx", plain / us);
        std::printf("\n");
      }
    }
  }

  std::printf("\nthe master on luma against three channel tables, variant by variant\n");
  std::printf("%-10s %-8s %-8s %11s\n", "frame", "case", "variant", "vs 3 tables");
  for (const FrameSize& size : kFrameSizes) {
    for (const FrameCase& c : kFrameCases) {
      if (c.target == kTargetChannels) continue;
      std::vector<const char*> variants{"fast"};
      for (FramePath path : kTimedPaths) variants.push_back(kFramePathNames[int(path)]);
      for (const char* variant : variants) {
        const double us = median(VariantName(size, c.name, variant));
        const double tables = median(VariantName(size, "4curves", variant));
        if (us == 0 || tables == 0) continue;
        std::printf("%-10s %-8s %-8s %10.2fx\n", size.name, c.name, variant, us / tables);
      }
    }
  }
}
