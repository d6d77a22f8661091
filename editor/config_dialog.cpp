#include "editor/config_dialog.h"

#include "editor/curve_file_dialog.h"
#include "editor/curve_view.h"
#include "editor/editor_state.h"
#include "editor/point_editing.h"
#include "editor/resource.h"
#include "engine/curve_data.h"
#include "engine/presets.h"

// The linker's symbol for the first byte of the file this code is linked into: its instance
// handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

// The dialog's own state hangs on its window under this name; the CurveData pointer keeps the
// window's user slot.
constexpr char kEditorProperty[] = "tonarc.editor";
// Posted when the host shows its preview: the frame is sampled once the host's call has returned.
constexpr UINT kSampleMessage = WM_APP + 1;

// Dialog units the open preset list needs for its longest name.
constexpr LONG kPresetListWidth = 140;

CurveData* DialogData(HWND dialog) {
  return reinterpret_cast<CurveData*>(GetWindowLongPtr(dialog, DWLP_USER));
}

void Fill(HWND dialog, int id, const char* const* names, int count) {
  for (int i = 0; i < count; ++i) {
    SendDlgItemMessageA(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names[i]));
  }
}

// The selectors showing what the settings and the editor hold now.
void ShowSelections(HWND dialog, const CurveData& data, const EditorState& editor) {
  SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, data.mode, 0);
  SendDlgItemMessageA(dialog, IDC_CURVE, CB_SETCURSEL, editor.curve, 0);
  SendDlgItemMessageA(dialog, IDC_KIND, CB_SETCURSEL, KindOf(data, editor.curve), 0);
}

// The host's preview calls these; it keeps them until they are set again, so the dialog always
// sets them back to null before it ends. The context is the dialog window, never a pointer that
// could outlive it.
void SampleArrived(void* frame, int32_t, int32_t, void* context) {
  HWND dialog = static_cast<HWND>(context);
  EditorState* editor = IsWindow(dialog) ? EditorOf(dialog) : nullptr;
  const VFBitmap* bitmap = static_cast<const VFBitmap*>(frame);
  if (editor == nullptr || bitmap == nullptr) return;
  CountFrameLevels(bitmap->data, bitmap->w, bitmap->h, bitmap->pitch, editor->counts);
  editor->sampled = true;
}

void PreviewShownOrHidden(bool shown, void* context) {
  if (shown) PostMessageA(static_cast<HWND>(context), kSampleMessage, 0, 0);
}

void SampleCurrentFrame(HWND dialog, CurveData& data) {
  if (data.preview != nullptr && data.preview->SampleCurrentFrame()) FullRedraw(dialog, data);
}

// Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z undo and redo wherever the focus is in the dialog. The dialog
// manager's own loop passes every message through this filter before it handles it.
LRESULT CALLBACK DialogKeys(int code, WPARAM wParam, LPARAM lParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && msg != nullptr && msg->message == WM_KEYDOWN &&
      (msg->wParam == 'Z' || msg->wParam == 'Y') && GetKeyState(VK_CONTROL) < 0) {
    HWND dialog = GetAncestor(msg->hwnd, GA_ROOT);
    if (dialog != nullptr && EditorOf(dialog) != nullptr) {
      const bool redo = msg->wParam == 'Y' || GetKeyState(VK_SHIFT) < 0;
      SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(redo ? IDC_REDO : IDC_UNDO, BN_CLICKED), 0);
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void OpenEditor(HWND dialog, CurveData& data) {
  // From the process heap, not operator new: the module carries no exception runtime, and the
  // state is plain data.
  EditorState* editor =
      static_cast<EditorState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(EditorState)));
  if (editor == nullptr) return;
  editor->data = &data;
  editor->curve = kCurveMaster;
  editor->current = kEmpty;
  editor->nudging = false;
  editor->sampled = false;
  editor->shown[0] = editor->shown[1] = -2;
  StartHistory(editor->history, data);
  editor->keyHook = SetWindowsHookExA(WH_MSGFILTER, DialogKeys, nullptr, GetCurrentThreadId());
  SetPropA(dialog, kEditorProperty, editor);
  WrapEditingControls(dialog, *editor);
}

// Everything the editor holds goes before the dialog ends: the host's callbacks, the key filter,
// the wrapped controls and the state. Whatever arrives later finds no editor.
void CloseEditor(HWND dialog, CurveData& data) {
  EditorState* editor = static_cast<EditorState*>(RemovePropA(dialog, kEditorProperty));
  if (editor == nullptr) return;
  if (data.preview != nullptr) {
    data.preview->SetButtonCallback(nullptr, nullptr);
    data.preview->SetSampleCallback(nullptr, nullptr);
  }
  if (editor->keyHook != nullptr) UnhookWindowsHookEx(editor->keyHook);
  UnwrapEditingControls(dialog, *editor);
  HeapFree(GetProcessHeap(), 0, editor);
}

