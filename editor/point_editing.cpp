#include "editor/point_editing.h"

#include "editor/edit_refresh.h"
#include "editor/mouse_mapping.h"
#include "editor/resource.h"
#include "editor/undo_recording.h"

namespace {

int32_t Distance(int32_t a, int32_t b) { return a > b ? a - b : b - a; }

HWND ViewOf(HWND dialog) { return GetDlgItem(dialog, IDC_CURVE_VIEW); }

// A press of either button over the view in curve units, or false for a press off it. A press on
// the view gives it the keys from now on; a number being typed in a field is taken first, before
// the press looks for its point.
bool PressOnView(HWND dialog, LPARAM position, int32_t& x, int32_t& y) {
  MapMouseToCurve(ViewOf(dialog), position, x, y);
  if (x == kEmpty || y == kEmpty) return false;
  SetFocus(ViewOf(dialog));
  return true;
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

void OnLeftPress(HWND dialog, EditorState& editor, LPARAM position) {
  int32_t x, y;
  if (!PressOnView(dialog, position, x, y)) return;
  CurveData& data = *editor.data;
  const int32_t hit = HitSlot(data, editor.curve, x, y);
  if (hit != kEmpty) data.selected = hit;
  bool added = false;
  if (data.selected == kEmpty) {
    data.selected = InsertCurvePoint(data, editor.curve, x, y);
    added = data.selected != kEmpty;
  }
  if (data.selected != kEmpty) {
    SetCapture(dialog);
    editor.current = data.selected;
    editor.nudging = false;
  }
  // Picking a point changes no curve, only which point is current.
  if (added) {
    ShowEditedCurve(dialog, editor);
  } else {
    RedrawEditor(dialog, editor);
  }
}

void OnMove(HWND dialog, EditorState& editor, LPARAM position) {
  CurveData& data = *editor.data;
  if (data.selected == kEmpty) return;
  int32_t x, y;
  if (KindOf(data, editor.curve) == kKindSmooth) {
    MapMouseToCurve(ViewOf(dialog), position, x, y);
    if (x == kEmpty || y == kEmpty) return;
  } else {
    MapDragToCurve(ViewOf(dialog), position, x, y);
  }
  const ControlPoint& now = CurvePoints(data, editor.curve)[data.selected];
  if (now.x == x && now.y == y) return;
  MovePoint(data, editor.curve, data.selected, x, y);
  ShowEditedCurve(dialog, editor);
}

void EndDrag(HWND dialog, EditorState& editor) {
  if (editor.data->selected == kEmpty) return;
  editor.data->selected = kEmpty;
  // Letting the mouse go reports the capture lost, which comes back here and finds no drag.
  if (GetCapture() == dialog) ReleaseCapture();
  RecordChange(dialog, editor);
}

void OnRightPress(HWND dialog, EditorState& editor, LPARAM position) {
  int32_t x, y;
  if (!PressOnView(dialog, position, x, y)) return;
  const int32_t hit = HitSlot(*editor.data, editor.curve, x, y);
  if (hit == kEmpty) return;
  DeletePoint(*editor.data, editor.curve, hit);
  if (hit == editor.current) editor.current = kEmpty;
  ShowEditedCurve(dialog, editor);
  RecordChange(dialog, editor);
}

bool OnViewKey(HWND dialog, EditorState& editor, WPARAM key) {
  // Control with a key is the dialog's (undo and redo, through its key filter), not the view's.
  if (GetKeyState(VK_CONTROL) < 0) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  CurveData& data = *editor.data;
  if (key == VK_PRIOR || key == VK_NEXT) {
    const int32_t next =
        NeighbourPoint(data, editor.curve, editor.current, key == VK_NEXT ? 1 : -1);
    if (next != kEmpty && next != editor.current) {
      editor.current = next;
      editor.nudging = false;
      RedrawEditor(dialog, editor);
    }
    return true;
  }
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (!arrow && key != VK_DELETE) return false;
  if (editor.current == kEmpty || data.selected != kEmpty) return true;  // not during a drag
  ControlPoint point = CurvePoints(data, editor.curve)[editor.current];
  if (!IsValidPoint(point)) return true;
  if (key == VK_DELETE) {
    DeletePoint(data, editor.curve, editor.current);
    editor.current = kEmpty;
    ShowEditedCurve(dialog, editor);
    RecordChange(dialog, editor);
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
  MoveCurrentPoint(dialog, editor, point, /*nudge=*/true);
  return true;
}

void MoveCurrentPoint(HWND dialog, EditorState& editor, ControlPoint to, bool nudge) {
  const ControlPoint point = CurvePoints(*editor.data, editor.curve)[editor.current];
  if (point.x == to.x && point.y == to.y) return;
  MovePoint(*editor.data, editor.curve, editor.current, to.x, to.y);
  ShowEditedCurve(dialog, editor);
  RecordChange(dialog, editor, nudge);
}
