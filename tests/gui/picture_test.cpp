// The picture of the dialog for the documentation: out/dialog.png, written when TONARC_OUT_DIR
// names a directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/curve_tables.h"
#include "tests/gui/dialog_harness.h"
#include "tools/filterhost/picture_io.h"  // WritePng


namespace {

// Curves worth showing: a lift in the shadows and a soft shoulder on the master, a warmer red and
// a cooler blue.
void SampleCurve(CurveData& data) {
  data.points[0] = ControlPoint{40, 70};
  data.points[1] = ControlPoint{128, 150};
  data.points[2] = ControlPoint{210, 225};
  data.mode = kModeRgb;
  data.channel[kCurveRed - 1].points[0] = ControlPoint{128, 150};
  data.channel[kCurveBlue - 1].points[0] = ControlPoint{128, 104};
  data.kind[kCurveRed] = data.kind[kCurveBlue] = kKindMonotone;
  RebuildAllCurves(data);
}

// The dialog's window as it is on screen, frame included.
Picture Capture(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  Picture picture;
  picture.width = r.right - r.left;
  picture.height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  const uint32_t* src = static_cast<const uint32_t*>(bits);
  picture.pixels.assign(src, src + static_cast<size_t>(picture.width) * picture.height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

TEST(Picture, DialogPng) {
  const char* dir = std::getenv("TONARC_OUT_DIR");
  if (dir == nullptr || *dir == '\0') GTEST_SKIP() << "TONARC_OUT_DIR is not set";
  CurveData data = Fresh();
  SampleCurve(data);
  // A frame whose levels spread as a photograph's do: dark and light masses, the channels apart.
  std::vector<uint32_t> frame;
  for (int v = 0; v < 256; ++v) {
    const double dark = std::exp(-(v - 70) * (v - 70) / 900.0);
    const double light = 0.6 * std::exp(-(v - 185) * (v - 185) / 1400.0);
    const int count = static_cast<int>(400 * (dark + light)) + 4;
    for (int i = 0; i < count; ++i) {
      const uint32_t r = static_cast<uint32_t>(std::min(255, v + 12));
      const uint32_t b = static_cast<uint32_t>(std::max(0, v - 15));
      frame.push_back(r << 16 | static_cast<uint32_t>(v) << 8 | b);
    }
  }
  gui::RecordingPreview preview;
  const int32_t width = static_cast<int32_t>(frame.size());
  preview.frame = gui::SampledFrame(frame.data(), width, 1, width);
  Picture shot;
  gui::RunConfigProc(data, &preview, IDOK, [&](HWND dialog) {
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PREVIEW, BN_CLICKED), 0);
    gui::PumpMessages();
    // A point picked, so that the number fields and the highlighted marker show.
    RECT view;
    GetClientRect(GetDlgItem(dialog, IDC_CURVE_VIEW), &view);
    POINT origin = {0, 0};
    MapWindowPoints(GetDlgItem(dialog, IDC_CURVE_VIEW), dialog, &origin, 1);
    const LPARAM at = MAKELPARAM(origin.x + 128 * view.right / 256,
                                 origin.y + view.bottom - 150 * view.bottom / 256);
    SendMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(dialog, WM_LBUTTONUP, 0, at);
    SendMessageA(dialog, WM_PAINT, 0, 0);
    gui::PumpMessages();
    shot = Capture(dialog);
  });
  // The picture is worth its place in the README only with the histogram and the red curve on it.
  ASSERT_GT(shot.width, 0);
  const auto shown = [&](COLORREF c) {
    const uint32_t pixel =
        static_cast<uint32_t>(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c);
    return std::count_if(shot.pixels.begin(), shot.pixels.end(),
                         [&](uint32_t p) { return (p & 0xFFFFFF) == pixel; });
  };
  EXPECT_GT(shown(kHistogramColour), 5000);
  EXPECT_GT(shown(kOtherCurveColours[kCurveRed]), 50);
  CreateDirectoryA(dir, nullptr);
  const std::string path = std::string(dir) + "/dialog.png";
  std::string error;
  ASSERT_TRUE(WritePng(path, shot, error)) << error;
  std::printf("wrote %s (%d x %d)\n", path.c_str(), shot.width, shot.height);
}

}  // namespace
