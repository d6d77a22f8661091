// The Auto contrast and Auto colour buttons: curves made from the sampled frame's levels before
// any curve. Each press is one edit; a frame whose levels leave nothing to stretch changes nothing,
// and a message box says why. Without a sampled frame the buttons are disabled.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"

// Enables the buttons once a frame has been sampled.
void EnableAutoButtons(HWND dialog, const EditorState& editor);

// Auto contrast (the master curve) or, with `colour`, Auto colour (the channel curves).
void OnAutoCurves(HWND dialog, EditorState& editor, bool colour);
