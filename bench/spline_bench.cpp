// Rebuild speed: one RebuildLut, the work the editor does on every mouse move while a point is
// dragged. Targets on this machine: under 2 ms for the longest walk there is (256 points jumping
// between opposite corners, 257 segments of 511 samples, 131,327 samples), under 20 us for a
// typical four-point curve.
#include <benchmark/benchmark.h>

#include "engine/spline.h"

namespace {

void RunRebuilds(benchmark::State& state, CurveData& data) {
  int32_t samples = 0;
  for (auto _ : state) {
    samples = RebuildLutCountingSamples(data);
    benchmark::DoNotOptimize(data.lut);
    benchmark::ClobberMemory();
  }
  state.counters["samples"] = samples;
  state.counters["ns/sample"] = benchmark::Counter(
      double(samples) * double(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RebuildLongestWalk(benchmark::State& state) {
  CurveData data;
  InitCurveData(data);
  for (int i = 0; i < kSlotCount; ++i) {
    data.points[i] = ControlPoint{i % 2 ? 255 : 0, i % 2 ? 0 : 255};
  }
  RunRebuilds(state, data);
}
BENCHMARK(BM_RebuildLongestWalk)->Unit(benchmark::kMicrosecond);

void BM_RebuildFourPoints(benchmark::State& state) {
  CurveData data;
  InitCurveData(data);
  data.points[0] = ControlPoint{32, 24};
  data.points[1] = ControlPoint{96, 100};
  data.points[2] = ControlPoint{160, 180};
  data.points[3] = ControlPoint{224, 236};
  RunRebuilds(state, data);
}
BENCHMARK(BM_RebuildFourPoints)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
