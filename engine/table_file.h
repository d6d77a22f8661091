// Table files: bare tables of one byte per level, 256 bytes a table, no header, as photo editors
// keep an arbitrary map of the levels. Bytes in, bytes out: opening and saving the file is the
// caller's.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "engine/curve_import.h"
#include "engine/reason.h"

constexpr size_t kTableBytes = kLutSize;
// What WriteTableFile writes: red, green and blue.
constexpr size_t kTableFileBytes = 3 * kTableBytes;
// The longest file ReadTableFile takes: master, red, green and blue.
constexpr size_t kMaxTableFileBytes = 4 * kTableBytes;

// Whether the file keeps tonarc's output exactly: with the master curve on luma it cannot, since a
// table file maps each channel on its own.
bool TableFileIsExact(const CurveData& data);

// The red, green and blue levels each input level comes out as: each channel's own curve, then
// the master where it maps that channel. With a luma target the master follows on all three,
// which is what a program that maps channels alone can come closest with (exact for greys).
// The tables must be built.
void WriteTableFile(const CurveData& data, uint8_t (&bytes)[kTableFileBytes]);

// Reads a file of 256 bytes (the master curve), 768 (red, green, blue) or 1024 (master, red,
// green, blue) into data: each table becomes a linear curve (ImportTable, which says in fit how
// closely a channel curve keeps a table it has too few slots for), the curves the file does not
// hold become empty, and the mode and target are set to map the channels.
//
// Refuses a file of any other size: then it returns false with one sentence for a message box in
// reason, and data and fit are unchanged.
bool ReadTableFile(const uint8_t* bytes, size_t size, CurveData& data, TableFit& fit,
                   char (&reason)[kReasonLength]);
