// The per-instance settings record: the master curve (its lookup table and control points), the
// snapshots the configuration dialog restores on Cancel, the point being dragged, the channel
// mode and the borrowed preview interface; after them a red, a green and a blue curve, the
// interpolation kind of each of the four curves, their snapshots, and what the master curve maps
// (the channels or luma). Plain fixed-size data that the host allocates and may copy byte for
// byte; it owns nothing.
#pragma once

#include <cstddef>
#include <cstdint>

class IFilterPreview;

// A control point in curve units (0..255 on both axes); (-1, -1) marks an empty slot.
struct ControlPoint {
  int32_t x;
  int32_t y;
};

// Which colour channels are mapped through the table. The byte may hold any value when it comes
// from a script; frames treat every value other than Red, Green and Blue like RGB.
using ChannelMode = uint8_t;
enum : ChannelMode { kModeRgb = 0, kModeRed = 1, kModeGreen = 2, kModeBlue = 3 };

// Indexed by ChannelMode: the mode selector lists these in this order.
constexpr int kModeCount = 4;
extern const char* const kModeNames[kModeCount];

constexpr int kSlotCount = 256;
constexpr int kLutSize = 256;
// The insertion search, the dialog's hit test, the markers and the script writer's original form
// look at slots 0..254 only; slot 255 takes part in the curve.
constexpr int kEditableSlots = 255;
constexpr int32_t kEmpty = -1;

// The four curves of an instance. The master curve is the original one (points, lut); the
// channel curves come first for their own channel, and the master follows for the channels the
// mode maps.
enum CurveIndex : int { kCurveMaster = 0, kCurveRed = 1, kCurveGreen = 2, kCurveBlue = 3 };
constexpr int kCurveCount = 4;
constexpr int kChannelCurveCount = 3;
constexpr int kChannelSlots = 64;
// Indexed by CurveIndex: the curve selector lists these in this order.
extern const char* const kCurveNames[kCurveCount];

// How a curve is drawn through its points. Smooth is the original spline with its fixed ends;
// monotone and linear pass through their points, end points included, and never overshoot.
using CurveKind = uint8_t;
enum : CurveKind { kKindSmooth = 0, kKindMonotone = 1, kKindLinear = 2 };
constexpr int kKindCount = 3;
// Indexed by CurveKind: the kind selector lists these in this order.
extern const char* const kKindNames[kKindCount];

// What the master curve maps: the channels the mode names (the original behaviour), or the luma
// of each pixel by the Rec. 709 or Rec. 601 weights, the master's change of luma then added to
// all three channels alike. The byte may hold any value when it comes from a damaged block; every
// value other than the two luma targets reads as the channels.
using MasterTarget = uint8_t;
enum : MasterTarget { kTargetChannels = 0, kTargetLuma709 = 1, kTargetLuma601 = 2 };

// A red, green or blue curve: its points (as the master's, fewer slots, all of them editable) and
// its table.
struct ChannelCurve {
  ControlPoint points[kChannelSlots];
  int32_t lut[kLutSize];
};

struct CurveData {
  int32_t lut[kLutSize];
  int32_t lutSnapshot[kLutSize];
  ControlPoint points[kSlotCount];
  ControlPoint pointsSnapshot[kSlotCount];
  int32_t selected;  // slot being dragged in the dialog, -1 for none
  ChannelMode mode;
  IFilterPreview* preview;  // borrowed from the host while the dialog is open
  // Everything below came after the original record and leaves its layout as it was.
  ChannelCurve channel[kChannelCurveCount];  // red, green, blue
  CurveKind kind[kCurveCount];               // by CurveIndex
  ChannelCurve channelSnapshot[kChannelCurveCount];
  CurveKind kindSnapshot[kCurveCount];
  MasterTarget target;  // no snapshot: like the mode, a target chosen in the dialog stays
};

