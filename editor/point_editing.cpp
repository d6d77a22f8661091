#include "editor/point_editing.h"

#include <cstdlib>

#include "editor/curve_view.h"
#include "editor/resource.h"
#include "engine/level_counts.h"

namespace {

// A wrapped control keeps its own window procedure here.
constexpr char kOwnProcedure[] = "tonarc.procedure";

int32_t Distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }

int EditedCurve(const EditorState* editor) {
  return editor != nullptr ? editor->curve : kCurveMaster;
}

// Curve coordinates of a mouse message, or false when it lies off the curve view.
bool MouseToCurve(HWND dialog, LPARAM position, int32_t& x, int32_t& y) {
  MapMouseToCurve(GetDlgItem(dialog, IDC_CURVE_VIEW), position, x, y);
  return x != kEmpty && y != kEmpty;
}

// A line around the curve view, outside it, while the view has the keyboard focus: the keys that
// move points go there.
void DrawFocusCue(HWND dialog) {
  HWND view = GetDlgItem(dialog, IDC_CURVE_VIEW);
  RECT r;
  GetWindowRect(view, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  HDC dc = GetDC(dialog);
  if (dc == nullptr) return;
  const COLORREF colour = GetFocus() == view ? kCurrentPointColour : GetSysColor(COLOR_BTNFACE);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(dialog, dc);
}

// 0..255 written as decimal digits, spaces around them allowed; anything else is not a level.
bool ParseLevel(const char* text, int32_t& level) {
  while (*text == ' ') ++text;
  int32_t value = 0, digits = 0;
  for (; *text >= '0' && *text <= '9'; ++text, ++digits) {
    value = value * 10 + (*text - '0');
    if (value > 255) return false;
  }
  while (*text == ' ') ++text;
  if (digits == 0 || *text != '\0') return false;
  level = value;
  return true;
}

void MoveCurrentPoint(HWND dialog, EditorState& editor, ControlPoint to, bool nudge) {
  const ControlPoint point = CurvePoints(*editor.data, editor.curve)[editor.current];
  if (point.x == to.x && point.y == to.y) return;
  MovePoint(*editor.data, editor.curve, editor.current, to.x, to.y);
  FullRedraw(dialog, *editor.data);
  RecordChange(dialog, editor, nudge);
}

void ShowCurrentPointAgain(HWND dialog) {
  if (EditorState* editor = EditorOf(dialog)) editor->shown[0] = editor->shown[1] = -2;
  ShowCurrentPoint(dialog);
}

LRESULT CallOwn(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC own = reinterpret_cast<WNDPROC>(GetPropA(control, kOwnProcedure));
  return own != nullptr ? CallWindowProcA(own, control, message, wParam, lParam)
                        : DefWindowProcA(control, message, wParam, lParam);
}

// The curve view takes the arrow keys (the dialog would move the focus with them) and its other
// keys, and shows whether it has the focus.
LRESULT CALLBACK ViewKeys(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (OnViewKey(GetParent(view), wParam)) return 0;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CallOwn(view, message, wParam, lParam);
      DrawFocusCue(GetParent(view));
      return result;
    }
  }
  return CallOwn(view, message, wParam, lParam);
}

// Enter in a number field sets the point; the dialog would take it for Apply.
LRESULT CALLBACK FieldKeys(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      const MSG* msg = reinterpret_cast<const MSG*>(lParam);
      if (msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        return DLGC_WANTALLKEYS | CallOwn(field, message, wParam, lParam);
      }
      break;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        CommitPointField(GetParent(field), GetDlgCtrlID(field));
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r') return 0;
      break;
  }
  return CallOwn(field, message, wParam, lParam);
}

void Wrap(HWND control, WNDPROC procedure) {
  if (control == nullptr || GetPropA(control, kOwnProcedure) != nullptr) return;
  const LONG_PTR own = GetWindowLongPtrA(control, GWLP_WNDPROC);
  SetPropA(control, kOwnProcedure, reinterpret_cast<HANDLE>(own));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

void Unwrap(HWND control) {
  if (control == nullptr) return;
  HANDLE own = RemovePropA(control, kOwnProcedure);
  if (own != nullptr) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
}

}  // namespace

