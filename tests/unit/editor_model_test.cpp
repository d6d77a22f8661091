// The editor's portable parts: its undo history, the order the keys walk the points in, and the
// histogram it counts from a frame.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/edit_history.h"
#include "engine/level_counts.h"
#include "tests/support/fresh_curve.h"

namespace {

TEST(EditHistory, UndoRedoAndMergedRuns) {
  CurveData data = Fresh();
  auto history = std::make_unique<EditHistory>();
  StartHistory(*history, data);
  EXPECT_FALSE(RecordEdit(*history, data)) << "nothing changed";
  EXPECT_FALSE(UndoEdit(*history, data));

  data.points[0] = {10, 20};
  ASSERT_TRUE(RecordEdit(*history, data));
  data.points[0] = {11, 20};
  ASSERT_TRUE(RecordEdit(*history, data, /*merge=*/true));  // one run of nudges
  data.channel[1].points[3] = {50, 60};
  data.kind[kCurveGreen] = kKindLinear;
  data.mode = kModeBlue;
  data.target = kTargetLuma601;
  RebuildAllCurves(data);
  ASSERT_TRUE(RecordEdit(*history, data));

  ASSERT_TRUE(UndoEdit(*history, data));
  EXPECT_EQ(data.points[0].x, 11);
  EXPECT_FALSE(CurveHasPoints(data, kCurveGreen));
  EXPECT_EQ(data.kind[kCurveGreen], kKindSmooth);
  EXPECT_EQ(data.mode, kModeRgb);
  EXPECT_EQ(data.target, kTargetChannels);
  EXPECT_EQ(data.channel[1].lut[50], 50) << "tables follow the restored points";
  ASSERT_TRUE(UndoEdit(*history, data));
  EXPECT_EQ(data.points[0].x, -1) << "the merged run undoes as one edit";
  EXPECT_FALSE(UndoEdit(*history, data));

  ASSERT_TRUE(RedoEdit(*history, data));
  ASSERT_TRUE(RedoEdit(*history, data));
  EXPECT_EQ(data.channel[1].points[3].x, 50);
  EXPECT_EQ(data.channel[1].lut[50], 60);
  EXPECT_EQ(data.target, kTargetLuma601);
  EXPECT_FALSE(RedoEdit(*history, data));

  // A new edit after an undo drops what could have been redone.
  ASSERT_TRUE(UndoEdit(*history, data));
  data.points[5] = {1, 2};
  ASSERT_TRUE(RecordEdit(*history, data));
  EXPECT_FALSE(RedoEdit(*history, data));
}

TEST(EditHistory, KeepsTheLast64Edits) {
  CurveData data = Fresh();
  auto history = std::make_unique<EditHistory>();
  StartHistory(*history, data);
  for (int i = 0; i < 100; ++i) {
    data.points[0] = {i, i};
    ASSERT_TRUE(RecordEdit(*history, data));
  }
  int undone = 0;
  while (UndoEdit(*history, data)) ++undone;
  EXPECT_EQ(undone, 64);
  EXPECT_EQ(data.points[0].x, 99 - 64);
  while (RedoEdit(*history, data)) {}
  EXPECT_EQ(data.points[0].x, 99);
}

TEST(NeighbourPoint, WalksTheEditablePointsInXOrder) {
  CurveData data = Fresh();
  data.points[0] = {200, 1};
  data.points[1] = {50, 2};
  data.points[3] = {50, 3};   // equal x: slot order
  data.points[4] = {10, kEmpty};
  data.points[255] = {5, 5};  // not editable
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, kEmpty, 1), 1);
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, 1, 1), 3);
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, 3, 1), 0);
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, 0, 1), 0) << "the last stays";
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, 0, -1), 3);
  EXPECT_EQ(NeighbourPoint(data, kCurveMaster, kEmpty, -1), 0);
  EXPECT_EQ(NeighbourPoint(data, kCurveRed, kEmpty, 1), kEmpty);
  data.channel[0].points[63] = {9, 9};
  EXPECT_EQ(NeighbourPoint(data, kCurveRed, kEmpty, 1), 63) << "every channel slot is editable";
}

TEST(LevelCounts, RowsByPitchAndTheInputOfEachCurve) {
  // Two rows of two pixels with a gap between them, walked upwards from the last row.
  std::vector<uint32_t> frame = {0x00102030, 0x00102031, 0xDEADBEEF, 0x00FF0001, 0x00FF0002};
  LevelCounts counts;
  CountFrameLevels(&frame[3], 2, 2, -12, counts);
  EXPECT_EQ(counts.count[kPixelRed][0x10], 2u);
  EXPECT_EQ(counts.count[kPixelRed][0xFF], 2u);
  EXPECT_EQ(counts.count[kPixelBlue][0x30], 1u);
  EXPECT_EQ(counts.count[kPixelRed][0xDE], 0u) << "the gap is not a pixel";
  CountFrameLevels(frame.data(), 0, 5, 8, counts);
  EXPECT_EQ(counts.count[kPixelRed][0x10], 0u);

  CountFrameLevels(&frame[3], 2, 2, -12, counts);
  CurveData data = Fresh();
  data.channel[0].lut[0x10] = 0x80;  // the red curve moves red 0x10 to 0x80
  uint64_t histogram[kLutSize];
  CurveInputHistogram(data, counts, kCurveRed, histogram);
  EXPECT_EQ(histogram[0x10], 2u);
  CurveInputHistogram(data, counts, kCurveMaster, histogram);
  EXPECT_EQ(histogram[0x80], 2u) << "the master sees red after the red curve";
  EXPECT_EQ(histogram[0x00], 2u) << "green 0x00 twice";
  EXPECT_EQ(histogram[0x20], 2u) << "green 0x20 twice";
  data.mode = kModeBlue;
  CurveInputHistogram(data, counts, kCurveMaster, histogram);
  EXPECT_EQ(histogram[0x80], 0u) << "the mode maps blue only";
  EXPECT_EQ(histogram[0x30] + histogram[0x31] + histogram[0x01] + histogram[0x02], 4u);
}

}  // namespace
