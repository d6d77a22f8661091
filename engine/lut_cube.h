// .cube files, the lookup-table text that video tools share, written from a CurveData. Bytes
// out: saving the file is the caller's.
//
// With the master curve on the channels the file is a 1D table: each channel's own curve and the
// master composed, 256 lines "r g b" of levels / 255. A reader that holds 32-bit floats and
// applies it to 8-bit frames gives exactly tonarc's output. A luma target mixes the channels, so
// the file is a 3D table of the mapping at 65 levels per axis; its reader interpolates between
// them, which comes close but is not exact.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"

constexpr int32_t kCube1dSize = kLutSize;
constexpr int32_t kCube3dSize = 65;

// "TITLE ..." and "LUT_xD_SIZE n" lines, then one line per entry: three numbers of 14 characters
// ("0.003921568627") with a space between them.
constexpr size_t kCubeTitleBytes = 15;  // TITLE "tonarc"
constexpr size_t kCubeEntryBytes = 3 * 14 + 2 + 1;
constexpr size_t kCube1dFileBytes = kCubeTitleBytes + 16 + kCube1dSize * kCubeEntryBytes;
constexpr size_t kCube3dFileBytes =
    kCubeTitleBytes + 15 + size_t{kCube3dSize} * kCube3dSize * kCube3dSize * kCubeEntryBytes;

// Whether the file keeps tonarc's output exactly: true for the 1D table.
bool CubeFileIsExact(const CurveData& data);

// The length of the file WriteCubeFile makes for these settings.
size_t CubeFileLength(const CurveData& data);

// Writes the file into out and returns its length; with less room than CubeFileLength it writes
// nothing and returns 0. The tables must be built (as after any change through the engine).
size_t WriteCubeFile(const CurveData& data, char* out, size_t room);
