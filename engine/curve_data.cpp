#include "engine/curve_data.h"

#include <cstring>

const char* const kModeNames[kModeCount] = {"RGB", "Red", "Green", "Blue"};

void InitCurveData(CurveData& data) {
  data.mode = kModeRgb;
  data.selected = kEmpty;
  ResetCurve(data);
}

void ResetCurve(CurveData& data) {
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = i;
  for (ControlPoint& p : data.points) p = ControlPoint{kEmpty, kEmpty};
}

int32_t InsertPoint(int32_t x, int32_t y, CurveData& data) {
  int32_t slot = kEmpty;
  for (int32_t i = 0; i < kEditableSlots; ++i) {
    if (data.points[i].x == kEmpty || data.points[i].x > x) {
      slot = i;
      break;
    }
  }
  if (slot == kEmpty) return kEmpty;

  int32_t hole = slot;
  while (hole < kSlotCount && data.points[hole].x != kEmpty) ++hole;
  if (hole == kSlotCount) return kEmpty;  // the shift would push a point out of slot 255

  for (int32_t j = hole; j > slot; --j) data.points[j] = data.points[j - 1];
  data.points[slot] = ControlPoint{x, y};
  return slot;
}

void DeletePoint(CurveData& data, int32_t slot) {
  if (slot < 0 || slot >= kSlotCount) return;
  data.points[slot] = ControlPoint{kEmpty, kEmpty};
}

void MovePoint(CurveData& data, int32_t slot, int32_t x, int32_t y) {
  if (slot < 0 || slot >= kSlotCount) return;
  data.points[slot] = ControlPoint{x, y};
}

void TakeSnapshot(CurveData& data) {
  std::memcpy(data.lutSnapshot, data.lut, sizeof data.lut);
  std::memcpy(data.pointsSnapshot, data.points, sizeof data.points);
}

void RestoreSnapshot(CurveData& data) {
  std::memcpy(data.lut, data.lutSnapshot, sizeof data.lut);
  std::memcpy(data.points, data.pointsSnapshot, sizeof data.points);
}

const char* ModeName(ChannelMode mode) {
  return kModeNames[mode < kModeCount ? mode : 0];
}