void OnInitDialog(HWND dialog, CurveData& data) {
  // A drag never carries over from an earlier opening.
  data.selected = kEmpty;
  OpenEditor(dialog, data);
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) {
    EndDialog(dialog, -1);  // no memory for the editor: as if the dialog could not be made
    return;
  }
  HWND selector = GetDlgItem(dialog, IDC_MODE);
  for (const char* name : kModeNames) {
    SendMessageA(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  // A mode above Blue (possible from a script) selects no item; the selector then shows none.
  SendMessageA(selector, CB_SETCURSEL, data.mode, 0);
  Fill(dialog, IDC_CURVE, kCurveNames, kCurveCount);
  Fill(dialog, IDC_KIND, kKindNames, kKindCount);
  Fill(dialog, IDC_PRESET, kPresetNames, kPresetCount);
  // The preset names are longer than the selector is wide: the open list is made wide enough.
  RECT listWidth = {0, 0, kPresetListWidth, 0};
  MapDialogRect(dialog, &listWidth);
  SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETDROPPEDWIDTH, listWidth.right, 0);
  SendDlgItemMessageA(dialog, IDC_CURVE, CB_SETCURSEL, editor->curve, 0);
  SendDlgItemMessageA(dialog, IDC_KIND, CB_SETCURSEL, KindOf(data, editor->curve), 0);
  HWND previewButton = GetDlgItem(dialog, IDC_PREVIEW);
  if (data.preview != nullptr) {
    data.preview->InitButton(previewButton);
  } else {
    EnableWindow(previewButton, FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_SAMPLE), FALSE);
  }
  FullRedraw(dialog, data);
  if (data.preview != nullptr) {
    data.preview->SetButtonCallback(PreviewShownOrHidden, dialog);
    data.preview->SetSampleCallback(SampleArrived, dialog);
  }
}

// After the settings changed as a whole (undo, redo, a preset, a file): selectors, the current
// point and every picture follow.
void ShowNewSettings(HWND dialog, CurveData& data, EditorState& editor) {
  editor.nudging = false;
  if (editor.current != kEmpty && !IsValidPoint(CurvePoints(data, editor.curve)[editor.current])) {
    editor.current = kEmpty;
  }
  ShowSelections(dialog, data, editor);
  FullRedraw(dialog, data);
}

