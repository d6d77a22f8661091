#include "editor/config_dialog.h"

#include "editor/curve_view.h"
#include "editor/resource.h"
#include "engine/curve_data.h"

// The linker's symbol for the first byte of the file this code is linked into: its instance
// handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// A press selects a point when it lies within this many curve units of it on each axis.
constexpr int32_t kHitRadius = 8;

CurveData* DialogData(HWND dialog) {
  return reinterpret_cast<CurveData*>(GetWindowLongPtr(dialog, DWLP_USER));
}

void FullRedraw(HWND dialog, CurveData& data) {
  RefreshEditor(GetDlgItem(dialog, IDC_CURVE_VIEW), data);
  DrawGradientBars(GetDlgItem(dialog, IDC_OUTPUT_BAR), GetDlgItem(dialog, IDC_INPUT_BAR), data);
}

int32_t Distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }

// The first slot in 0..254 whose point lies within the hit square, or -1. A lower slot wins even
// when a later one is nearer; slot 255 cannot be picked.
int32_t HitSlot(const CurveData& data, int32_t x, int32_t y) {
  for (int32_t i = 0; i < kEditableSlots; ++i) {
    const ControlPoint& p = data.points[i];
    if (IsValidPoint(p) && Distance(x, p.x) <= kHitRadius && Distance(y, p.y) <= kHitRadius) {
      return i;
    }
  }
  return kEmpty;
}

// Curve coordinates of a mouse message, or false when it lies off the curve view.
bool MouseToCurve(HWND dialog, LPARAM position, int32_t& x, int32_t& y) {
  MapMouseToCurve(GetDlgItem(dialog, IDC_CURVE_VIEW), position, x, y);
  return x != kEmpty && y != kEmpty;
}

void OnInitDialog(HWND dialog, CurveData& data) {
  // A drag never carries over from an earlier opening.
  data.selected = kEmpty;
  HWND selector = GetDlgItem(dialog, IDC_MODE);
  for (const char* name : kModeNames) {
    SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  // A mode above Blue (possible from a script) selects no item; the selector then shows none.
  SendMessageA(selector, CB_SETCURSEL, data.mode, 0);
  HWND previewButton = GetDlgItem(dialog, IDC_PREVIEW);
  if (data.preview != nullptr) {
    data.preview->InitButton(previewButton);
  } else {
    EnableWindow(previewButton, FALSE);
  }
  FullRedraw(dialog, data);
}

INT_PTR OnCommand(HWND dialog, CurveData& data, int id) {
  switch (id) {
    case IDOK:
      TakeSnapshot(data);
      EndDialog(dialog, 0);
      return TRUE;
    case IDCANCEL:
      // The mode has no snapshot: a mode picked in the dialog survives Cancel.
      RestoreSnapshot(data);
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_RESET:
      data.mode = kModeRgb;
      ResetCurve(data);
      FullRedraw(dialog, data);
      SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, data.mode, 0);
      return TRUE;
    case IDC_PREVIEW:
      if (data.preview != nullptr) data.preview->Toggle(dialog);
      return TRUE;
    case IDC_MODE: {
      // Any notification counts. With no current item (text typed into the field, or a mode
      // from a script that names no item) the mode stays what it was.
      const LRESULT item = SendDlgItemMessageA(dialog, IDC_MODE, CB_GETCURSEL, 0, 0);
      if (item >= 0 && item < kModeCount) data.mode = static_cast<ChannelMode>(item);
      // Only the bars follow a mode change; the curve and the preview wait for the next redraw.
      DrawGradientBars(GetDlgItem(dialog, IDC_OUTPUT_BAR), GetDlgItem(dialog, IDC_INPUT_BAR),
                       data);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

void OnLeftPress(HWND dialog, CurveData& data, LPARAM position) {
  int32_t x, y;
  if (!MouseToCurve(dialog, position, x, y)) return;
  const int32_t hit = HitSlot(data, x, y);
  if (hit != kEmpty) data.selected = hit;
  if (data.selected == kEmpty) data.selected = InsertPoint(x, y, data);
  // The drag lasts exactly as long as the button: the release comes back here wherever it
  // happens, and a lost capture ends the drag.
  if (data.selected != kEmpty) SetCapture(dialog);
  FullRedraw(dialog, data);
}

void OnMove(HWND dialog, CurveData& data, LPARAM position) {
  int32_t x, y;
  if (data.selected == kEmpty || !MouseToCurve(dialog, position, x, y)) return;
  MovePoint(data, data.selected, x, y);
  FullRedraw(dialog, data);
}

void OnLeftRelease(HWND dialog, CurveData& data) {
  data.selected = kEmpty;
  if (GetCapture() == dialog) ReleaseCapture();
}

void OnRightPress(HWND dialog, CurveData& data, LPARAM position) {
  int32_t x, y;
  if (!MouseToCurve(dialog, position, x, y)) return;
  const int32_t hit = HitSlot(data, x, y);
  if (hit != kEmpty) DeletePoint(data, hit);
  FullRedraw(dialog, data);
}

}  // namespace

int ConfigProc(FilterActivation* fa, const FilterFunctions*, HWND owner) {
  CurveData& data = *static_cast<CurveData*>(fa->filter_data);
  data.preview = fa->ifp;
  TakeSnapshot(data);
  // The dialog lives in this module's resources. A host names the module in the activation; one
  // that does not would otherwise send the search to its own executable, where it fails.
  HINSTANCE module = reinterpret_cast<HINSTANCE>(&__ImageBase);
  if (fa->filter != nullptr && fa->filter->module != nullptr &&
      fa->filter->module->hInstModule != nullptr) {
    module = fa->filter->module->hInstModule;
  }
  return static_cast<int>(DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_FILTER_CONFIG), owner,
                                          ConfigDlgProc, reinterpret_cast<LPARAM>(&data)));
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtr(dialog, DWLP_USER, lParam);
    OnInitDialog(dialog, *reinterpret_cast<CurveData*>(lParam));
    return TRUE;
  }
  CurveData* data = DialogData(dialog);
  if (data == nullptr) return FALSE;  // messages that arrive before WM_INITDIALOG

  switch (message) {
    case WM_PAINT: {
      // Only validates the dialog; the pictures live on the controls and are redrawn in full.
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      EndPaint(dialog, &ps);
      FullRedraw(dialog, *data);
      return FALSE;
    }
    case WM_COMMAND:
      return OnCommand(dialog, *data, LOWORD(wParam));
    case WM_LBUTTONDOWN:
      OnLeftPress(dialog, *data, lParam);
      return FALSE;
    case WM_MOUSEMOVE:
      OnMove(dialog, *data, lParam);
      return FALSE;
    case WM_LBUTTONUP:
      OnLeftRelease(dialog, *data);
      return FALSE;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != dialog) data->selected = kEmpty;
      return FALSE;
    case WM_RBUTTONDOWN:
      OnRightPress(dialog, *data, lParam);
      return FALSE;
    default:
      return FALSE;
  }
}
