// The preset list. A preset replaces the curves only when the choice is final: the open list
// closed on it (a click on a name, or Enter), or Enter on the closed list showing it. Moving
// through the list, open or closed, changes nothing, so scrolling through the names neither
// edits the curves nor fills the undo history; each pick is one edit.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// The list shows the preset the settings are in (none after any other edit), forgetting a name
// moved to but not chosen.
void ShowAppliedPreset(HWND dialog, const EditorState& editor);

// A notification from the preset list (its code from WM_COMMAND).
void OnPresetNotification(HWND dialog, EditorState& editor, int code);

// Whether the closed list shows a preset that has not been applied: Enter then applies it
// instead of ending the dialog.
bool PresetPending(HWND dialog, const EditorState& editor);

// Applies the preset the list shows as one edit; a drag in progress ends first.
void ApplyShownPreset(HWND dialog, EditorState& editor);
