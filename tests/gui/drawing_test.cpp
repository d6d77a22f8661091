// Pixels of the curve view and the two bars, read back from the screen, and the mapping of dialog
// positions to curve units. The reference layout: view 256 x 255 with its client area at (12, 12)
// of the dialog's, output bar 15 x 255, input bar 256 x 24.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>

#include "engine/curve_tables.h"
#include "engine/spline.h"
#include "tests/gui/dialog_harness.h"

namespace {

using gui::Background;
using gui::Grey;
using gui::Pixel;

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

bool IsDot(COLORREF c) { return c == kBlack || c == kWhite; }

class Drawing : public ::testing::Test {
 protected:
  Drawing() : data(Fresh()), dlg(data) {}
  CurveData data;
  gui::OpenDialog dlg;
};

// One dotted line: every pixel a dot or a white gap, and both present.
void ExpectDotted(HWND view, int x0, int y0, int dx, int dy, int length) {
  int dots = 0, gaps = 0;
  for (int k = 0; k < length; ++k) {
    const COLORREF c = Pixel(view, x0 + k * dx, y0 + k * dy);
    ASSERT_TRUE(IsDot(c)) << "pixel (" << x0 + k * dx << ", " << y0 + k * dy << ") is "
                          << std::hex << c;
    (c == kBlack ? dots : gaps)++;
  }
  EXPECT_GT(dots, 0);
  EXPECT_GT(gaps, 0);
}

TEST_F(Drawing, GridAtTheReferenceSize) {
  DrawGrid(dlg.View());
  for (int x : {64, 128, 192}) {
    SCOPED_TRACE("column " + std::to_string(x));
    ExpectDotted(dlg.View(), x, 0, 0, 1, 254);  // rows 0..253
    EXPECT_EQ(Pixel(dlg.View(), x, 254), Background()) << "the last row is left out";
  }
  for (int y : {191, 127, 63}) {
    SCOPED_TRACE("row " + std::to_string(y));
    ExpectDotted(dlg.View(), 0, y, 1, 0, 256);  // columns 0..255
  }
  // Everything else is background, the frame's first and last rows and columns included.
  const std::set<int> columns = {64, 128, 192}, rows = {63, 127, 191};
  for (int y = 0; y < 255; ++y) {
    for (int x = 0; x < 256; ++x) {
      if (columns.count(x) || rows.count(y)) continue;
      ASSERT_EQ(Pixel(dlg.View(), x, y), Background()) << "(" << x << ", " << y << ")";
    }
  }
}

TEST_F(Drawing, GridClearsWhatWasDrawnBefore) {
  RefreshEditor(dlg.View(), data);
  ASSERT_EQ(Pixel(dlg.View(), 10, 254 - (255 * 10) / 256), kBlack);
  DrawGrid(dlg.View());
  EXPECT_EQ(Pixel(dlg.View(), 10, 254 - (255 * 10) / 256), Background());
}

TEST_F(Drawing, IdentityCurveOnePixelPerColumn) {
  DrawGrid(dlg.View());
  DrawCurve(dlg.View(), data);
  EXPECT_EQ(Pixel(dlg.View(), 0, 254), kBlack) << "level 0 on the last row";
  EXPECT_EQ(Pixel(dlg.View(), 128, 127), kBlack);
  EXPECT_EQ(Pixel(dlg.View(), 255, 0), kBlack) << "the end vertex is painted";
  for (int x = 0; x < 256; ++x) {
    const int vertexRow = 254 - (255 * x) / 256;
    ASSERT_EQ(Pixel(dlg.View(), x, vertexRow), kBlack) << "vertex " << x;
    if (x == 64 || x == 128 || x == 192) continue;
    for (int y = 0; y < 255; ++y) {
      if (y == vertexRow || y == 63 || y == 127 || y == 191) continue;
      ASSERT_EQ(Pixel(dlg.View(), x, y), Background()) << "(" << x << ", " << y << ")";
    }
  }
}

TEST_F(Drawing, CurveFollowsTheTableNotThePoints) {
  // A table that is not the identity: every entry 200 except the ends.
  for (int i = 1; i < 255; ++i) data.lut[i] = 200;
  DrawGrid(dlg.View());
  DrawCurve(dlg.View(), data);
  const int row200 = 254 - (200 * 255) / 256;  // 56
  for (int x = 2; x < 254; ++x) {
    if (x == 64 || x == 128 || x == 192) continue;
    ASSERT_EQ(Pixel(dlg.View(), x, row200), kBlack) << x;
  }
  // The climb from (0, 254) to (1, 56) is connected: every row on the way is painted in
  // column 0 or column 1.
  EXPECT_EQ(Pixel(dlg.View(), 0, 254), kBlack);
  for (int y = 57; y <= 254; ++y) {
    ASSERT_TRUE(Pixel(dlg.View(), 0, y) == kBlack || Pixel(dlg.View(), 1, y) == kBlack) << y;
  }
  EXPECT_EQ(Pixel(dlg.View(), 255, 0), kBlack);
}

TEST_F(Drawing, MarkersArePlusSignsWithAnEmptyCentre) {
  data.points[0] = ControlPoint{128, 128};
  data.points[1] = ControlPoint{100, 100};
  DrawGrid(dlg.View());
  DrawPointMarkers(dlg.View(), data);
  for (int d = 1; d <= 4; ++d) {
    EXPECT_EQ(Pixel(dlg.View(), 128 - d, 128), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), 128 + d, 128), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), 128, 128 - d), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), 128, 128 + d), kBlack);
  }
  // (100, 100): centre (100, 255 - 99) = (100, 156), away from the grid.
  int painted = 0;
  for (int y = 150; y <= 162; ++y) {
    for (int x = 94; x <= 106; ++x) {
      const bool arm = (y == 156 && x != 100 && x >= 96 && x <= 104) ||
                       (x == 100 && y != 156 && y >= 152 && y <= 160);
      EXPECT_EQ(Pixel(dlg.View(), x, y), arm ? kBlack : Background()) << x << ", " << y;
      painted += arm;
    }
  }
  EXPECT_EQ(painted, 16);
}

