// From points to tables: each curve's table built by its kind, and the three per-channel tables
// that frames and the editor's bars use, each channel's own curve followed by the master curve
// where the mode maps that channel.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

// Writes all 256 entries of lut from the valid points among slotCount slots, by kind (a value
// that names no kind builds the smooth curve).
void BuildCurveTable(CurveKind kind, const ControlPoint* points, int32_t slotCount,
                     int32_t (&lut)[kLutSize]);

// Rebuilds one curve's table (CurveIndex) by its kind and nothing else. The table is built aside
// and copied in once it is complete, so the live table never holds a build's passing values (the
// smooth build starts from the identity and overwrites it sample by sample). The copy is not
// atomic: a reader on another thread during it could see entries of both tables. None should be
// there: rebuilds happen inside the dialog and the script call, and the host runs one instance's
// callbacks one at a time, never its frames during either.
void RebuildCurve(CurveData& data, int curve);

// The master curve's table: RebuildCurve(data, kCurveMaster).
void RebuildLut(CurveData& data);

// Every curve's table.
void RebuildAllCurves(CurveData& data);

// The 8-bit result for each 8-bit input of each channel, indexed blue, green, red (the order of
// the bytes in a pixel): out_c = master maps c ? master[channel_c[v]] : channel_c[v], with the low
// 8 bits of each table entry. Under a luma target the master maps no channel: it acts on the luma
// of what these tables give (luma.h).
constexpr int kPixelBlue = 0, kPixelGreen = 1, kPixelRed = 2;
void ComposeChannelTables(const CurveData& data, uint8_t (&levels)[3][kLutSize]);

// What each grey level (v, v, v) comes out as through every curve, by channel in the same order:
// with the master on the channels these are the tables above; under a luma target the channel
// tables, then the master's change of their luma added to all three.
void ComposeGreyResults(const CurveData& data, uint8_t (&levels)[3][kLutSize]);

// The curve (kCurveRed, kCurveGreen, kCurveBlue) whose channel sits in pixel byte `byte`, and the
// pixel byte of a channel curve's channel.
inline int ChannelCurveOfByte(int byte) { return kCurveBlue - byte; }
inline int PixelByteOfCurve(int curve) { return kCurveBlue - curve; }
