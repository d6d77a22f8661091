// The real dialog at the screen scale it is laid out for: the template as stored (96 dpi) and the
// same template with its font at 12 points, which the dialog manager lays out as it lays out 8
// points at 144 dpi (150 %). Clicks must land where the pointer is and the bars must fill their
// length at both.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/gui/dialog_harness.h"

namespace {

using gui::Pixel;

// A copy of the dialog template with its point size replaced.
std::vector<DWORD> TemplateAtPointSize(WORD pointSize) {
  HMODULE self = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(IDD_FILTER_CONFIG), MAKEINTRESOURCEA(5));
  const DWORD size = SizeofResource(self, found);
  std::vector<DWORD> copy((size + 3) / 4);
  std::memcpy(copy.data(), LockResource(LoadResource(self, found)), size);
  WORD* w = reinterpret_cast<WORD*>(copy.data()) + 9;  // past style, extended style, count, rect
  for (int field = 0; field < 2; ++field) {            // menu and class: a number or a string
    if (*w == 0xFFFF) {
      w += 2;
    } else {
      while (*w++ != 0) {}
    }
  }
  while (*w++ != 0) {}  // caption
  *w = pointSize;
  return copy;
}

class ScaledDialog {
 public:
  explicit ScaledDialog(WORD pointSize)
      : data(Fresh()), tmpl(TemplateAtPointSize(pointSize)) {
    data.preview = nullptr;
    window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                        reinterpret_cast<LPCDLGTEMPLATEA>(tmpl.data()), nullptr,
                                        ConfigDlgProc, reinterpret_cast<LPARAM>(&data));
    ShowWindow(window, SW_SHOWNORMAL);
    gui::PumpMessages();
  }
  ~ScaledDialog() { DestroyWindow(window); }

  CurveData data;
  std::vector<DWORD> tmpl;
  HWND window = nullptr;
};

struct ClientArea {
  POINT origin;  // in the dialog's client area
  int w, h;
};

ClientArea AreaOf(HWND control) {
  ClientArea area{{0, 0}, 0, 0};
  MapWindowPoints(control, GetParent(control), &area.origin, 1);
  RECT r;
  GetClientRect(control, &r);
  area.w = r.right;
  area.h = r.bottom;
  return area;
}

void ExpectClicksLandUnderThePointer(ScaledDialog& dlg) {
  HWND view = GetDlgItem(dlg.window, IDC_CURVE_VIEW);
  const ClientArea a = AreaOf(view);
  std::printf("view client area at (%ld, %ld), %d x %d\n", a.origin.x, a.origin.y, a.w, a.h);
  // The centre and the four corners one pixel inside, in the view's own pixels.
  const POINT pixels[] = {{a.w / 2, a.h / 2}, {1, 1}, {a.w - 2, 1}, {1, a.h - 2},
                          {a.w - 2, a.h - 2}};
  for (const POINT& p : pixels) {
    SCOPED_TRACE("view pixel (" + std::to_string(p.x) + ", " + std::to_string(p.y) + ")");
    const LPARAM at = MAKELPARAM(a.origin.x + p.x, a.origin.y + p.y);
    SendMessageA(dlg.window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ASSERT_NE(dlg.data.selected, -1);
    const ControlPoint& point = dlg.data.points[dlg.data.selected];
    // Column c of W stands for input level 256 c / W; row r of H for output (H - r) 256 / H.
    EXPECT_EQ(point.x, 256 * p.x / a.w);
    EXPECT_EQ(point.y, 256 * (a.h - p.y) / a.h);
    SendMessageA(dlg.window, WM_LBUTTONUP, 0, at);
  }
}

void ExpectOutputBarRunsBottomToTop(ScaledDialog& dlg) {
  HWND bar = GetDlgItem(dlg.window, IDC_OUTPUT_BAR);
  const ClientArea a = AreaOf(bar);
  SendMessageA(dlg.window, WM_PAINT, 0, 0);
  EXPECT_LE(GetRValue(Pixel(bar, a.w / 2, a.h - 1)), 1) << "the darkest level on the bottom row";
  EXPECT_EQ(Pixel(bar, a.w / 2, 1), gui::Grey(254)) << "the lightest level at the top";
  // In between, a grey ramp that darkens row by row without a gap.
  int previous = 255;
  for (int y = 1; y < a.h; ++y) {
    const COLORREF c = Pixel(bar, a.w / 2, y);
    ASSERT_EQ(c, gui::Grey(GetRValue(c))) << "row " << y << " of " << a.h;
    ASSERT_LE(GetRValue(c), previous) << "row " << y << " of " << a.h;
    ASSERT_LE(previous - GetRValue(c), 1) << "row " << y << " of " << a.h;
    previous = GetRValue(c);
  }
}

// The font as stored, and one and a half times it, with the view at least that wide.
TEST(ScreenScale, AsStoredAndOneAndAHalfTimes) {
  for (const auto& [pointSize, leastWidth] : {std::pair<WORD, int>{8, 250}, {12, 380}}) {
    SCOPED_TRACE("font of " + std::to_string(pointSize) + " points");
    ScaledDialog dlg(pointSize);
    ASSERT_NE(dlg.window, nullptr);
    ASSERT_GT(AreaOf(GetDlgItem(dlg.window, IDC_CURVE_VIEW)).w, leastWidth);
    ExpectClicksLandUnderThePointer(dlg);
    ExpectOutputBarRunsBottomToTop(dlg);
  }
}

}  // namespace
