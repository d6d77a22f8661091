// The cost of one full redraw of the configuration dialog (curve view and both bars), as the
// dialog does it on every mouse move of a drag. Needs a display: under wine, run it with
// xvfb-run. Prints the median of several rounds of 100 redraws.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "editor/config_dialog.h"
#include "editor/resource.h"
#include "engine/curve_data.h"

namespace {

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1e3 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(f.QuadPart);
}

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

}  // namespace

int main() {
  CurveData data;
  std::memset(&data, 0, sizeof data);
  InitCurveData(data);
  data.points[0] = ControlPoint{40, 70};
  data.points[1] = ControlPoint{128, 150};
  data.points[2] = ControlPoint{210, 225};
  data.preview = nullptr;
  HWND dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILTER_CONFIG),
                                   nullptr, ConfigDlgProc, reinterpret_cast<LPARAM>(&data));
  if (dialog == nullptr) {
    std::fprintf(stderr, "redraw_timing: the dialog could not be created\n");
    return 1;
  }
  ShowWindow(dialog, SW_SHOW);
  Pump();
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
  std::printf("full redraw, view %ld x %ld, 3 points: median %.3f ms (%.3f..%.3f) over %d rounds\n",
              view.right, view.bottom, perRedraw[kRounds / 2], perRedraw.front(),
              perRedraw.back(), kRounds);
  DestroyWindow(dialog);
  return 0;
}
