// The host's preview for a filter's configuration dialog, over one picture: a window beside the
// dialog showing the picture mapped through the instance as it is edited, and the picture itself
// handed to the dialog when it asks for a sample of the current frame.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/filter_abi.h"
#include "tools/filterhost/module_host.h"
#include "tools/filterhost/picture_io.h"

// The filter chain here is the one instance: every RedoFrame runs it on the picture from start
// to end, so UndoSystem and RedoSystem (which tear the chain down and build it up again) have
// nothing left to do, and the input of the filter is the picture as read.
class PicturePreview : public IFilterPreview {
 public:
  // The sample callback as filter_abi.h declares it; the frame is a VFBitmap.
  using SampleCallback = void (*)(void*, int32_t, int32_t, void*);
  using ButtonCallback = void (*)(bool, void*);

  PicturePreview(FilterInstance& instance, const Picture& picture)
      : instance_(instance), picture_(picture) {}
  ~PicturePreview() { Close(); }
  PicturePreview(const PicturePreview&) = delete;
  PicturePreview& operator=(const PicturePreview&) = delete;

  void SetButtonCallback(ButtonCallback callback, void* context) override;
  void SetSampleCallback(SampleCallback callback, void* context) override;
  bool isPreviewEnabled() override;
  void Toggle(HWND parent) override;
  void Display(HWND parent, bool show) override;
  void RedoFrame() override;
  void RedoSystem() override {}
  void UndoSystem() override {}
  void InitButton(HWND button) override;
  void Close() override;
  bool SampleCurrentFrame() override;
  int32_t SampleFrames() override { return 0; }

  // The last failure of the filter while rendering, if any.
  const std::string& error() const { return error_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Create(HWND owner);
  void Render();
  void Paint(HWND window);
  void ButtonShows(bool shown);

  FilterInstance& instance_;
  const Picture& picture_;
  std::vector<uint32_t> mapped_;
  HostBitmap sample_;  // the picture as the filter's input, for the sample callback
  HWND window_ = nullptr;
  HWND button_ = nullptr;
  ButtonCallback buttonCallback_ = nullptr;
  void* buttonContext_ = nullptr;
  SampleCallback sampleCallback_ = nullptr;
  void* sampleContext_ = nullptr;
  std::string error_;
};
