// The compiled ways of mapping a frame. MapFrame picks the fastest one this processor runs; tests
// and benchmarks force each in turn. Every path writes exactly the bytes the plain loop writes.
//
// The vector path lives in its own file, compiled with its instruction-set flags, and runs only
// after FramePathRuns has said yes. That file therefore shares nothing with the rest of the module
// but the plain records and declarations below: an inline function or template compiled there
// could be merged by the linker with the baseline copy and run on any processor.
//
// There is no AVX2 path: a 256-entry byte table takes either gathers or sixteen 16-entry shuffles
// per table there, and both lost to the scalar path in the frame benchmark.
#pragma once

#include <cstdint>

#include "engine/frame_map.h"
#include "engine/luma.h"

// In order of preference, fastest last.
enum class FramePath : uint8_t { kPlain, kScalar, kAvx512 };
constexpr int kFramePathCount = 3;
// Indexed by FramePath.
extern const char* const kFramePathNames[kFramePathCount];

// Whether this processor and its operating system can run the path; the plain and scalar paths
// always can.
bool FramePathRuns(FramePath path);

// The path MapFrame takes here.
FramePath FastestFramePath();

// MapFrame through the given path. A path the processor cannot run is replaced by the scalar
// path rather than left to fault, so callers that force a path must ask FramePathRuns first.
int MapFrameOn(FramePath path, const CurveData& data, const FrameSpan& frame);

// What every path works from, composed from the four curves, the mode and the target (about a
// kilobyte), so that no path looks at CurveData itself. A pure function of the settings: MapFrame
// composes it at the start of each frame, and a caller that maps many frames of unchanged
// settings may compose it once.
struct FramePlan {
  uint8_t level[3][kLutSize];  // by pixel byte (blue, green, red): the new value of each level
  uint32_t mapped;             // pixel bits whose table is not the identity
  bool sharedLevels;           // every mapped byte has the same table: one curve for all three
                               // channels, or a single channel mapped
  // Under a luma target whose master curve changes anything, the levels are followed by the luma
  // step (luma.h): Y of the levelled pixel by these weights, and every channel moved by
  // lumaLevel[Y] - Y, kept within 0..255. Otherwise the levels are the whole mapping.
  bool luma;
  LumaWeights lumaWeights;
  uint8_t lumaLevel[kLutSize];  // the master curve's table
};

FramePlan PlanFrame(const CurveData& data);

// MapFrame and MapFrameOn from a plan composed beforehand: the same bytes, without composing. The
// plain loop works from the settings themselves, so here it is the scalar path.
int MapPlannedFrame(const FramePlan& plan, const FrameSpan& frame);
int MapPlannedFrameOn(FramePath path, const FramePlan& plan, const FrameSpan& frame);

// Maps one row of `width` pixels with a path's own per-frame tables.
using RowMapper = void (*)(const void* tables, const unsigned char* src, unsigned char* dst,
                           int32_t width);

// Runs mapRow over every row in memory order, stepping over the row gaps without touching them
// and never stepping a pointer past the last row. Compiled with the baseline flags, so every path
// shares it.
void ForEachRow(const FrameSpan& frame, RowMapper mapRow, const void* tables);

// The paths proper. Each is given a frame of at least one pixel and one row.
void MapFrameScalar(const FramePlan& plan, const FrameSpan& frame);
void MapFrameAvx512(const FramePlan& plan, const FrameSpan& frame);
