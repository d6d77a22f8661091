#include "editor/undo_recording.h"

#include "editor/edit_refresh.h"
#include "editor/point_editing.h"
#include "editor/resource.h"

void RecordChange(HWND dialog, EditorState& editor, bool nudge) {
  if (!RecordEdit(editor.history, *editor.data, nudge && editor.nudging)) return;
  editor.nudging = nudge;
  editor.preset = kEmpty;
  SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void StepHistory(HWND dialog, EditorState& editor, bool redo) {
  EndDrag(dialog, editor);
  if (!(redo ? RedoEdit(editor.history, *editor.data) : UndoEdit(editor.history, *editor.data))) {
    return;
  }
  editor.preset = kEmpty;
  ShowNewSettings(dialog, editor);
}
