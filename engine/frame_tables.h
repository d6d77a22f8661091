// The tables an instance maps frames through, derived from its settings and kept with it, so that
// a frame only looks them up: they are rebuilt when the settings differ from those they were
// built from (compared by value, whoever changed them), never per frame.
//
// The 8-bit tables live in the record itself, so a byte-for-byte copy of an instance carries
// valid ones. The 16-bit tables (a megabyte and more) live in memory the record owns while frames
// of more than 8 bits are processed; the record remembers its own address beside the pointer, so
// that a byte copy, which lands elsewhere, knows the memory is not its own and neither uses nor
// frees it. The pair table of 8-bit luma planes (128 KB) is owned the same way.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "engine/deep_tables.h"
#include "engine/frame_map_paths.h"
#include "engine/luma_plane.h"
#include "engine/settings_effect.h"

struct DeepState;  // the owned 16-bit tables and what they were built from
struct PairState;  // the owned luma pair table and the levels it was built from

struct FrameTables {
  // The tables the 8-bit ones were built from, and the mode and target.
  int32_t builtFrom[kCurveCount][kLutSize];
  ChannelMode builtMode;
  MasterTarget builtTarget;
  bool built;
  SettingsEffect effect;
  FramePlan plan;                   // 8-bit RGB
  uint8_t lumaLevels[2][kLutSize];  // 8-bit luma planes: full range, limited range

  int32_t format;  // the frame format agreed with the host, 0 for none

  DeepState* deep;
  const FrameTables* deepOwner;  // the record that allocated `deep`
  PairState* pairs;
  const FrameTables* pairsOwner;  // the record that allocated `pairs`
};

// A record with nothing built and nothing owned, whatever its bytes held.
void InitFrameTables(FrameTables& tables);

// Rebuilds the 8-bit tables if the settings are not those they were built from.
void UpdateFrameTables(const CurveData& data, FrameTables& tables);

// The 16-bit tables for RGB frames (rgb) or luma planes of this scale, rebuilt if the settings or
// the scale changed and allocated if this record owns none. Null when the memory cannot be had.
const DeepTables* DeepTablesFor(const CurveData& data, bool rgb, const SampleScale& scale,
                                FrameTables& tables);

// The pair table of lumaLevels[limitedRange ? 1 : 0], rebuilt if those levels changed and
// allocated if this record owns none; call UpdateFrameTables first. Null when the memory cannot be
// had.
const LumaPairs* LumaPairsFor(bool limitedRange, FrameTables& tables);

// Frees the 16-bit tables and the pair table where this record owns them, and forgets them either
// way.
void ReleaseDeepTables(FrameTables& tables);
