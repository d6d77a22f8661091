// What follows an edit, once per edit: the changed table rebuilt, the host's preview asked to
// render its frame again, and the dialog redrawn. A redraw on its own (a paint, another current
// point, another curve shown) only draws.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// The edited curve's points or kind changed.
void ShowEditedCurve(HWND dialog, EditorState& editor);

// The settings were replaced as a whole (undo, redo, a preset, a file, Reset), every table
// rebuilt by whatever replaced them: the selectors and the current point follow as well.
void ShowNewSettings(HWND dialog, EditorState& editor);

// The mode or the master's target changed: no table does, but the frame, the histogram and the
// bars do.
void ShowNewMode(HWND dialog, EditorState& editor);

// The mode, curve, kind and preset selectors showing what the settings and the editor hold.
void ShowSelections(HWND dialog, const EditorState& editor);

// Draws the curve view (with the histogram, the other curves and the current point) and both
// bars from what the settings hold, and brings the number fields and the view's focus cue up to
// date.
void RedrawEditor(HWND dialog, EditorState& editor);
