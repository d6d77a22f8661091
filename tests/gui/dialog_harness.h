// Shared harness of the GUI tests: a preview object that records what the dialog asks of it, the
// dialog opened modelessly over a CurveData with its controls moved to the reference layout, and
// ConfigProc run modally with a scripted visit inside its message loop.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "editor/config_dialog.h"
#include "editor/curve_view.h"
#include "editor/mouse_mapping.h"
#include "editor/resource.h"
#include "engine/curve_data.h"
#include "host/filter_abi.h"
#include "tests/support/fresh_curve.h"

namespace gui {

using ButtonCallback = void (*)(bool, void*);
using SampleCallback = void (*)(void*, int32_t, int32_t, void*);

// Records the name of every call, in order, and the windows the dialog hands over. Like the host,
// it keeps the callbacks it is given, shows or hides its (imaginary) window on Toggle and tells
// the button callback, and hands `frame` to the sample callback when asked while shown.
class RecordingPreview : public IFilterPreview {
 public:
  void SetButtonCallback(ButtonCallback callback, void* context) override {
    Note("SetButtonCallback");
    buttonCallback = callback;
    buttonContext = context;
  }
  void SetSampleCallback(SampleCallback callback, void* context) override {
    Note("SetSampleCallback");
    sampleCallback = callback;
    sampleContext = context;
  }
  bool isPreviewEnabled() override { Note("isPreviewEnabled"); return shown; }
  void Toggle(HWND parent) override {
    Note("Toggle");
    toggleParent = parent;
    shown = !shown;
    if (buttonCallback != nullptr) buttonCallback(shown, buttonContext);
  }
  void Display(HWND, bool) override { Note("Display"); }
  void RedoFrame() override { Note("RedoFrame"); }
  void RedoSystem() override { Note("RedoSystem"); }
  void UndoSystem() override { Note("UndoSystem"); }
  void InitButton(HWND button) override { Note("InitButton"); initButton = button; }
  void Close() override { Note("Close"); }
  bool SampleCurrentFrame() override {
    Note("SampleCurrentFrame");
    if (!shown || sampleCallback == nullptr) return false;
    sampleCallback(&frame, 0, 1, sampleContext);
    return true;
  }
  int32_t SampleFrames() override { Note("SampleFrames"); return 0; }

  int Count(const std::string& name) const {
    int n = 0;
    for (const std::string& c : calls) n += c == name;
    return n;
  }
  // The calls since `from`, joined by spaces.
  std::string Since(size_t from) const {
    std::string joined;
    for (size_t i = from; i < calls.size(); ++i) joined += (joined.empty() ? "" : " ") + calls[i];
    return joined;
  }
  void Clear() { calls.clear(); }

  std::vector<std::string> calls;
  HWND toggleParent = nullptr;
  HWND initButton = nullptr;
  bool shown = false;
  ButtonCallback buttonCallback = nullptr;
  void* buttonContext = nullptr;
  SampleCallback sampleCallback = nullptr;
  void* sampleContext = nullptr;
  VFBitmap frame = {};  // what a sample hands over; set by the test

