// Frames of 24-bit pixels, bytes blue, green, red, mapped through the same plan as 32-bit ones
// (frame_map_paths.h): each channel through its levels, then the luma step where the plan has
// one. Source and destination may be the same memory.
#pragma once

#include "engine/byte_rows.h"
#include "engine/frame_map_paths.h"

// rows.rowBytes is three times the pixels in a row.
void MapRgb24Rows(const FramePlan& plan, const ByteRows& rows);
