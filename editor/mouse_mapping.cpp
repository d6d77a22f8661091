#include "editor/mouse_mapping.h"

namespace {

// The view's client area in the dialog's client coordinates: (12, 12), 256 x 255 at the
// reference layout.
struct ViewArea {
  POINT origin;
  int32_t w, h;
};

ViewArea AreaOf(HWND view) {
  RECT r = {0, 0, 0, 0};
  GetClientRect(view, &r);
  ViewArea area = {{0, 0}, r.right - r.left, r.bottom - r.top};
  MapWindowPoints(view, GetParent(view), &area.origin, 1);
  return area;
}

bool InsideX(const ViewArea& area, int32_t vx) { return 0 < vx && vx < area.w; }
bool InsideY(const ViewArea& area, int32_t vy) { return 0 < vy && vy < area.h; }

// A column or row strictly inside the view (in view pixels) in curve units; the quotients are
// truncated toward zero and stay within 0..255.
int32_t LevelOfColumn(const ViewArea& area, int32_t vx) {
  return static_cast<int32_t>(vx / (area.w / 256.0));
}
int32_t LevelOfRow(const ViewArea& area, int32_t vy) {
  return static_cast<int32_t>((area.h - vy) / (area.h / 256.0));
}

}  // namespace

void MapMouseToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y) {
  const ViewArea area = AreaOf(view);
  const int32_t vx = static_cast<int32_t>(LOWORD(position)) - area.origin.x;
  const int32_t vy = static_cast<int32_t>(HIWORD(position)) - area.origin.y;
  if (!InsideX(area, vx) || !InsideY(area, vy)) {
    x = -1;
    y = -1;
    return;
  }
  x = LevelOfColumn(area, vx);
  y = LevelOfRow(area, vy);
}

void MapDragToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y) {
  const ViewArea area = AreaOf(view);
  const int32_t vx = static_cast<int16_t>(LOWORD(position)) - area.origin.x;
  const int32_t vy = static_cast<int16_t>(HIWORD(position)) - area.origin.y;
  // Each axis on its own: along an edge the point still follows the pointer on the other axis.
  x = InsideX(area, vx) ? LevelOfColumn(area, vx) : vx <= 0 ? 0 : 255;
  y = InsideY(area, vy) ? LevelOfRow(area, vy) : vy <= 0 ? 255 : 0;
}
