// Thousands of seeded random mouse, key and command events against the open dialog: whatever the
// order, the record stays well formed.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>

#include "tests/gui/dialog_harness.h"

namespace {

// A position word: mostly over the view, sometimes on its edges, off it or far outside.
LPARAM RandomPosition(std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 9), inView(0, 280), any(0, 0xFFFF);
  switch (kind(rng)) {
    case 0: return MAKELPARAM(any(rng), any(rng));
    case 1: return MAKELPARAM(12, inView(rng));
    case 2: return MAKELPARAM(inView(rng), 267);
    default: return MAKELPARAM(inView(rng), inView(rng));
  }
}

struct StormResult {
  int presses = 0;
  int refreshes = 0;
  int mostPoints = 0;
};

// One of the editor's own events: a key for the view, a number typed into a field, a curve, kind
// or preset chosen or stepped through, undo or redo.
void EditorEvent(gui::OpenDialog& dlg, std::mt19937& rng) {
  static const WPARAM kKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_DELETE, VK_PRIOR, VK_NEXT};
  static const char* const kTexts[] = {"0", "255", "17", "256", "x", "", " 99 ", "-1"};
  std::uniform_int_distribution<int> what(0, 9), any(0, 1000);
  switch (what(rng)) {
    case 0:
    case 1:
    case 2: {
      BYTE keys[256];
      GetKeyboardState(keys);
      keys[VK_SHIFT] = any(rng) % 2 ? 0x80 : 0;
      SetKeyboardState(keys);
      SendMessageA(dlg.View(), WM_KEYDOWN, kKeys[any(rng) % 7], 0);
      keys[VK_SHIFT] = 0;
      SetKeyboardState(keys);
      break;
    }
    case 3: {
      const int field = any(rng) % 2 ? IDC_POINT_INPUT : IDC_POINT_OUTPUT;
      SetDlgItemTextA(dlg.window, field, kTexts[any(rng) % 8]);
      SendMessageA(dlg.Item(field), WM_KEYDOWN, VK_RETURN, 0);
      break;
    }
    case 4: {
      static const int kSelectors[] = {IDC_CURVE, IDC_KIND, IDC_PRESET};
      dlg.Pick(kSelectors[any(rng) % 3], any(rng) % 12 - 1);
      break;
    }
    case 5: {
      // A step through a closed list, as the arrow keys make it.
      static const int kSelectors[] = {IDC_CURVE, IDC_KIND, IDC_PRESET};
      const int id = kSelectors[any(rng) % 3];
      SendMessageA(dlg.Item(id), CB_SETCURSEL, any(rng) % 12 - 1, 0);
      dlg.Command(id, CBN_SELENDOK);
      dlg.Command(id, CBN_SELCHANGE);
      break;
    }
    default: dlg.Command(any(rng) % 3 ? IDC_UNDO : IDC_REDO);
  }
}

