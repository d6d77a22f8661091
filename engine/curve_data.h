// The per-instance settings record: the lookup table, the control points, the snapshots the
// configuration dialog restores on Cancel, the point being dragged, the channel mode and the
// borrowed preview interface. Plain fixed-size data that the host allocates and may copy byte
// for byte; it owns nothing.
#pragma once

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

struct CurveData {
  int32_t lut[kLutSize];
  int32_t lutSnapshot[kLutSize];
  ControlPoint points[kSlotCount];
  ControlPoint pointsSnapshot[kSlotCount];
  int32_t selected;  // slot being dragged in the dialog, -1 for none
  ChannelMode mode;
  IFilterPreview* preview;  // borrowed from the host while the dialog is open
};

// The host allocates exactly this many bytes per instance.
static_assert(sizeof(CurveData) == (sizeof(void*) == 4 ? 6156 : 6160), "CurveData layout");

inline bool IsValidPoint(const ControlPoint& p) { return p.x != kEmpty && p.y != kEmpty; }

// The state of a new instance: identity table, no points, RGB, nothing selected. The snapshots
// and preview are left alone; the dialog writes them before anything reads them.
void InitCurveData(CurveData& data);

// Identity table and every slot empty; no other field changes.
void ResetCurve(CurveData& data);

// Places (x, y) in x order: before the first slot (0..254) that is empty or holds a greater x.
// Points from that slot up to the next empty slot move one place towards the end; the empty slot
// takes the last of them, so no point is ever pushed out. Returns the slot, or -1 (and changes
// nothing) when no slot in 0..254 qualifies or no empty slot is left to absorb the shift.
int32_t InsertPoint(int32_t x, int32_t y, CurveData& data);

// Empties one slot in place; nothing is compacted.
void DeletePoint(CurveData& data, int32_t slot);

// Moves the point of one slot in place; slots are never re-sorted.
void MovePoint(CurveData& data, int32_t slot, int32_t x, int32_t y);

// The dialog's snapshots of lut and points (the mode and the selection have none).
void TakeSnapshot(CurveData& data);
void RestoreSnapshot(CurveData& data);

// Short name of a mode for display; values above Blue are shown as RGB, which is how frames
// treat them.
const char* ModeName(ChannelMode mode);
