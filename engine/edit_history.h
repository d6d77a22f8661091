// The editor's undo and redo: the settings after each of the last 64 edits, and before the first,
// in a ring. An edit is whatever the editor calls one (a whole drag, a point added or deleted, a
// number typed, a run of nudges on one point, a kind, a mode or target, a preset, a file, Reset);
// the history only keeps the states between them.
#pragma once

#include <cstdint>

#include "engine/curve_data.h"

// What an edit can change: every curve's points and kind, the mode and what the master curve
// maps. Tables are rebuilt from them.
struct EditSnapshot {
  ControlPoint points[kSlotCount];
  ControlPoint channelPoints[kChannelCurveCount][kChannelSlots];
  CurveKind kind[kCurveCount];
  ChannelMode mode;
  MasterTarget target;
};

constexpr int32_t kHistoryEdits = 64;

struct EditHistory {
  EditSnapshot states[kHistoryEdits + 1];  // a ring: the oldest kept state first
  int32_t first;                           // ring index of the oldest state
  int32_t count;                           // states kept, 1 to kHistoryEdits + 1
  int32_t current;                         // 0..count-1: the state the settings are in
};

// Forgets every edit: the settings as they are become the only state.
void StartHistory(EditHistory& history, const CurveData& data);

// Keeps the settings as the state after a new edit, when they differ from the current state;
// the edits undone before it can no longer be redone. With `merge`, an edit that follows another
// one replaces it instead (a run of nudges is one edit). Returns whether anything was kept.
bool RecordEdit(EditHistory& history, const CurveData& data, bool merge = false);

// Puts the settings back to the state before the current one (undo) or after it (redo) and
// rebuilds every table. Returns false, and changes nothing, when there is no such state.
bool UndoEdit(EditHistory& history, CurveData& data);
bool RedoEdit(EditHistory& history, CurveData& data);
