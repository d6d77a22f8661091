// Editing through the dialog: picking, adding, dragging and deleting points with the mouse, the
// commands, the preview calls they cause, and what ConfigProc leaves behind on Apply and Cancel.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/spline.h"
#include "tests/gui/dialog_harness.h"

namespace {

using gui::kRefreshCalls;

bool SamePoint(const ControlPoint& p, int32_t x, int32_t y) { return p.x == x && p.y == y; }

class Editing : public ::testing::Test {
 protected:
  Editing() : data(Fresh()) {}
  CurveData data;
};

TEST_F(Editing, OpeningFillsTheSelectorInitialisesThePreviewAndRedraws) {
  data.mode = kModeRed;
  data.selected = 17;  // a drag left over from elsewhere never survives the opening
  gui::OpenDialog dlg(data);
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(SendMessageA(dlg.Item(IDC_MODE), CB_GETCURSEL, 0, 0), 1);
  ASSERT_GE(dlg.preview.calls.size(), 4u);
  EXPECT_EQ(dlg.preview.Since(0).rfind(std::string("InitButton ") + kRefreshCalls, 0), 0u)
      << dlg.preview.Since(0);
  EXPECT_EQ(dlg.preview.initButton, dlg.Item(IDC_PREVIEW));
  EXPECT_TRUE(IsWindowEnabled(dlg.Item(IDC_PREVIEW)));
}

TEST_F(Editing, PressWithinEightUnitsPicksWithoutMoving) {
  data.points[0] = ControlPoint{100, 100};
  gui::OpenDialog dlg(data);
  struct Offset {
    int dx, dy;
  } hits[] = {{8, 8}, {-8, -8}, {8, -8}, {0, 8}, {-8, 0}};
  for (const Offset o : hits) {
    dlg.LeftPress(dlg.At(100 + o.dx, 100 + o.dy));
    EXPECT_EQ(data.selected, 0) << o.dx << ", " << o.dy;
    EXPECT_TRUE(SamePoint(data.points[0], 100, 100));
    EXPECT_EQ(data.points[1].x, -1) << "nothing added";
    dlg.LeftRelease(dlg.At(100, 100));
    EXPECT_EQ(data.selected, -1);
  }
}

TEST_F(Editing, PressNineUnitsAwayMissesAndAddsAPoint) {
  struct Offset {
    int dx, dy;
  } misses[] = {{9, 0}, {0, -9}, {-9, 9}, {9, 8}};
  for (const Offset o : misses) {
    CurveData fresh = Fresh();
    fresh.points[0] = ControlPoint{100, 100};
    gui::OpenDialog dlg(fresh);
    dlg.LeftPress(dlg.At(100 + o.dx, 100 + o.dy));
    // Placed in x order: before the existing point when its x is smaller.
    const int32_t slot = o.dx < 0 ? 0 : 1;
    EXPECT_EQ(fresh.selected, slot) << o.dx << ", " << o.dy;
    EXPECT_TRUE(SamePoint(fresh.points[slot], 100 + o.dx, 100 + o.dy));
    EXPECT_TRUE(SamePoint(fresh.points[1 - slot], 100, 100));
  }
}

TEST_F(Editing, TheLowerSlotWinsEvenWhenAnotherPointIsNearer) {
  data.points[0] = ControlPoint{100, 100};
  data.points[1] = ControlPoint{106, 100};
  gui::OpenDialog dlg(data);
  dlg.LeftPress(dlg.At(106, 100));
  EXPECT_EQ(data.selected, 0);
  dlg.LeftRelease(dlg.At(106, 100));

  dlg.RightPress(dlg.At(106, 100));
  EXPECT_EQ(data.points[0].x, -1);
  EXPECT_EQ(data.points[0].y, -1);
  EXPECT_TRUE(SamePoint(data.points[1], 106, 100)) << "only the first hit is deleted";
}

TEST_F(Editing, AddDragRelease) {
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  dlg.LeftPress(dlg.At(60, 200));
  ASSERT_EQ(data.selected, 0);
  EXPECT_TRUE(SamePoint(data.points[0], 60, 200));
  EXPECT_EQ(GetCapture(), dlg.window) << "the drag holds the mouse";

  dlg.Move(dlg.At(70, 180));
  dlg.Move(dlg.At(200, 20));  // past nothing; the slot keeps its index
  EXPECT_TRUE(SamePoint(data.points[0], 200, 20));
  CurveData expected = data;
  RebuildLut(expected);
  EXPECT_EQ(std::memcmp(data.lut, expected.lut, sizeof data.lut), 0) << "lut follows the drag";
  EXPECT_EQ(dlg.preview.Count("RedoFrame"), 3) << "press and two moves each redraw in full";

  dlg.LeftRelease(dlg.At(200, 20));
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(dlg.preview.Count("RedoFrame"), 3) << "the release redraws nothing";
  dlg.Move(dlg.At(30, 30), 0);
  EXPECT_TRUE(SamePoint(data.points[0], 200, 20)) << "no drag after the release";
}

TEST_F(Editing, DraggedPointKeepsItsSlotWhenPassingANeighbour) {
  data.points[0] = ControlPoint{50, 50};
  data.points[1] = ControlPoint{150, 150};
  gui::OpenDialog dlg(data);
  dlg.LeftPress(dlg.At(50, 50));
  dlg.Move(dlg.At(220, 60));
  EXPECT_TRUE(SamePoint(data.points[0], 220, 60));
  EXPECT_TRUE(SamePoint(data.points[1], 150, 150));
}

TEST_F(Editing, MovesOffTheViewAreIgnoredDuringADrag) {
  data.points[0] = ControlPoint{50, 50};
  gui::OpenDialog dlg(data);
  dlg.LeftPress(dlg.At(50, 50));
  dlg.preview.Clear();
  dlg.Move(MAKELPARAM(12, 100));
  dlg.Move(MAKELPARAM(400, 100));
  dlg.Move(MAKELPARAM(-20, -3));  // captured moves left of and above the dialog
  EXPECT_TRUE(SamePoint(data.points[0], 50, 50));
  EXPECT_TRUE(dlg.preview.calls.empty());
  EXPECT_EQ(data.selected, 0);
}

TEST_F(Editing, LosingTheCaptureEndsTheDrag) {
  data.points[0] = ControlPoint{50, 50};
  gui::OpenDialog dlg(data);
  dlg.LeftPress(dlg.At(50, 50));
  ASSERT_EQ(GetCapture(), dlg.window);
  SetCapture(dlg.Item(IDOK));  // as when another window takes the mouse
  EXPECT_EQ(data.selected, -1);
  ReleaseCapture();
  dlg.Move(dlg.At(90, 90), 0);
  EXPECT_TRUE(SamePoint(data.points[0], 50, 50)) << "a move without the button drags nothing";
}

TEST_F(Editing, PressesOffTheViewDoNothing) {
  data.points[0] = ControlPoint{1, 1};
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  const CurveData before = data;
  for (const LPARAM at : {MAKELPARAM(12, 100), MAKELPARAM(100, 12), MAKELPARAM(268, 100),
                          MAKELPARAM(100, 267), MAKELPARAM(0xFFFF, 0xFFFF), MAKELPARAM(5, 5)}) {
    dlg.LeftPress(at);
    dlg.RightPress(at);
    dlg.Move(at);
  }
  EXPECT_EQ(std::memcmp(before.points, data.points, sizeof data.points), 0);
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(dlg.preview.calls.empty()) << dlg.preview.Since(0);
}

TEST_F(Editing, RightPressDeletesInPlace) {
  // A falling curve, so that the table shows whether the deleted point still counts.
  for (int i = 0; i < 5; ++i) data.points[i] = ControlPoint{40 * i + 20, 230 - 40 * i};
  gui::OpenDialog dlg(data);
  const std::vector<int32_t> before(data.lut, data.lut + kLutSize);
  dlg.preview.Clear();
  dlg.RightPress(dlg.At(140, 110));
  EXPECT_EQ(data.points[3].x, -1);
  EXPECT_EQ(data.points[3].y, -1);
  for (int i : {0, 1, 2, 4}) EXPECT_TRUE(SamePoint(data.points[i], 40 * i + 20, 230 - 40 * i));
  EXPECT_EQ(dlg.preview.Since(0), kRefreshCalls);
  EXPECT_NE(std::vector<int32_t>(data.lut, data.lut + kLutSize), before);

  dlg.preview.Clear();
  dlg.RightPress(dlg.At(240, 10));  // inside the view, nothing there: no edit
  EXPECT_EQ(dlg.preview.Since(0), "");
  // The hole is not compacted and the curve closes over it.
  CurveData expected = data;
  RebuildLut(expected);
  EXPECT_EQ(std::memcmp(data.lut, expected.lut, sizeof data.lut), 0);
}

TEST_F(Editing, RightPressOnTheDraggedPointEmptiesItUntilTheNextMove) {
  gui::OpenDialog dlg(data);
  dlg.LeftPress(dlg.At(80, 80));
  ASSERT_EQ(data.selected, 0);
  dlg.RightPress(dlg.At(80, 80));
  EXPECT_EQ(data.points[0].x, -1);
  EXPECT_EQ(data.selected, 0);
  dlg.Move(dlg.At(90, 70));
  EXPECT_TRUE(SamePoint(data.points[0], 90, 70));
}

TEST_F(Editing, SlotTwoHundredFiftyFiveCannotBePickedOrDeleted) {
  data.points[255] = ControlPoint{128, 128};
  gui::OpenDialog dlg(data);
  dlg.RightPress(dlg.At(128, 128));
  EXPECT_TRUE(SamePoint(data.points[255], 128, 128));
  dlg.LeftPress(dlg.At(128, 128));
  EXPECT_EQ(data.selected, 0) << "a new point, not slot 255";
  EXPECT_TRUE(SamePoint(data.points[0], 128, 128));
  dlg.Move(dlg.At(30, 40));
  EXPECT_TRUE(SamePoint(data.points[255], 128, 128));
  EXPECT_TRUE(SamePoint(data.points[0], 30, 40));
}

TEST_F(Editing, PressWithNoFreeSlotChangesNothing) {
  // 255 points with x 1..255 in slots 0..254: nothing is greater than 255 and no slot is free.
  for (int i = 0; i < 255; ++i) data.points[i] = ControlPoint{i + 1, 128};
  data.points[254] = ControlPoint{255, 3};
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  const CurveData before = data;
  dlg.LeftPress(dlg.At(255, 240));
  EXPECT_EQ(data.selected, -1);
  EXPECT_EQ(GetCapture(), nullptr) << "no drag, no capture";
  EXPECT_EQ(std::memcmp(before.points, data.points, sizeof data.points), 0);
  EXPECT_EQ(dlg.preview.Since(0), "");
}

// A paint draws the pictures again and nothing more: the host is not asked to render its preview.
TEST_F(Editing, PaintOnlyDraws) {
  data.points[0] = ControlPoint{64, 200};
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  DrawGrid(dlg.View());
  EXPECT_EQ(dlg.Direct(WM_PAINT, 0, 0), FALSE);
  EXPECT_EQ(gui::Pixel(dlg.View(), 64, 254 - (data.lut[64] * 255) / 256), RGB(0, 0, 0));
  EXPECT_EQ(dlg.preview.Since(0), "");
}

TEST_F(Editing, ResetGivesTheIdentityRgb) {
  data.points[0] = ControlPoint{30, 200};
  data.mode = kModeBlue;
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  dlg.Command(IDC_RESET);
  EXPECT_EQ(data.mode, kModeRgb);
  EXPECT_EQ(SendMessageA(dlg.Item(IDC_MODE), CB_GETCURSEL, 0, 0), 0);
  for (int i = 0; i < kLutSize; ++i) ASSERT_EQ(data.lut[i], i);
  for (const ControlPoint& p : data.points) ASSERT_TRUE(SamePoint(p, -1, -1));
  EXPECT_EQ(dlg.preview.Since(0), kRefreshCalls);
}

TEST_F(Editing, PreviewButtonTogglesWithTheDialogWindow) {
  gui::OpenDialog dlg(data);
  dlg.preview.Clear();
  SendMessageA(dlg.Item(IDC_PREVIEW), BM_CLICK, 0, 0);
  EXPECT_EQ(dlg.preview.Since(0), "Toggle");
  EXPECT_EQ(dlg.preview.toggleParent, dlg.window);
}

// A mode change maps the frame differently: the preview renders it again, once. A notification
// that changes no mode asks nothing of the host.
TEST_F(Editing, AModeChangeRefreshesThePreviewOnce) {
  gui::OpenDialog dlg(data);
  struct Step {
    int item;
    int code;
    ChannelMode mode;
    int refreshes;
  } steps[] = {
      {kModeBlue, CBN_SELCHANGE, kModeBlue, 1}, {kModeBlue, CBN_SETFOCUS, kModeBlue, 0},
      {kModeRed, CBN_KILLFOCUS, kModeRed, 1},   {kModeRgb, CBN_SELCHANGE, kModeRgb, 1},
      {-1, CBN_SELCHANGE, kModeRgb, 0},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE("item " + std::to_string(step.item) + ", notification " +
                 std::to_string(step.code));
    dlg.preview.Clear();
    SendMessageA(dlg.Item(IDC_MODE), CB_SETCURSEL, step.item, 0);
    dlg.Command(IDC_MODE, step.code);
    EXPECT_EQ(data.mode, step.mode);
    EXPECT_EQ(dlg.preview.Count("RedoFrame"), step.refreshes) << dlg.preview.Since(0);
    EXPECT_EQ(dlg.preview.Count("UndoSystem"), step.refreshes);
  }
  // The bars show the new mode at once.
  SendMessageA(dlg.Item(IDC_MODE), CB_SETCURSEL, kModeBlue, 0);
  dlg.Command(IDC_MODE, CBN_SELCHANGE);
  EXPECT_EQ(gui::Pixel(dlg.InputBar(), 100, 0), RGB(0, 0, 100));
}

TEST_F(Editing, SelectorWithNoCurrentItemLeavesTheModeAlone) {
  data.mode = kModeGreen;
  gui::OpenDialog dlg(data);
  HWND selector = dlg.Item(IDC_MODE);
  gui::TypeIntoSelector(selector, "Gr");
  ASSERT_EQ(SendMessageA(selector, CB_GETCURSEL, 0, 0), CB_ERR);
  dlg.Command(IDC_MODE, CBN_KILLFOCUS);
  EXPECT_EQ(data.mode, kModeGreen);
  char text[16] = {};
  GetWindowTextA(selector, text, sizeof text);
  EXPECT_STREQ(text, "Gr") << "the field stays as the user left it";
}

TEST_F(Editing, ModeAboveBlueShowsNoItemAndSurvivesUntilOneIsPicked) {
  data.mode = 7;
  gui::OpenDialog dlg(data);
  EXPECT_EQ(SendMessageA(dlg.Item(IDC_MODE), CB_GETCURSEL, 0, 0), CB_ERR);
  EXPECT_EQ(gui::Pixel(dlg.InputBar(), 100, 0), RGB(0, 0, 0)) << "the upper part is black";
  EXPECT_EQ(gui::Pixel(dlg.InputBar(), 100, 20), gui::Grey(100));
  dlg.Command(IDC_MODE, CBN_SETFOCUS);
  dlg.Command(IDC_MODE, CBN_KILLFOCUS);
  EXPECT_EQ(data.mode, 7);
  SendMessageA(dlg.Item(IDC_MODE), CB_SETCURSEL, 2, 0);
  dlg.Command(IDC_MODE, CBN_SELCHANGE);
  EXPECT_EQ(data.mode, kModeGreen);
}

TEST_F(Editing, WithoutAPreviewTheButtonIsDisabledAndEditingWorks) {
  gui::OpenDialog dlg(data, /*withPreview=*/false);
  ASSERT_EQ(data.preview, nullptr);
  EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_PREVIEW)));
  dlg.LeftPress(dlg.At(100, 180));
  dlg.Move(dlg.At(110, 190));
  dlg.LeftRelease(dlg.At(110, 190));
  dlg.Command(IDC_PREVIEW);
  dlg.RightPress(dlg.At(10, 250));
  dlg.Paint();
  EXPECT_TRUE(SamePoint(data.points[0], 110, 190));
  EXPECT_GT(data.lut[110], 150);
  dlg.Command(IDC_RESET);
  EXPECT_EQ(data.points[0].x, -1);
}