int32_t HitSlot(const CurveData& data, int curve, int32_t x, int32_t y) {
  const ControlPoint* points = CurvePoints(data, curve);
  for (int32_t i = 0; i < CurveEditableSlots(curve); ++i) {
    const ControlPoint& p = points[i];
    if (IsValidPoint(p) && Distance(x, p.x) <= kHitRadius && Distance(y, p.y) <= kHitRadius) {
      return i;
    }
  }
  return kEmpty;
}

void FullRedraw(HWND dialog, CurveData& data) {
  EditorState* editor = EditorOf(dialog);
  ViewExtras extras;
  uint64_t histogram[kLutSize];
  if (editor != nullptr) {
    extras.curve = editor->curve;
    extras.current = editor->current;
    if (editor->sampled) {
      CurveInputHistogram(data, editor->counts, editor->curve, histogram);
      extras.histogram = histogram;
    }
  }
  RefreshEditor(GetDlgItem(dialog, IDC_CURVE_VIEW), data, extras);
  DrawGradientBars(GetDlgItem(dialog, IDC_OUTPUT_BAR), GetDlgItem(dialog, IDC_INPUT_BAR), data,
                   extras.curve);
  if (editor == nullptr) return;
  ShowCurrentPoint(dialog);
  DrawFocusCue(dialog);
}

