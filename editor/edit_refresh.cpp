#include "editor/edit_refresh.h"

#include "editor/curve_view.h"
#include "editor/focus_cue.h"
#include "editor/master_choice.h"
#include "editor/point_fields.h"
#include "editor/preset_choice.h"
#include "editor/preview_link.h"
#include "editor/resource.h"
#include "engine/curve_tables.h"

void ShowEditedCurve(HWND dialog, EditorState& editor) {
  RebuildCurve(*editor.data, editor.curve);
  RefreshPreview(*editor.data);
  RedrawEditor(dialog, editor);
}

void ShowNewSettings(HWND dialog, EditorState& editor) {
  editor.nudging = false;
  if (editor.current != kEmpty &&
      !IsValidPoint(CurvePoints(*editor.data, editor.curve)[editor.current])) {
    editor.current = kEmpty;
  }
  ShowSelections(dialog, editor);
  RefreshPreview(*editor.data);
  RedrawEditor(dialog, editor);
}

void ShowNewMode(HWND dialog, EditorState& editor) {
  RefreshPreview(*editor.data);
  RedrawEditor(dialog, editor);
}

void ShowSelections(HWND dialog, const EditorState& editor) {
  const CurveData& data = *editor.data;
  // A mode above Blue (possible from a script) selects no item; the selector then shows none.
  SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, static_cast<WPARAM>(MasterChoiceItem(data)),
                      0);
  SendDlgItemMessageA(dialog, IDC_CURVE, CB_SETCURSEL, editor.curve, 0);
  SendDlgItemMessageA(dialog, IDC_KIND, CB_SETCURSEL, KindOf(data, editor.curve), 0);
  ShowAppliedPreset(dialog, editor);
}

void RedrawEditor(HWND dialog, EditorState& editor) {
  const CurveData& data = *editor.data;
  ViewExtras extras;
  extras.curve = editor.curve;
  extras.current = editor.current;
  uint64_t histogram[kLutSize];
  if (EditedCurveHistogram(editor.sample, data, editor.curve, histogram)) {
    extras.histogram = histogram;
  }
  RefreshEditor(GetDlgItem(dialog, IDC_CURVE_VIEW), data, extras);
  DrawGradientBars(GetDlgItem(dialog, IDC_OUTPUT_BAR), GetDlgItem(dialog, IDC_INPUT_BAR), data,
                   editor.curve);
  ShowCurrentPoint(dialog, editor);
  DrawFocusCue(dialog);
}
