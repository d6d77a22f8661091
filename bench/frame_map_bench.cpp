// Frame mapping speed: the path MapFrame takes against the plain loop and against the C runtime's
// memcpy of the same bytes, on full HD and 4K frames. Every benchmark is repeated (12 times by
// default, interleaved in random order so that drifting machine load hits all of them alike) and
// the summary at the end gives ratios of the median times:
//   speed-up   = plain loop / fast path      (higher is better)
//   vs memcpy  = fast path / memcpy          (lower is better; 1.0 is memory speed)
// The forced paths (scalar, avx2, avx512) are listed for comparison when this processor runs them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/frame_map.h"
#include "engine/frame_map_paths.h"

namespace {

struct Size {
  int32_t width, height;
  const char* name;
};
constexpr Size kSizes[] = {{1920, 1080, "1920x1080"}, {3840, 2160, "3840x2160"}};

// Source and destination of one size, packed rows as most hosts hand them over. Filled once with
// random pixels so that table lookups hit every part of the table.
struct Frames {
  std::vector<uint32_t> src, dst;
};

Frames& FramesFor(const Size& size) {
  static std::map<int32_t, std::unique_ptr<Frames>> all;
  std::unique_ptr<Frames>& frames = all[size.width];
  if (!frames) {
    frames = std::make_unique<Frames>();
    const size_t pixels = static_cast<size_t>(size.width) * size.height;
    frames->src.resize(pixels);
    frames->dst.resize(pixels);
    std::mt19937 rng(5);
    for (uint32_t& p : frames->src) p = static_cast<uint32_t>(rng());
  }
  return *frames;
}

CurveData Curve(ChannelMode mode) {
  CurveData data;
  InitCurveData(data);
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = (i * i) / 255;  // a darkening curve
  data.mode = mode;
  return data;
}

// The name of a variant is "<size>/<mode>/<variant>"; the summary reads it back.
std::string Name(const Size& size, const char* mode, const char* variant) {
  return std::string(size.name) + "/" + mode + "/" + variant;
}

void RegisterAll() {
  for (const Size& size : kSizes) {
    benchmark::RegisterBenchmark(Name(size, "-", "memcpy").c_str(), [size](benchmark::State& st) {
      Frames& f = FramesFor(size);
      // Called through a pointer so that it is the runtime's copy, not one the compiler inlines.
      void* (*volatile copy)(void*, const void*, size_t) = std::memcpy;
      for (auto _ : st) {
        copy(f.dst.data(), f.src.data(), f.src.size() * 4);
        benchmark::ClobberMemory();
      }
    })->Unit(benchmark::kMicrosecond);

    for (int mode = 0; mode < kModeCount; ++mode) {
      const CurveData data = Curve(static_cast<ChannelMode>(mode));
      const auto add = [&](const char* variant, bool fast, FramePath path) {
        benchmark::RegisterBenchmark(
            Name(size, kModeNames[mode], variant).c_str(),
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
      // The other paths once for the whole-pixel mode and once for a single channel.
      if (mode <= 1)
        for (FramePath path : {FramePath::kScalar, FramePath::kAvx2, FramePath::kAvx512})
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

void PrintSummary(const std::map<std::string, double>& medians) {
  const auto find = [&](const std::string& name) {
    const auto it = medians.find(name);
    return it == medians.end() ? 0.0 : it->second;
  };
  std::printf("\nfast path: %s; ratios of median real times\n",
              kFramePathNames[int(FastestFramePath())]);
  std::printf("%-10s %-6s %12s %12s %12s %10s %10s\n", "frame", "mode", "plain us", "fast us",
              "memcpy us", "speed-up", "vs memcpy");
  for (const Size& size : kSizes)
    for (int mode = 0; mode < kModeCount; ++mode) {
      const double plain = find(Name(size, kModeNames[mode], "plain"));
      const double fast = find(Name(size, kModeNames[mode], "fast"));
      const double copy = find(Name(size, "-", "memcpy"));
      if (plain == 0 || fast == 0 || copy == 0) continue;  // filtered out
      std::printf("%-10s %-6s %12.1f %12.1f %12.1f %9.2fx %9.2fx\n", size.name, kModeNames[mode],
                  plain, fast, copy, plain / fast, fast / copy);
    }
}

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
  PrintSummary(reporter.medians);
  return 0;
}
