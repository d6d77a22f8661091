#include "editor/curve_view.h"

#include "engine/curve_tables.h"

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
  // The rectangle from (x0, y0) up to but not including (x1, y1).
  void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    if (brush == nullptr) return;
    const RECT r = {x0, y0, x1, y1};
    FillRect(dc_, &r, brush);
    DeleteObject(brush);
  }

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

// The colour of one level in a channel's place: grey for the master, the channel's own colour for
// a channel curve.
COLORREF LevelColour(int curve, int32_t level) {
  const BYTE v = static_cast<BYTE>(level);
  switch (curve) {
    case kCurveRed: return RGB(v, 0, 0);
    case kCurveGreen: return RGB(0, v, 0);
    case kCurveBlue: return RGB(0, 0, v);
    default: return RGB(v, v, v);
  }
}

// What grey level i comes out as, in the colours of what is being edited: for the master curve
// on the channels each channel the mode names (the others black; a mode that names none leaves it
// all black), for the master curve on luma all three channels, for a channel curve its channel
// alone. With only the master in use on the channels that is the master's table.
COLORREF ResultColour(const CurveData& data, int curve, const uint8_t (&levels)[3][kLutSize],
                      int32_t i) {
  if (curve != kCurveMaster) return LevelColour(curve, levels[PixelByteOfCurve(curve)][i]);
  const bool luma = TargetOf(data) != kTargetChannels;
  if (!luma && data.mode > kModeBlue) return RGB(0, 0, 0);  // a script's mode naming no channel
  const bool all = luma || data.mode == kModeRgb;
  const BYTE r = all || data.mode == kModeRed ? levels[kPixelRed][i] : 0;
  const BYTE g = all || data.mode == kModeGreen ? levels[kPixelGreen][i] : 0;
  const BYTE b = all || data.mode == kModeBlue ? levels[kPixelBlue][i] : 0;
  return RGB(r, g, b);
}

// Grey i covers the rows from H - (i + 1) H/255 (exclusive) down to H - i H/255, so the levels
// share the bar's height between them with no row left out: at 255 rows one row each, grey 0 on
// row 255 just below the bar and row 0 above grey 254 left to the background; at any other height
// the same ramp stretched or squeezed.
void DrawOutputBar(HWND bar, int curve) {
  Clear(bar);
  Surface surface(bar);
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sy = h / 255.0;
  int32_t below = h;  // the lowest row of the current level
  for (int32_t i = 0; i < 255; ++i) {
    const int32_t above = Trunc(h - (i + 1) * sy);  // the row just above this level
    surface.Pen(PS_SOLID, LevelColour(curve, i));
    for (int32_t y = below; y > above; --y) surface.Line(0, y, surface.w(), y);
    below = above;
  }
}

// Input level i in column trunc(i W/255), widened over the columns up to the next level's when a
// level has more than one; the last column is left to the background, as at 256 columns.
void DrawInputBar(HWND bar, const CurveData& data, int curve) {
  Clear(bar);
  Surface surface(bar);
  if (!surface.ok()) return;
  uint8_t levels[3][kLutSize];
  ComposeGreyResults(data, levels);
  const double sx = surface.w() / 255.0;
  const int32_t h = surface.h();
  for (int32_t i = 0; i < 255; ++i) {
    const int32_t first = Trunc(i * sx);
    int32_t last = Trunc((i + 1) * sx) - 1;
    if (last > surface.w() - 2) last = surface.w() - 2;
    if (last < first) last = first;
    // The columns of one level do not overlap: each pen once for all of them.
    surface.Pen(PS_SOLID, ResultColour(data, curve, levels, i));
    for (int32_t x = first; x <= last; ++x) surface.Line(x, 0, x, h);
    surface.Pen(PS_SOLID, RGB(i, i, i));
    for (int32_t x = first; x <= last; ++x) surface.Line(x, h, x, h / 2);
  }
}

// The histogram, tallest column reaching the top row, each level over its share of the columns.
void DrawHistogram(Surface& surface, const uint64_t* histogram) {
  uint64_t tallest = 0;
  for (int i = 0; i < kLutSize; ++i) tallest = histogram[i] > tallest ? histogram[i] : tallest;
  if (tallest == 0) return;
  const int32_t w = surface.w(), h = surface.h();
  for (int32_t i = 0; i < kLutSize; ++i) {
    if (histogram[i] == 0) continue;
    // At least one row for a level that occurs at all; the tallest fills the height.
    const double share = static_cast<double>(histogram[i]) / static_cast<double>(tallest);
    int32_t rows = Trunc(share * h + 0.999);
    if (rows > h) rows = h;
    const int32_t x0 = Trunc(static_cast<double>(i) * w / 256.0);
    int32_t x1 = Trunc(static_cast<double>(i + 1) * w / 256.0);
    if (x1 <= x0) x1 = x0 + 1;
    surface.Fill(x0, h - rows, x1, h, kHistogramColour);
  }
}

