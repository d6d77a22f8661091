#include "editor/auto_curves.h"

#include "editor/edit_refresh.h"
#include "editor/point_editing.h"
#include "editor/resource.h"
#include "editor/undo_recording.h"
#include "engine/auto_levels.h"

void EnableAutoButtons(HWND dialog, const EditorState& editor) {
  const BOOL enable = editor.sample.present ? TRUE : FALSE;
  EnableWindow(GetDlgItem(dialog, IDC_AUTO_CONTRAST), enable);
  EnableWindow(GetDlgItem(dialog, IDC_AUTO_COLOUR), enable);
}

void OnAutoCurves(HWND dialog, EditorState& editor, bool colour) {
  // A press reaches here only from an enabled button, but a command can be sent by anyone.
  if (!editor.sample.present) return;
  EndDrag(dialog, editor);
  char reason[kReasonLength];
  const bool changed = colour ? AutoColour(*editor.data, editor.sample.counts, reason)
                              : AutoContrast(*editor.data, editor.sample.counts, reason);
  if (!changed) {
    MessageBoxA(dialog, reason, colour ? "Auto colour" : "Auto contrast",
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  RecordChange(dialog, editor);
  ShowNewSettings(dialog, editor);
}