 private:
  void Note(const char* name) { calls.push_back(name); }
};

// Where the reference layout puts the curve view's client area inside the dialog's, on both axes.
constexpr int32_t kViewOffset = 12;

// A 32-bit frame as a sample hands it over: w x h pixels, rows `stride` pixels apart.
inline VFBitmap SampledFrame(uint32_t* pixels, int32_t w, int32_t h, int32_t stride) {
  VFBitmap bitmap = {};
  bitmap.data = pixels;
  bitmap.depth = 32;
  bitmap.w = w;
  bitmap.h = h;
  bitmap.pitch = ptrdiff_t{stride} * 4;
  bitmap.modulo = ptrdiff_t{stride - w} * 4;
  return bitmap;
}

// The refresh a full redraw asks of the preview.
inline const char* kRefreshCalls = "UndoSystem RedoSystem RedoFrame";

// Places a control so that its client area (inside the sunken edge) starts at (x, y) of its
// parent's client area and measures w x h.
void PlaceClientArea(HWND control, int x, int y, int w, int h);

// Pixel of a control's client area as (r, g, b) packed by RGB().
COLORREF Pixel(HWND control, int x, int y);

// Background of a freshly repainted control: the dialog's own colour.
inline COLORREF Background() { return GetSysColor(COLOR_BTNFACE); }
inline COLORREF Grey(int v) { return RGB(v, v, v); }

void PumpMessages();

// Handles the messages waiting for the thread as a modal dialog's loop does: through the dialog's
// message filter and the dialog manager, which route the keys.
void PumpDialogMessages(HWND dialog);

// What a click on a name in a selector's open list sends: the list opens, the item is selected,
// the choice ends and the list closes.
void Pick(HWND dialog, int id, int item);

// Keys typed into the selector's text field, replacing what it shows.
void TypeIntoSelector(HWND selector, const char* text);

// The dialog opened modelessly (ConfigDlgProc over `data`), shown, with the curve view's client
// area at (12, 12) measuring 256 x 255, the output bar 15 x 255 and the input bar 256 x 24.
class OpenDialog {
 public:
  explicit OpenDialog(CurveData& data, bool withPreview = true);
  ~OpenDialog();
  OpenDialog(const OpenDialog&) = delete;
  OpenDialog& operator=(const OpenDialog&) = delete;

  HWND Item(int id) const { return GetDlgItem(window, id); }
  HWND View() const { return Item(IDC_CURVE_VIEW); }
  HWND OutputBar() const { return Item(IDC_OUTPUT_BAR); }
  HWND InputBar() const { return Item(IDC_INPUT_BAR); }

  // Resizes the three drawing areas (client sizes) keeping the view's client origin at (12, 12).
  void Layout(int viewW, int viewH, int outW, int outH, int inW, int inH);

  // A dialog position that the reference layout maps to curve (x, y); fails the test when no
  // pixel maps there (y = 0 and y = 255 at this size).
  LPARAM At(int32_t x, int32_t y) const;

  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return SendMessageA(window, message, wParam, lParam);
  }
  void LeftPress(LPARAM at) const { Send(WM_LBUTTONDOWN, MK_LBUTTON, at); }
  void Move(LPARAM at, WPARAM keys = MK_LBUTTON) const { Send(WM_MOUSEMOVE, keys, at); }
  void LeftRelease(LPARAM at) const { Send(WM_LBUTTONUP, 0, at); }
  void RightPress(LPARAM at) const { Send(WM_RBUTTONDOWN, MK_RBUTTON, at); }
  LRESULT Command(int id, int code = BN_CLICKED) const {
    return Send(WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(Item(id)));
  }
  void Pick(int id, int item) const { gui::Pick(window, id, item); }
  // What the dialog procedure itself answers, as the dialog manager sees it.
  INT_PTR Direct(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ConfigDlgProc(window, message, wParam, lParam);
  }
  // A paint of the dialog: the full redraw, drawn now.
  void Paint() const { Send(WM_PAINT, 0, 0); }

  CurveData& data;
  RecordingPreview preview;
  HWND window = nullptr;
};

// Runs ConfigProc over `data` with the activation a host would pass. `visit` runs inside the
// dialog's modal loop with the dialog window; afterwards the harness sends `closingId` (IDOK or
// IDCANCEL) to end it, or leaves the ending to the visit when it is 0. Returns ConfigProc's
// result.
int RunConfigProc(CurveData& data, IFilterPreview* preview, int closingId,
                  const std::function<void(HWND)>& visit, HINSTANCE resources = nullptr);
// The same with an activation of the caller's making.
int RunConfigProc(FilterActivation& fa, int closingId, const std::function<void(HWND)>& visit);

// The texts of the message boxes with this caption that open while `action` runs, each closed
// as it comes with `answer` (a box with OK alone with OK).
std::vector<std::string> AnsweringBoxes(const char* caption, int answer,
                                        const std::function<void()>& action);

// Every curve's points, its kind and the mode, as text: what undo and redo must give back.
std::string Settings(const CurveData& data);

// Every slot of every curve a point within 0..255 or exactly (-1, -1), and every kind a kind.
::testing::AssertionResult SlotsWellFormed(const CurveData& data);

}  // namespace gui
