// Drags that reach the ends of the axes, drags cut short by edits that replace the curves, and
// presets chosen from their list with the keyboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "engine/presets.h"
#include "tests/gui/dialog_harness.h"

namespace {

// A monotone or linear curve's end point dragged past an edge of the view stays on that edge, so
// it reaches 0 and 255 on both axes, also where no pixel of the view maps there (x 0 and y 0 and
// 255 at the reference layout), and from moves the capture reports outside the dialog.
TEST(Drag, AnEndPointDraggedPastAnEdgeLandsOnIt) {
  constexpr int kRight = gui::kViewOffset + 256, kBottom = gui::kViewOffset + 255;
  struct Case {
    const char* edge;
    bool fromBlack;  // the end at (0, 40), or the one at (255, 215)
    int mx, my;      // the move, in dialog pixels; -1 stands for the column or row of `level`
    ControlPoint lands;
  } cases[] = {
      {"left", true, 5, -1, {0, 60}},
      {"left of the dialog", true, -20, -1, {0, 60}},
      {"below", true, -1, kBottom + 30, {10, 0}},
      {"below, left", true, -5, 600, {0, 0}},
      {"right", false, kRight + 30, -1, {255, 200}},
      {"above", false, -1, 5, {250, 255}},
      {"above the dialog", false, -1, -15, {250, 255}},
      {"above, right", false, 900, -1000, {255, 255}},
  };
  struct Curve {
    int curve;
    CurveKind kind;
  } curves[] = {{kCurveMaster, kKindMonotone}, {kCurveMaster, kKindLinear},
                {kCurveRed, kKindMonotone}};
  for (const Curve& k : curves) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.edge) + ", curve " + std::to_string(k.curve) + ", kind " +
                   std::to_string(k.kind));
      CurveData data = Fresh();
      ControlPoint* points = CurvePoints(data, k.curve);
      points[0] = ControlPoint{0, 40};
      points[1] = ControlPoint{128, 128};
      points[2] = ControlPoint{255, 215};
      data.kind[k.curve] = k.kind;
      RebuildAllCurves(data);
      gui::OpenDialog dlg(data);
      dlg.Pick(IDC_CURVE, k.curve);
      // The other coordinate of the move, inside the view, where the point lands on that axis.
      const LPARAM inside = dlg.At(c.lands.x == 0 || c.lands.x == 255 ? 128 : c.lands.x,
                                   c.lands.y == 0 || c.lands.y == 255 ? 128 : c.lands.y);
      const int mx = c.mx == -1 ? LOWORD(inside) : c.mx;
      const int my = c.my == -1 ? HIWORD(inside) : c.my;
      const int32_t slot = c.fromBlack ? 0 : 2;
      dlg.LeftPress(c.fromBlack ? dlg.At(1, 40) : dlg.At(255, 215));
      ASSERT_EQ(data.selected, slot);
      dlg.Move(MAKELPARAM(mx, my));
      dlg.LeftRelease(MAKELPARAM(mx, my));
      EXPECT_EQ(points[slot].x, c.lands.x);
      EXPECT_EQ(points[slot].y, c.lands.y);
      EXPECT_EQ(CurveLut(data, k.curve)[c.lands.x], c.lands.y) << "the table follows the end";
    }
  }
}

// Posts Ctrl+Z to the curve view, which has the focus during a drag, and lets the dialog
// manager's loop take it, as it takes the key from the keyboard.
void PressCtrlZ(gui::OpenDialog& dlg) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageA(dlg.View(), WM_KEYDOWN, 'Z', 1);
  gui::PumpDialogMessages(dlg.window);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

