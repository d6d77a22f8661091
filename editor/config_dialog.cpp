#include "editor/config_dialog.h"

#include "editor/auto_curves.h"
#include "editor/curve_file_dialog.h"
#include "editor/dialog_keys.h"
#include "editor/edit_refresh.h"
#include "editor/editor_state.h"
#include "editor/master_choice.h"
#include "editor/point_editing.h"
#include "editor/point_fields.h"
#include "editor/preset_choice.h"
#include "editor/preview_link.h"
#include "editor/resource.h"
#include "editor/selector_items.h"
#include "editor/undo_recording.h"
#include "engine/curve_data.h"
#include "engine/curve_tables.h"
#include "engine/presets.h"
#include "host/activation.h"

// The linker's symbol for the first byte of the file this code is linked into: its instance
// handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// Dialog units the open preset list needs for its longest name.
constexpr LONG kPresetListWidth = 140;

void OnInitDialog(HWND dialog, CurveData& data) {
  // A drag never carries over from an earlier opening.
  data.selected = kEmpty;
  EditorState* editor = CreateEditor(dialog, data);
  if (editor == nullptr) {
    EndDialog(dialog, -1);  // no memory for the editor: as if the dialog could not be made
    return;
  }
  WrapControls(dialog, *editor);
  FillMasterChoice(dialog);
  FillSelector(dialog, IDC_CURVE, kCurveNames, kCurveCount);
  FillSelector(dialog, IDC_KIND, kKindNames, kKindCount);
  FillSelector(dialog, IDC_PRESET, kPresetNames, kPresetCount);
  // The preset names are longer than the selector is wide: the open list is made wide enough.
  WidenSelectorList(dialog, IDC_PRESET, kPresetListWidth);
  ShowSelections(dialog, *editor);
  InitPreviewButtons(dialog, data);
  // The tables the dialog shows and the preview renders follow the points from the start.
  RebuildAllCurves(data);
  RefreshPreview(data);
  RedrawEditor(dialog, *editor);
  ListenToPreview(dialog, data);
}

// Everything the editor holds goes before the dialog ends: the host's callbacks, the keys, the
// wrapped controls and the state. Whatever arrives later finds no editor.
void CloseEditor(HWND dialog) {
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return;
  editor->data->selected = kEmpty;
  StopListening(*editor->data);
  UnwrapControls(dialog, *editor);
  DestroyEditor(dialog);
}

void EndWith(HWND dialog, bool apply) {
  CurveData& data = *EditorOf(dialog)->data;
  // The mode and target have no snapshot: a choice made in the dialog survives Cancel.
  if (apply) {
    TakeSnapshot(data);
  } else {
    RestoreSnapshot(data);
  }
  CloseEditor(dialog);
  EndDialog(dialog, 0);
}

void OnReset(HWND dialog, EditorState& editor) {
  EndDrag(dialog, editor);
  editor.data->mode = kModeRgb;
  ResetAllCurves(*editor.data);
  editor.current = kEmpty;
  RecordChange(dialog, editor);
  ShowNewSettings(dialog, editor);
}

void OnCurveSelector(HWND dialog, EditorState& editor) {
  const int item = SelectedItem(dialog, IDC_CURVE);
  if (item < 0 || item >= kCurveCount || item == editor.curve) return;
  EndDrag(dialog, editor);
  editor.curve = item;
  editor.current = kEmpty;
  editor.nudging = false;
  ShowSelections(dialog, editor);
  RedrawEditor(dialog, editor);
}

void OnKindSelector(HWND dialog, EditorState& editor) {
  const int item = SelectedItem(dialog, IDC_KIND);
  if (item < 0 || item >= kKindCount || item == editor.data->kind[editor.curve]) return;
  EndDrag(dialog, editor);
  editor.data->kind[editor.curve] = static_cast<CurveKind>(item);
  ShowEditedCurve(dialog, editor);
  RecordChange(dialog, editor);
}

