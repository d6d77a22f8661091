// The "Master on:" selector: what the master curve applies to, the channels the mode names (RGB,
// Red, Green, Blue) or the luma of each pixel (Rec. 709 or Rec. 601 weights). Its first four
// items are the modes in their order, so a script's mode is still an item's index; the luma
// entries follow them and keep the mode as it is stored.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"
#include "engine/curve_data.h"

// Fills the selector, its open list wide enough for the longest name.
void FillMasterChoice(HWND dialog);

// The item that shows what the settings hold: the luma entry of a luma target, otherwise the
// mode's item; -1 (no item) for a mode above Blue on the channels, which a script can store.
int MasterChoiceItem(const CurveData& data);

// A notification from the selector (any counts, as a pick): a luma entry sets the target and
// keeps the mode, a mode's item sets the mode and puts the master back on the channels. A change
// is one edit and renders the preview again, once. With no current item (text typed into the
// field) nothing changes.
void OnMasterChoice(HWND dialog, EditorState& editor);
