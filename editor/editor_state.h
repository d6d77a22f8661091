// What the configuration dialog keeps of its own while it is open, beside the instance's
// CurveData: which curve is being edited, the current point, the sampled frame, the
// preset list's state and the undo history. Made when the dialog opens and freed when it closes;
// the settings record never holds any of it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "editor/sampled_frame.h"
#include "engine/curve_data.h"
#include "engine/edit_history.h"

struct EditorState {
  CurveData* data;
  int curve;        // CurveIndex of the curve being edited
  int32_t current;  // slot of its current point (pressed, added, moved or walked to), -1 for none
  bool nudging;     // the last edit kept was a run of arrow keys on the current point
  int32_t shown[2]; // the levels the number fields were last given, so a redraw never
                    // overwrites what is being typed
  int32_t preset;   // the preset the settings are in since it was picked, -1 for none: what the
                    // preset list shows when no choice is being made in it
  bool presetListOpen;  // the preset list is dropped down
  SampledFrame sample;
  EditHistory history;
  HHOOK keyHook;    // the dialog's keys for undo and redo, wherever the focus is
};

// Makes the editor of a dialog that opens over `data`, editing the master curve with no current
// point and the history starting from the settings as they are; null when there is no memory.
EditorState* CreateEditor(HWND dialog, CurveData& data);

// The editor of an open dialog, or null before it is made and after it has gone.
EditorState* EditorOf(HWND dialog);

// Frees the editor; whatever arrives at the dialog afterwards finds none.
void DestroyEditor(HWND dialog);
