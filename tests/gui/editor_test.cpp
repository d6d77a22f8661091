// The editor beyond the original dialog: the histogram of a sampled frame, the keys and number
// fields that move the current point, undo and redo, presets and curve files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "editor/curve_file_dialog.h"
#include "engine/curve_tables.h"
#include "engine/knot_curves.h"
#include "engine/presets.h"
#include "tests/gui/dialog_harness.h"

namespace {

using gui::Background;
using gui::Pixel;

// 300 pixels in two rows with a gap between them: red 50 (200 times) and 200 (100 times), green
// 100 and blue 150 throughout.
struct KnownFrame {
  KnownFrame() : pixels(2 * 160, 0xFFFFFFFFu) {
    for (int i = 0; i < 300; ++i) {
      const uint32_t red = i < 200 ? 50 : 200;
      pixels[(i / 150) * 160 + i % 150] = red << 16 | 100 << 8 | 150;
    }
    bitmap = gui::SampledFrame(pixels.data(), 150, 2, 160);
  }
  std::vector<uint32_t> pixels;
  VFBitmap bitmap;
};

bool IsHistogram(HWND view, int x, int y) { return Pixel(view, x, y) == kHistogramColour; }

class Editor : public ::testing::Test {
 protected:
  Editor() : data(Fresh()) {}
  CurveData data;
};

TEST_F(Editor, SampledFrameDrawsTheHistogramOfTheEditedCurvesInput) {
  gui::OpenDialog dlg(data);
  KnownFrame frame;
  dlg.preview.frame = frame.bitmap;
  dlg.Command(IDC_SAMPLE);  // the preview is hidden: nothing to sample
  gui::PumpMessages();
  EXPECT_FALSE(IsHistogram(dlg.View(), 100, 1));

  dlg.Command(IDC_PREVIEW);  // shown: the dialog samples the frame by itself
  gui::PumpMessages();
  ASSERT_GE(dlg.preview.Count("SampleCurrentFrame"), 2);
  // Master in RGB: levels 100 and 150 occur 300 times and reach the top; 50 occurs 200 times
  // (170 of 255 rows), 200 100 times (85 rows); level 51 not at all.
  EXPECT_TRUE(IsHistogram(dlg.View(), 100, 1));
  EXPECT_TRUE(IsHistogram(dlg.View(), 150, 1));
  EXPECT_TRUE(IsHistogram(dlg.View(), 50, 85));
  EXPECT_EQ(Pixel(dlg.View(), 50, 84), Background());
  EXPECT_TRUE(IsHistogram(dlg.View(), 200, 170));
  EXPECT_EQ(Pixel(dlg.View(), 200, 169), Background());
  EXPECT_EQ(Pixel(dlg.View(), 51, 250), Background());

  // The red curve sees red alone: 50 reaches the top, 200 half of it (128 rows).
  dlg.Pick(IDC_CURVE, kCurveRed);
  EXPECT_TRUE(IsHistogram(dlg.View(), 50, 1));
  EXPECT_TRUE(IsHistogram(dlg.View(), 200, 128));
  EXPECT_EQ(Pixel(dlg.View(), 200, 126), Background());
  EXPECT_EQ(Pixel(dlg.View(), 100, 1), Background());
}

TEST_F(Editor, CancelPutsEveryCurveAndKindBack) {
  data.channel[kCurveGreen - 1].points[0] = ControlPoint{80, 90};
  data.kind[kCurveGreen] = kKindMonotone;
  RebuildAllCurves(data);
  const CurveData before = data;
  gui::RecordingPreview preview;
  gui::RunConfigProc(data, &preview, IDCANCEL, [&](HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_CURVE, CB_SETCURSEL, kCurveGreen, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CURVE, CBN_SELCHANGE), 0);
    gui::Pick(dialog, IDC_PRESET, 8);
    ASSERT_NE(std::memcmp(data.channel, before.channel, sizeof data.channel), 0);
  });
  EXPECT_EQ(std::memcmp(data.channel, before.channel, sizeof data.channel), 0);
  EXPECT_EQ(std::memcmp(data.kind, before.kind, sizeof data.kind), 0);
  EXPECT_EQ(std::memcmp(data.lut, before.lut, sizeof data.lut), 0);
}

TEST_F(Editor, WithoutAPreviewNothingIsSampled) {
  gui::OpenDialog dlg(data, /*withPreview=*/false);
  EXPECT_FALSE(IsWindowEnabled(dlg.Item(IDC_SAMPLE)));
  dlg.Command(IDC_SAMPLE);
  dlg.Paint();
  EXPECT_FALSE(IsHistogram(dlg.View(), 128, 1));
}

std::string FieldText(gui::OpenDialog& dlg, int id) {
  char text[16] = {};
  GetDlgItemTextA(dlg.window, id, text, sizeof text);
  return text;
}