// The original fields keep their places: the host and stored blocks know them there.
static_assert(offsetof(CurveData, selected) == 6144, "CurveData layout");
static_assert(offsetof(CurveData, mode) == 6148, "CurveData layout");
static_assert(offsetof(CurveData, preview) == 6152, "CurveData layout");
static_assert(offsetof(CurveData, channel) == (sizeof(void*) == 4 ? 6156 : 6160),
              "CurveData layout");
static_assert(offsetof(CurveData, target) == (sizeof(void*) == 4 ? 15380 : 15384),
              "CurveData layout");
// The settings block: all a host below interface 16 allocates per instance; newer hosts allocate
// it with the 16-bit tables after it.
static_assert(sizeof(CurveData) == (sizeof(void*) == 4 ? 15384 : 15392), "CurveData layout");

inline bool IsValidPoint(const ControlPoint& p) { return p.x != kEmpty && p.y != kEmpty; }

// The state of a new instance: identity table, no points, RGB on the channels, nothing selected.
// The snapshots and preview are left alone; the dialog writes them before anything reads them.
void InitCurveData(CurveData& data);

// Identity table and every slot empty; no other field changes.
void ResetCurve(CurveData& data);

// ResetCurve, and the same for the three channel curves; every kind smooth, the master on the
// channels.
void ResetAllCurves(CurveData& data);

// One curve's slots and table, by CurveIndex (anything else reads as the master).
ControlPoint* CurvePoints(CurveData& data, int curve);
const ControlPoint* CurvePoints(const CurveData& data, int curve);
int32_t* CurveLut(CurveData& data, int curve);
const int32_t* CurveLut(const CurveData& data, int curve);
// 256 for the master, 64 for a channel curve.
int32_t CurveSlotCount(int curve);
// Slots the editor can pick and the insertion search looks at: the master's 0..254 (slot 255
// takes part in the curve only), every slot of a channel curve.
int32_t CurveEditableSlots(int curve);

// A stored kind as it is used: the smooth kind for any value that names no kind.
CurveKind KindOf(const CurveData& data, int curve);

// A stored target as it is used: the channels for any value that names no luma target.
MasterTarget TargetOf(const CurveData& data);

// Whether a curve has at least one valid point.
bool CurveHasPoints(const CurveData& data, int curve);

// Whether the master curve maps channel (kCurveRed, kCurveGreen or kCurveBlue) under this mode:
// every mode other than Red, Green and Blue maps all three.
bool MasterMapsChannel(ChannelMode mode, int channel);

// InsertPoint on any curve.
int32_t InsertCurvePoint(CurveData& data, int curve, int32_t x, int32_t y);

// The editable slot whose point comes next (step 1) or before (step -1) the point of `slot` in x
// order, points of equal x in slot order; from no slot (-1), the first or the last point. -1 when
// there is none, or `slot` itself when it is the last (first) already.
int32_t NeighbourPoint(const CurveData& data, int curve, int32_t slot, int step);

// Places (x, y) in x order: before the first slot (0..254) that is empty or holds a greater x.
// Points from that slot up to the next empty slot move one place towards the end; the empty slot
// takes the last of them, so no point is ever pushed out. Returns the slot, or -1 (and changes
// nothing) when no slot in 0..254 qualifies or no empty slot is left to absorb the shift.
int32_t InsertPoint(int32_t x, int32_t y, CurveData& data);

// Empties one slot of a curve in place; nothing is compacted.
void DeletePoint(CurveData& data, int curve, int32_t slot);

// Moves the point of one slot of a curve in place; slots are never re-sorted.
void MovePoint(CurveData& data, int curve, int32_t slot, int32_t x, int32_t y);

// Marks count slots empty.
void EmptySlots(ControlPoint* points, int32_t count);

// The dialog's snapshots of every curve's table, points and kind (the mode and the selection have
// none).
void TakeSnapshot(CurveData& data);
void RestoreSnapshot(CurveData& data);

// Short name of a mode for display; values above Blue are shown as RGB, which is how frames
// treat them.
const char* ModeName(ChannelMode mode);
