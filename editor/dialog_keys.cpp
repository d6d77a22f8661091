#include "editor/dialog_keys.h"

#include "editor/focus_cue.h"
#include "editor/point_editing.h"
#include "editor/point_fields.h"
#include "editor/preset_choice.h"
#include "editor/resource.h"

namespace {

// A wrapped control keeps its own window procedure here.
constexpr char kOwnProcedure[] = "tonarc.procedure";

LRESULT CallOwn(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC own = reinterpret_cast<WNDPROC>(GetPropA(control, kOwnProcedure));
  return own != nullptr ? CallWindowProcA(own, control, message, wParam, lParam)
                        : DefWindowProcA(control, message, wParam, lParam);
}

bool IsEnterKeyDown(LPARAM dialogCodeParam) {
  const MSG* msg = reinterpret_cast<const MSG*>(dialogCodeParam);
  return msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
}

// The curve view takes the arrow keys (the dialog would move the focus with them) and its other
// keys, and shows whether it has the focus.
LRESULT CALLBACK ViewKeys(HWND view, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(view);
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_KEYDOWN:
      if (EditorState* editor = EditorOf(dialog)) {
        if (OnViewKey(dialog, *editor, wParam)) return 0;
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      const LRESULT result = CallOwn(view, message, wParam, lParam);
      DrawFocusCue(dialog);
      return result;
    }
  }
  return CallOwn(view, message, wParam, lParam);
}

// Enter in a number field sets the point; the dialog would take it for Apply.
LRESULT CALLBACK FieldKeys(HWND field, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(field);
  switch (message) {
    case WM_GETDLGCODE:
      if (IsEnterKeyDown(lParam)) return DLGC_WANTALLKEYS | CallOwn(field, message, wParam, lParam);
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        if (EditorState* editor = EditorOf(dialog)) {
          CommitPointField(dialog, *editor, GetDlgCtrlID(field));
        }
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r') return 0;
      break;
  }
  return CallOwn(field, message, wParam, lParam);
}

// Enter on the closed preset list applies the preset it shows, when that is not applied yet;
// otherwise Enter stays the dialog's. The open list closes on Enter by itself.
LRESULT CALLBACK PresetKeys(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND dialog = GetParent(list);
  EditorState* editor = EditorOf(dialog);
  switch (message) {
    case WM_GETDLGCODE:
      if (editor != nullptr && IsEnterKeyDown(lParam) && PresetPending(dialog, *editor)) {
        return DLGC_WANTALLKEYS | CallOwn(list, message, wParam, lParam);
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN && editor != nullptr && PresetPending(dialog, *editor)) {
        ApplyShownPreset(dialog, *editor);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == '\r') return 0;
      break;
  }
  return CallOwn(list, message, wParam, lParam);
}

void Wrap(HWND control, WNDPROC procedure) {
  if (control == nullptr || GetPropA(control, kOwnProcedure) != nullptr) return;
  const LONG_PTR own = GetWindowLongPtrA(control, GWLP_WNDPROC);
  SetPropA(control, kOwnProcedure, reinterpret_cast<HANDLE>(own));
  SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
}

void Unwrap(HWND control) {
  if (control == nullptr) return;
  HANDLE own = RemovePropA(control, kOwnProcedure);
  if (own != nullptr) SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
}

// The dialog manager's own loop passes every message through this filter before it handles it.
LRESULT CALLBACK UndoRedoKeys(int code, WPARAM wParam, LPARAM lParam) {
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

}  // namespace

void WrapControls(HWND dialog, EditorState& editor) {
  Wrap(GetDlgItem(dialog, IDC_CURVE_VIEW), ViewKeys);
  Wrap(GetDlgItem(dialog, IDC_POINT_INPUT), FieldKeys);
  Wrap(GetDlgItem(dialog, IDC_POINT_OUTPUT), FieldKeys);
  Wrap(GetDlgItem(dialog, IDC_PRESET), PresetKeys);
  editor.keyHook = SetWindowsHookExA(WH_MSGFILTER, UndoRedoKeys, nullptr, GetCurrentThreadId());
}

void UnwrapControls(HWND dialog, EditorState& editor) {
  if (editor.keyHook != nullptr) UnhookWindowsHookEx(editor.keyHook);
  editor.keyHook = nullptr;
  Unwrap(GetDlgItem(dialog, IDC_CURVE_VIEW));
  Unwrap(GetDlgItem(dialog, IDC_POINT_INPUT));
  Unwrap(GetDlgItem(dialog, IDC_POINT_OUTPUT));
  Unwrap(GetDlgItem(dialog, IDC_PRESET));
}
