#include "editor/undo_recording.h"

#include "editor/edit_refresh.h"
#include "editor/point_editing.h"
#include "editor/preset_choice.h"

void RecordChange(HWND dialog, EditorState& editor, bool nudge) {
  if (!RecordEdit(editor.history, *editor.data, nudge && editor.nudging)) return;
  editor.nudging = nudge;
  editor.preset = kEmpty;
  ShowAppliedPreset(dialog, editor);
}

void StepHistory(HWND dialog, EditorState& editor, bool redo) {
  EndDrag(dialog, editor);
  if (!(redo ? RedoEdit(editor.history, *editor.data) : UndoEdit(editor.history, *editor.data))) {
    return;
  }
  editor.preset = kEmpty;
  ShowNewSettings(dialog, editor);
}