void DrawGridOver(HWND view, const uint64_t* histogram) {
  Clear(view);
  Surface surface(view);
  if (!surface.ok()) return;
  if (histogram != nullptr) DrawHistogram(surface, histogram);
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

// One table as a connected one-pixel polyline: vertex i at (trunc(i * sx), H - trunc(lut[i] * sy
// + 1)), output level 0 on the last row.
void DrawTable(HWND view, const int32_t* lut, COLORREF colour) {
  Surface surface(view);
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sx = surface.w() / 256.0;
  const double sy = h / 256.0;
  surface.Pen(PS_SOLID, colour);
  surface.MoveTo(0, h - Trunc(lut[0] * sy + 1));
  for (int32_t i = 0; i < kLutSize; ++i) {
    surface.LineTo(Trunc(i * sx), h - Trunc(lut[i] * sy + 1));
  }
  // One row below the last vertex: the line paints exactly that vertex, which the line into it
  // left out.
  surface.LineTo(Trunc(sx * 255), h - Trunc(lut[255] * sy));
}

bool IsIdentity(const int32_t* lut) {
  for (int32_t i = 0; i < kLutSize; ++i) {
    if (lut[i] != i) return false;
  }
  return true;
}

// Plus-shaped markers of 16 pixels around each valid editable point of the curve, the current
// one in the highlight colour.
void DrawMarkers(HWND view, const CurveData& data, int curve, int32_t current) {
  Surface surface(view);  // its default pen: solid black, one pixel
  if (!surface.ok()) return;
  const int32_t h = surface.h();
  const double sx = surface.w() / 256.0;
  const double sy = h / 256.0;
  const ControlPoint* points = CurvePoints(data, curve);
  for (int32_t i = 0; i < CurveEditableSlots(curve); ++i) {
    const ControlPoint& p = points[i];
    if (!IsValidPoint(p)) continue;
    if (i == current) surface.Pen(PS_SOLID, kCurrentPointColour);
    // No "- 1" on the row, unlike the curve: the marker agrees with the mouse mapping.
    const int32_t cx = Trunc(p.x * sx);
    const int32_t cy = h - Trunc(p.y * sy);
    surface.Line(cx + 1, cy, cx + 5, cy);
    surface.Line(cx - 1, cy, cx - 5, cy);
    surface.Line(cx, cy + 1, cx, cy + 5);
    surface.Line(cx, cy - 1, cx, cy - 5);
    if (i == current) surface.Pen(PS_SOLID, RGB(0, 0, 0));
  }
}

}  // namespace

void DrawGrid(HWND view) { DrawGridOver(view, nullptr); }

void DrawCurve(HWND view, const CurveData& data) { DrawTable(view, data.lut, RGB(0, 0, 0)); }

void DrawPointMarkers(HWND view, const CurveData& data) {
  DrawMarkers(view, data, kCurveMaster, kEmpty);
}

void RefreshEditor(HWND view, const CurveData& data) { RefreshEditor(view, data, ViewExtras{}); }

void RefreshEditor(HWND view, const CurveData& data, const ViewExtras& extras) {
  const int curve = extras.curve >= 0 && extras.curve < kCurveCount ? extras.curve : kCurveMaster;
  DrawGridOver(view, extras.histogram);
  // The other curves lighter, behind the edited one.
  for (int other = 0; other < kCurveCount; ++other) {
    if (other == curve || IsIdentity(CurveLut(data, other))) continue;
    DrawTable(view, CurveLut(data, other), kOtherCurveColours[other]);
  }
  DrawTable(view, CurveLut(data, curve), RGB(0, 0, 0));
  DrawMarkers(view, data, curve, extras.current);
}

void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data) {
  DrawGradientBars(outputBar, inputBar, data, kCurveMaster);
}

void DrawGradientBars(HWND outputBar, HWND inputBar, const CurveData& data, int curve) {
  if (curve < 0 || curve >= kCurveCount) curve = kCurveMaster;
  DrawOutputBar(outputBar, curve);
  DrawInputBar(inputBar, data, curve);
}