void RunStorm(CurveData& data, uint32_t seed, int events, bool pickModes, bool resets,
              StormResult& out, bool editorEvents = false) {
  const ChannelMode openingMode = data.mode;
  gui::OpenDialog dlg(data);
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> what(0, 99), item(-1, 5);
  bool picked = false;
  for (int e = 0; e < events; ++e) {
    const int w = editorEvents && what(rng) < 30 ? -1 : what(rng);
    if (w < 0) {
      EditorEvent(dlg, rng);
      picked = true;  // presets and undo may set the mode
    } else if (w < 35) {
      dlg.Move(RandomPosition(rng), what(rng) < 50 ? MK_LBUTTON : 0);
    } else if (w < 55) {
      dlg.LeftPress(RandomPosition(rng));
      ++out.presses;
    } else if (w < 70) {
      dlg.LeftRelease(RandomPosition(rng));
    } else if (w < 82) {
      dlg.RightPress(RandomPosition(rng));
    } else if (w < 85) {
      if (!resets) continue;
      dlg.Command(IDC_RESET);
      picked = true;  // Reset picks RGB
    } else if (w < 88) {
      dlg.Command(IDC_PREVIEW);
    } else if (w < 93) {
      if (pickModes) {
        const int i = item(rng);
        SendMessageA(dlg.Item(IDC_MODE), CB_SETCURSEL, i, 0);
        picked = picked || (i >= 0 && i < kModeCount);  // the luma entries keep the mode
      } else {
        gui::TypeIntoSelector(dlg.Item(IDC_MODE), "x");
      }
      dlg.Command(IDC_MODE, what(rng) < 50 ? CBN_SELCHANGE : CBN_KILLFOCUS);
    } else if (w < 96) {
      dlg.Paint();
    } else if (w < 98) {
      ReleaseCapture();
    } else {
      dlg.Send(WM_LBUTTONDBLCLK, MK_LBUTTON, RandomPosition(rng));
    }

    ASSERT_TRUE(gui::SlotsWellFormed(data)) << "after event " << e;
    ASSERT_GE(data.selected, -1);
    ASSERT_LE(data.selected, 254);
    if (picked || openingMode <= kModeBlue) {
      ASSERT_LE(data.mode, kModeBlue) << "after event " << e;
    } else {
      ASSERT_EQ(data.mode, openingMode) << "after event " << e;
    }
    ASSERT_LE(data.target, kTargetLuma601) << "after event " << e;
    for (int i = 0; i < kLutSize; i += 17) ASSERT_TRUE(data.lut[i] >= 0 && data.lut[i] <= 255);
    int points = 0;
    for (const ControlPoint& p : data.points) points += IsValidPoint(p);
    if (points > out.mostPoints) out.mostPoints = points;
  }
  out.refreshes = dlg.preview.Count("RedoFrame");
}

TEST(Storm, RandomEventsKeepEverySlotWellFormed) {
  CurveData data = Fresh();
  StormResult result;
  RunStorm(data, 20240601u, 3000, /*pickModes=*/true, /*resets=*/true, result);
  EXPECT_GT(result.presses, 400);
  EXPECT_GT(result.refreshes, 500);
  EXPECT_GT(result.mostPoints, 10) << "the storm should build real curves";
  std::printf("storm: %d presses, %d preview refreshes, at most %d points at once\n",
              result.presses, result.refreshes, result.mostPoints);
}

// Slots 0..254 nearly all taken, some of them out of x order and slot 255 holding a point: presses
// that find no free slot, shifts into the last slot, deletions that open holes.
TEST(Storm, NearlyFullRecord) {
  CurveData data = Fresh();
  std::mt19937 rng(5);
  for (int i = 0; i < 256; ++i) data.points[i] = ControlPoint{i, static_cast<int32_t>(rng() % 256)};
  data.points[40] = ControlPoint{200, 10};
  data.points[100] = ControlPoint{-1, -1};
  StormResult result;
  RunStorm(data, 11u, 1500, /*pickModes=*/true, /*resets=*/false, result);
  EXPECT_GT(result.mostPoints, 250);
}

// The same with the editor's keys, fields, selectors, presets, undo and redo among the events.
TEST(Storm, EditorEventsToo) {
  CurveData data = Fresh();
  StormResult result;
  RunStorm(data, 20261208u, 3000, /*pickModes=*/true, /*resets=*/true, result,
           /*editorEvents=*/true);
  EXPECT_GT(result.mostPoints, 3);
}

TEST(Storm, ModeFromAScriptSurvivesWhenNothingIsPicked) {
  CurveData data = Fresh();
  data.mode = 200;
  StormResult result;
  RunStorm(data, 7u, 600, /*pickModes=*/false, /*resets=*/false, result);
}

TEST(Storm, ModeFromAScriptGivesWayToAPick) {
  CurveData data = Fresh();
  data.mode = 9;
  StormResult result;
  RunStorm(data, 99u, 600, /*pickModes=*/true, /*resets=*/true, result);
}

}  // namespace
