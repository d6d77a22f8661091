#include "engine/edit_history.h"

#include <cstring>

#include "engine/curve_tables.h"

namespace {

constexpr int32_t kRing = kHistoryEdits + 1;

EditSnapshot& At(EditHistory& history, int32_t index) {
  return history.states[(history.first + index) % kRing];
}

void Capture(const CurveData& data, EditSnapshot& state) {
  std::memset(&state, 0, sizeof state);  // padding too, so that states compare byte for byte
  std::memcpy(state.points, data.points, sizeof state.points);
  for (int c = 0; c < kChannelCurveCount; ++c) {
    std::memcpy(state.channelPoints[c], data.channel[c].points, sizeof state.channelPoints[c]);
  }
  std::memcpy(state.kind, data.kind, sizeof state.kind);
  state.mode = data.mode;
  state.target = data.target;
}

void Restore(const EditSnapshot& state, CurveData& data) {
  std::memcpy(data.points, state.points, sizeof state.points);
  for (int c = 0; c < kChannelCurveCount; ++c) {
    std::memcpy(data.channel[c].points, state.channelPoints[c], sizeof state.channelPoints[c]);
  }
  std::memcpy(data.kind, state.kind, sizeof state.kind);
  data.mode = state.mode;
  data.target = state.target;
  RebuildAllCurves(data);
}

}  // namespace

void StartHistory(EditHistory& history, const CurveData& data) {
  history.first = 0;
  history.count = 1;
  history.current = 0;
  Capture(data, history.states[0]);
}

bool RecordEdit(EditHistory& history, const CurveData& data, bool merge) {
  EditSnapshot now;
  Capture(data, now);
  if (std::memcmp(&now, &At(history, history.current), sizeof now) == 0) return false;
  if (merge && history.current > 0 && history.current == history.count - 1) {
    At(history, history.current) = now;
    return true;
  }
  history.count = history.current + 1;  // the undone edits are gone
  if (history.count == kRing) {         // full: the oldest state gives way
    history.first = (history.first + 1) % kRing;
    --history.count;
  }
  At(history, history.count) = now;
  history.current = history.count;
  ++history.count;
  return true;
}

bool UndoEdit(EditHistory& history, CurveData& data) {
  if (history.current == 0) return false;
  --history.current;
  Restore(At(history, history.current), data);
  return true;
}

bool RedoEdit(EditHistory& history, CurveData& data) {
  if (history.current + 1 >= history.count) return false;
  ++history.current;
  Restore(At(history, history.current), data);
  return true;
}
