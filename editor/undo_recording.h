// The dialog's edits kept in the undo history, and Undo and Redo. An edit, for undo, is a whole
// drag, an added or deleted point, a number typed, a run of arrow keys on one point, a kind,
// preset or mode chosen, a file loaded or Reset.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// Keeps the settings as an edit when they differ from the last state kept; with `nudge`, a nudge
// that follows a nudge replaces it, so a run of them is one edit. The settings no longer come from
// a preset as the preset list shows it.
void RecordChange(HWND dialog, EditorState& editor, bool nudge = false);

// Undo (or Redo) one edit and show the settings it gives back. A drag in progress ends first and
// is kept as an edit of its own, so Undo takes it back and Redo brings it back.
void StepHistory(HWND dialog, EditorState& editor, bool redo);
