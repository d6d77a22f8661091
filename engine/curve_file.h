// Curve files, the curves-file format that photo editors share, read into and written from the
// four curves of a CurveData. Bytes in, bytes out: opening and saving the file is the caller's.
//
// A file is 16-bit big-endian words: a version (1 or 4), a curve count, then for each curve a
// point count and that many (output, input) pairs. Curves 0 to 3 are the composite (our master
// curve), red, green and blue; further curves and anything after them are ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/curve_data.h"
#include "engine/reason.h"

// The longest file WriteCurveFile makes: two header words, then a count word and the knots of
// each curve, at most 256 for the master and a channel curve's 64 points with both ends added.
constexpr int32_t kMaxCurveFileBytes =
    4 + (2 + 4 * kSlotCount) + kChannelCurveCount * (2 + 4 * (kChannelSlots + 2));

// Room for any reason ReadCurveFile gives, terminator included.
constexpr int32_t kCurveFileReasonLength = kReasonLength;

// Reads a curve file into data: every curve's points and kind, the mode and target (RGB on the
// channels, since the composite maps all three channels) and, afterwards, every table. An
// imported curve is monotone and keeps the file's points in their slots, end points included; a
// curve that is exactly (0, 0), (255, 255), and a curve the file does not hold, becomes an empty
// smooth curve, so a file of untouched curves gives the settings of an untouched instance. When
// a curve has more points than slots, a first point (0, 0) and a last point (255, 255) are left
// out: the monotone curve has them without a slot.
//
// Refuses a file that is short, has a version other than 1 or 4 or no curve, a curve of fewer
// than 2 points or more than fit, a value above 255, or an input below the one before it: then
// it returns false with one sentence for a message box in reason and data is unchanged.
bool ReadCurveFile(const uint8_t* bytes, size_t size, CurveData& data,
                   char (&reason)[kCurveFileReasonLength]);

// Writes the four curves as a version 1 file and returns its length. A file holds monotone
// curves: a monotone curve is written as its knots (CollectKnots: in x order, one per x, the ends
// added) and reads back exactly; a smooth or linear curve would read back as the monotone curve
// through its points, another curve, so it is written as monotone knots fitted to its table,
// within 1 level wherever the curve's point limit allows. largestDifference receives the largest
// difference, in levels, between a curve's table and the table the file reads back into: 0 when
// every curve comes back exactly.
int32_t WriteCurveFile(const CurveData& data, uint8_t (&bytes)[kMaxCurveFileBytes],
                       int32_t& largestDifference);
