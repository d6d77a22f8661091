// Keys the dialog manager would otherwise take for itself. The curve view, the number fields and
// the preset list are wrapped (their window procedures replaced while the dialog is open): the
// view takes the arrows and its other keys and shows whether it has the focus; Enter in a number
// field sets the point, and Enter on the closed preset list applies the preset it shows, instead
// of ending the dialog. Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z undo and redo wherever the focus is.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// Wraps the controls and installs the undo and redo keys; UnwrapControls undoes both before the
// dialog ends.
void WrapControls(HWND dialog, EditorState& editor);
void UnwrapControls(HWND dialog, EditorState& editor);
