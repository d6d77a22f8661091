// The settings text: one call `Config(<mode>,"<points>")` that the host stores in its processing
// script and runs again to recreate an instance. The points are four lowercase hex digits each
// (x then y), the valid slots in slot order; the table is never stored, it is rebuilt on reading.
//
// The writer and the reader are plain functions on CurveData so they can be tested without a
// host; FssProc and ScriptConfig below are the host's thin entries to them.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "host/filter_abi.h"

// Longest text the writer produces, terminator excluded: "Config(", a three-digit mode, ",\"",
// 256 points of four digits and "\")".
constexpr int kMaxConfigScriptLength = 7 + 3 + 2 + 4 * kSlotCount + 2;

// The reader looks at no more than this many characters of the point text: one slot per four.
constexpr int kMaxPointTextLength = 4 * kSlotCount;

// Writes the text for data's mode and its valid points (all 256 slots, so nothing is lost on a
// save and reload) into out, terminator included, and returns true. When the text and its
// terminator do not fit in length bytes it writes only a terminator at out[0] (if length is at
// least 1) and returns false: a cut-off call would restore different settings.
bool WriteConfigScript(const CurveData& data, char* out, int length);

// Number of characters WriteConfigScript needs, terminator excluded.
int ConfigScriptLength(const CurveData& data);

// Fills slots from 0 upward from the point text, one slot per four characters, up to 256 slots
// and never reading past the text's terminator. Coordinate j comes from characters 2j and 2j+1:
// a hex digit (either case), optionally followed by a second one. A coordinate that starts at or
// past the end of the text repeats the point's x (so a lone trailing x gives a point on the
// diagonal); a coordinate inside the text that does not start with a hex digit leaves its slot
// empty. Slots the text does not reach are left as they are. A null text reads as empty.
void ReadPointText(const char* text, CurveData& data);

// What running the script call does: empties the record (ResetCurve), stores the low 8 bits of
// modeArgument as the mode, reads the point text and rebuilds the table.
void ApplyConfigScript(CurveData& data, int32_t modeArgument, const char* pointText);

// The host's entries: fssProc, and the script function registered as "Config" with "0is".
bool FssProc(FilterActivation* fa, const FilterFunctions* ff, char* out, int length);
void ScriptConfig(IScriptInterpreter* interpreter, void* context, CScriptValue* argv, int argc);
