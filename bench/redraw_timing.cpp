// The cost of one full redraw of the configuration dialog (curve view and both bars), as every
// paint does it and every mouse move of a drag after rebuilding one table: once with one curve as
// the original editor drew it, once with all four curves in use and a sampled frame's histogram
// behind them. Needs a
// display: under wine, run it with xvfb-run. Prints the median of several rounds of 100 redraws.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/config_dialog.h"
#include "editor/resource.h"
#include "engine/curve_data.h"
#include "engine/curve_tables.h"
#include "host/filter_abi.h"

namespace {

// Just enough of the host's preview to hand over a frame when asked; its window is imaginary.
class FramePreview : public IFilterPreview {
 public:
  explicit FramePreview(VFBitmap frame) : frame_(frame) {}
  void SetButtonCallback(void (*)(bool, void*), void*) override {}
  void SetSampleCallback(void (*callback)(void*, int32_t, int32_t, void*), void* data) override {
    callback_ = callback;
    data_ = data;
  }
  bool isPreviewEnabled() override { return true; }
  void Toggle(HWND) override {}
  void Display(HWND, bool) override {}
  void RedoFrame() override {}
  void RedoSystem() override {}
  void UndoSystem() override {}
  void InitButton(HWND) override {}
  void Close() override {}
  bool SampleCurrentFrame() override {
    if (callback_ == nullptr) return false;
    callback_(&frame_, 0, 1, data_);
    return true;
  }
  int32_t SampleFrames() override { return 0; }

 private:
  VFBitmap frame_;
  void (*callback_)(void*, int32_t, int32_t, void*) = nullptr;
  void* data_ = nullptr;
};

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1e3 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

bool Time(const char* what, CurveData& data, IFilterPreview* preview) {
  data.preview = preview;
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILTER_CONFIG),
                                   nullptr, ConfigDlgProc, reinterpret_cast<LPARAM>(&data));
  if (dialog == nullptr) return false;
  ShowWindow(dialog, SW_SHOW);
  Pump();
  if (preview != nullptr) SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SAMPLE, BN_CLICKED), 0);
  RECT view;
  GetClientRect(GetDlgItem(dialog, IDC_CURVE_VIEW), &view);

  constexpr int kRounds = 7, kRedraws = 100;
  std::vector<double> perRedraw;
  for (int round = 0; round < kRounds; ++round) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kRedraws; ++i) SendMessageA(dialog, WM_PAINT, 0, 0);
    QueryPerformanceCounter(&end);
    perRedraw.push_back(Milliseconds(start, end) / kRedraws);
  }
  std::sort(perRedraw.begin(), perRedraw.end());
  std::printf("full redraw, view %ld x %ld, %s: median %.3f ms (%.3f..%.3f) over %d rounds\n",
              view.right, view.bottom, what, perRedraw[kRounds / 2], perRedraw.front(),
              perRedraw.back(), kRounds);
  DestroyWindow(dialog);
  Pump();
  return true;
}

}  // namespace

int main() {
  CurveData data;
  std::memset(&data, 0, sizeof data);
  InitCurveData(data);
  data.points[0] = ControlPoint{40, 70};
  data.points[1] = ControlPoint{128, 150};
  data.points[2] = ControlPoint{210, 225};
  RebuildAllCurves(data);
  bool ok = Time("master curve, 3 points", data, nullptr);

  for (int c = 0; c < kChannelCurveCount; ++c) {
    data.channel[c].points[0] = ControlPoint{64, 56 + 8 * c};
    data.channel[c].points[1] = ControlPoint{192, 200 - 8 * c};
    data.kind[c + 1] = kKindMonotone;
  }
  RebuildAllCurves(data);
  std::vector<uint32_t> pixels(640 * 360);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 2654435761u);
  VFBitmap frame = {};
  frame.data = pixels.data();
  frame.w = 640;
  frame.h = 360;
  frame.pitch = 640 * 4;
  FramePreview preview(frame);
  ok = Time("four curves and a histogram", data, &preview) && ok;
  if (!ok) std::fprintf(stderr, "redraw_timing: the dialog could not be created\n");
  return ok ? 0 : 1;
}