void Key(gui::OpenDialog& dlg, WPARAM key, bool shift = false) {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  SetKeyboardState(keys);
  SendMessageA(dlg.View(), WM_KEYDOWN, key, 0);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

void TypeAndEnter(gui::OpenDialog& dlg, int id, const char* text) {
  SetDlgItemTextA(dlg.window, id, text);
  SendMessageA(dlg.Item(id), WM_KEYDOWN, VK_RETURN, 0);
}

TEST_F(Editor, KeysNumbersAndUndoRedoOverMixedEdits) {
  gui::OpenDialog dlg(data);
  std::vector<std::string> states = {gui::Settings(data)};
  const auto edited = [&] { states.push_back(gui::Settings(data)); };

  dlg.LeftPress(dlg.At(64, 64));  // an added point is current, and the view takes the keys
  dlg.LeftRelease(dlg.At(64, 64));
  edited();
  EXPECT_EQ(GetFocus(), dlg.View());
  dlg.LeftPress(dlg.At(190, 160));  // a drag: one edit from press to release
  dlg.Move(dlg.At(192, 170));
  dlg.LeftRelease(dlg.At(192, 170));
  edited();
  EXPECT_EQ(FieldText(dlg, IDC_POINT_INPUT), "192");
  EXPECT_EQ(FieldText(dlg, IDC_POINT_OUTPUT), "170");

  Key(dlg, VK_RIGHT);  // a run of nudges on one point is one edit
  Key(dlg, VK_RIGHT);
  Key(dlg, VK_UP, /*shift=*/true);
  EXPECT_EQ(data.points[1].x, 194);
  EXPECT_EQ(data.points[1].y, 178);
  edited();
  Key(dlg, VK_PRIOR);  // the point before in x order
  Key(dlg, VK_DOWN);
  EXPECT_EQ(data.points[0].y, 63);
  edited();

  TypeAndEnter(dlg, IDC_POINT_OUTPUT, "200");
  EXPECT_EQ(data.points[0].y, 200);
  edited();
  for (const char* wrong : {"300", "abc", "-5", ""}) {
    TypeAndEnter(dlg, IDC_POINT_OUTPUT, wrong);
    EXPECT_EQ(FieldText(dlg, IDC_POINT_OUTPUT), "200") << "put back after '" << wrong << "'";
  }
  SetDlgItemTextA(dlg.window, IDC_POINT_INPUT, "10");  // leaving the field sets it too
  SetFocus(dlg.Item(IDC_POINT_INPUT));
  SetFocus(dlg.View());
  EXPECT_EQ(data.points[0].x, 10);
  edited();

  dlg.Pick(IDC_KIND, kKindLinear);
  edited();
  Key(dlg, VK_NEXT);
  Key(dlg, VK_DELETE);
  EXPECT_FALSE(IsValidPoint(data.points[1]));
  EXPECT_EQ(FieldText(dlg, IDC_POINT_INPUT), "");
  edited();
  dlg.Pick(IDC_CURVE, kCurveBlue);
  dlg.LeftPress(dlg.At(100, 40));
  dlg.LeftRelease(dlg.At(100, 40));
  edited();
  dlg.Pick(IDC_PRESET, 2);
  edited();
  dlg.Command(IDC_RESET);
  edited();
  ASSERT_EQ(states.size(), 12u);

  std::vector<int32_t> lut(data.lut, data.lut + kLutSize);
  for (size_t i = states.size() - 1; i > 0; --i) {
    dlg.Command(IDC_UNDO);
    ASSERT_EQ(gui::Settings(data), states[i - 1]) << "undo to state " << i - 1;
  }
  dlg.Command(IDC_UNDO);  // nothing left to undo
  EXPECT_EQ(gui::Settings(data), states[0]);
  for (size_t i = 1; i < states.size(); ++i) {
    dlg.Command(IDC_REDO);
    ASSERT_EQ(gui::Settings(data), states[i]) << "redo to state " << i;
  }
  EXPECT_EQ(std::vector<int32_t>(data.lut, data.lut + kLutSize), lut);
}

// Keys from the keyboard, through the dialog manager of the modal dialog: the arrows reach the
// view, Ctrl+Z goes through the dialog's own filter, Enter still applies.
TEST_F(Editor, RealKeysInTheModalDialog) {
  gui::RecordingPreview preview;
  int32_t addedX = -1;
  const int result = gui::RunConfigProc(data, &preview, 0, [&](HWND dialog) {
    RECT view;
    GetClientRect(GetDlgItem(dialog, IDC_CURVE_VIEW), &view);
    POINT origin = {0, 0};
    MapWindowPoints(GetDlgItem(dialog, IDC_CURVE_VIEW), dialog, &origin, 1);
    const LPARAM at = MAKELPARAM(origin.x + view.right / 2, origin.y + view.bottom / 2);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(dialog, WM_LBUTTONUP, 0, at);
    addedX = data.points[0].x;
    const auto press = [](WORD key) {
      INPUT input[2] = {};
      input[0].type = input[1].type = INPUT_KEYBOARD;
      input[0].ki.wVk = input[1].ki.wVk = key;
      input[1].ki.dwFlags = KEYEVENTF_KEYUP;
      SendInput(2, input, sizeof(INPUT));
    };
    press(VK_LEFT);
    press(VK_LEFT);
    INPUT undo[4] = {};
    for (INPUT& i : undo) i.type = INPUT_KEYBOARD;
    undo[0].ki.wVk = undo[3].ki.wVk = VK_CONTROL;
    undo[1].ki.wVk = undo[2].ki.wVk = 'Z';
    undo[2].ki.dwFlags = undo[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, undo, sizeof(INPUT));
    press(VK_RETURN);
  });
  EXPECT_EQ(result, 0) << "Enter applied";
  ASSERT_TRUE(IsValidPoint(data.points[0]));
  EXPECT_EQ(data.points[0].x, addedX) << "the nudges were undone, the added point kept";
  EXPECT_FALSE(IsValidPoint(data.points[1]));
}

}  // namespace
