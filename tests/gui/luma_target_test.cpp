// The master curve on luma in the dialog: the "Master on:" entries, the histogram the master
// curve shows, and the input bar's colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "tests/gui/dialog_harness.h"

namespace {

using gui::Pixel;

int ShownItem(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_MODE, CB_GETCURSEL, 0, 0));
}

// Each entry sets what it names, one preview refresh and one undo step a change; Cancel keeps the
// last choice, as it keeps the mode.
TEST(MasterOn, EachEntrySetsTargetAndModeOnceAndUndoesStepByStep) {
  CurveData data = Fresh();
  data.mode = kModeGreen;
  struct State {
    int item;  // the entry picked, and the one the selector shows afterwards
    ChannelMode mode;
    MasterTarget target;
    int refreshes;
  };
  const State start = {kModeGreen, kModeGreen, kTargetChannels, 0};
  const State steps[] = {
      {4, kModeGreen, kTargetLuma709, 1},  // a luma entry keeps the stored mode
      {5, kModeGreen, kTargetLuma601, 1},
      {5, kModeGreen, kTargetLuma601, 0},  // the entry shown already: nothing happens
      {0, kModeRgb, kTargetChannels, 1},
      {3, kModeBlue, kTargetChannels, 1},
      {4, kModeBlue, kTargetLuma709, 1},
      {1, kModeRed, kTargetChannels, 1},
  };
  gui::RecordingPreview preview;
  gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
    std::vector<State> kept = {start};
    for (const State& step : steps) {
      SCOPED_TRACE("entry " + std::to_string(step.item));
      preview.Clear();
      gui::Pick(dialog, IDC_MODE, step.item);
      EXPECT_EQ(data.mode, step.mode);
      EXPECT_EQ(data.target, step.target);
      EXPECT_EQ(preview.Count("RedoFrame"), step.refreshes) << preview.Since(0);
      if (step.refreshes > 0) kept.push_back(step);
    }
    for (size_t i = kept.size() - 1; i > 0; --i) {
      SCOPED_TRACE("undo to state " + std::to_string(i - 1));
      preview.Clear();
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNDO, BN_CLICKED), 0);
      EXPECT_EQ(data.mode, kept[i - 1].mode);
      EXPECT_EQ(data.target, kept[i - 1].target);
      EXPECT_EQ(ShownItem(dialog), kept[i - 1].item);
      EXPECT_EQ(preview.Count("RedoFrame"), 1);
    }
    gui::Pick(dialog, IDC_MODE, 5);
  });
  EXPECT_EQ(data.target, kTargetLuma601) << "Cancel keeps the choice";
  EXPECT_EQ(data.mode, kModeGreen);
}

// 200 pure red, 80 pure green and 40 pure blue pixels, in one row.
struct PrimariesFrame {
  PrimariesFrame() : pixels(320) {
    for (int i = 0; i < 320; ++i) pixels[i] = i < 200 ? 0xFF0000u : i < 280 ? 0x00FF00u : 0x0000FFu;
    bitmap = gui::SampledFrame(pixels.data(), 320, 1, 320);
  }
  std::vector<uint32_t> pixels;
  VFBitmap bitmap;
};

// The first row from the top where the view shows the histogram in column x, -1 for none.
int HistogramTop(HWND view, int x) {
  for (int y = 0; y < 255; ++y) {
    if (Pixel(view, x, y) == kHistogramColour) return y;
  }
  return -1;
}

// Under a luma target the master curve's histogram counts each pixel's luma after the channel
// curves: red, green and blue at full level have the lumas below, and the tallest column fills
// the view's 255 rows (the others 102 and 51 rows). On the channels it counts levels 0 and 255,
// 0 the most.
TEST(MasterOn, TheMasterHistogramCountsLumaAfterTheChannelCurves) {
  const struct {
    const char* name;
    MasterTarget target;
    bool halveRed;  // the red curve maps 255 to 128
    std::vector<std::pair<int, int>> tops;  // column, first histogram row
    std::vector<int> empty;                 // columns without any
  } cases[] = {
      {"Rec. 709", kTargetLuma709, false, {{54, 0}, {182, 153}, {18, 204}}, {0, 255, 76}},
      {"Rec. 601", kTargetLuma601, false, {{76, 0}, {150, 153}, {29, 204}}, {0, 255, 54}},
      {"Rec. 709 after the red curve", kTargetLuma709, true, {{27, 0}, {182, 153}, {18, 204}},
       {54, 255}},
      {"on the channels", kTargetChannels, false, {{0, 0}}, {54, 182}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CurveData data = Fresh();
    data.target = c.target;
    if (c.halveRed) {
      data.kind[kCurveRed] = kKindLinear;
      data.channel[0].points[0] = ControlPoint{255, 128};
      RebuildAllCurves(data);
    }
    gui::OpenDialog dlg(data);
    PrimariesFrame frame;
    dlg.preview.frame = frame.bitmap;
    dlg.Command(IDC_PREVIEW);  // shown: the dialog samples the frame
    gui::PumpMessages();
    for (const auto& [column, top] : c.tops) {
      EXPECT_EQ(HistogramTop(dlg.View(), column), top) << "column " << column;
    }
    for (int column : c.empty) EXPECT_EQ(HistogramTop(dlg.View(), column), -1) << column;
  }
}

// The input bar shows what grey level 10 comes out as. The red curve holds red at 43 and the
// master runs linear through (0, 0), (43, 86), (255, 255), so on the channels the mode's channels
// go through the master, while on luma every channel moves by master[Y] - Y of the pixel
// (43, 10, 10): Y = 17 (Rec. 709), 20 (Rec. 601), whatever the stored mode.
TEST(MasterOn, TheInputBarShowsWhatAGreyLevelComesOutAs) {
  const struct {
    MasterTarget target;
    ChannelMode mode;
    int curve;
    COLORREF upper;
  } cases[] = {
      {kTargetChannels, kModeRgb, kCurveMaster, RGB(86, 20, 20)},
      {kTargetChannels, kModeRed, kCurveMaster, RGB(86, 0, 0)},
      {kTargetLuma709, kModeRed, kCurveMaster, RGB(60, 27, 27)},
      {kTargetLuma601, kModeRed, kCurveMaster, RGB(63, 30, 30)},
      {kTargetLuma709, kModeRgb, kCurveRed, RGB(60, 0, 0)},
      {kTargetLuma709, kModeRgb, kCurveGreen, RGB(0, 27, 0)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("target " + std::to_string(c.target) + ", mode " + std::to_string(c.mode) +
                 ", curve " + std::to_string(c.curve));
    CurveData data = Fresh();
    data.kind[kCurveMaster] = kKindLinear;
    data.points[0] = ControlPoint{0, 0};
    data.points[1] = ControlPoint{43, 86};
    data.points[2] = ControlPoint{255, 255};
    data.kind[kCurveRed] = kKindLinear;
    data.channel[0].points[0] = ControlPoint{0, 43};
    data.channel[0].points[1] = ControlPoint{255, 43};
    data.mode = c.mode;
    data.target = c.target;
    RebuildAllCurves(data);
    gui::OpenDialog dlg(data);
    if (c.curve != kCurveMaster) dlg.Pick(IDC_CURVE, c.curve);
    EXPECT_EQ(Pixel(dlg.InputBar(), 10, 2), c.upper);
    EXPECT_EQ(Pixel(dlg.InputBar(), 10, 20), gui::Grey(10)) << "the input level itself";
  }
}

}  // namespace
