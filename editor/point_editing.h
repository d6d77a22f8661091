// Editing the points of the curve being edited, with the mouse and with the focused curve view's
// keys: a left press picks the point under the pointer or adds one, moves drag it and the release
// ends the drag; a right press deletes the point under the pointer; the arrows nudge the current
// point, Delete removes it, Page Up and Page Down walk the points in x order. Each edit changes
// the points through the engine and then shows itself (edit_refresh) and is kept for undo
// (undo_recording).
#pragma once

#include <windows.h>

#include <cstdint>

#include "editor/editor_state.h"
#include "engine/curve_data.h"

// A press selects a point when it lies within this many curve units of it on each axis.
constexpr int32_t kHitRadius = 8;
// Levels one arrow key moves the current point, and with Shift held.
constexpr int32_t kNudgeStep = 1;
constexpr int32_t kShiftNudgeStep = 8;

// The first editable slot of the curve whose point lies within the hit square, or -1. A lower
// slot wins even when a later one is nearer.
int32_t HitSlot(const CurveData& data, int curve, int32_t x, int32_t y);

// A press on the view gives it the keyboard focus and picks or adds a point to drag; the dialog
// holds the mouse until the drag ends, so moves and the release arrive wherever the pointer goes.
void OnLeftPress(HWND dialog, EditorState& editor, LPARAM position);

// While a point is dragged, a move puts it under the pointer. A monotone or linear curve's point
// stays on the edge the pointer went past, so its ends reach 0 and 255; a smooth curve's ends are
// fixed, and its points ignore moves off the view.
void OnMove(HWND dialog, EditorState& editor, LPARAM position);

// Ends a drag in progress, however it ends: the left release, the mouse taken by another window,
// or an edit that replaces the curves. The drag so far is kept as one edit; later moves and the
// release find nothing to drag.
void EndDrag(HWND dialog, EditorState& editor);

void OnRightPress(HWND dialog, EditorState& editor, LPARAM position);

// A key for the focused curve view; true when it was one of the view's keys. Keys with Control
// held are left to the dialog.
bool OnViewKey(HWND dialog, EditorState& editor, WPARAM key);

// Moves the current point to `to` as one edit; with `nudge`, a run of nudges stays one edit.
void MoveCurrentPoint(HWND dialog, EditorState& editor, ControlPoint to, bool nudge);
