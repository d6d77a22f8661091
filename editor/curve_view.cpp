#include "editor/curve_view.h"

#include "engine/curve_tables.h"
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

// Shows only the control's background again, at once.
void Clear(HWND control) {
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
}

// A control's drawing surface for one operation: its client size read at the start, its device
// context in the default state (solid black one-pixel pen), and the pens put on it, all released
// when the operation ends. A surface or pen that cannot be had leaves the picture incomplete.
class Surface {
 public:
  explicit Surface(HWND control)
      : control_(control),
        size_(ReadClientSize(control)),
        dc_(GetDC(control)),
        original_(dc_ != nullptr ? GetCurrentObject(dc_, OBJ_PEN) : nullptr) {}
  ~Surface() {
    if (dc_ == nullptr) return;
    UsePen(original_);
    ReleaseDC(control_, dc_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  bool ok() const { return dc_ != nullptr; }
  int32_t w() const { return size_.w; }
  int32_t h() const { return size_.h; }

  // Puts a new one-pixel pen on the surface and deletes the one it replaces.
  void Pen(int style, COLORREF colour) {
    HPEN pen = CreatePen(style, 1, colour);
    if (pen != nullptr) UsePen(pen);
  }
  // From P towards Q, Q itself left out.
  void Line(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    MoveToEx(dc_, x0, y0, nullptr);
    ::LineTo(dc_, x1, y1);
  }
  void MoveTo(int32_t x, int32_t y) { MoveToEx(dc_, x, y, nullptr); }
  void LineTo(int32_t x, int32_t y) { ::LineTo(dc_, x, y); }

 private:
  // The surface's own pen is never deleted; every pen of ours is, once replaced.
  void UsePen(HGDIOBJ pen) {
    HGDIOBJ previous = SelectObject(dc_, pen);
    if (previous != nullptr && previous != original_) DeleteObject(previous);
  }

  HWND control_;
  ClientSize size_;
  HDC dc_;
  HGDIOBJ original_;
};

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

// Grey i covers the rows from H - (i + 1) H/255 (exclusive) down to H - i H/255, so the levels
// share the bar's height between them with no row left out: at 255 rows one row each, grey 0 on
// row 255 just below the bar and row 0 above grey 254 left to the background; at any other height
// the same ramp stretched or squeezed.
void DrawOutputBar(HWND bar) {
  Clear(bar);
  Surface surface(bar);
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sy = h / 255.0;
  int32_t below = h;  // the lowest row of the current level
  for (int32_t i = 0; i < 255; ++i) {
    const int32_t above = Trunc(h - (i + 1) * sy);  // the row just above this level
    surface.Pen(PS_SOLID, RGB(i, i, i));
    for (int32_t y = below; y > above; --y) surface.Line(0, y, surface.w(), y);
    below = above;
  }
}

// Input level i in column trunc(i W/255), widened over the columns up to the next level's when a
// level has more than one; the last column is left to the background, as at 256 columns.
void DrawInputBar(HWND bar, const CurveData& data) {
  Clear(bar);
  Surface surface(bar);
  if (!surface.ok()) return;
  const double sx = surface.w() / 255.0;
  const int32_t h = surface.h();
  for (int32_t i = 0; i < 255; ++i) {
    const int32_t first = Trunc(i * sx);
    int32_t last = Trunc((i + 1) * sx) - 1;
    if (last > surface.w() - 2) last = surface.w() - 2;
    if (last < first) last = first;
    for (int32_t x = first; x <= last; ++x) {
      surface.Pen(PS_SOLID, MappedColour(data.mode, data.lut[i]));
      surface.Line(x, 0, x, h);
      surface.Pen(PS_SOLID, RGB(i, i, i));
      surface.Line(x, h, x, h / 2);
    }
  }
}

}  // namespace

void DrawGrid(HWND view) {
  Clear(view);
  Surface surface(view);
  if (!surface.ok()) return;
  const int32_t w = surface.w(), h = surface.h();
  const double sx = w / 4.0;
  const double sy = h / 4.0;
  // Verticals first: where the lines cross, the horizontal line's dot or gap shows.
  surface.Pen(PS_DOT, RGB(0, 0, 0));
  for (int32_t i = 1; i <= 3; ++i) {
    const int32_t x = Trunc(i * sx);
    surface.Line(x, 0, x, h - 1);
  }
  surface.Pen(PS_DOT, RGB(0, 0, 0));
  for (int32_t i = 1; i <= 3; ++i) {
    const int32_t y = h - Trunc(i * sy) - 1;
    surface.Line(0, y, w, y);
  }
}

void DrawCurve(HWND view, const CurveData& data) {
  Surface surface(view);
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sx = surface.w() / 256.0;
  const double sy = h / 256.0;
  surface.Pen(PS_SOLID, RGB(0, 0, 0));
  // Vertex i is (trunc(i * sx), H - trunc(lut[i] * sy + 1)): output level 0 on the last row.
  surface.MoveTo(0, h - Trunc(data.lut[0] * sy + 1));
  for (int32_t i = 0; i < kLutSize; ++i) {
    surface.LineTo(Trunc(i * sx), h - Trunc(data.lut[i] * sy + 1));
  }
  // One row below the last vertex: the line paints exactly that vertex, which the line into it
  // left out.
  surface.LineTo(Trunc(sx * 255), h - Trunc(data.lut[255] * sy));
}

void DrawPointMarkers(HWND view, const CurveData& data) {
  // The surface's default pen: solid black, one pixel.
  Surface surface(view);
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sx = surface.w() / 256.0;
  const double sy = h / 256.0;
  for (int32_t i = 0; i < kEditableSlots; ++i) {
    const ControlPoint& p = data.points[i];
    if (!IsValidPoint(p)) continue;
    // No "- 1" on the row, unlike the curve: the marker agrees with the mouse mapping.
    const int32_t cx = Trunc(p.x * sx);
    const int32_t cy = h - Trunc(p.y * sy);
    surface.Line(cx + 1, cy, cx + 5, cy);
    surface.Line(cx - 1, cy, cx - 5, cy);
    surface.Line(cx, cy + 1, cx, cy + 5);
    surface.Line(cx, cy - 1, cx, cy - 5);
  }
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
  // The view's client origin in the dialog's client area: (12, 12) at the reference layout.
  POINT origin = {0, 0};
  MapWindowPoints(view, GetParent(view), &origin, 1);
  const int32_t mx = static_cast<int32_t>(static_cast<uint32_t>(position) & 0xFFFFu);
  const int32_t my = static_cast<int32_t>((static_cast<uint32_t>(position) >> 16) & 0xFFFFu);
  // Strict on both sides: the view's first column and row count as outside.
  if (!(origin.x < mx && mx < size.w + origin.x && origin.y < my && my < size.h + origin.y)) {
    x = kEmpty;
    y = kEmpty;
    return;
  }
  const double sx = size.w / 256.0;
  const double sy = size.h / 256.0;
  x = Trunc((mx - origin.x) / sx);
  y = Trunc((size.h - my + origin.y) / sy);
}
