// What the configuration dialog keeps of its own while it is open, beside the instance's
// CurveData: which curve is being edited, the current point, the levels of the sampled frame and
// the undo history. Allocated when the dialog opens and freed when it closes; the settings record
// never holds any of it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/curve_data.h"
#include "engine/edit_history.h"
#include "engine/level_counts.h"

struct EditorState {
  CurveData* data;
  int curve;        // CurveIndex of the curve being edited
  int32_t current;  // slot of its current point (pressed, added, moved or walked to), -1 for none
  bool nudging;     // the last edit kept was a run of arrow keys on the current point
  bool sampled;     // counts hold a frame
  int32_t shown[2]; // the levels the number fields were last given, so a redraw never
                    // overwrites what is being typed
  LevelCounts counts;
  EditHistory history;
  HHOOK keyHook;    // the dialog's keys for undo and redo, wherever the focus is
};

// The state of an open dialog, or null before it is set up and after it has gone.
EditorState* EditorOf(HWND dialog);
