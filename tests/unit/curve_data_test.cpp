#include "engine/curve_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/support/fresh_curve.h"

namespace {

// The x coordinates of slots 0..count-1, -1 for empty slots.
std::vector<int32_t> SlotXs(const CurveData& data, int count) {
  std::vector<int32_t> xs;
  for (int i = 0; i < count; ++i) xs.push_back(data.points[i].x);
  return xs;
}

void FillSlots(CurveData& data, int count, int32_t firstX) {
  for (int i = 0; i < count; ++i) data.points[i] = ControlPoint{firstX + i, 7};
}

TEST(CurveDataInit, IdentityTableNoPointsRgbNothingSelected) {
  const CurveData data = Fresh();
  for (int i = 0; i < kLutSize; ++i) EXPECT_EQ(data.lut[i], i);
  for (const ControlPoint& p : data.points) {
    EXPECT_EQ(p.x, -1);
    EXPECT_EQ(p.y, -1);
  }
  EXPECT_EQ(data.mode, 0);
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(data.target, kTargetChannels);
}

TEST(CurveDataReset, AllCurvesPutsTheMasterBackOnTheChannels) {
  CurveData data = Fresh();
  data.target = kTargetLuma601;
  data.mode = kModeGreen;
  ResetAllCurves(data);
  EXPECT_EQ(data.target, kTargetChannels);
  EXPECT_EQ(data.mode, kModeGreen);
}

TEST(TargetOf, ReadsEveryValueButTheTwoLumaTargetsAsTheChannels) {
  CurveData data = Fresh();
  for (const auto& [stored, used] : std::vector<std::pair<int, int>>{
           {0, kTargetChannels}, {1, kTargetLuma709}, {2, kTargetLuma601}, {3, kTargetChannels},
           {128, kTargetChannels}, {255, kTargetChannels}}) {
    data.target = static_cast<MasterTarget>(stored);
    EXPECT_EQ(TargetOf(data), used) << stored;
  }
}

TEST(CurveDataReset, TouchesOnlyTableAndPoints) {
  CurveData data = Fresh();
  data.mode = 3;
  data.selected = 12;
  data.lut[40] = 7;
  data.points[9] = ControlPoint{30, 40};
  data.lutSnapshot[1] = 99;
  data.pointsSnapshot[2] = ControlPoint{1, 2};
  IFilterPreview* const marker = reinterpret_cast<IFilterPreview*>(&data);
  data.preview = marker;

  ResetCurve(data);

  EXPECT_EQ(data.lut[40], 40);
  EXPECT_EQ(data.points[9].x, -1);
  EXPECT_EQ(data.mode, 3);
  EXPECT_EQ(data.selected, 12);
  EXPECT_EQ(data.lutSnapshot[1], 99);
  EXPECT_EQ(data.pointsSnapshot[2].x, 1);
  EXPECT_EQ(data.preview, marker);
}

// A few slots before and after one insertion: the slot it lands in and every slot's x and y.
TEST(InsertPoint, LandsAfterItsLeftNeighbourAndShiftsUpToTheFirstHole) {
  const struct {
    const char* name;
    std::vector<ControlPoint> before;  // slots 0.. ; the rest stay empty
    ControlPoint inserted;
    int32_t slot;
    std::vector<ControlPoint> after;
  } cases[] = {
      {"into an empty record", {}, {128, 200}, 0, {{128, 200}, {-1, -1}}},
      {"equal x goes after the existing point",
       {{50, 1}, {100, 2}, {200, 3}},
       {100, 9},
       2,
       {{50, 1}, {100, 2}, {100, 9}, {200, 3}, {-1, -1}}},
      // The search stops at the hole: the curve turns back in x, as the slot order says.
      {"stops at an empty slot left by deletion",
       {{10, 1}, {-1, -1}, {200, 3}},
       {250, 4},
       1,
       {{10, 1}, {250, 4}, {200, 3}, {-1, -1}}},
      {"the shift ends at the first hole and later slots stay",
       {{10, 1}, {-1, -1}, {200, 3}, {220, 4}},
       {5, 0},
       0,
       {{5, 0}, {10, 1}, {200, 3}, {220, 4}, {-1, -1}}},
      {"a slot with only x empty counts as empty",
       {{-1, 5}, {30, 5}},
       {200, 6},
       0,
       {{200, 6}, {30, 5}, {-1, -1}}},
  };
  for (const auto& c : cases) {
    CurveData data = Fresh();
    std::copy(c.before.begin(), c.before.end(), data.points);
    EXPECT_EQ(InsertPoint(c.inserted.x, c.inserted.y, data), c.slot) << c.name;
    for (size_t i = 0; i < c.after.size(); ++i) {
      EXPECT_EQ(data.points[i].x, c.after[i].x) << c.name << ", slot " << i;
      EXPECT_EQ(data.points[i].y, c.after[i].y) << c.name << ", slot " << i;
    }
  }
}

TEST(InsertPoint, LastShiftMovesSlot254IntoSlot255) {
  CurveData data = Fresh();
  FillSlots(data, 255, 0);  // x = 0..254
  EXPECT_EQ(InsertPoint(100, 77, data), 101);
  EXPECT_EQ(data.points[101].x, 100);
  EXPECT_EQ(data.points[102].x, 101);
  EXPECT_EQ(data.points[255].x, 254);
}

TEST(InsertPoint, RefusedWhenTheShiftWouldPushAPointOut) {
  CurveData data = Fresh();
  FillSlots(data, 256, 0);  // x = 0..255, no hole anywhere
  const CurveData before = data;
  EXPECT_EQ(InsertPoint(100, 77, data), -1);
  EXPECT_EQ(std::memcmp(&before, &data, sizeof data), 0);
}

TEST(InsertPoint, RefusedWhenNoSlotHoldsAGreaterX) {
  CurveData data = Fresh();
  FillSlots(data, 255, 0);
  const CurveData before = data;
  EXPECT_EQ(InsertPoint(254, 1, data), -1);
  EXPECT_EQ(InsertPoint(255, 1, data), -1);
  EXPECT_EQ(std::memcmp(&before, &data, sizeof data), 0);
}

TEST(DeletePoint, LeavesAHoleAndEveryOtherSlotInPlace) {
  CurveData data = Fresh();
  for (int i = 0; i < 5; ++i) data.points[i] = {i * 40, i * 30};
  const CurveData before = data;
  DeletePoint(data, kCurveMaster, 3);
  EXPECT_EQ(data.points[3].x, -1);
  EXPECT_EQ(data.points[3].y, -1);
  for (int i : {0, 1, 2, 4}) {
    EXPECT_EQ(data.points[i].x, before.points[i].x);
    EXPECT_EQ(data.points[i].y, before.points[i].y);
  }
}

TEST(MovePoint, KeepsItsSlotEvenPastANeighbour) {
  CurveData data = Fresh();
  data.points[0] = {50, 50};
  data.points[1] = {100, 100};
  MovePoint(data, kCurveMaster, 0, 150, 20);
  EXPECT_EQ(SlotXs(data, 2), (std::vector<int32_t>{150, 100}));
  EXPECT_EQ(data.points[0].y, 20);
}

TEST(Snapshot, RestoreBringsBackTableAndPointsButNotModeTargetOrSelection) {
  CurveData data = Fresh();
  data.points[0] = {10, 20};
  data.lut[5] = 90;
  TakeSnapshot(data);

  data.points[0] = {30, 40};
  data.points[7] = {1, 1};
  data.lut[5] = 3;
  data.mode = 2;
  data.target = kTargetLuma709;
  data.selected = 7;
  RestoreSnapshot(data);

  EXPECT_EQ(data.points[0].x, 10);
  EXPECT_EQ(data.points[7].x, -1);
  EXPECT_EQ(data.lut[5], 90);
  EXPECT_EQ(data.mode, 2);
  EXPECT_EQ(data.target, kTargetLuma709);
  EXPECT_EQ(data.selected, 7);
}

TEST(ModeName, NamesTheFourModesAndShowsOthersAsRgb) {
  EXPECT_STREQ(ModeName(0), "RGB");
  EXPECT_STREQ(ModeName(1), "Red");
  EXPECT_STREQ(ModeName(2), "Green");
  EXPECT_STREQ(ModeName(3), "Blue");
  EXPECT_STREQ(ModeName(7), "RGB");
  EXPECT_STREQ(ModeName(255), "RGB");
}

}  // namespace
