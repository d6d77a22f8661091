// Editing the points of the curve being edited: the mouse (press to pick or add, drag, release,
// right press to delete), the keys of the focused curve view (arrows nudge the current point,
// Delete removes it, Page Up and Page Down walk the points in x order) and the two number fields
// that show and set the current point's input and output level.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/curve_data.h"
#include "editor/editor_state.h"

// A press selects a point when it lies within this many curve units of it on each axis.
constexpr int32_t kHitRadius = 8;
// Levels one arrow key moves the current point, and with Shift held.
constexpr int32_t kNudgeStep = 1;
constexpr int32_t kShiftNudgeStep = 8;

// The first editable slot of the curve whose point lies within the hit square, or -1. A lower
// slot wins even when a later one is nearer.
int32_t HitSlot(const CurveData& data, int curve, int32_t x, int32_t y);

// The full redraw: the curve view (with the histogram, the other curves and the current point)
// and both bars, and the number fields and the view's focus cue brought up to date.
void FullRedraw(HWND dialog, CurveData& data);

// Keeps the settings as an edit in the undo history when they changed (merging a run of nudges),
// and forgets the preset shown as chosen.
void RecordChange(HWND dialog, EditorState& editor, bool nudge = false);

void OnLeftPress(HWND dialog, CurveData& data, LPARAM position);
void OnMove(HWND dialog, CurveData& data, LPARAM position);
void OnLeftRelease(HWND dialog, CurveData& data);
void OnDragLost(HWND dialog, CurveData& data);
void OnRightPress(HWND dialog, CurveData& data, LPARAM position);

// A key for the focused curve view; true when it was one of the view's keys. Keys with Control
// held are left to the dialog.
bool OnViewKey(HWND dialog, WPARAM key);

// Moves the current point to the level typed into one number field (IDC_POINT_INPUT or
// IDC_POINT_OUTPUT) when it is a whole number 0..255, and otherwise puts the field back.
void CommitPointField(HWND dialog, int field);

// Shows the current point's levels in the number fields, or empties and disables them.
void ShowCurrentPoint(HWND dialog);

// Wraps the curve view and the number fields so that the view takes the arrow keys and its other
// keys, and Enter in a number field sets the point instead of closing the dialog.
void WrapEditingControls(HWND dialog, EditorState& editor);
void UnwrapEditingControls(HWND dialog, EditorState& editor);
