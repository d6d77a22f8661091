// The compiled ways of mapping a frame. MapFrame picks the fastest one this processor runs; tests
// and benchmarks force each in turn. Every path writes exactly the bytes the plain loop writes.
//
// The vector paths live in their own files, compiled with their instruction-set flags, and run
// only after FramePathRuns has said yes. Those files therefore share nothing with the rest of the
// module but the plain records and declarations below: an inline function or template compiled
// there could be merged by the linker with the baseline copy and run on any processor.
#pragma once

#include <cstdint>

#include "engine/frame_map.h"

// In order of preference, fastest last.
enum class FramePath : uint8_t { kPlain, kScalar, kAvx2, kAvx512 };
constexpr int kFramePathCount = 4;
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

// What every path works from, composed from the four curves at the start of each frame (768
// bytes on the stack), so that no path looks at CurveData or the mode byte itself.
struct FramePlan {
  uint8_t level[3][kLutSize];  // by pixel byte (blue, green, red): the new value of each level
  uint32_t mapped;             // pixel bits whose table is not the identity
  bool sharedLevels;           // every mapped byte has the same table: one curve for all three
                               // channels, or a single channel mapped
};

// Maps one row of `width` pixels with a path's own per-frame tables.
using RowMapper = void (*)(const void* tables, const unsigned char* src, unsigned char* dst,
                           int32_t width);

// Runs mapRow over every row in memory order, stepping over the row gaps without touching them
// and never stepping a pointer past the last row. Compiled with the baseline flags, so every path
// shares it.
void ForEachRow(const FrameSpan& frame, RowMapper mapRow, const void* tables);

// The paths proper. Each is given a frame of at least one pixel and one row.
void MapFrameScalar(const FramePlan& plan, const FrameSpan& frame);
void MapFrameAvx2(const FramePlan& plan, const FrameSpan& frame);
void MapFrameAvx512(const FramePlan& plan, const FrameSpan& frame);
