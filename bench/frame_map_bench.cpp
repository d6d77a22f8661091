// Frame mapping speed: the path MapFrame takes and each forced path against the plain loop and
// against the C runtime's memcpy of the same bytes, on full HD and 4K frames, with the original
// design's settings and with all four curves in use. Every benchmark is repeated (12 times by
// default, interleaved in random order so that drifting machine load hits all of them alike) and
// the summary at the end gives ratios of the median times (see frame_bench_cases.h).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/frame_bench_cases.h"
#include "engine/frame_map.h"
#include "engine/frame_map_paths.h"

namespace {

Frames& FramesFor(const FrameSize& size) {
  static std::map<int32_t, std::unique_ptr<Frames>> all;
  std::unique_ptr<Frames>& frames = all[size.width];
  if (!frames) {
    frames = std::make_unique<Frames>();
    FillFrames(*frames, size);
  }
  return *frames;
}

void RegisterAll() {
  for (const FrameSize& size : kFrameSizes) {
    benchmark::RegisterBenchmark(VariantName(size, "-", "memcpy").c_str(), [size](benchmark::State& st) {
      Frames& f = FramesFor(size);
      // Called through a pointer so that it is the runtime's copy, not one the compiler inlines.
      void* (*volatile copy)(void*, const void*, size_t) = std::memcpy;
      for (auto _ : st) {
        copy(f.dst.data(), f.src.data(), f.src.size() * 4);
        benchmark::ClobberMemory();
      }
    })->Unit(benchmark::kMicrosecond);

    for (const FrameCase& c : kFrameCases) {
      const CurveData data = BenchCurve(c);
      const auto add = [&](const char* variant, bool fast, FramePath path) {
        benchmark::RegisterBenchmark(
            VariantName(size, c.name, variant).c_str(),
            [size, data, fast, path](benchmark::State& st) {
              Frames& f = FramesFor(size);
              const FrameSpan frame{f.src.data(), 0, f.dst.data(), 0, size.width, size.height};
              for (auto _ : st) {
                benchmark::DoNotOptimize(fast ? MapFrame(data, frame)
                                              : MapFrameOn(path, data, frame));
                benchmark::ClobberMemory();
              }
            })
            ->Unit(benchmark::kMicrosecond);
      };
      add("plain", false, FramePath::kPlain);
      add("fast", true, FramePath::kPlain);
      for (FramePath path : kTimedPaths)
        if (FramePathRuns(path)) add(kFramePathNames[int(path)], false, path);
    }
  }
}

// Prints every run as usual and keeps the median of each benchmark for the summary.
class MedianKeeper : public benchmark::ConsoleReporter {
 public:
  MedianKeeper() : ConsoleReporter(OO_None) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
        medians[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  std::map<std::string, double> medians;
};

}  // namespace

int main(int argc, char** argv) {
  // Defaults first, so that flags given on the command line override them.
  std::vector<char*> args{argv[0]};
  char repetitions[] = "--benchmark_repetitions=12";
  char interleaving[] = "--benchmark_enable_random_interleaving=true";
  char minTime[] = "--benchmark_min_time=0.1";
  char aggregatesOnly[] = "--benchmark_display_aggregates_only=true";
  args.insert(args.end(), {repetitions, interleaving, minTime, aggregatesOnly});
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  RegisterAll();
  MedianKeeper reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintRatioTable([&](const std::string& name) {
    const auto it = reporter.medians.find(name);
    return it == reporter.medians.end() ? 0.0 : it->second;
  });
  return 0;
}
