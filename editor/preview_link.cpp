#include "editor/preview_link.h"

#include "editor/auto_curves.h"
#include "editor/edit_refresh.h"
#include "editor/resource.h"
#include "host/activation.h"

namespace {

void SampleArrived(void* frame, int32_t, int32_t, void* context) {
  HWND dialog = static_cast<HWND>(context);
  EditorState* editor = IsWindow(dialog) ? EditorOf(dialog) : nullptr;
  FramePixels pixels;
  if (editor == nullptr || !PixelsOfSample(frame, pixels)) return;
  KeepSample(editor->sample, pixels);
  EnableAutoButtons(dialog, *editor);
}

void PreviewShownOrHidden(bool shown, void* context) {
  if (shown) PostMessageA(static_cast<HWND>(context), kSampleMessage, 0, 0);
}

}  // namespace

void InitPreviewButtons(HWND dialog, CurveData& data) {
  HWND previewButton = GetDlgItem(dialog, IDC_PREVIEW);
  if (data.preview != nullptr) {
    data.preview->InitButton(previewButton);
    return;
  }
  EnableWindow(previewButton, FALSE);
  EnableWindow(GetDlgItem(dialog, IDC_SAMPLE), FALSE);
}

void ListenToPreview(HWND dialog, CurveData& data) {
  if (data.preview == nullptr) return;
  data.preview->SetButtonCallback(PreviewShownOrHidden, dialog);
  data.preview->SetSampleCallback(SampleArrived, dialog);
}

void StopListening(CurveData& data) {
  if (data.preview == nullptr) return;
  data.preview->SetButtonCallback(nullptr, nullptr);
  data.preview->SetSampleCallback(nullptr, nullptr);
}

void RefreshPreview(CurveData& data) {
  if (data.preview == nullptr) return;
  data.preview->UndoSystem();
  data.preview->RedoSystem();
  data.preview->RedoFrame();
}

void TogglePreview(HWND dialog, CurveData& data) {
  if (data.preview != nullptr) data.preview->Toggle(dialog);
}

void SampleCurrentFrame(HWND dialog, EditorState& editor) {
  IFilterPreview* preview = editor.data->preview;
  if (preview != nullptr && preview->SampleCurrentFrame()) RedrawEditor(dialog, editor);
}
