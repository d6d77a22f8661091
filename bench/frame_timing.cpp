// Frame mapping speed for the Windows builds, run under wine where no benchmark library is at
// hand: the same figures as frame_map_bench, timed with the performance counter. Each variant is
// run a number of times (12 by default, or the first argument), the variants in a different
// shuffled order each round so that drifting machine load hits all of them alike; the summary
// gives ratios of the median times (see frame_bench_cases.h).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/frame_bench_cases.h"
#include "engine/frame_map.h"
#include "engine/frame_map_paths.h"

namespace {

// One thing to time: a memcpy of the frame's bytes or a mapping of the frame.
struct Variant {
  std::string name;
  Frames* frames;
  const FrameSize* size;
  bool copy;  // the runtime's memcpy instead of a mapping
  CurveData data;
  bool fast;  // MapFrame itself, or `path` forced
  FramePath path;
  int callsPerRun;
  std::vector<double> microseconds;  // per call, one entry per run
};

double Now() {
  static LARGE_INTEGER frequency;
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) * 1e6 / static_cast<double>(frequency.QuadPart);
}

void* (*volatile gCopy)(void*, const void*, size_t) = std::memcpy;  // the runtime's own
volatile int gSink;

void CallOnce(const Variant& v) {
  Frames& f = *v.frames;
  if (v.copy) {
    gCopy(f.dst.data(), f.src.data(), f.src.size() * 4);
    return;
  }
  const FrameSpan frame{f.src.data(), 0, f.dst.data(), 0, v.size->width, v.size->height};
  gSink = v.fast ? MapFrame(v.data, frame) : MapFrameOn(v.path, v.data, frame);
}

double TimeRun(const Variant& v) {
  const double start = Now();
  for (int i = 0; i < v.callsPerRun; ++i) CallOnce(v);
  return (Now() - start) / v.callsPerRun;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

const Variant* Find(const std::vector<Variant>& variants, const std::string& name) {
  for (const Variant& v : variants)
    if (v.name == name) return &v;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 12;

  constexpr size_t kSizeCount = sizeof kFrameSizes / sizeof kFrameSizes[0];
  std::vector<Frames> frames(kSizeCount);
  std::vector<Variant> variants;
  std::mt19937 rng(5);
  for (size_t s = 0; s < kSizeCount; ++s) {
    const FrameSize& size = kFrameSizes[s];
    FillFrames(frames[s], size);

    variants.push_back({VariantName(size, "-", "memcpy"), &frames[s], &size, true,
                        BenchCurve(kFrameCases[0]), false, FramePath::kPlain, 1, {}});
    for (const FrameCase& c : kFrameCases) {
      const CurveData data = BenchCurve(c);
      variants.push_back({VariantName(size, c.name, "plain"), &frames[s], &size, false, data,
                          false, FramePath::kPlain, 1, {}});
      variants.push_back({VariantName(size, c.name, "fast"), &frames[s], &size, false, data, true,
                          FramePath::kPlain, 1, {}});
      for (FramePath path : kTimedPaths)
        if (FramePathRuns(path))
          variants.push_back({VariantName(size, c.name, kFramePathNames[int(path)]), &frames[s],
                              &size, false, data, false, path, 1, {}});
    }
  }

  // Enough calls per run to last about 20 ms, so that the counter's resolution and the odd
  // interruption weigh little; the first call also brings the frames into memory.
  for (Variant& v : variants) {
    const double once = TimeRun(v);
    v.callsPerRun = std::max(1, static_cast<int>(20000.0 / std::max(once, 1.0)));
  }

  std::vector<size_t> order(variants.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  for (int round = 0; round < rounds; ++round) {
    std::shuffle(order.begin(), order.end(), rng);
    for (size_t i : order) variants[i].microseconds.push_back(TimeRun(variants[i]));
  }

  std::printf("%d interleaved runs per variant; median time per call\n", rounds);
  for (const Variant& v : variants)
    std::printf("  %-26s %10.1f us\n", v.name.c_str(), Median(v.microseconds));

  PrintRatioTable([&](const std::string& name) {
    const Variant* v = Find(variants, name);
    return v == nullptr ? 0.0 : Median(v->microseconds);
  });
  return 0;
}
