#include "editor/editor_state.h"

namespace {

// The editor hangs on the dialog's window under this name.
constexpr char kEditorProperty[] = "tonarc.editor";

}  // namespace

EditorState* CreateEditor(HWND dialog, CurveData& data) {
  // From the process heap, not operator new: the module carries no exception runtime, and the
  // state is plain data.
  EditorState* editor =
      static_cast<EditorState*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(EditorState)));
  if (editor == nullptr) return nullptr;
  editor->data = &data;
  editor->curve = kCurveMaster;
  editor->current = kEmpty;
  editor->shown[0] = editor->shown[1] = -2;  // no level: the fields are filled at the first redraw
  editor->preset = kEmpty;
  StartHistory(editor->history, data);
  if (!SetPropA(dialog, kEditorProperty, editor)) {
    HeapFree(GetProcessHeap(), 0, editor);
    return nullptr;
  }
  return editor;
}

EditorState* EditorOf(HWND dialog) {
  return static_cast<EditorState*>(GetPropA(dialog, kEditorProperty));
}

void DestroyEditor(HWND dialog) {
  EditorState* editor = static_cast<EditorState*>(RemovePropA(dialog, kEditorProperty));
  if (editor == nullptr) return;
  ForgetSample(editor->sample);
  HeapFree(GetProcessHeap(), 0, editor);
}