// The commands of the editor's own controls. Returns FALSE for an id that is not one of them.
INT_PTR OnEditorCommand(HWND dialog, CurveData& data, int id, int code) {
  EditorState* editor = EditorOf(dialog);
  if (editor == nullptr) return FALSE;
  // The item a selector shows now (-1 for none), read once for the notification it sent.
  const int item = code == CBN_SELCHANGE
                       ? static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0))
                       : -1;
  switch (id) {
    case IDC_CURVE:
      if (item >= 0 && item < kCurveCount) {
        editor->curve = item;
        editor->current = kEmpty;
        editor->nudging = false;
        data.selected = kEmpty;
        ShowSelections(dialog, data, *editor);
        FullRedraw(dialog, data);
      }
      return TRUE;
    case IDC_KIND:
      if (item >= 0 && item < kKindCount) {
        data.kind[editor->curve] = static_cast<CurveKind>(item);
        FullRedraw(dialog, data);
        RecordChange(dialog, *editor);
      }
      return TRUE;
    case IDC_PRESET:
      if (ApplyPreset(data, item)) {
        ShowNewSettings(dialog, data, *editor);
        RecordChange(dialog, *editor);
        SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETCURSEL, item, 0);
      }
      return TRUE;
    case IDC_POINT_INPUT:
    case IDC_POINT_OUTPUT:
      // Leaving the field sets the point, as Enter does.
      if (code == EN_KILLFOCUS) CommitPointField(dialog, id);
      return TRUE;
    case IDC_SAMPLE:
      SampleCurrentFrame(dialog, data);
      return TRUE;
    case IDC_LOAD:
      if (LoadCurvesChosenByUser(dialog, data)) {
        ShowNewSettings(dialog, data, *editor);
        RecordChange(dialog, *editor);
      }
      return TRUE;
    case IDC_SAVE:
      SaveCurvesChosenByUser(dialog, data);
      return TRUE;
    case IDC_UNDO:
    case IDC_REDO:
      if (id == IDC_UNDO ? UndoEdit(editor->history, data) : RedoEdit(editor->history, data)) {
        SendDlgItemMessageA(dialog, IDC_PRESET, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        ShowNewSettings(dialog, data, *editor);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR OnCommand(HWND dialog, CurveData& data, int id, int code) {
  EditorState* editor = EditorOf(dialog);
  switch (id) {
    case IDOK:
      TakeSnapshot(data);
      CloseEditor(dialog, data);
      EndDialog(dialog, 0);
      return TRUE;
    case IDCANCEL:
      // The mode has no snapshot: a mode picked in the dialog survives Cancel.
      RestoreSnapshot(data);
      CloseEditor(dialog, data);
      EndDialog(dialog, 0);
      return TRUE;
    case IDC_RESET:
      data.mode = kModeRgb;
      ResetAllCurves(data);
      if (editor != nullptr) editor->current = kEmpty;
      FullRedraw(dialog, data);
      SendDlgItemMessageA(dialog, IDC_MODE, CB_SETCURSEL, data.mode, 0);
      if (editor != nullptr) {
        ShowSelections(dialog, data, *editor);
        RecordChange(dialog, *editor);
      }
      return TRUE;
    case IDC_PREVIEW:
      if (data.preview != nullptr) data.preview->Toggle(dialog);
      return TRUE;
    case IDC_MODE: {
      // Any notification counts. With no current item (text typed into the field, or a mode
      // from a script that names no item) the mode stays what it was.
      const LRESULT item = SendDlgItemMessageA(dialog, IDC_MODE, CB_GETCURSEL, 0, 0);
      if (item >= 0 && item < kModeCount) data.mode = static_cast<ChannelMode>(item);
      // Only the bars follow a mode change; the curve and the preview wait for the next redraw.
      DrawGradientBars(GetDlgItem(dialog, IDC_OUTPUT_BAR), GetDlgItem(dialog, IDC_INPUT_BAR),
                       data, editor != nullptr ? editor->curve : kCurveMaster);
      if (editor != nullptr) RecordChange(dialog, *editor);
      return TRUE;
    }
    default:
      return OnEditorCommand(dialog, data, id, code);
  }
}

}  // namespace

EditorState* EditorOf(HWND dialog) {
  return static_cast<EditorState*>(GetPropA(dialog, kEditorProperty));
}

int ConfigProc(FilterActivation* fa, const FilterFunctions*, HWND owner) {
  CurveData& data = *static_cast<CurveData*>(fa->filter_data);
  data.preview = fa->ifp;
  TakeSnapshot(data);
  // The dialog lives in this module's resources. A host names the module in the activation; one
  // that does not would otherwise send the search to its own executable, where it fails.
  HINSTANCE module = reinterpret_cast<HINSTANCE>(&__ImageBase);
  if (fa->filter != nullptr && fa->filter->module != nullptr &&
      fa->filter->module->hInstModule != nullptr) {
    module = fa->filter->module->hInstModule;
  }
  return static_cast<int>(DialogBoxParamA(module, MAKEINTRESOURCEA(IDD_FILTER_CONFIG), owner,
                                          ConfigDlgProc, reinterpret_cast<LPARAM>(&data)));
}

INT_PTR CALLBACK ConfigDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtr(dialog, DWLP_USER, lParam);
    OnInitDialog(dialog, *reinterpret_cast<CurveData*>(lParam));
    return TRUE;
  }
  CurveData* data = DialogData(dialog);
  if (data == nullptr) return FALSE;  // messages that arrive before WM_INITDIALOG

  switch (message) {
    case WM_PAINT: {
      // Only validates the dialog; the pictures live on the controls and are redrawn in full.
      PAINTSTRUCT ps;
      BeginPaint(dialog, &ps);
      EndPaint(dialog, &ps);
      FullRedraw(dialog, *data);
      return FALSE;
    }
    case WM_COMMAND:
      return OnCommand(dialog, *data, LOWORD(wParam), HIWORD(wParam));
    case WM_LBUTTONDOWN:
      OnLeftPress(dialog, *data, lParam);
      return FALSE;
    case WM_MOUSEMOVE:
      OnMove(dialog, *data, lParam);
      return FALSE;
    case WM_LBUTTONUP:
      OnLeftRelease(dialog, *data);
      return FALSE;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != dialog) OnDragLost(dialog, *data);
      return FALSE;
    case WM_RBUTTONDOWN:
      OnRightPress(dialog, *data, lParam);
      return FALSE;
    case kSampleMessage:
      SampleCurrentFrame(dialog, *data);
      return TRUE;
    case WM_DESTROY:
      CloseEditor(dialog, *data);
      return FALSE;
    default:
      return FALSE;
  }
}
