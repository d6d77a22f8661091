// The picture of the dialog for the documentation: out/dialog.png, written when TONARC_OUT_DIR
// names a directory.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/gui/dialog_harness.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace {

// A curve worth showing: a lift in the shadows and a soft shoulder.
void SampleCurve(CurveData& data) {
  data.points[0] = ControlPoint{40, 70};
  data.points[1] = ControlPoint{128, 150};
  data.points[2] = ControlPoint{210, 225};
  data.mode = kModeRgb;
}

// The dialog's window as it is on screen, frame included, as tightly packed RGB rows.
std::vector<unsigned char> Capture(HWND window, int& w, int& h) {
  RECT r;
  GetWindowRect(window, &r);
  w = r.right - r.left;
  h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<unsigned char> rgb(static_cast<size_t>(w) * h * 3);
  const unsigned char* src = static_cast<const unsigned char*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
    rgb[3 * i + 0] = src[4 * i + 2];
    rgb[3 * i + 1] = src[4 * i + 1];
    rgb[3 * i + 2] = src[4 * i + 0];
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return rgb;
}

TEST(Picture, DialogPng) {
  const char* dir = std::getenv("TONARC_OUT_DIR");
  if (dir == nullptr || *dir == '\0') GTEST_SKIP() << "TONARC_OUT_DIR is not set";
  CurveData data = gui::FreshCurve();
  SampleCurve(data);
  gui::RecordingPreview preview;
  std::vector<unsigned char> rgb;
  int w = 0, h = 0;
  gui::RunConfigProc(data, &preview, IDOK, [&](HWND dialog) {
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    gui::PumpMessages();
    SendMessageA(dialog, WM_PAINT, 0, 0);
    rgb = Capture(dialog, w, h);
  });
  ASSERT_GT(w, 0);
  CreateDirectoryA(dir, nullptr);
  const std::string path = std::string(dir) + "/dialog.png";
  ASSERT_NE(stbi_write_png(path.c_str(), w, h, 3, rgb.data(), w * 3), 0) << path;
  std::printf("wrote %s (%d x %d)\n", path.c_str(), w, h);
}

}  // namespace