// Undo, Redo, a preset, Reset, another curve, kind or mode during a drag end the drag first: the
// drag so far is one edit, nothing stays selected, the mouse is let go, and the next move and
// release change nothing and record nothing, so the undo history keeps its branches.
TEST(Drag, EditsThatReplaceTheCurvesEndADragFirst) {
  struct Case {
    const char* what;
    std::function<void(gui::OpenDialog&)> edit;
    bool undoes;  // the edit is Undo: Redo brings the drag back
  } cases[] = {
      {"Ctrl+Z", PressCtrlZ, true},
      {"Undo", [](gui::OpenDialog& dlg) { dlg.Command(IDC_UNDO); }, true},
      {"Redo", [](gui::OpenDialog& dlg) { dlg.Command(IDC_REDO); }, false},
      {"a preset", [](gui::OpenDialog& dlg) { dlg.Pick(IDC_PRESET, 4); }, false},
      {"Reset", [](gui::OpenDialog& dlg) { dlg.Command(IDC_RESET); }, false},
      {"another curve", [](gui::OpenDialog& dlg) { dlg.Pick(IDC_CURVE, kCurveGreen); }, false},
      {"another kind", [](gui::OpenDialog& dlg) { dlg.Pick(IDC_KIND, kKindLinear); }, false},
      {"another mode", [](gui::OpenDialog& dlg) { dlg.Pick(IDC_MODE, kModeBlue); }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CurveData data = Fresh();
    gui::OpenDialog dlg(data);
    dlg.LeftPress(dlg.At(60, 200));  // an edit before the drag, for Undo to go back over
    dlg.LeftRelease(dlg.At(60, 200));
    dlg.LeftPress(dlg.At(60, 200));
    dlg.Move(dlg.At(90, 150));
    const std::string dragged = gui::Settings(data);
    c.edit(dlg);
    EXPECT_EQ(data.selected, -1);
    EXPECT_NE(GetCapture(), dlg.window);
    const std::string edited = gui::Settings(data);
    dlg.Move(dlg.At(30, 30));
    dlg.LeftRelease(dlg.At(30, 30));
    EXPECT_EQ(gui::Settings(data), edited) << "the move and release after the edit";
    if (c.undoes) {
      dlg.Command(IDC_REDO);
      EXPECT_EQ(gui::Settings(data), dragged) << "Redo gives the drag back";
    } else {
      dlg.Command(IDC_UNDO);
      dlg.Command(IDC_REDO);
      EXPECT_EQ(gui::Settings(data), edited) << "Undo and Redo over the edit";
    }
  }
}

// Keys pressed on the keyboard, one after another, each taken by the modal dialog's loop.
void PressKeys(HWND dialog, const std::vector<WORD>& keys) {
  for (WORD key : keys) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    gui::PumpDialogMessages(dialog);
  }
}

// Moving through the preset list, closed or open, leaves the curves and the undo history alone;
// Enter on the list (or the open list closing on a name) applies the preset shown as one edit,
// and Escape or leaving the list applies nothing and shows no preset.
TEST(PresetList, OnlyAChosenPresetIsApplied) {
  struct Case {
    const char* how;
    std::vector<WORD> moves;  // through the list
    WORD last;
    bool applies;
  } cases[] = {
      {"closed list, Enter", {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP}, VK_RETURN, true},
      {"open list, Enter", {VK_F4, VK_DOWN, VK_DOWN, VK_DOWN}, VK_RETURN, true},
      {"open list, Escape", {VK_F4, VK_DOWN, VK_DOWN}, VK_ESCAPE, false},
      {"closed list, Tab", {VK_DOWN, VK_DOWN, VK_DOWN}, VK_TAB, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    CurveData data = Fresh();
    gui::RecordingPreview preview;
    const std::string untouched = gui::Settings(data);
    std::string added, moved, chosen, undone, undoneTwice;
    int shown = -1, shownAfter = -2;
    bool stillOpen = false;
    gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
      ShowWindow(dialog, SW_SHOW);
      SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 + 60, 12 + 100));
      SendMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(12 + 60, 12 + 100));
      added = gui::Settings(data);
      HWND list = GetDlgItem(dialog, IDC_PRESET);
      SetFocus(list);
      PressKeys(dialog, c.moves);
      moved = gui::Settings(data);
      shown = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
      PressKeys(dialog, {c.last});
      chosen = gui::Settings(data);
      shownAfter = static_cast<int>(SendMessageA(list, CB_GETCURSEL, 0, 0));
      stillOpen = IsWindowVisible(dialog);  // a dialog that ends is hidden at once
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNDO, BN_CLICKED), 0);
      undone = gui::Settings(data);
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_UNDO, BN_CLICKED), 0);
      undoneTwice = gui::Settings(data);
    });
    ASSERT_NE(added, untouched);
    EXPECT_EQ(moved, added) << "moving through the list";
    EXPECT_TRUE(stillOpen) << "the key did not end the dialog";
    if (c.applies) {
      ASSERT_GE(shown, 1) << "the moves went past the first preset";
      CurveData expected = Fresh();
      ApplyPreset(expected, shown);
      EXPECT_EQ(chosen, gui::Settings(expected));
      EXPECT_EQ(shownAfter, shown) << "the list shows the preset applied";
      EXPECT_EQ(undone, added) << "one Undo takes the pick back";
      EXPECT_EQ(undoneTwice, untouched);
    } else {
      EXPECT_EQ(chosen, added);
      EXPECT_EQ(shownAfter, -1) << "no preset shown that was not applied";
      EXPECT_EQ(undone, untouched) << "the history is as it was";
    }
  }
}

}  // namespace
