// The luma samples of Y'CbCr video mapped through the master curve, 8 bits a sample: a plane of
// luma only, or the luma bytes of packed 4:2:2 rows. Chroma never changes: where source and
// destination are the same memory only luma bytes are written, otherwise the chroma bytes of a
// packed row are copied beside the mapped luma.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/byte_rows.h"
#include "engine/curve_data.h"
#include "engine/frame_map_paths.h"

// The new level of each 8-bit luma sample. Full range: the master curve's entry. Limited range
// (black 16, white 235): y between 16 and 235 is read as the curve level
// x = (255 * (y - 16) + 109) / 219 and written as 16 + (219 * master[x] + 127) / 255, both rounded
// to the nearest integer; below 16 (above 235) a sample moves as 16 (235) does, within 0..255.
// Only the low 8 bits of each table entry count.
void BuildLumaLevels(const int32_t (&master)[kLutSize], bool limitedRange,
                     uint8_t (&levels)[kLutSize]);

// Every two neighbouring samples of a plane as one 16-bit word, as memory holds it, mapped whole:
// half the lookups of a byte table, and 128 KB that stay in the cache. Built from the levels when
// the settings change, never per frame.
constexpr int32_t kLumaPairCount = 65536;
struct LumaPairs {
  uint16_t pair[kLumaPairCount];
};
void BuildLumaPairs(const uint8_t (&levels)[kLutSize], LumaPairs& pairs);

// Which bytes of a row are luma: every byte (a plane), the first of each pair (Y0 Cb Y1 Cr) or
// the second (Cb Y0 Cr Y1).
enum class LumaBytes : uint8_t { kEvery, kFirstOfPair, kSecondOfPair };


// Maps every row on the fastest path this processor runs; for pairs, rows.rowBytes is even.
// `pairs`, where given, were built from `levels`; without them (their memory could not be had)
// planes are looked up a byte at a time.
void MapLumaRows(const uint8_t (&levels)[kLutSize], const LumaPairs* pairs, LumaBytes luma,
                 const ByteRows& rows);
// The same on a given path (see frame_map_paths.h: a path the processor cannot run falls back to
// the scalar one). The plain path looks every sample up in the byte table; the scalar one looks
// planes up by pairs.
void MapLumaRowsOn(FramePath path, const uint8_t (&levels)[kLutSize], const LumaPairs* pairs,
                   LumaBytes luma, const ByteRows& rows);

// The AVX-512 rows, compiled apart with its instruction set (see frame_map_paths.h).
void MapLumaRowsAvx512(const uint8_t* levels, LumaBytes luma, const ByteRows& rows);
