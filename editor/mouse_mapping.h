// Dialog mouse positions in curve units. A mouse message over the curve view reaches the dialog
// itself (the view is a static control, transparent to the mouse), so its position is in the
// dialog's client coordinates; the view's client area is found where the dialog actually laid it
// out, which moves and grows with the screen scale. Column c of a view W pixels wide stands for
// input level 256 c / W, row r of H rows for output level 256 (H - r) / H.
#pragma once

#include <windows.h>

#include <cstdint>

// A mouse message's position word (x in the low 16 bits, y in the high 16 bits, both read as
// unsigned) in curve units 0..255, or (-1, -1) when the position is not strictly inside the view:
// its first column and row, and anything beyond its last, are outside.
void MapMouseToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y);

// The same for a move while a point is dragged, where a position on or past an edge of the view
// stays on that edge: left 0, right 255, bottom 0, top 255, so both ends of both axes are
// reachable at any size. The coordinates are read as signed, since a captured mouse reports moves
// left of and above the dialog as negative.
void MapDragToCurve(HWND view, LPARAM position, int32_t& x, int32_t& y);
