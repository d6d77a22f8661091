#include "editor/point_fields.h"

#include "editor/point_editing.h"
#include "editor/resource.h"

namespace {

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

}  // namespace

void CommitPointField(HWND dialog, EditorState& editor, int field) {
  char text[16] = {};
  GetDlgItemTextA(dialog, field, text, sizeof text);
  int32_t level;
  if (editor.current != kEmpty && editor.data->selected == kEmpty && ParseLevel(text, level)) {
    ControlPoint point = CurvePoints(*editor.data, editor.curve)[editor.current];
    if (IsValidPoint(point)) {
      (field == IDC_POINT_INPUT ? point.x : point.y) = level;
      editor.nudging = false;
      MoveCurrentPoint(dialog, editor, point, /*nudge=*/false);
    }
  }
  // Whatever was typed, the fields show the point as it is now.
  editor.shown[0] = editor.shown[1] = -2;
  ShowCurrentPoint(dialog, editor);
}

void ShowCurrentPoint(HWND dialog, EditorState& editor) {
  const ControlPoint* points = CurvePoints(*editor.data, editor.curve);
  if (editor.current != kEmpty && !IsValidPoint(points[editor.current])) editor.current = kEmpty;
  const bool any = editor.current != kEmpty;
  const ControlPoint point = any ? points[editor.current] : ControlPoint{kEmpty, kEmpty};
  const int fields[2] = {IDC_POINT_INPUT, IDC_POINT_OUTPUT};
  const int32_t levels[2] = {point.x, point.y};
  for (int i = 0; i < 2; ++i) {
    if (editor.shown[i] == levels[i]) continue;
    editor.shown[i] = levels[i];
    HWND control = GetDlgItem(dialog, fields[i]);
    if (any) {
      SetDlgItemInt(dialog, fields[i], static_cast<UINT>(levels[i]), FALSE);
    } else {
      SetWindowTextA(control, "");
    }
    EnableWindow(control, any);
  }
}
