#include "editor/master_choice.h"

#include "editor/edit_refresh.h"
#include "editor/point_editing.h"
#include "editor/resource.h"
#include "editor/selector_items.h"
#include "editor/undo_recording.h"

namespace {

// After the four modes, by target: item kModeCount + target - 1.
constexpr const char* kLumaNames[] = {"Luma (Rec. 709)", "Luma (Rec. 601)"};
constexpr int kItemCount = kModeCount + 2;
// Dialog units the open list needs for the luma names; the closed selector keeps its place and
// width.
constexpr LONG kListWidth = 70;

}  // namespace

void FillMasterChoice(HWND dialog) {
  FillSelector(dialog, IDC_MODE, kModeNames, kModeCount);
  FillSelector(dialog, IDC_MODE, kLumaNames, kItemCount - kModeCount);
  WidenSelectorList(dialog, IDC_MODE, kListWidth);
}

int MasterChoiceItem(const CurveData& data) {
  const MasterTarget target = TargetOf(data);
  if (target != kTargetChannels) return kModeCount + target - 1;
  return data.mode < kModeCount ? data.mode : -1;
}

void OnMasterChoice(HWND dialog, EditorState& editor) {
  const int item = SelectedItem(dialog, IDC_MODE);
  CurveData& data = *editor.data;
  if (item < 0 || item >= kItemCount || item == MasterChoiceItem(data)) return;
  EndDrag(dialog, editor);
  if (item < kModeCount) {
    data.mode = static_cast<ChannelMode>(item);
    data.target = kTargetChannels;
  } else {
    data.target = static_cast<MasterTarget>(item - kModeCount + 1);
  }
  RecordChange(dialog, editor);
  ShowNewMode(dialog, editor);
}