TEST_F(Drawing, MarkerOfLevelZeroShowsOnlyItsUpperArm) {
  data.points[0] = ControlPoint{40, 0};
  DrawGrid(dlg.View());
  DrawPointMarkers(dlg.View(), data);
  for (int y = 251; y <= 254; ++y) EXPECT_EQ(Pixel(dlg.View(), 40, y), kBlack) << y;
  EXPECT_EQ(Pixel(dlg.View(), 40, 250), Background());
  EXPECT_EQ(Pixel(dlg.View(), 39, 254), Background());
}

TEST_F(Drawing, SlotTwoHundredFiftyFiveAndHalfEmptySlotsGetNoMarker) {
  data.points[255] = ControlPoint{100, 100};
  data.points[3] = ControlPoint{40, -1};
  data.points[4] = ControlPoint{-1, 40};
  DrawGrid(dlg.View());
  DrawPointMarkers(dlg.View(), data);
  for (int d = 1; d <= 4; ++d) EXPECT_EQ(Pixel(dlg.View(), 100 + d, 156), Background());
  EXPECT_EQ(Pixel(dlg.View(), 41, 255 - 39), Background());
}

TEST_F(Drawing, OutputBarAtTheReferenceHeight) {
  DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
  for (int x = 0; x < 15; ++x) {
    EXPECT_EQ(Pixel(dlg.OutputBar(), x, 0), Background()) << "row 0 is never painted";
    for (int y = 1; y < 255; ++y) ASSERT_EQ(Pixel(dlg.OutputBar(), x, y), Grey(255 - y)) << y;
  }
}

// At any other height the ramp still runs from the bar's bottom row to its top: every row from 1
// down is grey, darker row by row, the bottom one at most grey 1 and no level skipped by more
// than the squeeze demands.
void ExpectOutputBarFilled(gui::OpenDialog& dlg, int h) {
  SCOPED_TRACE("height " + std::to_string(h));
  EXPECT_EQ(Pixel(dlg.OutputBar(), 7, 0), Background());
  int previous = 255;
  for (int y = 1; y < h; ++y) {
    const COLORREF c = Pixel(dlg.OutputBar(), 7, y);
    const int level = GetRValue(c);
    ASSERT_EQ(c, Grey(level)) << "row " << y;
    ASSERT_LE(level, previous) << "row " << y;
    ASSERT_LE(previous - level, (255 + h - 1) / h + (y == 1 ? 1 : 0)) << "row " << y;
    previous = level;
  }
  EXPECT_LE(previous, 1) << "the bottom row";
  EXPECT_GE(GetRValue(Pixel(dlg.OutputBar(), 7, 1)), 253) << "row 1";
}

