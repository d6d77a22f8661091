#include "editor/focus_cue.h"

#include "editor/curve_view.h"
#include "editor/resource.h"

void DrawFocusCue(HWND dialog) {
  HWND view = GetDlgItem(dialog, IDC_CURVE_VIEW);
  RECT r;
  GetWindowRect(view, &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  HDC dc = GetDC(dialog);
  if (dc == nullptr) return;
  const COLORREF colour = GetFocus() == view ? kCurrentPointColour : GetSysColor(COLOR_BTNFACE);
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left - 2, r.top - 2, r.right + 2, r.bottom + 2);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
  ReleaseDC(dialog, dc);
}
