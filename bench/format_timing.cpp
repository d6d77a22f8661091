// Speed of the newer hosts' formats, the same program natively and in both Windows builds (under
// wine): the luma plane of 8-bit 4:2:0 video mapped in place through the master on luma, against
// memcpy of that plane; 64-bit RGB through four curves (and through a channel curve with the
// master on luma), against memcpy of the frame; and the 16-bit tables' build. 1920 x 1080 and
// 3840 x 2160, every path forced in turn. Each variant runs a number of times (12 by default, or
// the first argument), the variants in a different shuffled order each round so that drifting
// machine load hits all of them alike; the table gives medians and their ratios to memcpy.
//
// The frames hold random samples, so that lookups hit every part of the tables: video, whose
// neighbouring samples are alike, keeps more of the 16-bit tables in the cache.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/deep_map.h"
#include "engine/deep_tables.h"
#include "engine/frame_map_paths.h"
#include "engine/luma.h"
#include "engine/luma_plane.h"

namespace {

struct FrameSize {
  int32_t width, height;
  const char* name;
};
constexpr FrameSize kSizes[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

struct Variant {
  Variant(std::string size, std::string subject, std::string name, std::function<void()> call)
      : size(size), subject(subject), name(name), call(call) {}
  std::string size, subject, name;  // the memcpy of a subject is its variant "memcpy"
  std::function<void()> call;
  int callsPerRun = 1;
  std::vector<double> microseconds;
};

double Now() {
  return std::chrono::duration<double, std::micro>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

double TimeRun(const Variant& v) {
  const double start = Now();
  for (int i = 0; i < v.callsPerRun; ++i) v.call();
  return (Now() - start) / v.callsPerRun;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void* (*volatile gCopy)(void*, const void*, size_t) = std::memcpy;  // the runtime's own

// A strong S-curve on the master, a different curve on each channel: every table differs.
CurveData FourCurves(MasterTarget target) {
  CurveData data;
  InitCurveData(data);
  data.kind[kCurveMaster] = kKindMonotone;
  data.points[0] = {64, 32};
  data.points[1] = {192, 224};
  data.channel[0].points[0] = {128, 160};  // red lifted
  data.channel[1].points[0] = {128, 100};  // green lowered
  data.kind[kCurveBlue] = kKindLinear;
  data.channel[2].points[0] = {0, 20};     // blue's black raised
  data.target = target;
  RebuildAllCurves(data);
  return data;
}

std::vector<unsigned char> RandomBytes(size_t n, uint32_t seed) {
  std::vector<unsigned char> bytes(n);
  std::mt19937 random(seed);
  for (unsigned char& b : bytes) b = static_cast<unsigned char>(random());
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;
  const CurveData fourCurves = FourCurves(kTargetChannels);
  const CurveData onLuma = FourCurves(kTargetLuma709);
  SampleScale scale;
  ScaleOf(65535, false, scale);
  auto channelTables = std::make_unique<DeepTables>();
  auto lumaTables = std::make_unique<DeepTables>();
  auto buildTables = std::make_unique<DeepTables>();
  BuildRgbTables(fourCurves, scale, *channelTables);
  BuildRgbTables(onLuma, scale, *lumaTables);
  uint8_t levels[kLutSize];
  BuildLumaLevels(onLuma.lut, true, levels);
  auto pairs = std::make_unique<LumaPairs>();
  BuildLumaPairs(levels, *pairs);
  const LumaWeights& luma = LumaWeightsOf(kTargetLuma709);
  static const uint32_t weights[3] = {luma.blue, luma.green, luma.red};

  std::vector<std::vector<unsigned char>> buffers;  // kept alive for the variants
  std::vector<Variant> variants;
  for (const FrameSize& size : kSizes) {
    const size_t plane = static_cast<size_t>(size.width) * size.height;
    buffers.push_back(RandomBytes(plane, 1));
    unsigned char* lumaPlane = buffers.back().data();
    buffers.push_back(std::vector<unsigned char>(plane));
    unsigned char* planeCopy = buffers.back().data();
    buffers.push_back(RandomBytes(8 * plane, 2));
    const unsigned char* rgb = buffers.back().data();
    buffers.push_back(std::vector<unsigned char>(8 * plane));
    unsigned char* rgbOut = buffers.back().data();

    variants.push_back(
        {size.name, "luma420", "memcpy", [=] { gCopy(planeCopy, lumaPlane, plane); }});
    for (const FramePath path : {FramePath::kPlain, FramePath::kScalar, FramePath::kAvx512}) {
      if (!FramePathRuns(path)) continue;
      const ByteRows rows{lumaPlane, size.width, lumaPlane, size.width, size.width, size.height};
      variants.push_back({size.name, "luma420", kFramePathNames[int(path)], [=, &levels, &pairs] {
                            MapLumaRowsOn(path, levels, pairs.get(), LumaBytes::kEvery, rows);
                          }});
    }
    const WordRows rgbRows{rgb, 8 * size.width, rgbOut, 8 * size.width, size.width, size.height};
    variants.push_back({size.name, "rgb64", "memcpy", [=] { gCopy(rgbOut, rgb, 8 * plane); }});
    variants.push_back({size.name, "rgb64", "scalar", [=, &channelTables] {
                          MapRgb64Rows(*channelTables, nullptr, 65535, rgbRows);
                        }});
    variants.push_back({size.name, "rgb64luma", "memcpy", [=] { gCopy(rgbOut, rgb, 8 * plane); }});
    variants.push_back({size.name, "rgb64luma", "scalar", [=, &lumaTables] {
                          MapRgb64Rows(*lumaTables, weights, 65535, rgbRows);
                        }});
  }
  variants.push_back(
      {"-", "tables", "rgb64", [&] { BuildRgbTables(fourCurves, scale, *buildTables); }});
  variants.push_back(
      {"-", "tables", "rgb64luma", [&] { BuildRgbTables(onLuma, scale, *buildTables); }});
  variants.push_back(
      {"-", "tables", "lumaplane", [&] { BuildLumaTable(onLuma, scale, *buildTables); }});

  // Enough calls per run to last about 20 ms; the first call also brings the data into memory.
  for (Variant& v : variants) {
    const double once = TimeRun(v);
    v.callsPerRun = std::max(1, static_cast<int>(20000.0 / std::max(once, 1.0)));
  }
  std::vector<size_t> order(variants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::mt19937 shuffle(5);
  for (int round = 0; round < rounds; ++round) {
    std::shuffle(order.begin(), order.end(), shuffle);
    for (size_t i : order) variants[i].microseconds.push_back(TimeRun(variants[i]));
  }

  std::printf("fast path: %s (%d-bit build); %d interleaved runs, median times\n",
              kFramePathNames[int(FastestFramePath())], static_cast<int>(8 * sizeof(void*)),
              rounds);
  std::printf("%-10s %-10s %-10s %10s %10s\n", "frame", "subject", "variant", "us", "vs memcpy");
  for (const Variant& v : variants) {
    double copy = 0;
    for (const Variant& c : variants)
      if (c.size == v.size && c.subject == v.subject && c.name == "memcpy")
        copy = Median(c.microseconds);
    std::printf("%-10s %-10s %-10s %10.1f", v.size.c_str(), v.subject.c_str(), v.name.c_str(),
                Median(v.microseconds));
    if (copy > 0 && v.name != "memcpy") std::printf(" %9.2fx", Median(v.microseconds) / copy);
    std::printf("\n");
  }
  return 0;
}
