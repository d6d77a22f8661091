// Rebuild speed: the work the editor does on every mouse move while a point is dragged, one curve's
// table at a time. Targets on this machine: under 2 ms for the longest smooth walk there is (256
// points jumping between opposite corners, 257 segments of 511 samples, 131,327 samples), under
// 20 us for one curve of any kind with a few points.
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/curve_tables.h"
#include "engine/spline.h"

namespace {

void RunRebuilds(benchmark::State& state, CurveData& data) {
  int32_t samples = 0;
  for (auto _ : state) {
    samples = BuildSmoothTable(data.points, kSlotCount, data.lut);
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

// One curve of a kind through RebuildCurve, as the editor rebuilds the curve being edited.
void BM_RebuildCurve(benchmark::State& state, int curve, CurveKind kind,
                     std::vector<ControlPoint> points) {
  CurveData data;
  InitCurveData(data);
  data.kind[curve] = kind;
  for (size_t i = 0; i < points.size(); ++i) CurvePoints(data, curve)[i] = points[i];
  for (auto _ : state) {
    RebuildCurve(data, curve);
    benchmark::DoNotOptimize(CurveLut(data, curve));
    benchmark::ClobberMemory();
  }
}

const std::vector<ControlPoint> kFourPoints = {{32, 24}, {96, 100}, {160, 180}, {224, 236}};

// Every x of the master curve's slots, on a zigzag: the most knots a curve can have.
std::vector<ControlPoint> EveryX() {
  std::vector<ControlPoint> points;
  for (int32_t x = 0; x < kSlotCount; ++x) points.push_back({x, x % 2 ? 255 - x : x});
  return points;
}

BENCHMARK_CAPTURE(BM_RebuildCurve, smooth_red_4_points, kCurveRed, kKindSmooth, kFourPoints)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RebuildCurve, monotone_green_4_points, kCurveGreen, kKindMonotone,
                  kFourPoints)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RebuildCurve, linear_blue_4_points, kCurveBlue, kKindLinear, kFourPoints)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RebuildCurve, monotone_master_256_points, kCurveMaster, kKindMonotone,
                  EveryX())
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RebuildCurve, linear_master_256_points, kCurveMaster, kKindLinear, EveryX())
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