// ConfigProc: the modal dialog with the snapshots around it.

TEST_F(Editing, ApplyKeepsTheEditsAndRetakesTheSnapshots) {
  gui::RecordingPreview preview;
  data.points[0] = ControlPoint{128, 60};
  RebuildLut(data);
  const int result = gui::RunConfigProc(data, &preview, IDOK, [&](HWND dialog) {
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 40, 12 + 40));
    SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(12 + 40, 12 + 40));
  });
  EXPECT_EQ(result, 0);
  EXPECT_NE(data.points[1].x, -1) << "the added point is kept";
  EXPECT_EQ(std::memcmp(data.lutSnapshot, data.lut, sizeof data.lut), 0);
  EXPECT_EQ(std::memcmp(data.pointsSnapshot, data.points, sizeof data.points), 0);
  EXPECT_EQ(preview.Count("InitButton"), 1);
  EXPECT_EQ(preview.Count("Toggle"), 0);
}

TEST_F(Editing, CancelRestoresTableAndPointsButKeepsTheMode) {
  gui::RecordingPreview preview;
  data.points[0] = ControlPoint{128, 60};
  RebuildLut(data);
  const CurveData before = data;
  bool edited = false;
  const int result = gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 200, 12 + 20));
    SendMessageA(dialog, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(12 + 210, 12 + 30));
    edited = std::memcmp(before.lut, data.lut, sizeof data.lut) != 0;
    SendMessageA(GetDlgItem(dialog, IDC_MODE), CB_SETCURSEL, 1, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_MODE, CBN_SELCHANGE), 0);
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(edited) << "the drag changed the curve before Cancel";
  EXPECT_EQ(std::memcmp(before.lut, data.lut, sizeof data.lut), 0);
  EXPECT_EQ(std::memcmp(before.points, data.points, sizeof data.points), 0);
  EXPECT_EQ(data.mode, kModeRed);
}