void OnLoad(HWND dialog, EditorState& editor) {
  EndDrag(dialog, editor);
  if (!LoadCurvesChosenByUser(dialog, *editor.data)) return;
  RecordChange(dialog, editor);
  ShowNewSettings(dialog, editor);
}

// The commands of the dialog's controls. Returns FALSE for an id that is not one of them.
INT_PTR OnCommand(HWND dialog, EditorState& editor, int id, int code) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      EndWith(dialog, id == IDOK);
      return TRUE;
    case IDC_RESET:
      OnReset(dialog, editor);
      return TRUE;
    case IDC_PREVIEW:
      TogglePreview(dialog, *editor.data);
      return TRUE;
    case IDC_MODE:
      OnMasterChoice(dialog, editor);
      return TRUE;
    case IDC_CURVE:
      if (code == CBN_SELCHANGE) OnCurveSelector(dialog, editor);
      return TRUE;
    case IDC_KIND:
      if (code == CBN_SELCHANGE) OnKindSelector(dialog, editor);
      return TRUE;
    case IDC_PRESET:
      OnPresetNotification(dialog, editor, code);
      return TRUE;
    case IDC_POINT_INPUT:
    case IDC_POINT_OUTPUT:
      // Leaving the field sets the point, as Enter does.
      if (code == EN_KILLFOCUS) CommitPointField(dialog, editor, id);
      return TRUE;
    case IDC_SAMPLE:
      SampleCurrentFrame(dialog, editor);
      return TRUE;
    case IDC_AUTO_CONTRAST:
    case IDC_AUTO_COLOUR:
      OnAutoCurves(dialog, editor, id == IDC_AUTO_COLOUR);
      return TRUE;
    case IDC_LOAD:
      OnLoad(dialog, editor);
      return TRUE;
    case IDC_SAVE:
      SaveCurvesChosenByUser(dialog, *editor.data);
      return TRUE;
    case IDC_UNDO:
    case IDC_REDO:
      StepHistory(dialog, editor, id == IDC_REDO);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int ConfigProc(FilterActivation* fa, const FilterFunctions*, HWND owner) {
  CurveData& data = InstanceOf(fa);
  data.preview = PreviewOf(fa);
  TakeSnapshot(data);
  // The dialog lives in this module's resources. A host names the module in the activation; one
  // that does not would otherwise send the search to its own executable, where it fails.
  HINSTANCE module = ModuleHandleOf(fa);
  if (module == nullptr) module = reinterpret_cast<HINSTANCE>(&__ImageBase);
  const INT_PTR result = DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_FILTER_CONFIG), owner,
                                         ConfigDlgProc, reinterpret_cast<LPARAM>(&data));
  // The preview is the host's and lent for the dialog only: no pointer to it stays in the record
  // or in the byte copies the host makes of it later.
  data.preview = nullptr;
  return static_cast<int>(result);
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    OnInitDialog(dialog, *reinterpret_cast<CurveData*>(lParam));
    return TRUE;
  }
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return FALSE;  // before WM_INITDIALOG, and after the editor has gone

  switch (message) {
    case WM_PAINT: {
      // Only validates the dialog; the pictures live on the controls and are drawn again.
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      EndPaint(dialog, &ps);
      RedrawEditor(dialog, *editor);
      return FALSE;
    }
    case WM_COMMAND:
      return OnCommand(dialog, *editor, LOWORD(wParam), HIWORD(wParam));
    case WM_LBUTTONDOWN:
      OnLeftPress(dialog, *editor, lParam);
      return FALSE;
    case WM_MOUSEMOVE:
      OnMove(dialog, *editor, lParam);
      return FALSE;
    case WM_LBUTTONUP:
      EndDrag(dialog, *editor);
      return FALSE;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != dialog) EndDrag(dialog, *editor);
      return FALSE;
    case WM_RBUTTONDOWN:
      OnRightPress(dialog, *editor, lParam);
      return FALSE;
    case kSampleMessage:
      SampleCurrentFrame(dialog, *editor);
      return TRUE;
    case WM_DESTROY:
      CloseEditor(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
