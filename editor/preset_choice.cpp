#include "editor/preset_choice.h"

#include "editor/edit_refresh.h"
#include "editor/point_editing.h"
#include "editor/resource.h"
#include "editor/selector_items.h"
#include "editor/undo_recording.h"
#include "engine/presets.h"

void ShowAppliedPreset(HWND dialog, const EditorState& editor) {
  SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETCURSEL, static_cast<WPARAM>(editor.preset), 0);
}

void OnPresetNotification(HWND dialog, EditorState& editor, int code) {
  switch (code) {
    case CBN_DROPDOWN:
      editor.presetListOpen = true;
      break;
    case CBN_SELENDOK:
      // Sent for every step through the closed list as well; only a choice that closes the open
      // list is final.
      if (editor.presetListOpen) ApplyShownPreset(dialog, editor);
      break;
    case CBN_CLOSEUP:
    case CBN_KILLFOCUS:
      editor.presetListOpen = false;
      ShowAppliedPreset(dialog, editor);
      break;
    default:
      break;
  }
}

bool PresetPending(HWND dialog, const EditorState& editor) {
  if (editor.presetListOpen || SendDlgItemMessageA(dialog, IDC_PRESET, CB_GETDROPPEDSTATE, 0, 0)) {
    return false;
  }
  const int shown = SelectedItem(dialog, IDC_PRESET);
  return shown >= 0 && shown != editor.preset;
}

void ApplyShownPreset(HWND dialog, EditorState& editor) {
  const int preset = SelectedItem(dialog, IDC_PRESET);  // before the drag's end clears the list
  EndDrag(dialog, editor);
  if (!ApplyPreset(*editor.data, preset)) return;
  RecordChange(dialog, editor);
  editor.preset = preset;
  ShowNewSettings(dialog, editor);
}