TEST_F(Editing, ResetThenCancelLeavesRgb) {
  gui::RecordingPreview preview;
  data.points[0] = ControlPoint{128, 60};
  data.mode = kModeGreen;
  RebuildLut(data);
  const CurveData before = data;
  gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_RESET, BN_CLICKED), 0);
  });
  EXPECT_EQ(data.mode, kModeRgb);
  EXPECT_EQ(std::memcmp(before.points, data.points, sizeof data.points), 0);
  EXPECT_EQ(std::memcmp(before.lut, data.lut, sizeof data.lut), 0);
}

TEST_F(Editing, EnterAppliesEscapeAndTheCloseBoxCancel) {
  // Keys go through the dialog manager of the modal loop, so they are posted, to the Apply
  // button that has the focus.
  struct Case {
    const char* how;
    bool keeps;
    std::function<void(HWND)> end;
  } cases[] = {
      {"Enter", true,
       [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0); }},
      {"Escape", false,
       [](HWND dialog) { PostMessageA(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); }},
      {"close box", false,
       [](HWND dialog) { PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); }},
  };
  for (const Case& c : cases) {
    CurveData fresh = Fresh();
    gui::RecordingPreview preview;
    const int result = gui::RunConfigProc(fresh, &preview, 0, [&](HWND dialog) {
      SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 90, 12 + 90));
      SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(12 + 90, 12 + 90));
      c.end(dialog);
    });
    EXPECT_EQ(result, 0) << c.how;
    EXPECT_EQ(fresh.points[0].x != -1, c.keeps) << c.how;
  }
}