TEST_F(Drawing, OutputBarSpreadsOverItsHeight) {
  for (int h : {200, 300, 373}) {
    dlg.Layout(256, 255, 15, h, 256, 24);
    DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
    ExpectOutputBarFilled(dlg, h);
  }
}

TEST_F(Drawing, InputBarShowsTheMappedLevelAboveTheInputLevel) {
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = 255 - i;
  DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
  for (int x = 0; x < 255; ++x) {
    for (int y = 0; y <= 12; ++y) ASSERT_EQ(Pixel(dlg.InputBar(), x, y), Grey(255 - x)) << x;
    for (int y = 13; y < 24; ++y) ASSERT_EQ(Pixel(dlg.InputBar(), x, y), Grey(x)) << x;
  }
  for (int y = 0; y < 24; ++y) EXPECT_EQ(Pixel(dlg.InputBar(), 255, y), Background());
}

TEST_F(Drawing, InputBarColourFollowsTheMode) {
  struct Case {
    ChannelMode mode;
    COLORREF at100;
  } cases[] = {{kModeRgb, RGB(100, 100, 100)}, {kModeRed, RGB(100, 0, 0)},
               {kModeGreen, RGB(0, 100, 0)},   {kModeBlue, RGB(0, 0, 100)},
               {7, RGB(0, 0, 0)},              {255, RGB(0, 0, 0)}};
  for (const Case& c : cases) {
    data.mode = c.mode;
    DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
    EXPECT_EQ(Pixel(dlg.InputBar(), 100, 0), c.at100) << int{c.mode};
    EXPECT_EQ(Pixel(dlg.InputBar(), 100, 12), c.at100) << int{c.mode};
    EXPECT_EQ(Pixel(dlg.InputBar(), 100, 13), Grey(100)) << int{c.mode};
  }
}

TEST_F(Drawing, InputBarUsesTheLowEightBitsOfTheTable) {
  data.lut[50] = 0x1234;
  DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
  EXPECT_EQ(Pixel(dlg.InputBar(), 50, 5), Grey(0x34));
}

TEST_F(Drawing, OtherViewSizesScaleTheGridCurveAndMarkers) {
  struct Size {
    int w, h;
  } sizes[] = {{200, 150}, {300, 301}, {512, 400}};
  for (const Size s : sizes) {
    SCOPED_TRACE(std::to_string(s.w) + " x " + std::to_string(s.h));
    dlg.Layout(s.w, s.h, 15, 255, 256, 24);
    data.points[0] = ControlPoint{100, 100};
    DrawGrid(dlg.View());
    for (int i = 1; i <= 3; ++i) {
      const int x = i * s.w / 4;
      const int y = s.h - i * s.h / 4 - 1;
      EXPECT_TRUE(IsDot(Pixel(dlg.View(), x, 1))) << "column " << x;
      EXPECT_EQ(Pixel(dlg.View(), x, s.h - 1), Background()) << "column " << x;
      EXPECT_EQ(Pixel(dlg.View(), x + 1, 2), Background()) << "column " << x + 1;
      EXPECT_TRUE(IsDot(Pixel(dlg.View(), 1, y))) << "row " << y;
      EXPECT_TRUE(IsDot(Pixel(dlg.View(), s.w - 1, y))) << "row " << y;
      EXPECT_EQ(Pixel(dlg.View(), s.w - 3, y - 1), Background()) << "row " << y - 1;
    }
    DrawCurve(dlg.View(), data);
    for (int i : {0, 37, 200, 255}) {
      EXPECT_EQ(Pixel(dlg.View(), i * s.w / 256, s.h - 1 - i * s.h / 256), kBlack) << i;
    }
    DrawPointMarkers(dlg.View(), data);
    const int cx = 100 * s.w / 256, cy = s.h - 100 * s.h / 256;
    EXPECT_EQ(Pixel(dlg.View(), cx + 4, cy), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), cx - 4, cy), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), cx, cy - 4), kBlack);
    EXPECT_EQ(Pixel(dlg.View(), cx, cy + 4), kBlack);
    EXPECT_NE(Pixel(dlg.View(), cx + 5, cy), kBlack);
  }
}

