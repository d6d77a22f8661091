// The dialog's side of the host's preview window: the Preview button handed to it, the callbacks
// it calls while the dialog is open, its frame sampled for the histogram, and the request to
// render the frame again after an edit. Without a preview (a host that offers none) the Preview
// and Sample buttons are disabled and every call is skipped.
#pragma once

#include <windows.h>

#include "editor/editor_state.h"
#include "engine/curve_data.h"

// Posted when the host shows its preview: the frame is sampled once the host's call has returned.
constexpr UINT kSampleMessage = WM_APP + 1;

// Hands the Preview button to the preview, or disables the buttons that need one.
void InitPreviewButtons(HWND dialog, CurveData& data);

// The host calls the dialog back when its preview is shown or hidden and with sampled frames; it
// keeps the callbacks until they are set again, so StopListening sets them back to null before the
// dialog ends. Their context is the dialog window, never a pointer that could outlive it.
void ListenToPreview(HWND dialog, CurveData& data);
void StopListening(CurveData& data);

// The preview shows the frame through the tables as they are now.
void RefreshPreview(CurveData& data);

// Toggles the preview window (the Preview button).
void TogglePreview(HWND dialog, CurveData& data);

// Takes the preview's current frame for the histogram and redraws; nothing while it is hidden.
void SampleCurrentFrame(HWND dialog, EditorState& editor);
