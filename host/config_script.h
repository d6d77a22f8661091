// The settings text: one call that the host stores in its processing script and runs again to
// recreate an instance. Settings of one curve are written as `Config(<mode>,"<points>")`, as they
// always have been; settings that use a channel curve or a kind other than smooth are written as
// `Config(<mode>,"<master>","<red>","<green>","<blue>",<kinds>)`, with the kinds packed two bits
// per curve (master in the low bits); settings whose master curve maps luma add the target:
// `Config(<mode>,"<master>","<red>","<green>","<blue>",<kinds>,<target>)`. The points are four
// lowercase hex digits each (x then y), the valid slots in slot order; tables are never stored,
// they are rebuilt on reading.
//
// The writer and the reader are plain functions on CurveData so they can be tested without a
// host; FssProc and ScriptConfig below are the host's thin entries to them.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"
#include "host/filter_abi.h"

// Longest text of one curve, terminator excluded: "Config(", a three-digit mode, ",\"", 256
// points of four digits and "\")".
constexpr int kMaxOneCurveScriptLength = 7 + 3 + 2 + 4 * kSlotCount + 2;
// Longest text of all: the form with the target, every slot filled and a three-digit kinds field.
constexpr int kMaxConfigScriptLength =
    7 + 3 + 2 + 4 * kSlotCount + 3 * (3 + 4 * kChannelSlots) + 2 + 3 + 2 + 1;
// The editor hands fssProc 4,096 bytes; every setting must fit them, terminator included.
static_assert(kMaxConfigScriptLength < 4096, "settings text longer than the editor's buffer");

// The kinds field: two bits per curve, by CurveIndex. A field of 3 reads as smooth; bits above
// the four fields are ignored.
int32_t PackKinds(const CurveData& data);

// Whether the settings need the four-curve form: a channel curve has a valid point, a curve's
// kind is not smooth, or the master maps luma.
bool NeedsCurvesForm(const CurveData& data);

// Writes the text for data's mode and its valid points (all slots, so nothing is lost on a save
// and reload) into out, terminator included, and returns true: the one-curve form unless
// NeedsCurvesForm, the four-curve form with the target exactly when TargetOf is not the
// channels, so that every earlier setting keeps its text. When the text and its terminator do not
// fit in length bytes it writes only a terminator at out[0] (if length is at least 1) and returns
// false: a cut-off call would restore different settings.
bool WriteConfigScript(const CurveData& data, char* out, int length);

// Number of characters WriteConfigScript needs, terminator excluded.
int ConfigScriptLength(const CurveData& data);

// Fills slots from 0 upward from the point text, one slot per four characters, up to slotCount
// slots (the master's 256 when not given) and never reading past the text's terminator.
// Coordinate j comes from characters 2j and 2j+1: a hex digit (either case), optionally followed
// by a second one. A coordinate that starts at or past the end of the text repeats the point's x
// (so a lone trailing x gives a point on the diagonal); a coordinate inside the text that does not
// start with a hex digit leaves its slot empty. Slots the text does not reach are left as they
// are. A null text reads as empty.
void ReadPointText(const char* text, CurveData& data);
void ReadPointText(const char* text, ControlPoint* points, int32_t slotCount);

// What running the one-curve call does: empties all four curves and sets every kind smooth,
// stores the low 8 bits of modeArgument as the mode, reads the point text into the master curve
// and rebuilds the table.
void ApplyConfigScript(CurveData& data, int32_t modeArgument, const char* pointText);

// What running the four-curve call does: as ApplyConfigScript, with a point text per curve (by
// CurveIndex; null reads as empty) and the packed kinds; then the target, the argument when it
// names a luma target and the channels otherwise (the six-argument call has none: the channels).
void ApplyCurvesScript(CurveData& data, int32_t modeArgument, const char* const (&pointTexts)[4],
                       int32_t kinds, int32_t targetArgument = kTargetChannels);

// The host's entries: fssProc, and the script function "Config" with its three overloads,
// "0is" (mode, points), "0issssi" (mode, four point texts, kinds) and "0issssii" (the same and
// the target).
bool FssProc(FilterActivation* fa, const FilterFunctions* ff, char* out, int length);
void ScriptConfig(IScriptInterpreter* interpreter, void* context, CScriptValue* argv, int argc);
void ScriptConfigCurves(IScriptInterpreter* interpreter, void* context, CScriptValue* argv,
                        int argc);
void ScriptConfigWithTarget(IScriptInterpreter* interpreter, void* context, CScriptValue* argv,
                            int argc);