TEST_F(Editing, ADragCutShortByClosingDoesNotReachTheNextOpening) {
  gui::RecordingPreview preview;
  gui::RunConfigProc(data, &preview, IDOK, [&](HWND dialog) {
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 90, 12 + 90));
  });
  ASSERT_NE(data.points[0].x, -1);
  const ControlPoint kept = data.points[0];
  gui::RunConfigProc(data, &preview, IDOK, [&](HWND dialog) {
    EXPECT_EQ(data.selected, -1);
    SendMessageA(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(12 + 30, 12 + 30));
  });
  EXPECT_TRUE(SamePoint(data.points[0], kept.x, kept.y));
}

TEST_F(Editing, ConfigProcWithoutThePreviewInterface) {
  bool disabled = false;
  const int result = gui::RunConfigProc(data, nullptr, IDOK, [&](HWND dialog) {
    disabled = !IsWindowEnabled(GetDlgItem(dialog, IDC_PREVIEW));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED), 0);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 90, 12 + 60));
  });
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(disabled);
  EXPECT_NE(data.points[0].x, -1);
  EXPECT_EQ(data.preview, nullptr);
}

// The host's preview is lent for the dialog only: however ConfigProc ends (Apply, Cancel, or a
// dialog that cannot be made, reported as -1), the host keeps none of the dialog's callbacks,
// the record keeps no pointer to the preview, and no byte copy of the record can carry one.
TEST_F(Editing, NothingOfTheDialogOutlivesConfigProc) {
  struct Case {
    const char* how;
    int closing;
    HINSTANCE resources;  // null: this module; kernel32 has no dialog resource
    int result;
  } cases[] = {
      {"Apply", IDOK, nullptr, 0},
      {"Cancel", IDCANCEL, nullptr, 0},
      {"no dialog", IDOK, GetModuleHandleA("kernel32.dll"), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    CurveData fresh = Fresh();
    gui::RecordingPreview preview;
    bool visited = false;
    bool callbacksWhileOpen = false;
    IFilterPreview* whileOpen = nullptr;
    const int result = gui::RunConfigProc(
        fresh, &preview, c.closing,
        [&](HWND) {
          visited = true;
          whileOpen = fresh.preview;
          callbacksWhileOpen =
              preview.buttonCallback != nullptr && preview.sampleCallback != nullptr;
        },
        c.resources);
    const bool opens = c.resources == nullptr;
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(visited, opens);
    EXPECT_EQ(fresh.preview, nullptr);
    EXPECT_EQ(whileOpen, opens ? &preview : nullptr);
    EXPECT_EQ(callbacksWhileOpen, opens);
    EXPECT_EQ(preview.buttonCallback, nullptr);
    EXPECT_EQ(preview.sampleCallback, nullptr);
    if (opens) {
      // The calls the original dialog made come first, the new ones after them.
      EXPECT_EQ(preview.Since(0).rfind(std::string("InitButton ") + kRefreshCalls +
                                           " SetButtonCallback SetSampleCallback",
                                       0),
                0u)
          << preview.Since(0);
    }
  }
}

TEST_F(Editing, ConfigProcFindsItsOwnDialogWhenTheHostNamesNoModule) {
  FilterModule noHandle = {};
  FilterDefinition namesNoHandle = {};
  namesNoHandle.module = &noHandle;
  FilterDefinition namesNone = {};
  FilterDefinition* const definitions[] = {&namesNoHandle, &namesNone, nullptr};
  for (FilterDefinition* definition : definitions) {
    FilterActivation fa = {};
    fa.filter = definition;
    fa.filter_data = &data;
    bool visited = false;
    EXPECT_EQ(gui::RunConfigProc(fa, IDOK, [&](HWND) { visited = true; }), 0);
    EXPECT_TRUE(visited);
  }
}

// The real mouse, through the platform's input queue: presses over the view reach the dialog
// through the transparent static, and a release anywhere ends the drag.
TEST_F(Editing, RealMouseDragEndsWhereverTheButtonIsReleased) {
  gui::OpenDialog dlg(data);
  SetForegroundWindow(dlg.window);
  gui::PumpMessages();
  auto screenPoint = [&](LPARAM at) {
    POINT p = {LOWORD(at), HIWORD(at)};
    ClientToScreen(dlg.window, &p);
    return p;
  };
  // Synthesised input reaches the queue through the display server, later when the machine is
  // busy: pump until what the event should do has happened, or for at most `waitMs`.
  auto send = [](DWORD flags, POINT p, const std::function<bool()>& done, int waitMs = 2000) {
    SetCursorPos(p.x, p.y);
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    for (int waited = 0;; waited += 10) {
      gui::PumpMessages();
      if (done() || waited >= waitMs) break;
      Sleep(10);
    }
  };
  const auto never = [] { return false; };
  send(MOUSEEVENTF_MOVE, screenPoint(dlg.At(60, 60)), never, 100);
  send(MOUSEEVENTF_LEFTDOWN, screenPoint(dlg.At(60, 60)), [&] { return data.selected == 0; });
  ASSERT_EQ(data.selected, 0) << "the press over the view reached the dialog";
  send(MOUSEEVENTF_MOVE, screenPoint(dlg.At(80, 90)),
       [&] { return SamePoint(data.points[0], 80, 90); });
  EXPECT_TRUE(SamePoint(data.points[0], 80, 90));

  RECT frame;
  GetWindowRect(dlg.window, &frame);
  const POINT outside = {frame.right + 40, frame.bottom + 40};
  send(MOUSEEVENTF_MOVE, outside, never, 100);
  send(MOUSEEVENTF_LEFTUP, outside, [&] { return data.selected == -1; });
  EXPECT_EQ(data.selected, -1) << "the release outside the dialog still ended the drag";
  // A move after the release must not drag: give it time to arrive, then look.
  send(MOUSEEVENTF_MOVE, screenPoint(dlg.At(150, 150)), never, 300);
  EXPECT_TRUE(SamePoint(data.points[0], 80, 90));
}

}  // namespace
