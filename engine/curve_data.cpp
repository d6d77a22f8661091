#include "engine/curve_data.h"

#include <cstring>

const char* const kModeNames[kModeCount] = {"RGB", "Red", "Green", "Blue"};
const char* const kKindNames[kKindCount] = {"Smooth", "Monotone", "Linear"};
const char* const kCurveNames[kCurveCount] = {"Master", "Red", "Green", "Blue"};

namespace {

void ResetTable(int32_t (&lut)[kLutSize]) {
  for (int i = 0; i < kLutSize; ++i) lut[i] = i;
}

// The insertion of InsertPoint over any run of slots, `editable` of which the search looks at.
int32_t InsertInto(ControlPoint* points, int32_t slotCount, int32_t editable, int32_t x,
                   int32_t y) {
  int32_t slot = kEmpty;
  for (int32_t i = 0; i < editable; ++i) {
    if (points[i].x == kEmpty || points[i].x > x) {
      slot = i;
      break;
    }
  }
  if (slot == kEmpty) return kEmpty;

  int32_t hole = slot;
  while (hole < slotCount && points[hole].x != kEmpty) ++hole;
  if (hole == slotCount) return kEmpty;  // the shift would push a point out of the last slot

  for (int32_t j = hole; j > slot; --j) points[j] = points[j - 1];
  points[slot] = ControlPoint{x, y};
  return slot;
}

}  // namespace

void InitCurveData(CurveData& data) {
  data.mode = kModeRgb;
  data.selected = kEmpty;
  ResetAllCurves(data);
}

void EmptySlots(ControlPoint* points, int32_t count) {
  for (int32_t i = 0; i < count; ++i) points[i] = ControlPoint{kEmpty, kEmpty};
}

void ResetCurve(CurveData& data) {
  ResetTable(data.lut);
  EmptySlots(data.points, kSlotCount);
}

void ResetAllCurves(CurveData& data) {
  ResetCurve(data);
  for (ChannelCurve& curve : data.channel) {
    ResetTable(curve.lut);
    EmptySlots(curve.points, kChannelSlots);
  }
  for (CurveKind& kind : data.kind) kind = kKindSmooth;
  data.target = kTargetChannels;
}

ControlPoint* CurvePoints(CurveData& data, int curve) {
  return curve >= kCurveRed && curve <= kCurveBlue ? data.channel[curve - 1].points : data.points;
}

const ControlPoint* CurvePoints(const CurveData& data, int curve) {
  return CurvePoints(const_cast<CurveData&>(data), curve);
}

int32_t* CurveLut(CurveData& data, int curve) {
  return curve >= kCurveRed && curve <= kCurveBlue ? data.channel[curve - 1].lut : data.lut;
}

const int32_t* CurveLut(const CurveData& data, int curve) {
  return CurveLut(const_cast<CurveData&>(data), curve);
}

int32_t CurveSlotCount(int curve) {
  return curve >= kCurveRed && curve <= kCurveBlue ? kChannelSlots : kSlotCount;
}

int32_t CurveEditableSlots(int curve) {
  return curve >= kCurveRed && curve <= kCurveBlue ? kChannelSlots : kEditableSlots;
}

CurveKind KindOf(const CurveData& data, int curve) {
  const int index = curve >= 0 && curve < kCurveCount ? curve : 0;
  const CurveKind kind = data.kind[index];
  return kind < kKindCount ? kind : CurveKind{kKindSmooth};
}

MasterTarget TargetOf(const CurveData& data) {
  const MasterTarget target = data.target;
  return target == kTargetLuma709 || target == kTargetLuma601 ? target
                                                               : MasterTarget{kTargetChannels};
}

bool CurveHasPoints(const CurveData& data, int curve) {
  const ControlPoint* points = CurvePoints(data, curve);
  for (int32_t i = 0; i < CurveSlotCount(curve); ++i) {
    if (IsValidPoint(points[i])) return true;
  }
  return false;
}

bool MasterMapsChannel(ChannelMode mode, int channel) {
  switch (mode) {
    case kModeRed: return channel == kCurveRed;
    case kModeGreen: return channel == kCurveGreen;
    case kModeBlue: return channel == kCurveBlue;
    default: return true;
  }
}

int32_t InsertPoint(int32_t x, int32_t y, CurveData& data) {
  return InsertInto(data.points, kSlotCount, kEditableSlots, x, y);
}

int32_t InsertCurvePoint(CurveData& data, int curve, int32_t x, int32_t y) {
  return InsertInto(CurvePoints(data, curve), CurveSlotCount(curve), CurveEditableSlots(curve), x,
                    y);
}

int32_t NeighbourPoint(const CurveData& data, int curve, int32_t slot, int step) {
  const ControlPoint* points = CurvePoints(data, curve);
  const int32_t editable = CurveEditableSlots(curve);
  const bool from = slot >= 0 && slot < editable && IsValidPoint(points[slot]);
  // Points ordered by (x, slot); the nearest one beyond `slot` in the direction of step.
  const auto before = [&](int32_t a, int32_t b) {
    return points[a].x != points[b].x ? points[a].x < points[b].x : a < b;
  };
  int32_t best = kEmpty;
  for (int32_t i = 0; i < editable; ++i) {
    if (!IsValidPoint(points[i]) || i == slot) continue;
    if (from && (step > 0 ? !before(slot, i) : !before(i, slot))) continue;
    if (best == kEmpty || (step > 0 ? before(i, best) : before(best, i))) best = i;
  }
  return best == kEmpty && from ? slot : best;
}

void DeletePoint(CurveData& data, int curve, int32_t slot) {
  if (slot < 0 || slot >= CurveSlotCount(curve)) return;
  CurvePoints(data, curve)[slot] = ControlPoint{kEmpty, kEmpty};
}

void MovePoint(CurveData& data, int curve, int32_t slot, int32_t x, int32_t y) {
  if (slot < 0 || slot >= CurveSlotCount(curve)) return;
  CurvePoints(data, curve)[slot] = ControlPoint{x, y};
}

void TakeSnapshot(CurveData& data) {
  std::memcpy(data.lutSnapshot, data.lut, sizeof data.lut);
  std::memcpy(data.pointsSnapshot, data.points, sizeof data.points);
  std::memcpy(data.channelSnapshot, data.channel, sizeof data.channel);
  std::memcpy(data.kindSnapshot, data.kind, sizeof data.kind);
}

void RestoreSnapshot(CurveData& data) {
  std::memcpy(data.lut, data.lutSnapshot, sizeof data.lut);
  std::memcpy(data.points, data.pointsSnapshot, sizeof data.points);
  std::memcpy(data.channel, data.channelSnapshot, sizeof data.channel);
  std::memcpy(data.kind, data.kindSnapshot, sizeof data.kind);
}

const char* ModeName(ChannelMode mode) {
  return kModeNames[mode < kModeCount ? mode : 0];
}