void RecordChange(HWND dialog, EditorState& editor, bool nudge) {
  if (!RecordEdit(editor.history, *editor.data, nudge && editor.nudging)) return;
  editor.nudging = nudge;
  SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

namespace {

// A press of either button over the curve view, in the edited curve's terms.
struct Press {
  EditorState* editor;
  int curve;
  int32_t x, y;  // curve coordinates
  int32_t hit;   // the point pressed, or -1
};

// False for a press off the view. A press on it gives the view the keys from now on (a number
// being typed in a field is taken first).
bool PressOnView(HWND dialog, const CurveData& data, LPARAM position, Press& press) {
  if (!MouseToCurve(dialog, position, press.x, press.y)) return false;
  press.editor = EditorOf(dialog);
  press.curve = EditedCurve(press.editor);
  if (press.editor != nullptr) SetFocus(GetDlgItem(dialog, IDC_CURVE_VIEW));
  press.hit = HitSlot(data, press.curve, press.x, press.y);
  return true;
}

}  // namespace

void OnLeftPress(HWND dialog, CurveData& data, LPARAM position) {
  Press press;
  if (!PressOnView(dialog, data, position, press)) return;
  EditorState* const editor = press.editor;
  if (press.hit != kEmpty) data.selected = press.hit;
  if (data.selected == kEmpty) {
    data.selected = InsertCurvePoint(data, press.curve, press.x, press.y);
  }
  // The drag lasts exactly as long as the button: the release comes back here wherever it
  // happens, and a lost capture ends the drag.
  if (data.selected != kEmpty) {
    SetCapture(dialog);
    if (editor != nullptr) {
      editor->current = data.selected;
      editor->nudging = false;
    }
  }
  FullRedraw(dialog, data);
}

void OnMove(HWND dialog, CurveData& data, LPARAM position) {
  int32_t x, y;
  if (data.selected == kEmpty || !MouseToCurve(dialog, position, x, y)) return;
  const int curve = EditedCurve(EditorOf(dialog));
  MovePoint(data, curve, data.selected, x, y);
  FullRedraw(dialog, data);
}

void OnLeftRelease(HWND dialog, CurveData& data) {
  data.selected = kEmpty;
  if (GetCapture() == dialog) ReleaseCapture();
  // A whole drag, from the press to the release, is one edit.
  if (EditorState* editor = EditorOf(dialog)) RecordChange(dialog, *editor);
}

void OnDragLost(HWND dialog, CurveData& data) {
  data.selected = kEmpty;
  if (EditorState* editor = EditorOf(dialog)) RecordChange(dialog, *editor);
}

void OnRightPress(HWND dialog, CurveData& data, LPARAM position) {
  Press press;
  if (!PressOnView(dialog, data, position, press)) return;
  EditorState* const editor = press.editor;
  DeletePoint(data, press.curve, press.hit);
  if (editor != nullptr && press.hit != kEmpty && press.hit == editor->current) {
    editor->current = kEmpty;
  }
  FullRedraw(dialog, data);
  if (editor != nullptr) RecordChange(dialog, *editor);
}

bool OnViewKey(HWND dialog, WPARAM key) {
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return false;
  // Control with a key is the dialog's (undo and redo, through its key filter), not the view's.
  if (GetKeyState(VK_CONTROL) < 0) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  CurveData& data = *editor->data;
  if (key == VK_PRIOR || key == VK_NEXT) {
    const int32_t next = NeighbourPoint(data, editor->curve, editor->current,
                                        key == VK_NEXT ? 1 : -1);
    if (next != kEmpty && next != editor->current) {
      editor->current = next;
      editor->nudging = false;
      FullRedraw(dialog, data);
    }
    return true;
  }
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (!arrow && key != VK_DELETE) return false;
  if (editor->current == kEmpty || data.selected != kEmpty) return true;  // not during a drag
  ControlPoint point = CurvePoints(data, editor->curve)[editor->current];
  if (!IsValidPoint(point)) return true;
  if (key == VK_DELETE) {
    DeletePoint(data, editor->curve, editor->current);
    editor->current = kEmpty;
    FullRedraw(dialog, data);
    RecordChange(dialog, *editor);
    return true;
  }
  const int32_t step = shift ? kShiftNudgeStep : kNudgeStep;
  const auto clamp = [](int32_t v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
  switch (key) {
    case VK_LEFT: point.x = clamp(point.x - step); break;
    case VK_RIGHT: point.x = clamp(point.x + step); break;
    case VK_UP: point.y = clamp(point.y + step); break;
    default: point.y = clamp(point.y - step); break;
  }
  MoveCurrentPoint(dialog, *editor, point, /*nudge=*/true);
  return true;
}

void CommitPointField(HWND dialog, int field) {
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return;
  char text[16] = {};
  GetDlgItemTextA(dialog, field, text, sizeof text);
  int32_t level;
  if (editor->current != kEmpty && editor->data->selected == kEmpty && ParseLevel(text, level)) {
    ControlPoint point = CurvePoints(*editor->data, editor->curve)[editor->current];
    if (IsValidPoint(point)) {
      (field == IDC_POINT_INPUT ? point.x : point.y) = level;
      editor->nudging = false;
      MoveCurrentPoint(dialog, *editor, point, /*nudge=*/false);
    }
  }
  ShowCurrentPointAgain(dialog);
}

void ShowCurrentPoint(HWND dialog) {
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return;
  if (editor->current != kEmpty &&
      !IsValidPoint(CurvePoints(*editor->data, editor->curve)[editor->current])) {
    editor->current = kEmpty;
  }
  const bool any = editor->current != kEmpty;
  const ControlPoint point =
      any ? CurvePoints(*editor->data, editor->curve)[editor->current] : ControlPoint{-1, -1};
  const int fields[2] = {IDC_POINT_INPUT, IDC_POINT_OUTPUT};
  const int32_t levels[2] = {point.x, point.y};
  for (int i = 0; i < 2; ++i) {
    if (editor->shown[i] == levels[i]) continue;
    editor->shown[i] = levels[i];
    HWND control = GetDlgItem(dialog, fields[i]);
    if (any) {
      SetDlgItemInt(dialog, fields[i], static_cast<UINT>(levels[i]), FALSE);
    } else {
      SetWindowTextA(control, "");
    }
    EnableWindow(control, any);
  }
}

void WrapEditingControls(HWND dialog, EditorState&) {
  Wrap(GetDlgItem(dialog, IDC_CURVE_VIEW), ViewKeys);
  Wrap(GetDlgItem(dialog, IDC_POINT_INPUT), FieldKeys);
  Wrap(GetDlgItem(dialog, IDC_POINT_OUTPUT), FieldKeys);
}

void UnwrapEditingControls(HWND dialog, EditorState&) {
  Unwrap(GetDlgItem(dialog, IDC_CURVE_VIEW));
  Unwrap(GetDlgItem(dialog, IDC_POINT_INPUT));
  Unwrap(GetDlgItem(dialog, IDC_POINT_OUTPUT));
}