TEST_F(Drawing, InputBarAtAnotherWidth) {
  dlg.Layout(256, 255, 15, 255, 400, 30);  // repaints the dialog
  for (int i = 0; i < kLutSize; ++i) data.lut[i] = 255 - i;
  DrawGradientBars(dlg.OutputBar(), dlg.InputBar(), data);
  // Level i from column trunc(i * 400/255): level 100 at 156 and 157, level 101 from 158. The
  // mapped colour takes rows 0..15 (30 div 2), the input level rows 16..29.
  EXPECT_EQ(Pixel(dlg.InputBar(), 156, 0), Grey(155));
  EXPECT_EQ(Pixel(dlg.InputBar(), 156, 15), Grey(155));
  EXPECT_EQ(Pixel(dlg.InputBar(), 156, 16), Grey(100));
  EXPECT_EQ(Pixel(dlg.InputBar(), 156, 29), Grey(100));
  EXPECT_EQ(Pixel(dlg.InputBar(), 157, 5), Grey(155));
  EXPECT_EQ(Pixel(dlg.InputBar(), 157, 29), Grey(100));
  EXPECT_EQ(Pixel(dlg.InputBar(), 158, 5), Grey(154));
  EXPECT_EQ(Pixel(dlg.InputBar(), 399, 5), Background());
  EXPECT_EQ(Pixel(dlg.InputBar(), 398, 29), Grey(254));
  // Every column but the last shows a level, in order, none skipped.
  int previous = -1;
  for (int x = 0; x < 399; ++x) {
    const COLORREF c = Pixel(dlg.InputBar(), x, 29);
    const int level = GetRValue(c);
    ASSERT_EQ(c, Grey(level)) << "column " << x;
    ASSERT_GE(level, previous) << "column " << x;
    ASSERT_LE(level - previous, 1) << "column " << x;
    previous = level;
  }
}

TEST_F(Drawing, MouseMappingAtTheReferenceSize) {
  struct Case {
    int mx, my, x, y;
  } cases[] = {{12, 12, -1, -1},    {13, 13, 1, 254},     {140, 140, 128, 127},
               {267, 266, 255, 1},  {268, 100, -1, -1},   {100, 267, -1, -1},
               {13, 266, 1, 1},     {12, 100, -1, -1},    {100, 12, -1, -1},
               {0xFFFF, 100, -1, -1}, {100, 0xFFFF, -1, -1}, {0xFFFB, 0xFFFB, -1, -1}};
  for (const Case& c : cases) {
    int32_t x = 99, y = 99;
    MapMouseToCurve(dlg.View(), MAKELPARAM(c.mx, c.my), x, y);
    EXPECT_EQ(x, c.x) << c.mx << ", " << c.my;
    EXPECT_EQ(y, c.y) << c.mx << ", " << c.my;
  }
  // Every inside position yields x in 1..255 and y in 1..254 at this size.
  for (int m = 13; m < 268; ++m) {
    int32_t x, y;
    MapMouseToCurve(dlg.View(), MAKELPARAM(m, 13 + (m - 13) % 254), x, y);
    ASSERT_EQ(x, m - 12);
    ASSERT_GE(y, 1);
    ASSERT_LE(y, 254);
  }
}

TEST_F(Drawing, MouseMappingOnlyLooksAtTheLowThirtyTwoBits) {
  int32_t x, y;
  LPARAM word = MAKELPARAM(140, 140);
#ifdef _WIN64
  word |= static_cast<LPARAM>(0x7F) << 40;
#endif
  MapMouseToCurve(dlg.View(), word, x, y);
  EXPECT_EQ(x, 128);
  EXPECT_EQ(y, 127);
}

TEST_F(Drawing, MouseMappingAtOtherSizes) {
  dlg.Layout(200, 150, 15, 255, 256, 24);
  int32_t x, y;
  MapMouseToCurve(dlg.View(), MAKELPARAM(12 + 100, 12 + 75), x, y);
  EXPECT_EQ(x, (256 * 100) / 200);
  EXPECT_EQ(y, (256 * 75) / 150);
  MapMouseToCurve(dlg.View(), MAKELPARAM(12 + 199, 13), x, y);
  EXPECT_EQ(x, (256 * 199) / 200);
  EXPECT_EQ(y, (256 * 149) / 150);
  MapMouseToCurve(dlg.View(), MAKELPARAM(12 + 200, 50), x, y);
  EXPECT_EQ(x, -1);

  for (const int w : {0, 1}) {
    dlg.Layout(w, 1 - w, 15, 255, 256, 24);
    for (int m = 0; m < 40; ++m) {
      MapMouseToCurve(dlg.View(), MAKELPARAM(m, m), x, y);
      ASSERT_EQ(x, -1);
      ASSERT_EQ(y, -1);
    }
  }
}

}  // namespace
