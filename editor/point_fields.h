// The two number fields of the current point: they show its input and output level, and a whole
// number 0..255 typed into one and confirmed (Enter, or leaving the field) moves the point there.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// Moves the current point to the level typed into one field (IDC_POINT_INPUT or
// IDC_POINT_OUTPUT) when it is a whole number 0..255, and otherwise puts the field back. Nothing
// moves during a drag.
void CommitPointField(HWND dialog, EditorState& editor, int field);

// Shows the current point's levels in the fields, or empties and disables them when there is
// none. A field is written only when its level changed, so a redraw never overwrites what is
// being typed.
void ShowCurrentPoint(HWND dialog, EditorState& editor);
