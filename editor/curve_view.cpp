#include "editor/curve_view.h"

#include "engine/spline.h"
#include "host/filter_abi.h"

namespace {

struct ClientSize {
  int32_t w;
  int32_t h;
};

ClientSize ReadClientSize(HWND control) {
  RECT r = {0, 0, 0, 0};
  GetClientRect(control, &r);
  return ClientSize{r.right - r.left, r.bottom - r.top};
}

// Pixel coordinates are doubles truncated toward zero. The bound keeps the conversion defined and
// leaves room for the marker arms' +-5 whatever a record holds; no real control comes near it.
int32_t Trunc(double v) {
  constexpr double kLimit = 1 << 30;
  if (!(v > -kLimit)) return -(1 << 30);
  if (v > kLimit) return 1 << 30;
  return static_cast<int32_t>(v);
}

void Line(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Shows only the control's background again, at once.
void Clear(HWND control) {
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
}

// Puts a new one-pixel pen on the surface and deletes the one it replaces, unless that is the
// surface's own pen (`original`). A pen that cannot be had leaves the previous one in place.
void SwitchPen(HDC dc, HGDIOBJ original, int style, COLORREF colour) {
  HPEN pen = CreatePen(style, 1, colour);
  if (pen == nullptr) return;
  HGDIOBJ previous = SelectObject(dc, pen);
  if (previous != nullptr && previous != original) DeleteObject(previous);
}

void RestorePen(HDC dc, HGDIOBJ original) {
  HGDIOBJ previous = SelectObject(dc, original);
  if (previous != nullptr && previous != original) DeleteObject(previous);
}

COLORREF MappedColour(ChannelMode mode, int32_t lutEntry) {
  const BYTE v = static_cast<BYTE>(lutEntry & 0xFF);
  switch (mode) {
    case kModeRgb: return RGB(v, v, v);
    case kModeRed: return RGB(v, 0, 0);
    case kModeGreen: return RGB(0, v, 0);
    case kModeBlue: return RGB(0, 0, v);
    default: return RGB(0, 0, 0);  // a mode from a script that names no channel
  }
}

void DrawOutputBar(HWND bar) {
  Clear(bar);
  const ClientSize size = ReadClientSize(bar);
  const double sy = size.h / 255.0;
  HDC dc = GetDC(bar);
  if (dc == nullptr) return;
  const HGDIOBJ original = GetCurrentObject(dc, OBJ_PEN);
  // Anchored at row 255, not at the bar's height: grey 0 sits on row 255 whatever the size.
  for (int32_t i = 0; i < 255; ++i) {
    SwitchPen(dc, original, PS_SOLID, RGB(i, i, i));
    const int32_t y = Trunc(255 - i * sy);
    Line(dc, 0, y, size.w, y);
  }
  RestorePen(dc, original);
  ReleaseDC(bar, dc);
}

void DrawInputBar(HWND bar, const CurveData& data) {
  Clear(bar);
  const ClientSize size = ReadClientSize(bar);
  const double sx = size.w / 255.0;
  HDC dc = GetDC(bar);
  if (dc == nullptr) return;
  const HGDIOBJ original = GetCurrentObject(dc, OBJ_PEN);
  for (int32_t i = 0; i < 255; ++i) {
    const int32_t x = Trunc(i * sx);
    SwitchPen(dc, original, PS_SOLID, MappedColour(data.mode, data.lut[i]));
    Line(dc, x, 0, x, size.h);
    SwitchPen(dc, original, PS_SOLID, RGB(i, i, i));
    Line(dc, x, size.h, x, size.h / 2);
  }
  RestorePen(dc, original);
  ReleaseDC(bar, dc);
}

}  // namespace

void DrawGrid(HWND view) {
  Clear(view);
  const ClientSize size = ReadClientSize(view);
  const double sx = size.w / 4.0;
  const double sy = size.h / 4.0;
  HDC dc = GetDC(view);
  if (dc == nullptr) return;
  const HGDIOBJ original = GetCurrentObject(dc, OBJ_PEN);
  // Verticals first: where the lines cross, the horizontal line's dot or gap shows.
  SwitchPen(dc, original, PS_DOT, RGB(0, 0, 0));
  for (int32_t i = 1; i <= 3; ++i) {
    const int32_t x = Trunc(i * sx);
    Line(dc, x, 0, x, size.h - 1);
  }
  SwitchPen(dc, original, PS_DOT, RGB(0, 0, 0));
  for (int32_t i = 1; i <= 3; ++i) {
    const int32_t y = size.h - Trunc(i * sy) - 1;
    Line(dc, 0, y, size.w, y);
  }
  RestorePen(dc, original);
  ReleaseDC(view, dc);
}

void DrawCurve(HWND view, const CurveData& data) {
  const ClientSize size = ReadClientSize(view);
  const double sx = size.w / 256.0;
  const double sy = size.h / 256.0;
  HDC dc = GetDC(view);
  if (dc == nullptr) return;
  const HGDIOBJ original = GetCurrentObject(dc, OBJ_PEN);
  SwitchPen(dc, original, PS_SOLID, RGB(0, 0, 0));
  // Vertex i is (trunc(i * sx), H - trunc(lut[i] * sy + 1)): output level 0 on the last row.
  MoveToEx(dc, 0, size.h - Trunc(data.lut[0] * sy + 1), nullptr);
  for (int32_t i = 0; i < kLutSize; ++i) {
    LineTo(dc, Trunc(i * sx), size.h - Trunc(data.lut[i] * sy + 1));
  }
  // One row below the last vertex: the line paints exactly that vertex, which the line into it
  // left out.
  LineTo(dc, Trunc(sx * 255), size.h - Trunc(data.lut[255] * sy));
  RestorePen(dc, original);
  ReleaseDC(view, dc);
}

void DrawPointMarkers(HWND view, const CurveData& data) {
  const ClientSize size = ReadClientSize(view);
  const double sx = size.w / 256.0;
  const double sy = size.h / 256.0;
  HDC dc = GetDC(view);
  if (dc == nullptr) return;
  // The surface's default pen: solid black, one pixel.
  for (int32_t i = 0; i < kEditableSlots; ++i) {
    const ControlPoint& p = data.points[i];
    if (!IsValidPoint(p)) continue;
    // No "- 1" on the row, unlike the curve: the marker agrees with the mouse mapping.
    const int32_t cx = Trunc(p.x * sx);
    const int32_t cy = size.h - Trunc(p.y * sy);
    Line(dc, cx + 1, cy, cx + 5, cy);
    Line(dc, cx - 1, cy, cx - 5, cy);
    Line(dc, cx, cy + 1, cx, cy + 5);
    Line(dc, cx, cy - 1, cx, cy - 5);
  }
  ReleaseDC(view, dc);
}

void RefreshEditor(HWND view, CurveData& data) {
  DrawGrid(view);
  RebuildLut(data);
  DrawCurve(view, data);
  DrawPointMarkers(view, data);
  if (data.preview != nullptr) {
    data.preview->UndoSystem();
    data.preview->RedoSystem();
    data.preview->RedoFrame();
  }
}

void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data) {
  DrawOutputBar(outputBar);
  DrawInputBar(inputBar, data);
}

void MapMouseToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y) {
  const ClientSize size = ReadClientSize(view);
  const int32_t mx = static_cast<int32_t>(static_cast<uint32_t>(position) & 0xFFFFu);
  const int32_t my = static_cast<int32_t>((static_cast<uint32_t>(position) >> 16) & 0xFFFFu);
  // Strict on both sides: the view's first column and row count as outside.
  if (!(kViewOffset < mx && mx < size.w + kViewOffset && kViewOffset < my &&
        my < size.h + kViewOffset)) {
    x = kEmpty;
    y = kEmpty;
    return;
  }
  const double sx = size.w / 256.0;
  const double sy = size.h / 256.0;
  x = Trunc((mx - kViewOffset) / sx);
  y = Trunc((size.h - my + kViewOffset) / sy);
}
